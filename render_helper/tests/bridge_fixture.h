#ifndef RENDER_HELPER_TESTS_BRIDGE_FIXTURE_H_
#define RENDER_HELPER_TESTS_BRIDGE_FIXTURE_H_

#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client_app.h"
#include "list_text.h"
#include "render_host.h"

// A render process with a ClientApp on a thread of the test, and browser 1 ready.
class BridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = shell::RenderHost::StartInProcess(new ClientApp);
    ASSERT_TRUE(host_);
    ASSERT_TRUE(host_->CreateBrowser(1).ok);
  }

  void TearDown() override {
    if (host_) {
      EXPECT_EQ(0, host_->Shutdown());
    }
  }

  // Loads |script| into browser |browser|'s main frame; fails the test on an uncaught exception.
  void Load(const std::string& script, int browser = 1, const std::string& frame = "") {
    shell::Result result = host_->Load(browser, script, "test.js", frame);
    ASSERT_TRUE(result.ok) << result.text;
  }

  // Sends message |name| with the list written as |list|; true when it was handled.
  bool Send(const std::string& name, const std::string& list = "[]", int browser = 1) {
    CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(name);
    std::string error;
    EXPECT_TRUE(shell::ParseList(list, message->GetArgumentList(), error)) << error;
    return host_->SendProcessMessage(browser, message).ok;
  }

  // The messages received since the last call, each as "browser: name list".
  std::vector<std::string> Received() {
    std::vector<std::string> texts;
    for (const shell::ReceivedMessage& m : host_->TakeMessages()) {
      texts.push_back(std::to_string(m.browser_id) + ": " + m.message->GetName().ToString() + " " +
                      shell::FormatList(m.message->GetArgumentList()));
    }
    return texts;
  }

  std::unique_ptr<shell::RenderHost> host_;
};

#endif  // RENDER_HELPER_TESTS_BRIDGE_FIXTURE_H_
