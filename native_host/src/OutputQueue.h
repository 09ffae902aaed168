// What the host has to send to the browser and the browser has not taken yet. It is written
// without blocking, so a browser that stops reading never stops the host from serving signals
// and releasing the remotes; past a limit the host gives up on such a browser.
#ifndef NATIVE_HOST_OUTPUTQUEUE_H
#define NATIVE_HOST_OUTPUTQUEUE_H

#include <cstddef>
#include <string>

namespace native_host {

class OutputQueue {
public:
    // fd is made non-blocking.
    explicit OutputQueue(int fd);

    // Queues the bytes and writes what the stream takes now.
    void push(const std::string& bytes);
    // Writes what the stream takes now; false once a write failed (the browser closed the port).
    bool flush();

    bool broken() const { return broken_; }
    bool empty() const { return queued() == 0; }
    size_t queued() const { return buffer_.size() - start_; }
    int fd() const { return fd_; }

private:
    int fd_;
    std::string buffer_;
    size_t start_ = 0;
    bool broken_ = false;
};

} // namespace native_host

#endif
