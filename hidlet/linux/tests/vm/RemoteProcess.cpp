#include "RemoteProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include <dirent.h>
#include <limits.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// How long a remote may take to appear: a USB one is enumerated first, and the emulated CPU of
// the test VM makes that slow on a busy machine.
const int kPlugTimeoutMs = 20000;

bool isFolder(const std::string& path)
{
    struct stat s;
    return ::stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

} // namespace

std::string programDirectory()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return ".";
    const std::string self(path, static_cast<std::size_t>(length));
    return self.substr(0, self.find_last_of('/'));
}


std::vector<RemoteVariant> remoteVariants(RemoteKind kind)
{
    return {RemoteVariant{kind, false}, RemoteVariant{kind, true}};
}

std::vector<RemoteVariant> remoteVariants()
{
    std::vector<RemoteVariant> all = remoteVariants(RemoteKind::Uhid);
    for (const RemoteVariant& variant : remoteVariants(RemoteKind::Usb))
        all.push_back(variant);
    return all;
}

std::string kindName(RemoteKind kind)
{
    return kind == RemoteKind::Usb ? "Usb" : "Uhid";
}

std::string variantName(const RemoteVariant& variant)
{
    return kindName(variant.kind) + (variant.numbered ? "Numbered" : "Unnumbered");
}

RemoteProcess::RemoteProcess(RemoteKind kind, const std::string& description, bool numbered,
                             const std::vector<std::string>& ids, bool quiet)
    : m_ids(ids)
{
    const std::string program = programDirectory() + (kind == RemoteKind::Usb ? "/usb-remote" : "/uhid-remote");
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
        m_ready = m_ready && waitFor(id, true, kPlugTimeoutMs);
}

void RemoteProcess::end(int signal)
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, signal);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

void RemoteProcess::stop()
{
    end(SIGTERM);
    for (const std::string& id : m_ids)
        waitFor(id, false, kPlugTimeoutMs);
}

void RemoteProcess::kill()
{
    end(SIGKILL);
}

const char* RemoteProcess::name(RemoteKind kind)
{
    return kind == RemoteKind::Usb ? "USB" : "uhid";
}

bool RemoteProcess::available(RemoteKind kind)
{
    if (kind == RemoteKind::Uhid)
        return ::access("/dev/uhid", W_OK) == 0;
    DIR* controllers = ::opendir("/sys/class/udc");
    bool any = false;
    if (controllers) {
        while (const dirent* entry = ::readdir(controllers))
            any = any || entry->d_name[0] != '.';
        ::closedir(controllers);
    }
    return any && isFolder("/sys/kernel/config/usb_gadget");
}

std::string RemoteProcess::hidrawOf(const std::string& id)
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

bool RemoteProcess::waitFor(const std::string& id, bool present, int timeoutMs)
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
