// The real render-helper executable, started by the shell as the browser process starts it.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "list_text.h"
#include "render_host.h"

using ::testing::ElementsAre;

namespace {

std::string HelperPath() {
  const char* path = std::getenv("RENDER_HELPER");
  return path ? path : "render-helper";
}

TEST(RenderHelperProcess, PageAndShellExchangeMessagesBothWays) {
  std::unique_ptr<shell::RenderHost> host = shell::RenderHost::Launch(HelperPath());
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->CreateBrowser(7).ok);
  shell::Result load = host->Load(
      7,
      "app.setMessageCallback('reply', function(name, args) {"
      "  app.sendMessage('got', [name, args]);"
      "  return args[0] === 'yes'; });"
      "app.sendMessage('hello', [1, 2.5, 'text', true, null, [3, [4.5]]]);",
      "page.js");
  ASSERT_TRUE(load.ok) << load.text;

  std::vector<shell::ReceivedMessage> received = host->TakeMessages();
  ASSERT_EQ(1u, received.size());
  EXPECT_EQ(7, received[0].browser_id);
  EXPECT_EQ("hello", received[0].message->GetName().ToString());
  CefRefPtr<CefListValue> list = received[0].message->GetArgumentList();
  ASSERT_EQ(6u, list->GetSize());
  EXPECT_EQ(VTYPE_INT, list->GetType(0));
  EXPECT_EQ(1, list->GetInt(0));
  EXPECT_EQ(VTYPE_DOUBLE, list->GetType(1));
  EXPECT_EQ(2.5, list->GetDouble(1));
  EXPECT_EQ("text", list->GetString(2).ToString());
  EXPECT_EQ(VTYPE_BOOL, list->GetType(3));
  EXPECT_TRUE(list->GetBool(3));
  EXPECT_EQ(VTYPE_NULL, list->GetType(4));
  EXPECT_EQ("[3, [4.5]]", shell::FormatList(list->GetList(5)));

  for (const char* first : {"yes", "no"}) {
    CefRefPtr<CefProcessMessage> reply = CefProcessMessage::Create("reply");
    std::string error;
    ASSERT_TRUE(shell::ParseList(std::string("[\"") + first + "\", -7, 0.25, false, null, [[1]]]",
                                 reply->GetArgumentList(), error));
    EXPECT_EQ(std::string(first) == "yes", host->SendProcessMessage(7, reply).ok) << first;
    received = host->TakeMessages();
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(std::string("[\"reply\", [\"") + first + "\", -7, 0.25, false, null, [[1]]]]",
              shell::FormatList(received[0].message->GetArgumentList()));
  }
  EXPECT_EQ(0, host->Shutdown());
}

// The example page written in today's script (a class, arrow functions, async/await): it goes on
// once the shell answers its question, within the handling of that answer.
TEST(RenderHelperProcess, AsyncPageGoesOnWhenTheShellAnswers) {
  std::ifstream file(ASK_PAGE);
  std::ostringstream source;
  source << file.rdbuf();
  ASSERT_FALSE(source.str().empty()) << ASK_PAGE;

  std::unique_ptr<shell::RenderHost> host = shell::RenderHost::Launch(HelperPath());
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->CreateBrowser(1).ok);
  shell::Result load = host->Load(1, source.str(), "bridge-ask.js");
  ASSERT_TRUE(load.ok) << load.text;
  std::vector<shell::ReceivedMessage> received = host->TakeMessages();
  ASSERT_EQ(1u, received.size());
  EXPECT_EQ("numbers", received[0].message->GetName().ToString());

  CefRefPtr<CefProcessMessage> answer = CefProcessMessage::Create("numbers");
  std::string error;
  ASSERT_TRUE(shell::ParseList("[20, 22]", answer->GetArgumentList(), error)) << error;
  EXPECT_TRUE(host->SendProcessMessage(1, answer).ok);
  received = host->TakeMessages();
  ASSERT_EQ(1u, received.size());
  EXPECT_EQ("sum", received[0].message->GetName().ToString());
  CefRefPtr<CefListValue> sum = received[0].message->GetArgumentList();
  ASSERT_EQ(2u, sum->GetSize());
  EXPECT_EQ(VTYPE_INT, sum->GetType(0));
  EXPECT_EQ(42, sum->GetInt(0));
  EXPECT_EQ(0u, sum->GetString(1).ToString().find("version ")) << sum->GetString(1).ToString();
  EXPECT_EQ(0, host->Shutdown());
}

TEST(RenderHelperProcess, ExitCodeIsTheFrameworkAnswerForEachRole) {
  // No --type: the browser process role, which render-helper leaves to its caller (-1).
  EXPECT_EQ(255, shell::RunAndWait(HelperPath(), {}));
  EXPECT_EQ(0, shell::RunAndWait(HelperPath(), {"--type=gpu-process"}));
  EXPECT_EQ(0, shell::RunAndWait(HelperPath(), {"--type=zygote", "--lang=en"}));
  EXPECT_EQ(0, shell::RunAndWait(HelperPath(), {"--type=utility"}));
}

}  // namespace
