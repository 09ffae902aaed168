#include <gtest/gtest.h>

#include "include/cef_app.h"

namespace {

class EmptyApp : public CefApp {
  IMPLEMENT_REFCOUNTING(EmptyApp);
};

int Execute(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  return CefExecuteProcess(CefMainArgs(static_cast<int>(argv.size()), argv.data()), new EmptyApp);
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
