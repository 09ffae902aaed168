#include "UhidDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <linux/uhid.h>
#include <unistd.h>

namespace {

void item(std::vector<unsigned char>& d, unsigned char prefix, unsigned long value)
{
    if (value <= 0xFF) {
        d.push_back(static_cast<unsigned char>(prefix | 1));
        d.push_back(static_cast<unsigned char>(value));
    } else {
        d.push_back(static_cast<unsigned char>(prefix | 2));
        d.push_back(static_cast<unsigned char>(value & 0xFF));
        d.push_back(static_cast<unsigned char>(value >> 8));
    }
}

bool writeEvent(int fd, const uhid_event& event)
{
    ssize_t written;
    do {
        written = ::write(fd, &event, sizeof event);
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(sizeof event);
}

} // namespace

std::vector<unsigned char> remoteReportDescriptor(long inputBytes, long outputBytes, bool numbered)
{
    const long idByte = numbered ? 1 : 0;
    std::vector<unsigned char> d = {0x06, 0x00, 0xFF,   // Usage Page (vendor 0xFF00)
                                    0x09, 0x01,         // Usage (1)
                                    0xA1, 0x01};        // Collection (Application)
    if (numbered)
        item(d, 0x84, 1);                               // Report ID (1)
    item(d, 0x14, 0);                                   // Logical Minimum (0)
    d.insert(d.end(), {0x26, 0xFF, 0x00});              // Logical Maximum (255)
    item(d, 0x74, 8);                                   // Report Size (8)
    item(d, 0x94, static_cast<unsigned long>(inputBytes - idByte));    // Report Count
    item(d, 0x08, 1);                                   // Usage (1)
    item(d, 0x80, 0x02);                                // Input (Data, Var, Abs)
    item(d, 0x94, static_cast<unsigned long>(outputBytes - idByte));   // Report Count
    item(d, 0x08, 1);                                   // Usage (1)
    item(d, 0x90, 0x02);                                // Output (Data, Var, Abs)
    d.push_back(0xC0);                                  // End Collection
    return d;
}

void UhidDevice::create(const std::string& uhidNode, const UhidIdentity& identity,
                        const std::vector<unsigned char>& descriptor)
{
    destroy();
    const int fd = ::open(uhidNode.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw std::runtime_error("cannot open " + uhidNode + ": " + std::strerror(errno));
    uhid_event event;
    std::memset(&event, 0, sizeof event);
    event.type = UHID_CREATE2;
    auto copyText = [](unsigned char* to, std::size_t size, const std::string& text) {
        std::memcpy(to, text.data(), std::min(text.size(), size - 1));
    };
    copyText(event.u.create2.name, sizeof event.u.create2.name, identity.name);
    copyText(event.u.create2.phys, sizeof event.u.create2.phys, identity.phys);
    copyText(event.u.create2.uniq, sizeof event.u.create2.uniq, identity.uniq);
    if (descriptor.size() > sizeof event.u.create2.rd_data) {
        ::close(fd);
        throw std::runtime_error("report descriptor too long");
    }
    std::memcpy(event.u.create2.rd_data, descriptor.data(), descriptor.size());
    event.u.create2.rd_size = static_cast<__u16>(descriptor.size());
    event.u.create2.bus = 0x03;   // BUS_USB
    event.u.create2.vendor = identity.vendor;
    event.u.create2.product = identity.product;
    event.u.create2.version = identity.version;
    if (!writeEvent(fd, event)) {
        const std::string why = std::strerror(errno);
        ::close(fd);
        throw std::runtime_error("cannot create the uhid device: " + why);
    }
    m_fd = fd;
}

void UhidDevice::destroy()
{
    if (m_fd < 0)
        return;
    uhid_event event;
    std::memset(&event, 0, sizeof event);
    event.type = UHID_DESTROY;
    writeEvent(m_fd, event);
    ::close(m_fd);
    m_fd = -1;
}

bool UhidDevice::sendInput(const unsigned char* bytes, std::size_t length)
{
    if (m_fd < 0 || length > UHID_DATA_MAX)
        return false;
    uhid_event event;
    std::memset(&event, 0, sizeof event);
    event.type = UHID_INPUT2;
    event.u.input2.size = static_cast<__u16>(length);
    std::memcpy(event.u.input2.data, bytes, length);
    return writeEvent(m_fd, event);
}

bool UhidDevice::takeOutput(std::vector<unsigned char>* output)
{
    if (m_fd < 0)
        return false;
    uhid_event event;
    const ssize_t got = ::read(m_fd, &event, sizeof event);
    if (got <= 0)
        return false;
    switch (event.type) {
    case UHID_OUTPUT:
        output->assign(event.u.output.data, event.u.output.data + std::min<std::size_t>(event.u.output.size, UHID_DATA_MAX));
        return true;
    case UHID_GET_REPORT: {
        // The remote has no feature reports.
        uhid_event reply;
        std::memset(&reply, 0, sizeof reply);
        reply.type = UHID_GET_REPORT_REPLY;
        reply.u.get_report_reply.id = event.u.get_report.id;
        reply.u.get_report_reply.err = EIO;
        writeEvent(m_fd, reply);
        return false;
    }
    case UHID_SET_REPORT: {
        uhid_event reply;
        std::memset(&reply, 0, sizeof reply);
        reply.type = UHID_SET_REPORT_REPLY;
        reply.u.set_report_reply.id = event.u.set_report.id;
        reply.u.set_report_reply.err = EIO;
        writeEvent(m_fd, reply);
        return false;
    }
    default:
        return false;   // start, stop, open, close
    }
}
