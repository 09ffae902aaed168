// usb-remote: remotes on the kernel's USB stack that play the scripted behaviours of the simulated
// remotes (the description text of HIDLET_SIM): each one a USB HID gadget on a USB device
// controller, a software one (dummy_hcd) where the machine has no real one.
#include <algorithm>
#include <memory>
#include <sstream>
#include <stdexcept>

#include <sys/stat.h>

#include "ConfigfsGadget.h"
#include "GadgetReaper.h"
#include "PlayerMain.h"
#include "UsbGadget.h"

namespace {

const char kUsage[] =
    "usage: usb-remote [-n] [-q] [--udc NAME[,NAME...]] [--configfs PATH] DESCRIPTION | @FILE\n"
    "\n"
    "Plugs one USB HID remote per entry of DESCRIPTION (the text HIDLET_SIM takes: remotes\n"
    "separated by ';' or lines, fields key=value separated by ',') into a USB device controller,\n"
    "and answers its output reports as the simulated remote of that description would, until\n"
    "stopped. The host's own USB stack (usbhid) drives it as a remote on a real port.\n"
    "  -n, --numbered   reports carry report id 1 (the first byte of every report); default:\n"
    "                   unnumbered reports\n"
    "  -q, --quiet      print only errors\n"
    "  --udc NAMES      the USB device controllers to use, in order (default: every one in\n"
    "                   /sys/class/udc that is free); each remote takes one\n"
    "  --configfs PATH  where configfs is mounted (default /sys/kernel/config)\n"
    "Without a USB device controller, the kernel emulates them: sudo modprobe dummy_hcd num=N\n"
    "gives N, each the host controller of a USB bus of its own with one port.\n"
    "Example: sudo usb-remote 'id=remote1,vid=0x1234,pid=0x5678,version=0x0213,reply=3,end=FF'\n"
    "Each remote's serial number, and so its HID_UNIQ, is its id; its version is version=, its\n"
    "device path the location id of its controller's port. vanish= unbinds it from the\n"
    "controller (a USB disconnect), replug= binds it again: a new USB device on the same port.\n"
    "Reports are 1024 bytes at most (one high-speed interrupt packet). The gadgets are removed\n"
    "when usb-remote ends, however it ends. Keys that a USB remote cannot play (location,\n"
    "open=fail) are taken with a warning on stderr. uhid-remote plays the same descriptions on\n"
    "virtual uhid devices.\n";

const long kLargestReport = 1024;

bool isFolder(const std::string& path)
{
    struct stat s;
    return ::stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

class UsbBackend : public PlayerBackend
{
public:
    const char* program() const override { return "usb-remote"; }
    const char* usage() const override { return kUsage; }

    bool takeOption(const std::string& name, const std::string& value) override
    {
        if (name == "--configfs") {
            m_configfs = value;
        } else if (name == "--udc") {
            std::istringstream names(value);
            for (std::string controller; std::getline(names, controller, ',');) {
                if (!controller.empty())
                    m_controllers.push_back(controller);
            }
        } else {
            return false;
        }
        return true;
    }

    std::vector<UnplayableKey> unplayableKeys() const override
    {
        return {
            {"location", "the library takes it from the USB bus and port chain, which the controller gives"},
            {"open", "a USB remote always opens"},
        };
    }

    void prepare(const std::vector<sim::SimRemoteScript>& scripts, bool) override
    {
        for (const sim::SimRemoteScript& script : scripts) {
            if (script.inputSize > kLargestReport || script.outputSize > kLargestReport)
                throw std::invalid_argument(script.id + ": reports of a USB remote are " + std::to_string(kLargestReport) +
                                            " bytes at most");
        }
        if (!isFolder(m_configfs))
            throw std::runtime_error("configfs is not mounted at " + m_configfs +
                                     " (sudo mount -t configfs none /sys/kernel/config)");
        if (!isFolder(gadgetRoot()))
            throw std::runtime_error("configfs has no usb_gadget folder (sudo modprobe libcomposite)");
        if (m_controllers.empty())
            m_controllers = configfs_gadget::controllers("/sys");
        if (m_controllers.empty())
            throw std::runtime_error("no USB device controller (sudo modprobe dummy_hcd num=N gives N)");
        if (scripts.size() > m_controllers.size())
            throw std::runtime_error(std::to_string(scripts.size()) + " remotes need as many USB device controllers, one "
                                     "each; there are " + std::to_string(m_controllers.size()) +
                                     " (sudo modprobe dummy_hcd num=N gives N)");
        GadgetReaper::removeLeftovers(gadgetRoot());
        m_reaper.reset(new GadgetReaper());
    }

    std::unique_ptr<RemoteDevice> makeDevice(const sim::SimRemoteScript& script, bool) override
    {
        const std::string folder = gadgetRoot() + "/" + GadgetReaper::gadgetName(m_made++);
        return std::unique_ptr<RemoteDevice>(
            new UsbGadget(folder, m_controllers, std::max(script.inputSize, script.outputSize), *m_reaper));
    }

private:
    std::string gadgetRoot() const { return m_configfs + "/usb_gadget"; }

    std::string m_configfs = "/sys/kernel/config";
    std::vector<std::string> m_controllers;
    std::unique_ptr<GadgetReaper> m_reaper;
    int m_made = 0;
};

} // namespace

int main(int argc, char** argv)
{
    UsbBackend backend;
    return playRemotes(argc, argv, backend);
}
