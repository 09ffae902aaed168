// The I/O pipe of one hidraw interface: /dev/hidrawN opened read-write.
//
// Reads wait in poll() on the device and on a wake-up descriptor, so a report is taken the moment
// it arrives, a silent device costs no wake-ups, and close() from another thread ends a waiting
// read at once. The open descriptors live in a connection object that every transfer holds while
// it runs: close() drops the pipe's reference and signals the wake-up, and the descriptors are
// closed only when the last transfer using them has returned.
#ifndef QUORVEX_HIDLET_LINUX_CLINUXHIDIOPIPE_H
#define QUORVEX_HIDLET_LINUX_CLINUXHIDIOPIPE_H

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "HidrawSysfs.h"
#include "hidlet/AIoPipe.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

class CLinuxHidIoPipe : public AIoPipe
{
public:
    explicit CLinuxHidIoPipe(const HidrawInterface& hidraw);
    ~CLinuxHidIoPipe() override;

    bool initialize() override;
    long getInputReportSize() const override { return m_InputReportSize; }
    long getOutputReportSize() const override { return m_OutputReportSize; }
    bool readMultiplePackets(const std::vector<unsigned char*>& packets, long* count, long timeout) override;
    bool writeMultiplePackets(const std::vector<unsigned char*>& packets) override;
    bool readPacket(unsigned char* packet, long timeout) override;
    bool writePacket(unsigned char* packet) override;
    void close() override;
    bool isOpen() override;
    long discardInput() override;

private:
    class Connection;

    std::shared_ptr<Connection> connection();
    // The device went away under an open connection: the pipe is no longer open.
    void markGone(const std::shared_ptr<Connection>& gone);
    bool readPackets(unsigned char* const* packets, std::size_t number, long* count, long timeout);
    bool writePackets(unsigned char* const* packets, std::size_t number);
    bool readOne(Connection& connection, unsigned char* packet, long timeout);
    // Records the reason as the pipe's last error and answers false, errno left as it was.
    bool fail(const std::string& reason);
    bool noReportWithin(long waitMs);
    bool writeOne(Connection& connection, const unsigned char* packet);

    const std::string m_Key;
    const std::string m_DevNode;
    const long m_InputReportSize;
    const long m_OutputReportSize;
    // Unnumbered output reports go out behind a 0x00 report-number byte.
    const bool m_OutputNumbered;

    std::mutex m_readers;   // one read at a time
    std::mutex m_writers;   // one write at a time
    std::vector<unsigned char> m_readScratch;    // under m_readers
    std::vector<unsigned char> m_writeScratch;   // under m_writers

    std::mutex m_state;     // guards m_connection; never held while a transfer waits
    std::shared_ptr<Connection> m_connection;
    std::atomic<bool> m_IsOpen{false};
};

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
