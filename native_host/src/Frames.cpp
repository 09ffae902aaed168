#include "Frames.h"

#include <cstring>

namespace native_host {

void FrameReader::append(const char* data, size_t size)
{
    // Drop what was consumed before growing, so that the buffer holds at most one frame and a read.
    if (start_ > 0 && start_ >= buffer_.size() / 2) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    buffer_.append(data, size);
}

FrameReader::Status FrameReader::next(std::string& payload)
{
    const size_t available = buffer_.size() - start_;
    if (available < sizeof(uint32_t))
        return NEED_MORE;
    uint32_t length;
    std::memcpy(&length, buffer_.data() + start_, sizeof length);
    if (length > MAX_INCOMING_FRAME)
        return TOO_LARGE;
    if (available - sizeof length < length)
        return NEED_MORE;
    payload.assign(buffer_, start_ + sizeof length, length);
    start_ += sizeof length + length;
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    return FRAME;
}

std::string encodeFrame(const std::string& payload)
{
    const uint32_t length = static_cast<uint32_t>(payload.size());
    std::string frame(sizeof length, '\0');
    std::memcpy(&frame[0], &length, sizeof length);
    frame += payload;
    return frame;
}

} // namespace native_host
