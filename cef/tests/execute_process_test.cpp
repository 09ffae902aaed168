#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

#include "include/cef_app.h"

namespace {

// The real framework's entry point has no default for its sandbox argument: code that leaves it
// out would compile here and not there. (The application type is a template parameter so that the
// call is looked at only when asked.)
template <typename App, typename = void>
struct CallableWithoutSandboxInfo : std::false_type {};
template <typename App>
struct CallableWithoutSandboxInfo<App, decltype(void(CefExecuteProcess(std::declval<const CefMainArgs&>(),
                                                                       std::declval<CefRefPtr<App>>())))>
    : std::true_type {};
static_assert(!CallableWithoutSandboxInfo<CefApp>::value, "CefExecuteProcess must take windows_sandbox_info");

class EmptyApp : public CefApp {
  IMPLEMENT_REFCOUNTING(EmptyApp);
};

int Execute(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  return CefExecuteProcess(CefMainArgs(static_cast<int>(argv.size()), argv.data()), new EmptyApp, NULL);
}

TEST(CefExecuteProcess, AnswersByProcessType) {
  EXPECT_EQ(-1, Execute({"helper"}));
  EXPECT_EQ(-1, Execute({"helper", "--lang=de", "page"}));
  EXPECT_EQ(0, Execute({"helper", "--type=gpu-process"}));
  EXPECT_EQ(0, Execute({"helper", "--type=plugin", "--type-other"}));
  // A renderer without its channel cannot run.
  EXPECT_EQ(1, Execute({"helper", "--type=renderer"}));
  EXPECT_EQ(1, Execute({"helper", "--type=renderer", "--ipc-fd=x"}));
}

}  // namespace
