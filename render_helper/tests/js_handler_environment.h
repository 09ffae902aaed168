#ifndef RENDER_HELPER_TESTS_JS_HANDLER_ENVIRONMENT_H_
#define RENDER_HELPER_TESTS_JS_HANDLER_ENVIRONMENT_H_

#include <string>

// The machine facts the page functions read, fixed for the whole test program before any render
// thread starts: a temporary configuration directory (XDG_CONFIG_HOME) and the German keyboard
// layout from the XKB_DEFAULT_* variables, with no X server.
class JsHandlerEnvironment {
 public:
  static const std::string& ConfigDirectory();
  // Where render-helper keeps the preference file of the version the build installed.
  static std::string PreferenceFilePath();
};

// The whole content of the file at |path|; |missing| when it does not exist.
std::string FileContents(const std::string& path, const std::string& missing = "<missing>");
void WriteFile(const std::string& path, const std::string& contents);
void RemoveFile(const std::string& path);

#endif  // RENDER_HELPER_TESTS_JS_HANDLER_ENVIRONMENT_H_
