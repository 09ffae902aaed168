// The I/O pipe of a simulated remote. Output reports go to the remote's responder; its answer
// is queued with the time each report is due, and reads wait for the next due report on the
// remote's condition, so nothing polls and a silent remote costs no wake-ups.
#ifndef QUORVEX_HIDLET_SIM_CSIMIOPIPE_H
#define QUORVEX_HIDLET_SIM_CSIMIOPIPE_H

#include <deque>

#include <boost/shared_ptr.hpp>

#include "SimDevice.h"
#include "hidlet/AIoPipe.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

class CSimIoPipe : public AIoPipe
{
public:
    explicit CSimIoPipe(const boost::shared_ptr<SimDevice>& device);
    ~CSimIoPipe() override;

    bool initialize() override;
    long getInputReportSize() const override;
    long getOutputReportSize() const override;
    bool readMultiplePackets(const std::vector<unsigned char*>& packets, long* count, long timeout) override;
    bool writeMultiplePackets(const std::vector<unsigned char*>& packets) override;
    void close() override;
    bool isOpen() override;
    long discardInput() override;

private:
    struct Pending
    {
        SimDevice::Clock::time_point due;
        std::vector<unsigned char> bytes;
    };

    // A device keeps at most this many unread reports; later ones are lost.
    static const std::size_t kQueueDepth = 300;

    bool readOneLocked(std::unique_lock<std::mutex>& held, unsigned char* packet, long timeout);
    // Records the reason as the pipe's last error and answers false.
    bool fail(const std::string& reason);

    boost::shared_ptr<SimDevice> m_device;
    std::mutex m_readers;   // one read at a time
    std::mutex m_writers;   // one write at a time
    // Under the device's lock:
    bool m_IsOpen = false;
    std::deque<Pending> m_queue;
};

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim

#endif
