#include "exception/LogicException.h"

namespace quorvex { namespace lumora { namespace client { namespace common { namespace exception {

LogicException::LogicException(const char* message) : std::logic_error(message) {}

LogicException::~LogicException() {}

}}}}} // namespace quorvex::lumora::client::common::exception
