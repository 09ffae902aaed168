#ifndef NPHOST_HOSTERROR_H
#define NPHOST_HOSTERROR_H

#include <stdexcept>

namespace nphost {

// A plug-in that cannot be loaded or started; the message says which step failed.
class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace nphost

#endif
