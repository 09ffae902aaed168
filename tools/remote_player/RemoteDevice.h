// The device a scripted remote is played on: a virtual HID device through /dev/uhid, or a USB HID
// gadget on a USB device controller. The player sees reports as the page does: with numbered
// reports the report id (1) is the first byte, without them there is no prefix.
#ifndef REMOTE_PLAYER_REMOTEDEVICE_H
#define REMOTE_PLAYER_REMOTEDEVICE_H

#include <cstddef>
#include <string>
#include <vector>

struct RemoteIdentity
{
    std::string id;          // the remote's HID_UNIQ: uhid's uniq, or the USB serial number
    std::string name;        // the product name
    unsigned int vendor = 0;
    unsigned int product = 0;
    unsigned int version = 0;
};

class RemoteDevice
{
public:
    enum SendResult
    {
        SENT,
        BUSY,      // the host has not taken the report before: try again once fd() is writable
        REFUSED,   // the report is lost (the device is away, or the kernel refused it)
    };

    virtual ~RemoteDevice() = default;

    // Plugs the device in; throws std::runtime_error on failure.
    virtual void plug(const RemoteIdentity& identity, const std::vector<unsigned char>& descriptor) = 0;
    // Unplugs it (a removal as the host sees it); it can be plugged again.
    virtual void unplug() = 0;
    virtual bool plugged() const = 0;
    // Where it was plugged in, for the log ("" when there is nothing to say).
    virtual std::string place() const { return std::string(); }
    // The descriptor to wait on while plugged: readable for output reports, writable once the
    // host took the last input report.
    virtual int fd() const = 0;

    virtual SendResult sendInput(const unsigned char* report, std::size_t length) = 0;
    // Takes what the kernel has for the device. An output report fills *report and returns true;
    // anything else is handled here and returns false.
    virtual bool takeOutput(std::vector<unsigned char>* report) = 0;
    // Whether the host has taken every input report sent so far. A USB device holds its last
    // report until the host polls for it; uhid hands each report over at once.
    virtual bool drained() const { return true; }
};

// A report descriptor of the remote family (usage page 0xFF00, usage 1, application collection)
// with one input and one output report of the given sizes as hidraw moves them: with numbered
// reports the sizes include the report-id byte (report id 1).
std::vector<unsigned char> remoteReportDescriptor(long inputBytes, long outputBytes, bool numbered);

#endif
