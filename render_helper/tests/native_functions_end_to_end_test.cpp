// The example page that calls every jsHandler function, run by the bridge-shell program with the
// real render-helper beside it, on a machine of its own: a fresh configuration directory, the US
// keyboard layout from the environment and no X server.
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "JsonValidator.h"
#include "list_text.h"

extern char** environ;

using ::testing::Contains;
using ::testing::Not;

namespace {

std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "<missing>";
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// This process's environment without what tells of the user's machine, plus |added|.
std::vector<std::string> IsolatedEnvironment(const std::vector<std::string>& added) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry) {
    std::string variable = *entry;
    std::string name = variable.substr(0, variable.find('='));
    if (name == "DISPLAY" || name == "HOME" || name == "XDG_CONFIG_HOME" ||
        name.compare(0, 12, "XKB_DEFAULT_") == 0)
      continue;
    environment.push_back(variable);
  }
  environment.insert(environment.end(), added.begin(), added.end());
  return environment;
}

// Runs |arguments| with |environment|, no input, and standard output and error into files.
// Returns the exit status, or -1.
int RunWithFiles(std::vector<std::string> arguments, std::vector<std::string> environment,
                 const std::string& out, const std::string& err) {
  std::vector<char*> argv, envp;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);
  for (std::string& variable : environment) envp.push_back(&variable[0]);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid;
  int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The list of the one message |name| the shell printed as received from the page.
CefRefPtr<CefListValue> ReceivedList(const std::vector<std::string>& lines,
                                     const std::string& name) {
  const std::string prefix = "<- browser 1: " + name + " ";
  CefRefPtr<CefListValue> list;
  for (const std::string& line : lines) {
    if (line.compare(0, prefix.size(), prefix) != 0) continue;
    EXPECT_FALSE(list) << name << " received twice";
    list = CefListValue::Create();
    std::string error;
    EXPECT_TRUE(shell::ParseList(line.substr(prefix.size()), list, error)) << error;
  }
  EXPECT_TRUE(list) << name << " not received";
  return list ? list : CefListValue::Create();
}

TEST(NativeFunctionsEndToEnd, ExamplePageGetsTheFactsAndRecordsTheCacheRequest) {
  const char* bridge_shell = std::getenv("BRIDGE_SHELL");
  const char* render_helper = std::getenv("RENDER_HELPER");
  ASSERT_TRUE(bridge_shell && render_helper) << "BRIDGE_SHELL and RENDER_HELPER name the programs";
  char pattern[] = "/tmp/native-functions-XXXXXX";
  ASSERT_TRUE(mkdtemp(pattern));
  const std::string root = pattern;
  const std::string out = root + "/out.txt", err = root + "/err.txt";

  // An installation of its own whose bundle version is not the one built into any program: the
  // shell must take the helper's, so that both name the same preference file.
  const std::string version = "3.1.4.15";
  const std::string bin = root + "/bin";
  std::filesystem::create_directory(bin);
  std::filesystem::copy_file(bridge_shell, bin + "/bridge-shell");
  std::filesystem::copy_file(render_helper, bin + "/render-helper");
  std::ofstream(bin + "/bundle-info.txt") << "name=render-helper\nversion=" << version << "\n";
  const std::string preferences = root + "/config/Velorum/" + version + "/preferences.log";

  int status = RunWithFiles({bin + "/bridge-shell", NATIVE_FUNCTIONS_PAGE},
                            IsolatedEnvironment({"HOME=" + root,
                                                 "XDG_CONFIG_HOME=" + root + "/config",
                                                 "XKB_DEFAULT_LAYOUT=us"}),
                            out, err);
  ASSERT_EQ(0, status) << Contents(out) << Contents(err);
  std::vector<std::string> lines = Lines(Contents(out));

  EXPECT_EQ("[\"" + version + "\"]", shell::FormatList(ReceivedList(lines, "appVersion")));
  EXPECT_EQ("[\"US\"]", shell::FormatList(ReceivedList(lines, "keyBoardLocale")));

  CefRefPtr<CefListValue> layout_message = ReceivedList(lines, "keyboardLayout");
  std::string layout = layout_message->GetString(1).ToString();
  EXPECT_EQ("", JsonError(layout)) << layout;
  EXPECT_GT(layout_message->GetInt(0), 0) << "entries the page parsed";
  EXPECT_EQ(0u, layout.find("[{\"K\":\"N_0\",\"V\":\"a\"},")) << layout;
  EXPECT_NE(std::string::npos, layout.find("{\"K\":\"S_39\",\"V\":\"\\\"\"}")) << layout;
  EXPECT_NE(std::string::npos, layout.find("{\"K\":\"N_42\",\"V\":\"\\\\\"}")) << layout;

  // Both calls answered undefined; the request was written once, into the file the shell made.
  EXPECT_EQ("[\"undefined\", \"undefined\"]", shell::FormatList(ReceivedList(lines, "clearCache")));
  EXPECT_EQ(";;clearCache", Contents(preferences));
  // render-helper echoes the first line it read each time: empty, then the marker.
  EXPECT_THAT(lines, Contains(";;clearCache"));

  EXPECT_EQ("[\"undefined\"]", shell::FormatList(ReceivedList(lines, "showAbout")));
  EXPECT_EQ("[]", shell::FormatList(ReceivedList(lines, "silverlightLoaded")));
  EXPECT_THAT(lines, Contains("render-helper exited with 0"));
  EXPECT_THAT(Lines(Contents(err)), Not(Contains(::testing::HasSubstr("[CONSOLE]"))));

  std::filesystem::remove_all(root);
}

}  // namespace
