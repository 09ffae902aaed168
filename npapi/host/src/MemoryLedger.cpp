#include "nphost/MemoryLedger.h"

#include <cstdlib>

namespace nphost {

MemoryLedger& MemoryLedger::instance()
{
    static MemoryLedger ledger;
    return ledger;
}

void* MemoryLedger::allocate(uint32_t size)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (failuresPending_ > 0) {
        --failuresPending_;
        return nullptr;
    }
    void* block = std::malloc(size ? size : 1);
    if (block) {
        live_.insert(block);
        ++handedOut_;
    }
    return block;
}

void MemoryLedger::free(void* block)
{
    if (!block)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (live_.erase(block) == 0) {
        ++invalidFrees_;
        return;
    }
    std::free(block);
}

size_t MemoryLedger::liveBlocks() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return live_.size();
}

size_t MemoryLedger::invalidFrees() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return invalidFrees_;
}

uint64_t MemoryLedger::blocksHandedOut() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return handedOut_;
}

void MemoryLedger::failNextAllocations(unsigned count)
{
    std::lock_guard<std::mutex> lock(mutex_);
    failuresPending_ = count;
}

} // namespace nphost
