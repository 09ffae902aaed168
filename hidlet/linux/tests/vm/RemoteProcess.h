// Starts a remote player (uhid-remote or usb-remote, beside the test program) with a description
// and waits until the kernel has made the hidraw devices of its remotes; stops it again, which
// removes them.
#ifndef HIDLET_VM_REMOTEPROCESS_H
#define HIDLET_VM_REMOTEPROCESS_H

#include <string>
#include <vector>

#include <sys/types.h>

// uhid: a virtual HID device with no USB device above it. USB: a USB HID gadget on a dummy_hcd
// controller, which the host's USB stack enumerates and drives like a remote on a real port.
enum class RemoteKind { Uhid, Usb };

// What a VM test case runs on: a kind of remote, with numbered or unnumbered reports.
struct RemoteVariant
{
    RemoteKind kind;
    bool numbered;
};
// Every variant, or those of one kind; and test names for kinds and variants ("Usb",
// "UsbNumbered").
std::vector<RemoteVariant> remoteVariants();
std::vector<RemoteVariant> remoteVariants(RemoteKind kind);
std::string kindName(RemoteKind kind);
std::string variantName(const RemoteVariant& variant);

// The folder of the running program, where the VM tests find the programs built beside them
// (uhid-remote, usb-remote, hidraw-bench).
std::string programDirectory();

class RemoteProcess
{
public:
    // ids: the remotes of the description whose hidraw device to wait for. quiet: without the
    // program's log of what it plugged, received and sent.
    RemoteProcess(RemoteKind kind, const std::string& description, bool numbered, const std::vector<std::string>& ids,
                  bool quiet = false);
    ~RemoteProcess() { stop(); }
    RemoteProcess(const RemoteProcess&) = delete;
    RemoteProcess& operator=(const RemoteProcess&) = delete;

    // Whether every awaited remote got its hidraw device.
    bool ready() const { return m_ready; }
    // Ends the program; its remotes are gone when this returns (a USB disconnect reaches the
    // host's USB stack a little after the device side went).
    void stop();
    // Ends it with SIGKILL, as a crash would: it cannot clean up after itself.
    void kill();

    // "uhid" or "USB".
    static const char* name(RemoteKind kind);
    // Whether this machine can play remotes of that kind (the test VM can play both).
    static bool available(RemoteKind kind);
    // The hidraw device (hidrawN) of the remote with that id, or "" when there is none now.
    static std::string hidrawOf(const std::string& id);
    // Waits up to the given time for the remote's hidraw device to appear (true) or go (false).
    static bool waitFor(const std::string& id, bool present, int timeoutMs);

private:
    void end(int signal);

    pid_t m_pid = -1;
    bool m_ready = false;
    std::vector<std::string> m_ids;
};

#endif
