#include "UhidDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <linux/uhid.h>
#include <unistd.h>

namespace {

bool writeEvent(int fd, const uhid_event& event)
{
    ssize_t written;
    do {
        written = ::write(fd, &event, sizeof event);
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(sizeof event);
}

} // namespace

void UhidDevice::plug(const RemoteIdentity& identity, const std::vector<unsigned char>& descriptor)
{
    unplug();
    const int fd = ::open(m_uhidNode.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw std::runtime_error("cannot open " + m_uhidNode + ": " + std::strerror(errno));
    uhid_event event;
    std::memset(&event, 0, sizeof event);
    event.type = UHID_CREATE2;
    auto copyText = [](unsigned char* to, std::size_t size, const std::string& text) {
        std::memcpy(to, text.data(), std::min(text.size(), size - 1));
    };
    copyText(event.u.create2.name, sizeof event.u.create2.name, identity.name);
    copyText(event.u.create2.phys, sizeof event.u.create2.phys, "uhid-remote/" + identity.id);
    copyText(event.u.create2.uniq, sizeof event.u.create2.uniq, identity.id);
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

void UhidDevice::unplug()
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

RemoteDevice::SendResult UhidDevice::sendInput(const unsigned char* bytes, std::size_t length)
{
    if (m_fd < 0 || length > UHID_DATA_MAX)
        return REFUSED;
    uhid_event event;
    std::memset(&event, 0, sizeof event);
    event.type = UHID_INPUT2;
    event.u.input2.size = static_cast<__u16>(length);
    std::memcpy(event.u.input2.data, bytes, length);
    return writeEvent(m_fd, event) ? SENT : REFUSED;
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
    case UHID_OUTPUT: {
        // uhid hands over hidraw's buffer, whose first byte is the report number: for unnumbered
        // reports a 0 that is not part of the report.
        const std::size_t size = std::min<std::size_t>(event.u.output.size, UHID_DATA_MAX);
        const std::size_t skip = !m_numbered && size > 0 ? 1 : 0;
        output->assign(event.u.output.data + skip, event.u.output.data + size);
        return true;
    }
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
