#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bundle_info.h"
#include "preference_file.h"

namespace {

// Points XDG_CONFIG_HOME and HOME at a fresh temporary folder for one test.
class PreferenceFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/preference-file-test-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    root_ = pattern;
    Save("XDG_CONFIG_HOME", saved_xdg_);
    Save("HOME", saved_home_);
  }
  void TearDown() override {
    Restore("XDG_CONFIG_HOME", saved_xdg_);
    Restore("HOME", saved_home_);
    std::string command = "rm -rf '" + root_ + "'";
    EXPECT_EQ(0, std::system(command.c_str()));
  }

  static void Save(const char* name, std::pair<bool, std::string>& saved) {
    const char* value = std::getenv(name);
    saved = {value != nullptr, value ? value : ""};
  }
  static void Restore(const char* name, const std::pair<bool, std::string>& saved) {
    if (saved.first) setenv(name, saved.second.c_str(), 1);
    else unsetenv(name);
  }

  std::string root_;
  std::pair<bool, std::string> saved_xdg_, saved_home_;
};

TEST_F(PreferenceFileTest, LivesUnderTheConfigDirectory) {
  setenv("XDG_CONFIG_HOME", (root_ + "/config/").c_str(), 1);
  EXPECT_EQ(root_ + "/config/Velorum/2.0.0/preferences.log", shell::PreferenceFilePath("2.0.0"));
  setenv("HOME", root_.c_str(), 1);
  for (const char* ignored : {"", "relative/config"}) {
    setenv("XDG_CONFIG_HOME", ignored, 1);
    EXPECT_EQ(root_ + "/.config/Velorum/1.2/preferences.log", shell::PreferenceFilePath("1.2"))
        << "XDG_CONFIG_HOME='" << ignored << "'";
  }
  // No version: the file sits right under Velorum, where render-helper looks for it then.
  EXPECT_EQ(root_ + "/.config/Velorum/preferences.log", shell::PreferenceFilePath(""));
}

TEST_F(PreferenceFileTest, CreatesTheFileOnceAndKeepsWhatIsThere) {
  setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  ASSERT_TRUE(shell::CreatePreferenceFile("2.0.0"));
  std::string path = shell::PreferenceFilePath("2.0.0");
  std::ifstream created(path);
  ASSERT_TRUE(created.good());
  EXPECT_EQ(std::ifstream::traits_type::eof(), created.peek());

  std::ofstream(path) << "a;;b\n";
  ASSERT_TRUE(shell::CreatePreferenceFile("2.0.0"));
  std::stringstream contents;
  contents << std::ifstream(path).rdbuf();
  EXPECT_EQ("a;;b\n", contents.str());
}

TEST_F(PreferenceFileTest, VersionComesFromTheBundleInformationFile) {
  EXPECT_EQ("", shell::ReadBundleVersion(root_)) << "no file";
  const struct {
    const char* contents;
    const char* version;
  } cases[] = {
      {"version=2.0.0\n", "2.0.0"},
      {"name=render-helper\r\nversion=1.2.3.45\r\nversion=9\n", "1.2.3.45"},
      {"version=7", "7"},
      {"name=render-helper\n", ""},
      {" version=1\n", ""},
  };
  for (const auto& c : cases) {
    std::ofstream(root_ + "/" + shell::kBundleInfoFileName) << c.contents;
    EXPECT_EQ(c.version, shell::ReadBundleVersion(root_)) << c.contents;
  }
}

TEST_F(PreferenceFileTest, ProgramDirectoryFollowsSymbolicLinks) {
  ASSERT_EQ(0, mkdir((root_ + "/bin").c_str(), 0755));
  std::ofstream(root_ + "/bin/render-helper") << "";
  ASSERT_EQ(0, symlink((root_ + "/bin/render-helper").c_str(), (root_ + "/link").c_str()));
  EXPECT_EQ(root_ + "/bin", shell::ProgramDirectory(root_ + "/link"));
  EXPECT_EQ(root_ + "/bin", shell::ProgramDirectory(root_ + "/bin/render-helper"));
  EXPECT_EQ("/nowhere", shell::ProgramDirectory("/nowhere/render-helper"));
  EXPECT_EQ(".", shell::ProgramDirectory("no-such-helper-here"));
}

}  // namespace
