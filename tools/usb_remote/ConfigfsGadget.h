// A USB HID gadget in configfs: a USB device with one HID interface (the given report descriptor,
// an interrupt IN and an interrupt OUT endpoint) that the kernel's gadget side plays on a USB
// device controller (UDC) once the gadget is bound to it. The host's USB stack (usbhid) then
// sees a device connect on that controller's port, and unbinding is a USB disconnect.
//
// The folder of a gadget, under configfs's usb_gadget/:
//   idVendor idProduct bcdDevice bcdUSB  strings/0x409/{serialnumber,manufacturer,product}
//   functions/hid.remote/{protocol,subclass,report_length,report_desc,dev}
//   configs/c.1/hid.remote -> functions/hid.remote      UDC (the controller it is bound to)
#ifndef USB_REMOTE_CONFIGFSGADGET_H
#define USB_REMOTE_CONFIGFSGADGET_H

#include <string>
#include <vector>

#include "RemoteDevice.h"

namespace configfs_gadget {

// The USB device controllers of the machine (/sys/class/udc), in natural order (dummy_udc.2
// before dummy_udc.10).
std::vector<std::string> controllers(const std::string& sysfsRoot);

// Makes the gadget's folder and everything in it. reportLength is the endpoints' packet size:
// the largest report, one packet each. Throws std::runtime_error saying what is missing, after
// removing what it made.
void create(const std::string& folder, const RemoteIdentity& identity, const std::vector<unsigned char>& descriptor,
            long reportLength);

// Binds the gadget to the controller: 0, or the errno (EBUSY: the controller serves another
// gadget; ENODEV: there is no such controller).
int bind(const std::string& folder, const std::string& controller);
// Unbinds it: a USB disconnect for the host.
void unbind(const std::string& folder);

// The gadget's HID function node (/dev/hidgN): the device side of the remote. "" when unknown.
std::string functionNode(const std::string& folder, const std::string& sysfsRoot, const std::string& devRoot);

// Unbinds and removes the gadget with everything in it, whatever state it is in; nothing to do
// when it is not there.
void remove(const std::string& folder);

} // namespace configfs_gadget

#endif
