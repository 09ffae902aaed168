#include "HidrawSysfs.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <linux/magic.h>
#include <unistd.h>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

namespace {

// A report descriptor is at most 4096 bytes (HID_MAX_DESCRIPTOR_SIZE).
const std::size_t kMaxDescriptorBytes = 4096;

const long kHidBusBluetooth = 0x0005;

bool readFile(const std::string& path, std::string* content, std::size_t limit = 4096)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Read through a buffer on the stack: sysfs files are a few bytes, and a string of the
    // limit's size, filled only to be cut again, would cost more than the read.
    char chunk[4096];
    std::string data;
    while (data.size() < limit) {
        const std::size_t asked = std::min(sizeof chunk, limit - data.size());
        const ssize_t got = ::read(fd, chunk, asked);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return false;
        }
        data.append(chunk, static_cast<std::size_t>(got));
        // A sysfs attribute, like a small regular file, comes whole in one read: a read that
        // does not fill the buffer has reached the end, and asking again would only say so.
        if (static_cast<std::size_t>(got) < asked)
            break;
    }
    ::close(fd);
    content->swap(data);
    return true;
}

std::string trimmed(const std::string& s)
{
    const std::string::size_type first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

bool parseNumber(const std::string& text, int base, long* value)
{
    const std::string t = trimmed(text);
    if (t.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long n = std::strtol(t.c_str(), &end, base);
    if (errno != 0 || *end != '\0' || n < 0)
        return false;
    *value = n;
    return true;
}

bool readNumber(const std::string& path, int base, long* value)
{
    std::string text;
    return readFile(path, &text, 64) && parseNumber(text, base, value);
}

std::string resolved(const std::string& path)
{
    char buffer[PATH_MAX];
    if (!realpath(path.c_str(), buffer))
        return std::string();
    return buffer;
}

bool exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string parentOf(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The value of one KEY= line of a uevent file; empty when it has none.
std::string ueventValue(const std::string& uevent, const std::string& key)
{
    for (std::string::size_type line = 0; line < uevent.size();) {
        std::string::size_type end = uevent.find('\n', line);
        if (end == std::string::npos)
            end = uevent.size();
        if (end - line > key.size() && uevent.compare(line, key.size(), key) == 0 && uevent[line + key.size()] == '=')
            return trimmed(uevent.substr(line + key.size() + 1, end - line - key.size() - 1));
        line = end + 1;
    }
    return std::string();
}

// A Bluetooth address as HID_UNIQ gives it: six hexadecimal bytes separated by ':'.
bool parseBluetoothAddress(const std::string& text, long* address)
{
    if (text.size() != 17)
        return false;
    long value = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i % 3 == 2) {
            if (c != ':')
                return false;
            continue;
        }
        const unsigned char digit = static_cast<unsigned char>(c);
        if (!std::isxdigit(digit))
            return false;
        value = value << 4 | (std::isdigit(digit) ? digit - '0' : std::tolower(digit) - 'a' + 10);
    }
    *address = value;
    return true;
}

// A HID device's folder is named BBBB:VVVV:PPPP.NNNN (bus, vendor, product, instance, each in
// hexadecimal), the same identity its uevent file gives.
bool parseHidDeviceName(const std::string& name, long* bus, long* vendor, long* product)
{
    if (name.size() < 15 || name[4] != ':' || name[9] != ':' || name[14] != '.')
        return false;
    long b = 0, v = 0, p = 0;
    if (!parseNumber(name.substr(0, 4), 16, &b) || !parseNumber(name.substr(5, 4), 16, &v) ||
        !parseNumber(name.substr(10, 4), 16, &p))
        return false;
    *bus = b;
    *vendor = v;
    *product = p;
    return true;
}

// HID_ID=<bus>:<vendor>:<product>, each in hexadecimal.
bool parseHidId(const std::string& uevent, long* vendor, long* product)
{
    const std::string value = ueventValue(uevent, "HID_ID");
    const std::string::size_type first = value.find(':');
    const std::string::size_type second = first == std::string::npos ? first : value.find(':', first + 1);
    if (second == std::string::npos)
        return false;
    long v = 0, p = 0;
    if (!parseNumber(value.substr(first + 1, second - first - 1), 16, &v) || !parseNumber(value.substr(second + 1), 16, &p))
        return false;
    *vendor = v;
    *product = p;
    return true;
}

// The USB device of a HID device on USB: the HID device's parent is a USB interface (it has an
// interface number) and that interface's parent is the USB device (bus number and port chain),
// inside the sysfs tree. Empty for any other HID device (uhid, I2C, and Bluetooth even when its
// controller is a USB adapter further up: the adapter is not the device).
std::string usbDeviceAbove(const std::string& sysfsRoot, const std::string& hidDevice)
{
    const std::string root = normalisedPath(sysfsRoot);
    // A virtual device (uhid) has no bus device above it: nothing to look for.
    static const std::string kVirtual = "/devices/virtual/";
    if (hidDevice.compare(0, root.size(), root) == 0 && hidDevice.compare(root.size(), kVirtual.size(), kVirtual) == 0)
        return std::string();
    const std::string interface = parentOf(hidDevice);
    const std::string device = parentOf(interface);
    if (device.size() <= root.size() || device.compare(0, root.size(), root) != 0)
        return std::string();
    if (!exists(interface + "/bInterfaceNumber") || !exists(device + "/busnum") || !exists(device + "/devpath"))
        return std::string();
    return device;
}

} // namespace

