// The USB library's exception for misuse of a token ("CloseChannelException", "DataNotFound",
// "USB Channel cannot be written byte by byte"). It is thrown across the library boundary, so
// its type information is exported by libHidlet, which defines it.
#ifndef QUORVEX_COMMON_EXCEPTION_LOGICEXCEPTION_H
#define QUORVEX_COMMON_EXCEPTION_LOGICEXCEPTION_H

#include <stdexcept>

namespace quorvex { namespace lumora { namespace client { namespace common { namespace exception {

class __attribute__((visibility("default"))) LogicException : public std::logic_error
{
public:
    explicit LogicException(const char* message);
    ~LogicException() override;
};

}}}}} // namespace quorvex::lumora::client::common::exception

#endif
