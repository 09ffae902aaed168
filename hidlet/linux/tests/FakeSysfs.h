// A fabricated sysfs and /dev tree with hidraw devices laid out as the kernel lays them out: a
// HID device under a USB interface of a USB device (bus number, port chain, bcdDevice), a
// Bluetooth HID device under the controller of a USB Bluetooth adapter, or one under the virtual
// uhid device with no USB device above it.
#ifndef HIDLET_LINUX_TESTS_FAKESYSFS_H
#define HIDLET_LINUX_TESTS_FAKESYSFS_H

#include <string>
#include <vector>

#include "linux/HidrawSysfs.h"

class FakeSysfs
{
public:
    struct Usb
    {
        long busNumber;
        std::string portChain;   // devpath, e.g. "1.2"
        long bcdDevice;          // -1: no bcdDevice file
        // The HID device is a Bluetooth one (HID bus 0005) whose controller is this USB device:
        // it hangs under bluetooth/hci0/hci0:256 of the adapter's USB interface.
        bool overBluetooth = false;
        // Its Bluetooth address as the HID device's HID_UNIQ gives it ("aa:bb:cc:dd:ee:ff"); empty:
        // none.
        std::string bluetoothAddress = "";
    };

    // A fresh tree in a temporary folder, or in the given folder (emptied first).
    FakeSysfs();
    explicit FakeSysfs(const std::string& folder);
    ~FakeSysfs();
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    quorvex::lumora::client::corvane::hidlet::LinuxRoots roots() const;

    // Adds hidraw device `name` of HID instance `instance` (the .NNNN of the HID device's name);
    // usb null: a uhid device. descriptor empty: no report_descriptor file.
    void addHidraw(const std::string& name, unsigned int instance, long vendor, long product,
                   const std::vector<unsigned char>& descriptor, const Usb* usb = nullptr);
    // Removes the hidraw device and the HID device above it, as an unplug does.
    void removeHidraw(const std::string& name);
    // Makes the existing character device `path` (a pseudo-terminal, say) the node of hidraw
    // device `name`, its numbers in the sysfs entry, so that the device's pipe opens it.
    void useCharacterDevice(const std::string& name, const std::string& path);

private:
    std::string m_root;
    bool m_temporary;
};

// Report descriptors of the remote family: one input and one output report of the given sizes
// in bytes as hidraw moves them (with the report-id byte when numbered).
std::vector<unsigned char> remoteDescriptor(long inputBytes, long outputBytes, bool numbered);
// A boot keyboard's descriptor head: usage page 1, usage 6.
std::vector<unsigned char> keyboardDescriptor();

#endif