LinuxRoots LinuxRoots::fromEnvironment()
{
    LinuxRoots roots;
    const char* sysfs = std::getenv("HIDLET_SYSFS_ROOT");
    const char* dev = std::getenv("HIDLET_DEV_ROOT");
    if (sysfs && *sysfs)
        roots.sysfs = sysfs;
    if (dev && *dev)
        roots.dev = dev;
    return roots;
}

std::vector<std::string> listHidrawNames(const LinuxRoots& roots)
{
    std::vector<std::string> names;
    for (const HidrawEntry& entry : listHidrawEntries(roots).entries)
        names.push_back(entry.name);
    return names;
}

HidrawListing listHidrawEntries(const LinuxRoots& roots)
{
    HidrawListing listing;
    DIR* dir = opendir((roots.sysfs + "/class/hidraw").c_str());
    if (!dir)
        return listing;
    struct statfs fs;
    listing.onSysfs = fstatfs(dirfd(dir), &fs) == 0 && static_cast<unsigned long>(fs.f_type) == SYSFS_MAGIC;
    while (const dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, "hidraw", 6) == 0)
            listing.entries.push_back(HidrawEntry{entry->d_name, static_cast<unsigned long>(entry->d_ino)});
    }
    closedir(dir);
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const HidrawEntry& a, const HidrawEntry& b) { return a.name < b.name; });
    return listing;
}

long usbLocationId(long busNumber, const std::string& portChain)
{
    if (busNumber < 0)
        return -1;
    long location = (busNumber & 0xFF) << 24;
    int shift = 20;
    std::istringstream ports(portChain);
    std::string port;
    while (shift >= 0 && std::getline(ports, port, '.')) {
        long number = 0;
        if (!parseNumber(port, 10, &number))
            break;
        if (number == 0)
            continue;   // the root hub's chain is "0"
        location |= (number & 0xF) << shift;
        shift -= 4;
    }
    return location;
}

long nonUsbLocationId(const std::string& hidDevice, const std::string& uniq)
{
    const long kInstanceLocation = 1L << 48;
    const long kBluetoothLocation = 2L << 48;
    // BBBB:VVVV:PPPP.NNNN, every part hexadecimal.
    const std::string::size_type dot = hidDevice.rfind('.');
    if (hidDevice.size() < 15 || hidDevice[4] != ':' || dot == std::string::npos)
        return -1;
    long bus = -1;
    if (!parseNumber(hidDevice.substr(0, 4), 16, &bus))
        return -1;
    long address = 0;
    if (bus == kHidBusBluetooth && parseBluetoothAddress(uniq, &address))
        return kBluetoothLocation | address;
    long instance = -1;
    if (!parseNumber(hidDevice.substr(dot + 1), 16, &instance) || instance > 0xFFFFFFFFL)
        return -1;
    return kInstanceLocation | instance;
}

std::string normalisedPath(const std::string& path)
{
    const bool absolute = !path.empty() && path[0] == '/';
    // The components kept so far, as (start, length) in path.
    std::vector<std::pair<std::string::size_type, std::string::size_type> > kept;
    kept.reserve(16);   // a sysfs path has about a dozen components
    const auto isDotDot = [&path](std::string::size_type at, std::string::size_type length) {
        return length == 2 && path.compare(at, 2, "..") == 0;
    };
    for (std::string::size_type at = 0; at < path.size();) {
        std::string::size_type end = path.find('/', at);
        if (end == std::string::npos)
            end = path.size();
        const std::string::size_type length = end - at;
        if (length == 0 || (length == 1 && path[at] == '.')) {
            // an empty or "." component changes nothing
        } else if (isDotDot(at, length)) {
            if (!kept.empty() && !isDotDot(kept.back().first, kept.back().second))
                kept.pop_back();
            else if (!absolute)
                kept.emplace_back(at, length);   // above a relative start: kept; above "/": "/"
        } else {
            kept.emplace_back(at, length);
        }
        at = end + 1;
    }
    std::string out = absolute ? "/" : "";
    out.reserve(path.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0)
            out += '/';
        out.append(path, kept[i].first, kept[i].second);
    }
    return out.empty() ? std::string(".") : out;
}

