#include "UhidRemoteProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include <dirent.h>
#include <limits.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string programDirectory()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return ".";
    const std::string self(path, static_cast<std::size_t>(length));
    return self.substr(0, self.find_last_of('/'));
}

} // namespace

UhidRemoteProcess::UhidRemoteProcess(const std::string& description, bool numbered, const std::vector<std::string>& ids,
                                     bool quiet)
{
    const std::string program = programDirectory() + "/uhid-remote";
    std::vector<std::string> args = {program};
    if (numbered)
        args.push_back("-n");
    if (quiet)
        args.push_back("-q");
    args.push_back(description);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        m_pid = -1;
        return;
    }
    m_ready = true;
    for (const std::string& id : ids)
        m_ready = m_ready && waitFor(id, true, 10000);
}

void UhidRemoteProcess::stop()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

std::string UhidRemoteProcess::hidrawOf(const std::string& id)
{
    std::string found;
    DIR* dir = ::opendir("/sys/class/hidraw");
    if (!dir)
        return found;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream uevent((std::string("/sys/class/hidraw/") + entry->d_name + "/device/uevent").c_str());
        std::stringstream text;
        text << uevent.rdbuf();
        if (text.str().find("HID_UNIQ=" + id + "\n") != std::string::npos)
            found = entry->d_name;
    }
    ::closedir(dir);
    return found;
}

bool UhidRemoteProcess::waitFor(const std::string& id, bool present, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (hidrawOf(id).empty() != present)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
