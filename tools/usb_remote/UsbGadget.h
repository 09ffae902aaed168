// One remote as a USB HID gadget (see ConfigfsGadget.h): plugging binds it to a free USB device
// controller, the same one again when it comes back; unplugging unbinds it, a USB disconnect.
// The gadget's HID function node (/dev/hidgN, there while the gadget is bound) is the device side: output reports from the
// host's interrupt OUT transfers are read from it, input reports written to it wait in the
// controller until the host polls the interrupt IN endpoint.
#ifndef USB_REMOTE_USBGADGET_H
#define USB_REMOTE_USBGADGET_H

#include <string>
#include <vector>

#include "GadgetReaper.h"
#include "RemoteDevice.h"

class UsbGadget : public RemoteDevice
{
public:
    // folder: the gadget's folder to make under configfs's usb_gadget/; controllers: the ones it
    // may be bound to, in order; reportLength: the largest report in bytes.
    UsbGadget(const std::string& folder, const std::vector<std::string>& controllers, long reportLength,
              GadgetReaper& reaper);
    // Removes the gadget.
    ~UsbGadget() override;
    UsbGadget(const UsbGadget&) = delete;
    UsbGadget& operator=(const UsbGadget&) = delete;

    void plug(const RemoteIdentity& identity, const std::vector<unsigned char>& descriptor) override;
    void unplug() override;
    bool plugged() const override { return m_plugged; }
    std::string place() const override { return "on " + m_controller; }
    int fd() const override { return m_fd; }

    SendResult sendInput(const unsigned char* report, std::size_t length) override;
    bool takeOutput(std::vector<unsigned char>* report) override;
    bool drained() const override;

private:
    void openNode();

    const std::string m_folder;
    const std::vector<std::string> m_controllers;
    const long m_reportLength;
    GadgetReaper& m_reaper;
    bool m_made = false;
    bool m_plugged = false;
    std::string m_controller;   // the one it was bound to last
    int m_fd = -1;
};

#endif
