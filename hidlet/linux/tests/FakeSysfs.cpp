#include "FakeSysfs.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& content)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::string hidDeviceName(unsigned int bus, unsigned int instance, long vendor, long product)
{
    char name[64];
    std::snprintf(name, sizeof name, "%04X:%04lX:%04lX.%04X", bus, vendor, product, instance);
    return name;
}

void countItem(std::vector<unsigned char>& d, long count)
{
    d.push_back(0x96);
    d.push_back(static_cast<unsigned char>(count & 0xFF));
    d.push_back(static_cast<unsigned char>((count >> 8) & 0xFF));
}

} // namespace

FakeSysfs::FakeSysfs() : m_temporary(true)
{
    char pattern[] = "/tmp/hidlet-fake-sysfs.XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    m_root = pattern;
    fs::create_directories(m_root + "/sys/class/hidraw");
    fs::create_directories(m_root + "/dev");
}

FakeSysfs::FakeSysfs(const std::string& folder) : m_root(folder), m_temporary(false)
{
    fs::remove_all(m_root);
    fs::create_directories(m_root + "/sys/class/hidraw");
    fs::create_directories(m_root + "/dev");
}

FakeSysfs::~FakeSysfs()
{
    if (m_temporary) {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
}

quorvex::lumora::client::corvane::hidlet::LinuxRoots FakeSysfs::roots() const
{
    quorvex::lumora::client::corvane::hidlet::LinuxRoots roots;
    roots.sysfs = m_root + "/sys";
    roots.dev = m_root + "/dev";
    return roots;
}

void FakeSysfs::addHidraw(const std::string& name, unsigned int instance, long vendor, long product,
                          const std::vector<unsigned char>& descriptor, const Usb* usb)
{
    fs::path parent;
    unsigned int hidBus = 0x0003;
    if (usb) {
        const std::string bus = std::to_string(usb->busNumber);
        const fs::path rootHub = fs::path(m_root) / "sys/devices/pci0000:00/0000:00:14.0" / ("usb" + bus);
        writeFile(rootHub / "busnum", bus + "\n");
        writeFile(rootHub / "devpath", "0\n");
        writeFile(rootHub / "bcdDevice", "0601\n");
        const fs::path device = rootHub / (bus + "-" + usb->portChain);
        writeFile(device / "busnum", bus + "\n");
        writeFile(device / "devpath", usb->portChain + "\n");
        char ids[32];
        std::snprintf(ids, sizeof ids, "%04lx\n", vendor);
        writeFile(device / "idVendor", ids);
        std::snprintf(ids, sizeof ids, "%04lx\n", product);
        writeFile(device / "idProduct", ids);
        if (usb->bcdDevice >= 0) {
            char bcd[32];
            std::snprintf(bcd, sizeof bcd, "%04lx\n", usb->bcdDevice);
            writeFile(device / "bcdDevice", bcd);
        }
        parent = device / (bus + "-" + usb->portChain + ":1.0");
        writeFile(parent / "bInterfaceNumber", "00\n");
        if (usb->overBluetooth) {
            parent = parent / "bluetooth/hci0/hci0:256";
            hidBus = 0x0005;
        }
    } else {
        parent = fs::path(m_root) / "sys/devices/virtual/misc/uhid";
    }
    const fs::path hid = parent / hidDeviceName(hidBus, instance, vendor, product);
    char uevent[160];
    std::snprintf(uevent, sizeof uevent, "DRIVER=hid-generic\nHID_ID=%04X:%08lX:%08lX\nHID_NAME=fake remote\n",
                  hidBus, vendor, product);
    std::string lines = uevent;
    if (usb && usb->overBluetooth && !usb->bluetoothAddress.empty())
        lines += "HID_UNIQ=" + usb->bluetoothAddress + "\n";
    writeFile(hid / "uevent", lines);
    if (!descriptor.empty())
        writeFile(hid / "report_descriptor", std::string(descriptor.begin(), descriptor.end()));
    const fs::path hidraw = hid / "hidraw" / name;
    writeFile(hidraw / "dev", "243:" + name.substr(6) + "\n");
    fs::create_directory_symlink("../..", hidraw / "device");
    const fs::path link = fs::path(m_root) / "sys/class/hidraw" / name;
    fs::create_directory_symlink(fs::relative(hidraw, link.parent_path()), link);
    writeFile(fs::path(m_root) / "dev" / name, "");
}

void FakeSysfs::removeHidraw(const std::string& name)
{
    const fs::path link = fs::path(m_root) / "sys/class/hidraw" / name;
    const fs::path hid = fs::canonical(link / "device");
    fs::remove(link);
    fs::remove_all(hid);
    fs::remove(fs::path(m_root) / "dev" / name);
}

void FakeSysfs::useCharacterDevice(const std::string& name, const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
        throw std::runtime_error(path + " is no character device");
    const fs::path hidraw = fs::canonical(fs::path(m_root) / "sys/class/hidraw" / name);
    writeFile(hidraw / "dev", std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev)) + "\n");
    const fs::path node = fs::path(m_root) / "dev" / name;
    fs::remove(node);
    fs::create_symlink(path, node);
}

std::vector<unsigned char> remoteDescriptor(long inputBytes, long outputBytes, bool numbered)
{
    const long idByte = numbered ? 1 : 0;
    std::vector<unsigned char> d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
    if (numbered)
        d.insert(d.end(), {0x85, 0x01});
    d.insert(d.end(), {0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08});
    countItem(d, inputBytes - idByte);
    d.insert(d.end(), {0x09, 0x01, 0x81, 0x02});
    countItem(d, outputBytes - idByte);
    d.insert(d.end(), {0x09, 0x01, 0x91, 0x02, 0xC0});
    return d;
}

std::vector<unsigned char> keyboardDescriptor()
{
    return {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00,
            0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0xC0};
}