std::string hidrawLinkKey(const LinuxRoots& roots, const std::string& name)
{
    // The class entry is a relative link into the device tree, whose folders are no links: one
    // readlink() resolves it, where realpath() would look at every component.
    std::string path = roots.sysfs;
    path.reserve(roots.sysfs.size() + 16 + name.size() + PATH_MAX / 16);
    path += "/class/hidraw/";
    const std::string::size_type folder = path.size();
    path += name;
    char target[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
    if (length <= 0)
        return std::string();
    if (target[0] == '/')
        return normalisedPath(std::string(target, static_cast<std::size_t>(length)));
    path.resize(folder);
    path.append(target, static_cast<std::size_t>(length));
    return normalisedPath(path);
}

std::string hidrawKey(const LinuxRoots& roots, const std::string& name, HidrawStamp* stamp)
{
    std::string key = hidrawLinkKey(roots, name);
    if (key.empty())
        key = resolved(roots.sysfs + "/class/hidraw/" + name);   // an entry that is no link
    struct stat st;
    if (key.empty() || stat(key.c_str(), &st) != 0)
        return std::string();
    if (stamp)
        *stamp = HidrawStamp{st.st_dev, st.st_ino, st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
    return key;
}

bool describeHidraw(const LinuxRoots& roots, const std::string& name, HidrawInterface* out)
{
    const std::string key = hidrawKey(roots, name);
    return !key.empty() && describeHidrawAt(roots, name, key, out);
}

bool describeHidrawAt(const LinuxRoots& roots, const std::string& name, const std::string& key, HidrawInterface* out)
{
    HidrawInterface hidraw;
    hidraw.name = name;
    hidraw.key = key;
    hidraw.devNode = roots.dev + "/" + name;

    // The HID device holds its hidraw device in hidraw/<name>. Its folder's name gives its
    // identity; its uevent file is read only where the name does not tell, or for the address
    // of a Bluetooth device (reading a uevent file makes the kernel build the whole event).
    const std::string hidDevice = parentOf(parentOf(hidraw.key));
    const std::string hidName = hidDevice.substr(hidDevice.find_last_of('/') + 1);
    long bus = -1;
    const bool named = parseHidDeviceName(hidName, &bus, &hidraw.vendorId, &hidraw.productId);
    std::string uevent;
    if (!hidDevice.empty() && (!named || bus == kHidBusBluetooth) && readFile(hidDevice + "/uevent", &uevent) && !named)
        parseHidId(uevent, &hidraw.vendorId, &hidraw.productId);

    std::string descriptor;
    if (!hidDevice.empty() && readFile(hidDevice + "/report_descriptor", &descriptor, kMaxDescriptorBytes)) {
        hidraw.descriptorRead = true;
        hidraw.layout = parseReportDescriptor(reinterpret_cast<const unsigned char*>(descriptor.data()),
                                              descriptor.size());
    }

    const std::string usb = hidDevice.empty() ? std::string() : usbDeviceAbove(roots.sysfs, hidDevice);
    if (!usb.empty()) {
        long busNumber = -1;
        std::string portChain;
        if (readNumber(usb + "/busnum", 10, &busNumber) && readFile(usb + "/devpath", &portChain, 64))
            hidraw.location = usbLocationId(busNumber, trimmed(portChain));
        long bcd = -1;
        if (readNumber(usb + "/bcdDevice", 16, &bcd))
            hidraw.version = bcd;
        if (hidraw.vendorId < 0 || hidraw.productId < 0) {
            long vendor = -1, product = -1;
            if (readNumber(usb + "/idVendor", 16, &vendor) && readNumber(usb + "/idProduct", 16, &product)) {
                hidraw.vendorId = vendor;
                hidraw.productId = product;
            }
        }
    } else if (!hidDevice.empty()) {
        hidraw.location = nonUsbLocationId(hidName, ueventValue(uevent, "HID_UNIQ"));
    }
    *out = std::move(hidraw);
    return true;
}

bool isSameDevice(const std::string& key, int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    std::string text;
    if (!readFile(key + "/dev", &text, 64))
        return false;
    unsigned int major = 0, minor = 0;
    char extra = 0;
    if (std::sscanf(trimmed(text).c_str(), "%u:%u%c", &major, &minor, &extra) != 2)
        return false;
    return major == ::major(st.st_rdev) && minor == ::minor(st.st_rdev);
}

}}}}} // namespace quorvex::lumora::client::corvane::hidlet
