#include "WorkerCpu.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace engine_test {

namespace {

const char* const kWorkerName = "kve-worker";

std::string firstLine(const std::string& path)
{
    std::ifstream in(path.c_str());
    std::string line;
    std::getline(in, line);
    return line;
}

// utime + stime of /proc/self/task/<tid>/stat, in clock ticks. The thread's name, in parentheses,
// may hold blanks: the fields are counted from the last ')'.
long threadTicks(const std::string& task)
{
    const std::string stat = firstLine("/proc/self/task/" + task + "/stat");
    const std::string::size_type close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    // After the name: state (3), then fields 4 to 13, then utime (14) and stime (15).
    for (int index = 3; index <= 13 && fields >> field; ++index) {
    }
    long user = 0, system = 0;
    if (!(fields >> user >> system))
        return -1;
    return user + system;
}

} // namespace

double workerCpuSeconds()
{
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return -1;
    long ticks = 0;
    bool found = false;
    while (const dirent* entry = readdir(tasks)) {
        const std::string task = entry->d_name;
        if (task[0] == '.' || firstLine("/proc/self/task/" + task + "/comm") != kWorkerName)
            continue;
        const long used = threadTicks(task);
        if (used >= 0) {
            ticks += used;
            found = true;
        }
    }
    closedir(tasks);
    return found ? static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK)) : -1;
}

} // namespace engine_test
