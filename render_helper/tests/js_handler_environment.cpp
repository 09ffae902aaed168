#include "js_handler_environment.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace {

std::string g_config_directory;

class FixedMachine : public ::testing::Environment {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/js-handler-test-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    g_config_directory = pattern;
    setenv("XDG_CONFIG_HOME", g_config_directory.c_str(), 1);
    // The keyboard of the test machine and its user must not show through.
    unsetenv("DISPLAY");
    for (const char* name : {"XKB_DEFAULT_RULES", "XKB_DEFAULT_MODEL", "XKB_DEFAULT_VARIANT",
                             "XKB_DEFAULT_OPTIONS"})
      unsetenv(name);
    setenv("XKB_DEFAULT_LAYOUT", "de", 1);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(g_config_directory, ignored);
  }
};

::testing::Environment* const g_fixed_machine =
    ::testing::AddGlobalTestEnvironment(new FixedMachine);

}  // namespace

const std::string& JsHandlerEnvironment::ConfigDirectory() { return g_config_directory; }

std::string JsHandlerEnvironment::PreferenceFilePath() {
  return g_config_directory + "/Velorum/" + EXPECTED_BUNDLE_VERSION + "/preferences.log";
}

std::string FileContents(const std::string& path, const std::string& missing) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return missing;
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

void RemoveFile(const std::string& path) { std::remove(path.c_str()); }
