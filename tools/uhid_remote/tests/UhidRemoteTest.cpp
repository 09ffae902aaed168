// uhid-remote's answers that need no uhid node: the keys of a description it cannot play.
#include <cstdio>
#include <string>

#include <sys/wait.h>

#include <gtest/gtest.h>

namespace {

// Runs uhid-remote with the description against a uhid node that does not exist; stderr and the
// exit code.
std::string runWithoutUhid(const std::string& description, int* status)
{
    const std::string command =
        std::string("'") + UHID_REMOTE + "' --uhid /nonexistent/uhid '" + description + "' 2>&1 >/dev/null";
    std::string err;
    FILE* out = ::popen(command.c_str(), "r");
    if (!out)
        return err;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        err.append(buffer, got);
    const int raw = ::pclose(out);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return err;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(UhidRemoteTest, WarnsOfDescriptionKeysAUhidRemoteCannotPlay)
{
    int status = 0;
    const std::string err = runWithoutUhid("id=placed, location=0x14200000, version=0x0200, open=fail; id=plain, reply=3", &status);
    EXPECT_EQ(1, status);
    EXPECT_TRUE(has(err, "cannot open /nonexistent/uhid")) << err;
    EXPECT_TRUE(has(err, "warning: placed: location= has no effect")) << err;
    EXPECT_TRUE(has(err, "warning: placed: version= has no effect")) << err;
    EXPECT_TRUE(has(err, "warning: placed: open= has no effect: a uhid remote always opens")) << err;
    EXPECT_FALSE(has(err, "plain:")) << err;
}

} // namespace
