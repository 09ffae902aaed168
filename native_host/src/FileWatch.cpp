#include "FileWatch.h"

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace native_host {

std::unique_ptr<FileWatch> FileWatch::open(const std::string& path)
{
    std::unique_ptr<FileWatch> watch(new FileWatch);
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    watch->name_ = slash == std::string::npos ? path : path.substr(slash + 1);
    watch->fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch->fd_ < 0)
        return nullptr;
    // A file is read once it is closed after writing, never half-written; a rename or a removal
    // changes it at once.
    const uint32_t events = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;
    if (inotify_add_watch(watch->fd_, folder.c_str(), events) < 0)
        return nullptr;
    return watch;
}

FileWatch::~FileWatch()
{
    if (fd_ >= 0)
        close(fd_);
}

bool FileWatch::drain()
{
    bool changed = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return changed;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len && name_ == event->name)
                changed = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

} // namespace native_host
