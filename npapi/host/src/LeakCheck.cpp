#include "nphost/LeakCheck.h"

#include "nphost/MemoryLedger.h"
#include "nphost/ObjectRegistry.h"

namespace nphost {

LeakCheck::LeakCheck()
    : blocks_(MemoryLedger::instance().liveBlocks()),
      invalidFrees_(MemoryLedger::instance().invalidFrees()),
      objects_(ObjectRegistry::instance().liveObjects()),
      invalidUses_(ObjectRegistry::instance().invalidUses()),
      dropped_(ObjectRegistry::instance().referencesDropped())
{
}

std::string LeakCheck::problems(uint64_t instanceObjects) const
{
    std::string found;
    const auto& memory = MemoryLedger::instance();
    const auto& objects = ObjectRegistry::instance();
    if (memory.liveBlocks() != blocks_)
        found += " browser memory blocks still held: " + std::to_string(memory.liveBlocks() - blocks_) + ";";
    if (memory.invalidFrees() != invalidFrees_)
        found += " invalid frees: " + std::to_string(memory.invalidFrees() - invalidFrees_) + ";";
    if (objects.liveObjects() != objects_)
        found += " objects still alive: " + std::to_string(objects.liveObjects() - objects_) + ";";
    if (objects.invalidUses() != invalidUses_)
        found += " retains/releases of dead objects: " + std::to_string(objects.invalidUses() - invalidUses_) + ";";
    const uint64_t dropped = objects.referencesDropped() - dropped_;
    if (dropped != instanceObjects)
        found += " references left on reclaimed objects: " + std::to_string(dropped) + " (expected "
                 + std::to_string(instanceObjects) + ");";
    return found;
}

} // namespace nphost
