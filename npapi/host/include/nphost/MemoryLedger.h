// Browser memory (NPN_MemAlloc/NPN_MemFree), accounted block by block so that tests can prove every
// string a plug-in hands over is freed exactly once.
#ifndef NPHOST_MEMORYLEDGER_H
#define NPHOST_MEMORYLEDGER_H

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace nphost {

// One ledger per process, like the browser's allocator: plug-ins may free a block from any instance.
class MemoryLedger {
public:
    static MemoryLedger& instance();

    void* allocate(uint32_t size);
    // A pointer the ledger did not hand out (or already took back) is counted and left alone.
    void free(void* block);

    size_t liveBlocks() const;
    size_t invalidFrees() const;
    uint64_t blocksHandedOut() const;

    // The next `count` allocations fail, as a browser out of memory would.
    void failNextAllocations(unsigned count);

private:
    MemoryLedger() = default;

    mutable std::mutex mutex_;
    std::unordered_set<void*> live_;
    size_t invalidFrees_ = 0;
    uint64_t handedOut_ = 0;
    unsigned failuresPending_ = 0;
};

} // namespace nphost

#endif
