#include "OutputQueue.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace native_host {

OutputQueue::OutputQueue(int fd) : fd_(fd)
{
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

void OutputQueue::push(const std::string& bytes)
{
    if (broken_)
        return;
    buffer_ += bytes;
    flush();
}

bool OutputQueue::flush()
{
    while (!broken_ && start_ < buffer_.size()) {
        const ssize_t wrote = write(fd_, buffer_.data() + start_, buffer_.size() - start_);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (wrote <= 0)
            broken_ = true;
        else
            start_ += static_cast<size_t>(wrote);
    }
    // Written bytes are dropped once they are half the buffer, so that it holds little more than
    // what waits.
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    } else if (start_ >= buffer_.size() / 2) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    return !broken_;
}

} // namespace native_host
