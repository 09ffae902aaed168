#include "HostLoop.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <iostream>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "Frames.h"
#include "HostSession.h"
#include "OutputQueue.h"

namespace native_host {
namespace {

using Clock = HostSession::Clock;

// The ppoll() time-out until wake, or null (sleep) when nothing is due.
const timespec* timeoutUntil(Clock::time_point wake, timespec& storage)
{
    if (wake == Clock::time_point::max())
        return nullptr;
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(wake - Clock::now()).count();
    storage.tv_sec = left > 0 ? left / 1000000000 : 0;
    storage.tv_nsec = left > 0 ? left % 1000000000 : 0;
    return &storage;
}

} // namespace

int runHost(page_methods::Engine* engine, int input, int outputFd, DeviceWatch* watch, int signalFd)
{
    OutputQueue output(outputFd);
    HostSession session(engine, [&](const std::string& message) { output.push(encodeFrame(message)); });
    const auto finish = [&](int status) {
        session.releaseAll();
        return status;
    };
    // A browser that stopped reading gets no more: the host gives up once that much waits.
    const auto stalled = [&] {
        if (output.queued() <= MAX_QUEUED_OUTPUT)
            return false;
        std::cerr << "remote-bridge-host: the browser stopped reading" << std::endl;
        return true;
    };

    FrameReader reader;
    std::vector<char> chunk(256 * 1024);
    std::string payload;
    for (;;) {
        pollfd fds[4] = {{input, POLLIN, 0},
                         {watch ? watch->fd() : -1, POLLIN, 0},
                         {signalFd, POLLIN, 0},
                         {output.empty() ? -1 : output.fd(), POLLOUT, 0}};
        timespec storage;
        const int ready = ppoll(fds, 4, timeoutUntil(session.nextWake(), storage), nullptr);
        if (ready < 0 && errno != EINTR) {
            std::cerr << "remote-bridge-host: poll failed" << std::endl;
            return finish(EXIT_STREAM_BROKEN);
        }
        if (ready > 0 && fds[2].revents)
            return finish(EXIT_PORT_CLOSED);
        if (ready > 0 && fds[3].revents)
            output.flush();
        if (ready > 0 && fds[1].revents && watch->drain())
            session.devicesMayHaveChanged(Clock::now());
        if (ready > 0 && fds[0].revents) {
            const ssize_t got = read(input, chunk.data(), chunk.size());
            if (got < 0 && errno != EINTR && errno != EAGAIN) {
                std::cerr << "remote-bridge-host: reading the browser's stream failed" << std::endl;
                return finish(EXIT_STREAM_BROKEN);
            }
            if (got == 0) {
                if (reader.midFrame()) {
                    std::cerr << "remote-bridge-host: the stream ended inside a frame" << std::endl;
                    return finish(EXIT_FRAME_TRUNCATED);
                }
                return finish(EXIT_PORT_CLOSED);
            }
            if (got > 0)
                reader.append(chunk.data(), static_cast<size_t>(got));
            for (;;) {
                const FrameReader::Status status = reader.next(payload);
                if (status == FrameReader::NEED_MORE)
                    break;
                if (status == FrameReader::TOO_LARGE) {
                    std::cerr << "remote-bridge-host: a frame over " << MAX_INCOMING_FRAME << " bytes" << std::endl;
                    return finish(EXIT_FRAME_TOO_LARGE);
                }
                session.handleFrame(payload, Clock::now());
                if (stalled())
                    return finish(EXIT_OUTPUT_STALLED);
            }
        }
        session.onTimer(Clock::now());
        if (output.broken()) {
            std::cerr << "remote-bridge-host: writing to the browser failed" << std::endl;
            return finish(EXIT_STREAM_BROKEN);
        }
        if (stalled())
            return finish(EXIT_OUTPUT_STALLED);
    }
}

} // namespace native_host
