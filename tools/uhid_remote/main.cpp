// uhid-remote: virtual remotes over /dev/uhid that play the scripted behaviours of the simulated
// remotes (the description text of HIDLET_SIM) on the kernel's real HID stack.
#include "PlayerMain.h"
#include "UhidDevice.h"

namespace {

const char kUsage[] =
    "usage: uhid-remote [-n] [-q] [--uhid PATH] DESCRIPTION | @FILE\n"
    "\n"
    "Creates one virtual USB HID remote per entry of DESCRIPTION (the text HIDLET_SIM takes:\n"
    "remotes separated by ';' or lines, fields key=value separated by ','), and answers its\n"
    "output reports as the simulated remote of that description would, until stopped.\n"
    "  -n, --numbered  reports carry report id 1 (the first byte of every report); default:\n"
    "                  unnumbered reports\n"
    "  -q, --quiet     print only errors\n"
    "  --uhid PATH     the uhid node (default /dev/uhid)\n"
    "Example: uhid-remote 'id=remote1,vid=0x1234,pid=0x5678,reply=3,end=FF,rate=1'\n"
    "Each remote's HID_UNIQ is its id; it has no USB device above it, so its version reads as\n"
    "-1 through the library and its device path comes from its HID instance: several remotes\n"
    "at once each have a path of their own, a new one when uhid-remote starts again.\n"
    "Keys of the description that a uhid remote cannot play (location, version, open=fail)\n"
    "are taken with a warning on stderr. usb-remote plays the same descriptions on the USB stack.\n";

class UhidBackend : public PlayerBackend
{
public:
    const char* program() const override { return "uhid-remote"; }
    const char* usage() const override { return kUsage; }

    bool takeOption(const std::string& name, const std::string& value) override
    {
        if (name != "--uhid")
            return false;
        m_uhidNode = value;
        return true;
    }

    std::vector<UnplayableKey> unplayableKeys() const override
    {
        return {
            {"location", "the library takes it from the USB device above, and a uhid remote has none: it reads -1 "
                         "(device path \"-1\")"},
            {"version", "the library takes it from the USB device above, and a uhid remote has none: it reads -1"},
            {"open", "a uhid remote always opens"},
        };
    }

    void prepare(const std::vector<sim::SimRemoteScript>&, bool) override {}

    std::unique_ptr<RemoteDevice> makeDevice(const sim::SimRemoteScript&, bool numbered) override
    {
        return std::unique_ptr<RemoteDevice>(new UhidDevice(m_uhidNode, numbered));
    }

private:
    std::string m_uhidNode = "/dev/uhid";
};

} // namespace

int main(int argc, char** argv)
{
    UhidBackend backend;
    return playRemotes(argc, argv, backend);
}
