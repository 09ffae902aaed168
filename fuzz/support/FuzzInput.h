// Reading a fuzz input as a sequence of choices, and failing loudly on a broken invariant so that
// both libFuzzer and the corpus replayer see it as a crash.
#ifndef FUZZ_SUPPORT_FUZZINPUT_H
#define FUZZ_SUPPORT_FUZZINPUT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define FUZZ_CHECK(condition, ...)                                                              \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s: ", __FILE__, __LINE__, #condition); \
            std::fprintf(stderr, __VA_ARGS__);                                                  \
            std::fprintf(stderr, "\n");                                                         \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)

namespace fuzz {

// Takes values from the front of the input; once it is used up every value is zero or empty.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

    bool empty() const { return at_ >= size_; }
    size_t remaining() const { return size_ - at_; }

    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    bool flag() { return byte() & 1; }

    uint32_t u32()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | byte();
        return value;
    }
    int32_t i32() { return static_cast<int32_t>(u32()); }

    double number()
    {
        uint64_t bits = static_cast<uint64_t>(u32()) << 32 | u32();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // An integer in [0, bound) (0 when bound is 0).
    uint32_t below(uint32_t bound) { return bound ? byte() % bound : 0; }

    // Up to `limit` bytes: a length byte, then that many bytes.
    std::string text(size_t limit = 255)
    {
        size_t length = byte();
        if (length > limit)
            length = limit;
        if (length > remaining())
            length = remaining();
        std::string value(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return value;
    }

    // Everything that is left.
    std::string rest()
    {
        std::string value(reinterpret_cast<const char*>(data_ + at_), remaining());
        at_ = size_;
        return value;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

} // namespace fuzz

#endif
