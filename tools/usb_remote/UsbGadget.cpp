#include "UsbGadget.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "ConfigfsGadget.h"

UsbGadget::UsbGadget(const std::string& folder, const std::vector<std::string>& controllers, long reportLength,
                     GadgetReaper& reaper)
    : m_folder(folder), m_controllers(controllers), m_reportLength(reportLength), m_reaper(reaper)
{
}

UsbGadget::~UsbGadget()
{
    unplug();
    if (m_made)
        configfs_gadget::remove(m_folder);
}

void UsbGadget::plug(const RemoteIdentity& identity, const std::vector<unsigned char>& descriptor)
{
    if (m_plugged)
        return;
    if (!m_made) {
        m_reaper.watch(m_folder);
        m_made = true;
        configfs_gadget::create(m_folder, identity, descriptor, m_reportLength);
    }
    // The controller it had first: a remote that comes back is plugged into the same port.
    std::vector<std::string> order;
    if (!m_controller.empty())
        order.push_back(m_controller);
    order.insert(order.end(), m_controllers.begin(), m_controllers.end());
    for (const std::string& controller : order) {
        const int error = configfs_gadget::bind(m_folder, controller);
        if (error == 0) {
            m_controller = controller;
            m_plugged = true;
            openNode();
            return;
        }
        if (error != EBUSY && error != ENODEV)
            throw std::runtime_error("cannot bind to " + controller + ": " + std::strerror(error));
    }
    std::string names;
    for (const std::string& controller : m_controllers)
        names += (names.empty() ? "" : ", ") + controller;
    throw std::runtime_error("no free USB device controller among " + names +
                             " (each remote needs one: modprobe dummy_hcd num=N gives N)");
}

// The node exists while the gadget is bound.
void UsbGadget::openNode()
{
    const std::string node = configfs_gadget::functionNode(m_folder, "/sys", "/dev");
    m_fd = node.empty() ? -1 : ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        const std::string why = node.empty() ? "no device node for its HID function" : node + ": " + std::strerror(errno);
        unplug();
        throw std::runtime_error("plugged into " + m_controller + ", but " + why);
    }
}

void UsbGadget::unplug()
{
    if (!m_plugged)
        return;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    configfs_gadget::unbind(m_folder);
    m_plugged = false;
}

RemoteDevice::SendResult UsbGadget::sendInput(const unsigned char* report, std::size_t length)
{
    if (!m_plugged)
        return REFUSED;
    ssize_t written;
    do {
        written = ::write(m_fd, report, length);
    } while (written < 0 && errno == EINTR);
    if (written < 0)
        return errno == EAGAIN ? BUSY : REFUSED;   // ESHUTDOWN: the host has not configured the device
    // A longer report goes out cut to the function's report length.
    return SENT;
}

bool UsbGadget::takeOutput(std::vector<unsigned char>* report)
{
    report->resize(static_cast<std::size_t>(m_reportLength));
    const ssize_t got = ::read(m_fd, report->data(), report->size());
    if (got <= 0)
        return false;
    report->resize(static_cast<std::size_t>(got));
    return true;
}

bool UsbGadget::drained() const
{
    pollfd p = {m_fd, POLLOUT, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLOUT);
}
