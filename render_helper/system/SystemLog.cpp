#include "SystemLog.h"

#include <syslog.h>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

LogSink SystemLogSink()
{
    return [](const std::string& line) {
        // "%s" keeps any '%' that a key or a document carries from being read as a format.
        syslog(LOG_NOTICE, "%s", line.c_str());
    };
}

}}}} // namespace quorvex::lumora::client::renderhelper
