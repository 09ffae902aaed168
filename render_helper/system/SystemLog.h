// Where the render helper's diagnostic lines go.
//
// Every class here that writes diagnostics takes a LogSink, so that tests can watch the exact
// lines; in the running helper the sink is the system log.
#ifndef QUORVEX_RENDERHELPER_SYSTEMLOG_H
#define QUORVEX_RENDERHELPER_SYSTEMLOG_H

#include <functional>
#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// Receives one complete diagnostic line, without a trailing newline.
using LogSink = std::function<void(const std::string& line)>;

// Writes each line to syslog under the helper's identity.
LogSink SystemLogSink();

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
