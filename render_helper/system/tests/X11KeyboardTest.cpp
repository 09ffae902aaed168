// The keyboard of an X server: the tests start their own Xvfb and set its layout with setxkbmap,
// so the machine's own display and keyboard play no part.
#include "KeyLayout.h"
#include "KeyboardLocale.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <vector>

extern char** environ;

using namespace quorvex::lumora::client::renderhelper;

namespace {

const char* const XVFB = "/usr/bin/Xvfb";
const char* const SETXKBMAP = "/usr/bin/setxkbmap";

// Descriptors without close-on-exec are inherited by the child.
pid_t Spawn(std::vector<std::string> arguments)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool RunToSuccess(std::vector<std::string> arguments)
{
    pid_t pid = Spawn(std::move(arguments));
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class XServer
{
public:
    // Starts Xvfb on a free display; "" display when it could not be started.
    XServer()
    {
        int fds[2];
        if (pipe2(fds, 0) != 0)
            return;
        fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        m_pid = Spawn({XVFB, "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-noreset"});
        close(fds[1]);

        // Xvfb writes its display number once it accepts clients; a broken start closes the pipe.
        std::string number;
        pollfd wait = {fds[0], POLLIN, 0};
        char c;
        while (m_pid > 0 && poll(&wait, 1, 30000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!number.empty())
            m_display = ":" + number;
    }

    ~XServer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }

    const std::string& display() const { return m_display; }

    bool setLayout(const std::string& layout, const std::string& variant = "")
    {
        return RunToSuccess({SETXKBMAP, "-display", m_display, "-layout", layout, "-variant", variant});
    }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

class X11Keyboard : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (access(XVFB, X_OK) == 0 && access(SETXKBMAP, X_OK) == 0)
            s_server = new XServer;
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override
    {
        if (s_server == nullptr)
            GTEST_SKIP() << "Xvfb and setxkbmap are not installed";
        ASSERT_NE(s_server->display(), "") << "Xvfb did not start";
    }

    // The X server's display, with an environment layout that the server's keyboard overrides.
    KeyboardSettings settings() const
    {
        return KeyboardSettings{FixedEnvironment({{"DISPLAY", s_server->display()}, {"XKB_DEFAULT_LAYOUT", "fr"}}),
                                "/nonexistent/keyboard"};
    }

    std::string exportText() const
    {
        return GetKeyLayout(settings(), [](const std::string&) {});
    }

    static bool has(const std::string& text, const std::string& entry)
    {
        return text.find(entry) != std::string::npos;
    }

    static XServer* s_server;
};

XServer* X11Keyboard::s_server = nullptr;

} // namespace

TEST_F(X11Keyboard, LayoutOfTheServerIsReadOnEveryCall)
{
    ASSERT_TRUE(s_server->setLayout("us"));
    EXPECT_EQ(CurrentKeyboardLocale(settings()), "US");
    std::string us = exportText();
    EXPECT_EQ(us.rfind("[{\"K\":\"N_0\",\"V\":\"a\"},", 0), 0u) << us;
    EXPECT_TRUE(has(us, "{\"K\":\"S_39\",\"V\":\"\\\"\"}"));

    ASSERT_TRUE(s_server->setLayout("de"));
    EXPECT_EQ(CurrentKeyboardLocale(settings()), "German");
    std::string de = exportText();
    EXPECT_TRUE(has(de, "{\"K\":\"N_16\",\"V\":\"z\"}")) << de;
    EXPECT_TRUE(has(de, "{\"K\":\"N_50\",\"V\":\"^\"}")) << "dead circumflex";
    EXPECT_TRUE(has(de, "{\"K\":\"A_12\",\"V\":\"@\"}")) << "Option is the third level";
}

TEST_F(X11Keyboard, LocaleTakesTheVariantAndTheActiveGroup)
{
    ASSERT_TRUE(s_server->setLayout("ch", "fr"));
    EXPECT_EQ(CurrentKeyboardLocale(settings()), "SwissFrench");

    // Several groups: the first is active after setxkbmap.
    ASSERT_TRUE(s_server->setLayout("gb,de"));
    EXPECT_EQ(CurrentKeyboardLocale(settings()), "British");
    EXPECT_TRUE(has(exportText(), "{\"K\":\"S_19\",\"V\":\"\\\"\"}")) << "British Shift+2";
}
