#include "UserAgentRule.h"

#include <cstdlib>
#include <cstring>

namespace device_plugin {

bool browserRetainsScriptableObject(const char* userAgent)
{
    static const char marker[] = " AppleWebKit/";
    const char* found = userAgent ? std::strstr(userAgent, marker) : nullptr;
    if (!found)
        return false;
    // Read as atoi reads (leading blanks, sign, digits; 0 when none), but saturating instead of
    // overflowing on an absurdly long number.
    const long version = std::strtol(found + sizeof marker - 1, nullptr, 10);
    return version > 0 && version < 420;
}

} // namespace device_plugin
