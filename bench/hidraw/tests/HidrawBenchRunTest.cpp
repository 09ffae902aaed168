// Runs hidraw-bench (beside this program) in its short form inside the test VM: every part still
// runs, on a uhid and on a USB remote, each step works and each part prints the goal its figure is
// held to. The figures are
// shown, not judged: an emulated CPU on a shared machine is no measure of them.
#include <cstdio>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "RemoteProcess.h"

namespace {

TEST(HidrawBenchRun, TheShortFormRunsEveryPartAndPrintsItsGoals)
{
    if (::access("/dev/uhid", W_OK) != 0)
        GTEST_SKIP() << "needs /dev/uhid (the test VM)";
    const std::string command = "'" + programDirectory() + "/hidraw-bench' --quick 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(nullptr, pipe);
    std::string out;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, got);
    const int status = ::pclose(pipe);
    std::printf("%s", out.c_str());

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a step of the benchmark failed";
    const char* const goals[] = {
        "goal < 50 us added per report",                    // token API round trip vs bare hidraw
        "goal within 5% of hidapi: ",                       // token API round trip vs hidapi
        "goal: within 10% of the remote's time",            // 64-report answer, token API
        "goal < 50 us: ",                                   // whole engine command vs bare hidraw
        "goal within 1.5x of hidapi: ",                     // one-report engine command vs hidapi
        "engine command against hidapi: x",                 // 64-report answer, engine vs hidapi
        "x the remote's time; goal within 10%: ",           // 64-report answer through the engine
        "goal < 10 ms: ",                                   // opening a channel
        "goal: no periodic wake-ups",                       // a read waiting on a silent remote
        "goal < 5 ms for 16 remotes",                       // listing
        "== USB remote: ",                                  // the same parts on a USB remote
        "uhid and USB remotes side by side",
    };
    for (const char* goal : goals)
        EXPECT_NE(std::string::npos, out.find(goal)) << goal;
}

} // namespace
