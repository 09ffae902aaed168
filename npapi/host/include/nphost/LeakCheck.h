// Proves that a piece of browsing left nothing behind: every browser memory block handed out was
// freed exactly once, no object was retained or released without being alive, and the only
// references left when instances went were the ones each instance's own object keeps.
#ifndef NPHOST_LEAKCHECK_H
#define NPHOST_LEAKCHECK_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace nphost {

class LeakCheck {
public:
    LeakCheck();
    // Empty when all is well, else what is wrong. `instanceObjects` is the number of instance objects
    // reclaimed with their instances since construction (each holds its creation reference).
    std::string problems(uint64_t instanceObjects) const;

private:
    size_t blocks_;
    size_t invalidFrees_;
    size_t objects_;
    size_t invalidUses_;
    uint64_t dropped_;
};

} // namespace nphost

#endif
