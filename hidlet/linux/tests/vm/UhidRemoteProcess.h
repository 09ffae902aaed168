// Starts the uhid-remote program (beside the test program) with a description and waits until the
// kernel has made the hidraw devices of its remotes; stops it again, which removes them.
#ifndef HIDLET_VM_UHIDREMOTEPROCESS_H
#define HIDLET_VM_UHIDREMOTEPROCESS_H

#include <string>
#include <vector>

#include <sys/types.h>

class UhidRemoteProcess
{
public:
    // ids: the remotes of the description whose hidraw device to wait for. quiet: without the
    // program's log of what it plugged, received and sent.
    UhidRemoteProcess(const std::string& description, bool numbered, const std::vector<std::string>& ids,
                      bool quiet = false);
    ~UhidRemoteProcess() { stop(); }
    UhidRemoteProcess(const UhidRemoteProcess&) = delete;
    UhidRemoteProcess& operator=(const UhidRemoteProcess&) = delete;

    // Whether every awaited remote got its hidraw device.
    bool ready() const { return m_ready; }
    // Ends the program; its remotes are gone when this returns.
    void stop();

    // The hidraw device (hidrawN) of the remote with that id, or "" when there is none now.
    static std::string hidrawOf(const std::string& id);
    // Waits up to the given time for the remote's hidraw device to appear (true) or go (false).
    static bool waitFor(const std::string& id, bool present, int timeoutMs);

private:
    pid_t m_pid = -1;
    bool m_ready = false;
};

#endif
