#include "GadgetReaper.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "ConfigfsGadget.h"

namespace {

const char kPrefix[] = "usb-remote.";

// The child: collects folder names line by line until the pipe ends, then removes them.
[[noreturn]] void reap(int pipe)
{
    // A stop signal for the process group is the parent's to handle; the child must outlive it.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
        std::signal(signal, SIG_IGN);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    std::string text;
    char buffer[512];
    for (;;) {
        const ssize_t got = ::read(pipe, buffer, sizeof buffer);
        if (got > 0)
            text.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    std::vector<std::string> folders;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        folders.push_back(text.substr(at, end - at));
    for (const std::string& folder : folders)
        configfs_gadget::remove(folder);
    ::_exit(0);
}

} // namespace

GadgetReaper::GadgetReaper()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(ends[0]);
        ::close(ends[1]);
        throw std::runtime_error(std::string("fork: ") + std::strerror(error));
    }
    if (child == 0) {
        ::close(ends[1]);
        reap(ends[0]);
    }
    ::close(ends[0]);
    m_pipe = ends[1];
}

GadgetReaper::~GadgetReaper()
{
    ::close(m_pipe);
}

void GadgetReaper::watch(const std::string& folder)
{
    const std::string line = folder + "\n";
    // Shorter than PIPE_BUF: one write, whole or not at all.
    while (::write(m_pipe, line.data(), line.size()) < 0 && errno == EINTR) {
    }
}

std::string GadgetReaper::gadgetName(int n)
{
    return kPrefix + std::to_string(::getpid()) + "." + std::to_string(n);
}

void GadgetReaper::removeLeftovers(const std::string& gadgetRoot)
{
    DIR* dir = ::opendir(gadgetRoot.c_str());
    if (!dir)
        return;
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, sizeof kPrefix - 1, kPrefix) != 0)
            continue;
        const long pid = std::strtol(name.c_str() + sizeof kPrefix - 1, nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            leftovers.push_back(gadgetRoot + "/" + name);
    }
    ::closedir(dir);
    for (const std::string& folder : leftovers)
        configfs_gadget::remove(folder);
}
