// Native messaging frames: a 32-bit length in this machine's byte order, then that many bytes of
// UTF-8 JSON.
#ifndef NATIVE_HOST_FRAMES_H
#define NATIVE_HOST_FRAMES_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace native_host {

// The largest frame taken from the browser, and the largest one sent to it (a browser closes the
// port on a bigger message from its host).
constexpr size_t MAX_INCOMING_FRAME = 1024 * 1024;
constexpr size_t MAX_OUTGOING_FRAME = 1024 * 1024 - 1;

// Cuts the bytes read from the browser into frames.
class FrameReader {
public:
    enum Status { NEED_MORE, FRAME, TOO_LARGE };

    void append(const char* data, size_t size);

    // FRAME: payload holds the next frame's bytes, which are consumed. TOO_LARGE: the next frame
    // announces more than MAX_INCOMING_FRAME bytes; nothing after it can be trusted, so the reader
    // stays in that state.
    Status next(std::string& payload);

    // Bytes of a frame that has not arrived whole yet are held (a stream ending now is truncated).
    bool midFrame() const { return buffer_.size() > start_; }

private:
    std::string buffer_;
    size_t start_ = 0;
};

// The frame that carries payload.
std::string encodeFrame(const std::string& payload);

} // namespace native_host

#endif
