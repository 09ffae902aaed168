// One virtual HID device through /dev/uhid: the kernel makes a /dev/hidrawN for it as for a USB
// device. Closing the device (or the process ending) removes it.
#ifndef UHID_REMOTE_UHIDDEVICE_H
#define UHID_REMOTE_UHIDDEVICE_H

#include <string>

#include "RemoteDevice.h"

class UhidDevice : public RemoteDevice
{
public:
    UhidDevice(const std::string& uhidNode, bool numbered) : m_uhidNode(uhidNode), m_numbered(numbered) {}
    ~UhidDevice() override { unplug(); }
    UhidDevice(const UhidDevice&) = delete;
    UhidDevice& operator=(const UhidDevice&) = delete;

    // Opens the uhid node and creates the device (UHID_CREATE2).
    void plug(const RemoteIdentity& identity, const std::vector<unsigned char>& descriptor) override;
    // Removes the device (UHID_DESTROY) and closes the node.
    void unplug() override;
    bool plugged() const override { return m_fd >= 0; }
    int fd() const override { return m_fd; }

    SendResult sendInput(const unsigned char* report, std::size_t length) override;
    // Output reports come as UHID_OUTPUT events; feature report requests are refused (the remote
    // has none), other events (start, stop, open, close) ignored.
    bool takeOutput(std::vector<unsigned char>* report) override;

private:
    const std::string m_uhidNode;
    const bool m_numbered;
    int m_fd = -1;
};

#endif
