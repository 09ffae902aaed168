#include "hidlet/AHidlet.h"

#include <climits>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

std::vector<boost::shared_ptr<UsbType> > AHidlet::s_SupportedUSBType;

bool AHidlet::isSupportedType(long vendorId, long productId)
{
    for (const boost::shared_ptr<UsbType>& type : s_SupportedUSBType) {
        if (static_cast<long>(type->vendorId) == vendorId && static_cast<long>(type->productId) == productId)
            return true;
    }
    return false;
}

bool AIoPipe::readPacket(unsigned char* packet, long timeout)
{
    long count = 0;
    return readMultiplePackets(std::vector<unsigned char*>(1, packet), &count, timeout) && count == 1;
}

bool AIoPipe::writePacket(unsigned char* packet) { return writeMultiplePackets(std::vector<unsigned char*>(1, packet)); }

long AIoPipe::getReadPacketTimeout(long packets) { return 2000 + 100 * packets; }

std::string AIoPipe::getLastError() const
{
    std::lock_guard<std::mutex> hold(m_lastErrorLock);
    return m_lastError;
}

void AIoPipe::setLastError(const std::string& reason)
{
    std::lock_guard<std::mutex> hold(m_lastErrorLock);
    m_lastError = reason;
}

long AIoPipe::getWaitBeforeEachReport(long timeout)
{
    const long tens = timeout / 10 + 2;
    if (tens <= 0)
        return 0;
    return tens >= INT_MAX / 10 ? static_cast<long>(INT_MAX) : tens * 10;
}

}}}}} // namespace quorvex::lumora::client::corvane::hidlet
