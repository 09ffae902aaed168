#include "HostProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace native_host_tests {

using Clock = std::chrono::steady_clock;

HostProcess::HostProcess(const std::vector<std::string>& environment)
{
    int toHost[2], fromHost[2];
    if (pipe2(toHost, O_CLOEXEC) != 0 || pipe2(fromHost, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> variables;
    for (char** v = environ; *v; ++v)
        variables.push_back(*v);
    for (const std::string& added : environment) {
        const std::string key = added.substr(0, added.find('=') + 1);
        for (auto it = variables.begin(); it != variables.end();)
            it = it->compare(0, key.size(), key) == 0 ? variables.erase(it) : std::next(it);
        variables.push_back(added);
    }
    std::vector<char*> envp;
    for (std::string& v : variables)
        envp.push_back(&v[0]);
    envp.push_back(nullptr);
    char program[] = HOST_PROGRAM;
    char origin[] = "chrome-extension://gjadghbokajfomgojncbigmioeknmmcn/";
    char* argv[] = {program, origin, nullptr};

    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        dup2(toHost[0], STDIN_FILENO);
        dup2(fromHost[1], STDOUT_FILENO);
        execve(program, argv, envp.data());
        _exit(127);
    }
    close(toHost[0]);
    close(fromHost[1]);
    input_ = toHost[1];
    output_ = fromHost[0];
    std::signal(SIGPIPE, SIG_IGN);
}

HostProcess::~HostProcess()
{
    closeInput();
    if (waitExit(std::chrono::seconds(10)) == -1 && status_ == -2) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0)
        close(output_);
}

void HostProcess::sendRaw(const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(input_, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return; // the host is gone; the test sees that in its answers
        done += static_cast<size_t>(wrote);
    }
}

void HostProcess::sendFrame(const std::string& payload)
{
    const uint32_t length = static_cast<uint32_t>(payload.size());
    std::string frame(reinterpret_cast<const char*>(&length), sizeof length);
    sendRaw(frame + payload);
}

nlohmann::json HostProcess::call(const std::string& method, const std::string& argsJson)
{
    const long id = nextId_++;
    sendFrame("{\"id\":" + std::to_string(id) + ",\"method\":\"" + method + "\",\"args\":" + argsJson + "}");
    for (;;) {
        const std::optional<nlohmann::json> message = nextMessage(std::chrono::seconds(30));
        if (!message)
            return nlohmann::json();
        if (message->contains("event")) {
            events_.push_back(*message);
            continue;
        }
        return *message;
    }
}

std::optional<std::string> HostProcess::readFrame(Duration timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (buffer_.size() >= 4) {
            uint32_t length;
            std::memcpy(&length, buffer_.data(), 4);
            if (buffer_.size() >= 4 + static_cast<size_t>(length)) {
                std::string payload = buffer_.substr(4, length);
                buffer_.erase(0, 4 + static_cast<size_t>(length));
                return payload;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return std::nullopt;
        pollfd fd = {output_, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left)) <= 0)
            continue;
        char chunk[65536];
        const ssize_t got = read(output_, chunk, sizeof chunk);
        if (got <= 0)
            return std::nullopt; // the host closed its output
        buffer_.append(chunk, static_cast<size_t>(got));
    }
}

std::optional<nlohmann::json> HostProcess::nextMessage(Duration timeout)
{
    const std::optional<std::string> payload = readFrame(timeout);
    if (!payload)
        return std::nullopt;
    return nlohmann::json::parse(*payload);
}

std::optional<nlohmann::json> HostProcess::nextEvent(Duration timeout)
{
    if (!events_.empty()) {
        nlohmann::json event = events_.front();
        events_.pop_front();
        return event;
    }
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto left = deadline - Clock::now();
        if (left <= Duration::zero())
            return std::nullopt;
        std::optional<nlohmann::json> message = nextMessage(left);
        if (!message)
            return std::nullopt;
        if (message->contains("event"))
            return message;
        throw std::runtime_error("an answer nobody asked for: " + message->dump());
    }
}

void HostProcess::closeInput()
{
    if (input_ >= 0)
        close(input_);
    input_ = -1;
}

int HostProcess::waitExit(Duration timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (status_ == -2) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (Clock::now() > deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status_;
}

namespace {

long switchesOfTask(const std::string& task)
{
    std::ifstream status(task + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
            return std::atol(line.c_str() + std::strlen("voluntary_ctxt_switches:"));
    return 0;
}

} // namespace

long HostProcess::contextSwitches() const
{
    long total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid_) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return -1;
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.')
            total += switchesOfTask(tasks + "/" + entry->d_name);
    closedir(dir);
    return total;
}

long HostProcess::mainThreadContextSwitches() const
{
    return switchesOfTask("/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_));
}

HostProcess::Duration HostProcess::cpuTime() const
{
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name (which may hold blanks) ends with ')': utime and stime are the
    // 12th and 13th of them.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 1; i <= 13 && fields >> field; ++i)
        if (i >= 12)
            ticks += std::atol(field.c_str());
    return std::chrono::duration_cast<Duration>(std::chrono::duration<double>(double(ticks) / sysconf(_SC_CLK_TCK)));
}

namespace {

struct TemporaryFolder {
    std::string path;
    TemporaryFolder()
    {
        char name[] = "/tmp/native-host-test.XXXXXX";
        if (!mkdtemp(name))
            throw std::runtime_error("mkdtemp failed");
        path = name;
    }
    ~TemporaryFolder()
    {
        const std::string command = "rm -rf '" + path + "'";
        if (std::system(command.c_str()) != 0) {
            // Left behind in /tmp; nothing else to do at exit.
        }
    }
};

} // namespace

std::string temporaryPath(const std::string& name)
{
    static TemporaryFolder folder;
    return folder.path + "/" + name;
}

void writeFile(const std::string& path, const std::string& text)
{
    // Written beside and renamed over, so that a watcher never reads it half-written.
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << text;
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot write " + path);
}

} // namespace native_host_tests
