// Removes the gadgets of this process once it has ended, however it ended (SIGKILL and crashes
// included): a child process waits for the end of a pipe that only this process can write to,
// then removes every gadget it was told of. Gadgets that outlived both (the two killed at once)
// are removed by the next run (removeLeftovers).
#ifndef USB_REMOTE_GADGETREAPER_H
#define USB_REMOTE_GADGETREAPER_H

#include <string>

class GadgetReaper
{
public:
    // Starts the child; throws std::runtime_error when it cannot.
    GadgetReaper();
    // Closes the pipe: the child removes what is still there and ends.
    ~GadgetReaper();
    GadgetReaper(const GadgetReaper&) = delete;
    GadgetReaper& operator=(const GadgetReaper&) = delete;

    // Tells the child of a gadget folder, before it is made.
    void watch(const std::string& folder);

    // The name of this process's gadget number n: usb-remote.PID.n.
    static std::string gadgetName(int n);
    // Removes the gadgets under usb_gadget/ named so whose process no longer runs.
    static void removeLeftovers(const std::string& gadgetRoot);

private:
    int m_pipe = -1;
};

#endif
