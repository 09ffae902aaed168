#include "PageRunner.h"

#include <cmath>
#include <cstdlib>
#include <ostream>
#include <unistd.h>

#include "nphost/Browser.h"
#include "nphost/HostError.h"
#include "nphost/LeakCheck.h"
#include "nphost/Page.h"
#include "nphost/PluginModule.h"

namespace page_runner {

const char* usage()
{
    return "usage: page-runner [--plugin PATH] [--user-agent TEXT] [--timeout SECONDS] PAGE.js [ARG...]\n"
           "  Runs PAGE.js with embed(), console.log, setTimeout and page.args/page.env/page.exit.\n"
           "  --plugin      the plug-in to load (default: $PAGE_RUNNER_PLUGIN, else ../lib/device-plugin.so\n"
           "                beside this program, else ../lib/mozilla/plugins/device-plugin.so)\n"
           "  --user-agent  the browser's user agent\n"
           "  --timeout     stop after this many seconds of pending timers (default 60)\n"
           "Exit: 0 or the page's page.exit() code; 1 page error; 2 usage or load failure; 3 time limit;\n"
           "      4 browser memory or object references left behind.\n";
}

bool parseOptions(const std::vector<std::string>& arguments, Options& options, std::string& error)
{
    if (const char* plugin = std::getenv("PAGE_RUNNER_PLUGIN"))
        options.pluginPath = plugin;
    size_t i = 0;
    for (; i < arguments.size() && arguments[i].rfind("--", 0) == 0; ++i) {
        const std::string& option = arguments[i];
        if (option == "--") {
            ++i;
            break;
        }
        if (i + 1 >= arguments.size()) {
            error = option + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        if (option == "--plugin") {
            options.pluginPath = value;
        } else if (option == "--user-agent") {
            options.userAgent = value;
        } else if (option == "--timeout") {
            char* end = nullptr;
            const double seconds = std::strtod(value.c_str(), &end);
            if (end == value.c_str() || *end != '\0' || !(seconds >= 0) || !std::isfinite(seconds)) {
                error = "--timeout needs a number of seconds";
                return false;
            }
            options.timeLimit = std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
        } else {
            error = "unknown option " + option;
            return false;
        }
    }
    if (i >= arguments.size()) {
        error = "no page given";
        return false;
    }
    options.pagePath = arguments[i];
    options.pageArguments.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
    return true;
}

std::string defaultPluginPath()
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return "device-plugin.so";
    std::string program(self, static_cast<size_t>(length));
    const std::string folder = program.substr(0, program.rfind('/'));
    // A build keeps the plug-in in lib/ beside bin/; an install puts it in the browsers' plug-in
    // folder under the same prefix.
    const std::string built = folder + "/../lib/device-plugin.so";
    const std::string installed = folder + "/../lib/mozilla/plugins/device-plugin.so";
    return access(built.c_str(), F_OK) != 0 && access(installed.c_str(), F_OK) == 0 ? installed : built;
}

int runPage(const Options& options, std::ostream& out, std::ostream& err)
{
    const nphost::LeakCheck leaks;
    uint64_t instanceObjects = 0;

    nphost::Browser browser;
    if (!options.userAgent.empty())
        browser.setUserAgent(options.userAgent);
    int code = EXIT_OK;
    try {
        nphost::PluginModule module(browser, options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath);
        nphost::Page page(module, out, err);
        nphost::ScriptContext& script = page.script();
        script.setPageArguments(options.pageArguments);
        const bool ran = script.runFile(options.pagePath);
        const auto end = ran ? script.runEventLoop(options.timeLimit) : nphost::ScriptContext::LoopEnd::Idle;
        if (script.exitRequested())
            code = script.exitCode();
        else if (script.uncaughtErrors() > 0)
            code = EXIT_PAGE_ERROR;
        else if (end == nphost::ScriptContext::LoopEnd::TimedOut) {
            err << "page-runner: time limit reached with timers still pending\n";
            code = EXIT_TIMED_OUT;
        }
        instanceObjects = page.instanceObjects();
    } catch (const nphost::HostError& error) {
        err << "page-runner: " << error.what() << '\n';
        return EXIT_USAGE;
    }

    const std::string problems = leaks.problems(instanceObjects);
    if (!problems.empty()) {
        err << "page-runner: the page left something behind:" << problems << '\n';
        if (code == EXIT_OK)
            code = EXIT_LEAKED;
    }
    return code;
}

} // namespace page_runner
