#include "ConfigfsGadget.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <dirent.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace configfs_gadget {

namespace {

const char kFunction[] = "functions/hid.remote";
const char kConfig[] = "configs/c.1";

std::vector<std::string> entries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.push_back(entry->d_name);
        }
        ::closedir(dir);
    }
    return names;
}

bool isFolder(const std::string& path)
{
    struct stat s;
    return ::lstat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

bool isLink(const std::string& path)
{
    struct stat s;
    return ::lstat(path.c_str(), &s) == 0 && S_ISLNK(s.st_mode);
}

// Writes the attribute in one write(), as configfs takes it: 0 or the errno.
int writeAttribute(const std::string& path, const std::string& value)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const ssize_t written = ::write(fd, value.data(), value.size());
    const int error = written < 0 ? errno : written == static_cast<ssize_t>(value.size()) ? 0 : EIO;
    ::close(fd);
    return error;
}

std::string hex(unsigned int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", value);
    return text;
}

// One step of making the gadget; throws with the step's path and what to do about it.
void check(const std::string& path, int error, const std::string& hint = std::string())
{
    if (error == 0)
        return;
    std::string what = path + ": " + std::strerror(error);
    if (error == EACCES || error == EPERM)
        what += " (run as root)";
    else if (!hint.empty())
        what += " (" + hint + ")";
    throw std::runtime_error(what);
}

int makeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0755) == 0 ? 0 : errno; }

} // namespace

std::vector<std::string> controllers(const std::string& sysfsRoot)
{
    std::vector<std::string> names = entries(sysfsRoot + "/class/udc");
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return ::strverscmp(a.c_str(), b.c_str()) < 0; });
    return names;
}

void create(const std::string& folder, const RemoteIdentity& identity, const std::vector<unsigned char>& descriptor,
            long reportLength)
{
    try {
        check(folder, makeFolder(folder));
        check(folder + "/idVendor", writeAttribute(folder + "/idVendor", hex(identity.vendor)));
        check(folder + "/idProduct", writeAttribute(folder + "/idProduct", hex(identity.product)));
        check(folder + "/bcdDevice", writeAttribute(folder + "/bcdDevice", hex(identity.version)));
        check(folder + "/bcdUSB", writeAttribute(folder + "/bcdUSB", "0x0200"));
        const std::string strings = folder + "/strings/0x409";
        check(strings, makeFolder(strings));
        check(strings + "/serialnumber", writeAttribute(strings + "/serialnumber", identity.id));
        check(strings + "/manufacturer", writeAttribute(strings + "/manufacturer", "remote-bridge"));
        check(strings + "/product", writeAttribute(strings + "/product", identity.name));
        check(folder + "/" + kConfig, makeFolder(folder + "/" + kConfig));
        const std::string function = folder + "/" + kFunction;
        const int made = makeFolder(function);
        check(function, made,
              made == ENODEV ? "the kernel's HID gadget function has 4 device numbers: at most 4 USB remotes at once"
                             : "the HID gadget function is missing: modprobe usb_f_hid");
        check(function + "/protocol", writeAttribute(function + "/protocol", "0"));
        check(function + "/subclass", writeAttribute(function + "/subclass", "0"));
        check(function + "/report_length", writeAttribute(function + "/report_length", std::to_string(reportLength)));
        check(function + "/report_desc",
              writeAttribute(function + "/report_desc", std::string(descriptor.begin(), descriptor.end())));
        const std::string link = folder + "/" + kConfig + "/hid.remote";
        check(link, ::symlink(function.c_str(), link.c_str()) == 0 ? 0 : errno);
    } catch (...) {
        remove(folder);
        throw;
    }
}

int bind(const std::string& folder, const std::string& controller)
{
    return writeAttribute(folder + "/UDC", controller);
}

void unbind(const std::string& folder)
{
    std::ifstream udc((folder + "/UDC").c_str());
    std::string bound;
    std::getline(udc, bound);
    if (!bound.empty())
        writeAttribute(folder + "/UDC", "\n");
}

std::string functionNode(const std::string& folder, const std::string& sysfsRoot, const std::string& devRoot)
{
    std::ifstream dev((folder + "/" + kFunction + "/dev").c_str());
    std::string number;
    std::getline(dev, number);
    std::ifstream uevent((sysfsRoot + "/dev/char/" + number + "/uevent").c_str());
    for (std::string line; std::getline(uevent, line);) {
        if (line.compare(0, 8, "DEVNAME=") == 0)
            return devRoot + "/" + line.substr(8);
    }
    return std::string();
}

void remove(const std::string& folder)
{
    if (!isFolder(folder))
        return;
    unbind(folder);
    // Children before their parents; the folders configfs made itself go with their parent.
    for (const std::string& config : entries(folder + "/configs")) {
        const std::string path = folder + "/configs/" + config;
        for (const std::string& entry : entries(path)) {
            if (isLink(path + "/" + entry))
                ::unlink((path + "/" + entry).c_str());
        }
        for (const std::string& language : entries(path + "/strings"))
            ::rmdir((path + "/strings/" + language).c_str());
        ::rmdir(path.c_str());
    }
    for (const std::string& function : entries(folder + "/functions"))
        ::rmdir((folder + "/functions/" + function).c_str());
    for (const std::string& language : entries(folder + "/strings"))
        ::rmdir((folder + "/strings/" + language).c_str());
    ::rmdir(folder.c_str());
}

} // namespace configfs_gadget
