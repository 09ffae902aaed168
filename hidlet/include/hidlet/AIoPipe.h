// One HID interface of a device, through which fixed-size reports are read and written.
//
// Threads: any thread may call any operation. Reads are serialised with reads and writes with
// writes, but close() and initialize() never wait for a read or write in progress: close() makes a
// waiting read return false at once. A pipe that is not open (never opened, closed, or its device
// gone) fails every read and write.
#ifndef QUORVEX_HIDLET_AIOPIPE_H
#define QUORVEX_HIDLET_AIOPIPE_H

#include <mutex>
#include <string>
#include <vector>

#include "HidletExport.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

class AIoPipe
{
public:
    virtual ~AIoPipe() {}

    // Opens the pipe for transfers; true when it is open afterwards.
    virtual bool initialize() = 0;
    // Bytes of one input report, and of one output report.
    virtual long getInputReportSize() const = 0;
    virtual long getOutputReportSize() const = 0;
    // Fills the buffers in order, one input report each (getInputReportSize() bytes), and sets
    // *count to the number filled. The time-out (ms) bounds the wait before each report, not the
    // whole read: a report that does not come within getWaitBeforeEachReport(timeout) ms fails the
    // read. A report of another length than the input report size fails it too.
    virtual bool readMultiplePackets(const std::vector<unsigned char*>& packets, long* count, long timeout) = 0;
    // Sends each buffer in order as one output report of getOutputReportSize() bytes; the first
    // failure ends the write with false.
    virtual bool writeMultiplePackets(const std::vector<unsigned char*>& packets) = 0;
    // Ends transfers; initialize() may open the pipe again.
    virtual void close() = 0;
    // Whether transfers are possible: opened, not closed since, and its device still there. A
    // transfer that failed on a pipe that is no longer open failed because of that.
    virtual bool isOpen() = 0;
    // Drops the input reports that have arrived and were not read yet (the rest of an answer
    // nobody waits for any more); returns how many. Reports still on their way are not waited for.
    virtual long discardInput() = 0;

    // One report, as readMultiplePackets() and writeMultiplePackets() with a single buffer. A
    // pipe that moves one report per call overrides these to skip building the list of one.
    virtual bool readPacket(unsigned char* packet, long timeout);
    virtual bool writePacket(unsigned char* packet);

    // The read time-out (ms) that allows for the given number of reports: 2000 + 100 per report.
    HIDLET_API static long getReadPacketTimeout(long packets);
    // How long (ms) a read waits for each report under the given time-out, the same for every
    // backend: ((timeout / 10) + 2) * 10, never below 0. A time-out so large that this passes
    // INT_MAX ms (almost 25 days) waits INT_MAX ms: as good as for ever, and a deadline that no
    // clock's range overflows and that poll() can take.
    HIDLET_API static long getWaitBeforeEachReport(long timeout);

    // Why the last open, read or write of this pipe that failed did fail, in words (the device
    // node and the system's reason where there is one); empty until one fails, and again after an
    // open that succeeds. Callers of the token API still see only its codes: this is for people,
    // in a listing or a log.
    HIDLET_API std::string getLastError() const;

protected:
    // Backends record here the reason of each failure they report.
    HIDLET_API void setLastError(const std::string& reason);

private:
    mutable std::mutex m_lastErrorLock;
    std::string m_lastError;   // under m_lastErrorLock
};

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
