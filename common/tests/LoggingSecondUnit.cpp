// A second source file that includes the logging header, to show that each file gets its own
// element instances while all share one logger.
#include <logging>

namespace logging_test {

const void* secondUnitTraceElement() { return boost::logging::trace.get(); }
const void* secondUnitLogger() { return boost::logging::logger::get_instance().get(); }

} // namespace logging_test
