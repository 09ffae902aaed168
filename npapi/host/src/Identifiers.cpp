#include "nphost/Identifiers.h"

namespace nphost {

IdentifierTable& IdentifierTable::instance()
{
    static IdentifierTable table;
    return table;
}

NPIdentifier IdentifierTable::stringIdentifier(const std::string& name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto& entry = strings_[name];
    if (!entry)
        entry.reset(new Entry{true, name, 0});
    return entry.get();
}

NPIdentifier IdentifierTable::intIdentifier(int32_t number)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto& entry = numbers_[number];
    if (!entry)
        entry.reset(new Entry{false, std::string(), number});
    return entry.get();
}

bool IdentifierTable::isString(NPIdentifier identifier)
{
    return identifier && static_cast<Entry*>(identifier)->isString;
}

std::string IdentifierTable::name(NPIdentifier identifier)
{
    return isString(identifier) ? static_cast<Entry*>(identifier)->name : std::string();
}

int32_t IdentifierTable::number(NPIdentifier identifier)
{
    return identifier && !isString(identifier) ? static_cast<Entry*>(identifier)->number : -1;
}

void IdentifierTable::recordBulkRequest(std::vector<std::string> names)
{
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(std::move(names));
}

std::vector<std::vector<std::string>> IdentifierTable::bulkRequests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

} // namespace nphost
