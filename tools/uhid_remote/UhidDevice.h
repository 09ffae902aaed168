// One virtual HID device through /dev/uhid: the kernel makes a /dev/hidrawN for it as for a USB
// device. Closing the device (or the process ending) removes it.
#ifndef UHID_REMOTE_UHIDDEVICE_H
#define UHID_REMOTE_UHIDDEVICE_H

#include <cstddef>
#include <string>
#include <vector>

struct UhidIdentity
{
    std::string name;
    std::string phys;
    std::string uniq;
    unsigned int vendor = 0;
    unsigned int product = 0;
    unsigned int version = 0;
};

// A report descriptor of the remote family (usage page 0xFF00, usage 1, application collection)
// with one input and one output report of the given sizes as hidraw moves them: with numbered
// reports the sizes include the report-id byte (report id 1).
std::vector<unsigned char> remoteReportDescriptor(long inputBytes, long outputBytes, bool numbered);

class UhidDevice
{
public:
    UhidDevice() = default;
    ~UhidDevice() { destroy(); }
    UhidDevice(const UhidDevice&) = delete;
    UhidDevice& operator=(const UhidDevice&) = delete;

    // Opens the uhid node and creates the device; throws std::runtime_error on failure.
    void create(const std::string& uhidNode, const UhidIdentity& identity, const std::vector<unsigned char>& descriptor);
    // Removes the device (UHID_DESTROY) and closes the node.
    void destroy();
    bool exists() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    // Sends one input report as the device; false when the kernel refused it.
    bool sendInput(const unsigned char* bytes, std::size_t length);

    // Takes the next event from the kernel. An output report fills *output and returns true;
    // other events (start, open, reports asked for) are answered or ignored and return false.
    bool takeOutput(std::vector<unsigned char>* output);

private:
    int m_fd = -1;
};

#endif
