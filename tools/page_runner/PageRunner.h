// Loads the plug-in into the host browser and runs one page script against it.
#ifndef PAGE_RUNNER_PAGERUNNER_H
#define PAGE_RUNNER_PAGERUNNER_H

#include <chrono>
#include <iosfwd>
#include <string>
#include <vector>

namespace page_runner {

struct Options {
    std::string pluginPath;  // empty: device-plugin.so in ../lib beside the program
    std::string userAgent;   // empty: the host's own
    std::chrono::milliseconds timeLimit{std::chrono::seconds(60)};
    std::string pagePath;
    std::vector<std::string> pageArguments;
};

// Exit codes of a run.
enum ExitCode {
    EXIT_OK = 0,           // or the code the page gave page.exit()
    EXIT_PAGE_ERROR = 1,   // an error reached the top of the page script or a timer
    EXIT_USAGE = 2,        // bad command line, or the plug-in cannot be loaded
    EXIT_TIMED_OUT = 3,    // timers still pending when the time limit passed
    EXIT_LEAKED = 4,       // browser memory or object references left behind
};

const char* usage();
// False with a message for a command line that does not parse.
bool parseOptions(const std::vector<std::string>& arguments, Options& options, std::string& error);
std::string defaultPluginPath();
int runPage(const Options& options, std::ostream& out, std::ostream& err);

} // namespace page_runner

#endif
