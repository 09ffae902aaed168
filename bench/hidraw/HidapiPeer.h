// hidapi (hidraw flavour) on one hidraw node: the library a native developer would use instead of
// ours, run on the same remote in the same run as the baseline of the benchmark.
#ifndef BENCH_HIDRAW_HIDAPIPEER_H
#define BENCH_HIDRAW_HIDAPIPEER_H

#include <string>

struct hid_device_;

class HidapiPeer
{
public:
    // Opens the node (/dev/hidrawN) with hid_open_path; ok() tells whether it worked.
    explicit HidapiPeer(const std::string& node);
    ~HidapiPeer();
    HidapiPeer(const HidapiPeer&) = delete;
    HidapiPeer& operator=(const HidapiPeer&) = delete;

    bool ok() const { return m_device != nullptr; }
    // One unnumbered 64-byte output report (hid_write with report number 0 first).
    bool write(const unsigned char* report);
    // One 64-byte input report within the time-out (hid_read_timeout).
    bool read(unsigned char* report, int timeoutMs);
    bool roundTrip(const unsigned char* report, unsigned char* answer) { return write(report) && read(answer, 2000); }

    // hid_init / hid_exit, once per process.
    static bool start();
    static void stop();

private:
    hid_device_* m_device;
};

#endif
