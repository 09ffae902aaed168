// Interned identifiers (NPIdentifier): one per name or integer, valid for the life of the process,
// as plug-ins cache them across instances.
#ifndef NPHOST_IDENTIFIERS_H
#define NPHOST_IDENTIFIERS_H

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <npapi/npruntime.h>

namespace nphost {

class IdentifierTable {
public:
    static IdentifierTable& instance();

    NPIdentifier stringIdentifier(const std::string& name);
    NPIdentifier intIdentifier(int32_t number);

    static bool isString(NPIdentifier identifier);
    static std::string name(NPIdentifier identifier);
    static int32_t number(NPIdentifier identifier);

    // Every NPN_GetStringIdentifiers call (the names asked for), so tests can see how often and in
    // which order a plug-in fetches its identifiers.
    void recordBulkRequest(std::vector<std::string> names);
    std::vector<std::vector<std::string>> bulkRequests() const;

private:
    IdentifierTable() = default;

    struct Entry {
        bool isString;
        std::string name;
        int32_t number;
    };

    mutable std::mutex mutex_;
    std::map<std::string, std::unique_ptr<Entry>> strings_;
    std::map<int32_t, std::unique_ptr<Entry>> numbers_;
    std::vector<std::vector<std::string>> requests_;
};

} // namespace nphost

#endif
