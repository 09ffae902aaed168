// The host's one thread: it sleeps in ppoll() on the browser's stream, the device watch, the stop
// signals and, while output waits, the browser's side of the output; it wakes early only while a
// running command is due for a poll.
#ifndef NATIVE_HOST_HOSTLOOP_H
#define NATIVE_HOST_HOSTLOOP_H

#include <cstddef>

#include "DeviceWatch.h"
#include "page_methods/PageMethods.h"

namespace native_host {

// Exit statuses.
constexpr int EXIT_PORT_CLOSED = 0;    // the browser closed the stream (or asked the host to stop)
constexpr int EXIT_STREAM_BROKEN = 1;  // reading or writing the stream failed
constexpr int EXIT_FRAME_TOO_LARGE = 2;
constexpr int EXIT_FRAME_TRUNCATED = 3;
constexpr int EXIT_OUTPUT_STALLED = 4;  // the browser stopped reading and too much output waited

// The most output the host keeps for a browser that does not read it: more than eight of the
// largest messages.
constexpr size_t MAX_QUEUED_OUTPUT = 8 * 1024 * 1024;

// Serves frames from input and answers on output until the stream ends; releases every remote
// before it returns the exit status. signalFd (or -1) is a signalfd of the stop signals.
int runHost(page_methods::Engine* engine, int input, int output, DeviceWatch* watch, int signalFd);

} // namespace native_host

#endif
