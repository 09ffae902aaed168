// The hidraw interfaces of the machine as sysfs describes them: a stable key, identity, location
// and report layout per interface. Both roots can be moved so that tests run over a fabricated
// tree (HIDLET_SYSFS_ROOT, HIDLET_DEV_ROOT).
#ifndef QUORVEX_HIDLET_LINUX_HIDRAWSYSFS_H
#define QUORVEX_HIDLET_LINUX_HIDRAWSYSFS_H

#include <string>
#include <vector>

#include "ReportDescriptor.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

struct LinuxRoots
{
    std::string sysfs = "/sys";
    std::string dev = "/dev";

    // The defaults, or HIDLET_SYSFS_ROOT and HIDLET_DEV_ROOT where set.
    static LinuxRoots fromEnvironment();
};

struct HidrawInterface
{
    // Usage page and usage of the remote family's HID interface.
    static const long REMOTE_USAGE_PAGE = 0xFF00;
    static const long REMOTE_USAGE = 1;
    // Report size used when the descriptor does not tell.
    static const long DEFAULT_REPORT_SIZE = 64;

    std::string name;       // hidrawN
    // The resolved sysfs path of the hidraw device. It contains the HID instance number, so a
    // device plugged again gets a new key even when it gets the same hidrawN.
    std::string key;
    std::string devNode;    // the character device that transfers go through
    long vendorId = -1;
    long productId = -1;
    long version = -1;      // bcdDevice of the USB device above; -1 without one
    long location = -1;     // see usbLocationId and nonUsbLocationId; -1 when neither applies
    bool descriptorRead = false;
    ReportLayout layout;

    bool isRemoteFamily() const { return layout.usagePage == REMOTE_USAGE_PAGE && layout.usage == REMOTE_USAGE; }
    long inputReportSize() const { return layout.inputBytes > 0 ? layout.inputBytes : DEFAULT_REPORT_SIZE; }
    long outputReportSize() const { return layout.outputBytes > 0 ? layout.outputBytes : DEFAULT_REPORT_SIZE; }
    // The location in decimal: the device's path toward the engine.
    std::string devicePath() const { return std::to_string(location); }
};

// The names of the hidraw devices present, sorted.
std::vector<std::string> listHidrawNames(const LinuxRoots& roots);

// One entry of the hidraw class folder: the device's name and the inode number of its link.
struct HidrawEntry
{
    std::string name;
    unsigned long linkInode = 0;
};

// The class folder as one read of it finds it, sorted by name. On sysfs (onSysfs) an inode
// number belongs to one link for as long as the system runs: a device that takes the name of a
// removed one comes with a link of its own and another number, so a name listed again with the
// same number is the same device. Elsewhere (a fabricated tree) numbers can be reused.
struct HidrawListing
{
    std::vector<HidrawEntry> entries;
    bool onSysfs = false;
};
HidrawListing listHidrawEntries(const LinuxRoots& roots);

// What the hidraw device's sysfs folder looked like when its key was taken. A device plugged in
// again gets a new folder, and so another stamp, even where the key text could repeat.
struct HidrawStamp
{
    unsigned long device = 0;
    unsigned long inode = 0;
    long changedSeconds = 0;
    long changedNanoseconds = 0;

    bool operator==(const HidrawStamp& other) const
    {
        return device == other.device && inode == other.inode && changedSeconds == other.changedSeconds &&
               changedNanoseconds == other.changedNanoseconds;
    }
};

// The key of a hidraw device (see HidrawInterface::key); empty when it is gone. stamp, where
// given, receives the folder's stamp.
std::string hidrawKey(const LinuxRoots& roots, const std::string& name, HidrawStamp* stamp = nullptr);
// The key as the device's class link names it, without looking at the folder it names: one
// readlink(). Empty when there is no such link.
std::string hidrawLinkKey(const LinuxRoots& roots, const std::string& name);

// The path with empty, "." and ".." components folded away, as std::filesystem's
// lexically_normal() gives it but without a trailing slash, and without its cost: the listing
// resolves every hidraw link with it.
std::string normalisedPath(const std::string& path);

// Describes one hidraw device. False when it is gone (its sysfs entry cannot be resolved).
bool describeHidraw(const LinuxRoots& roots, const std::string& name, HidrawInterface* out);
// The same for a device whose key was just taken.
bool describeHidrawAt(const LinuxRoots& roots, const std::string& name, const std::string& key, HidrawInterface* out);

// The location id of a USB device: the bus number in bits 24 and up, then one nibble per port of
// its port chain ("1.4.2"), the first at bits 20-23, going down. -1 for a bus number below 0.
long usbLocationId(long busNumber, const std::string& portChain);

// The location id of a HID device without a USB device above it (uhid, Bluetooth, I2C), so that
// two such devices never share a device path. It is one of its own for as long as the device
// stays, and it lies above the 32 bits that every USB location id fits in:
//   Bluetooth (HID bus 0005) with an address in HID_UNIQ:  2 << 48 | the 48-bit address, so the
//                                                         remote keeps its path when it reconnects;
//   any other:                                            1 << 48 | its HID instance number (the
//                                                         hexadecimal NNNN of BBBB:VVVV:PPPP.NNNN).
// hidDevice is the HID device's folder name, uniq the HID_UNIQ of its uevent (may be empty).
// -1 when neither can be read.
long nonUsbLocationId(const std::string& hidDevice, const std::string& uniq);

// Whether the open descriptor is still the character device that the key names (and not a
// device that took over its hidrawN after a removal).
bool isSameDevice(const std::string& key, int fd);

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
