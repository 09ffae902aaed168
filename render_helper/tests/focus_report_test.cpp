#include "bridge_fixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using shell::FocusTarget;

namespace {

const char kEditable[] = "1: ClientRenderer.FocusedNodeChanged [true]";
const char kNotEditable[] = "1: ClientRenderer.FocusedNodeChanged [false]";

TEST_F(BridgeTest, FocusReportsOnlyChangesOfEditability) {
  Load("var page = 1;");
  const struct {
    FocusTarget target;
    std::vector<std::string> sent;
  } steps[] = {
      // The reported state starts as not editable.
      {FocusTarget::kNonEditable, {}},
      {FocusTarget::kNone, {}},
      {FocusTarget::kEditable, {kEditable}},
      {FocusTarget::kEditable, {}},
      {FocusTarget::kNonEditable, {kNotEditable}},
      {FocusTarget::kEditable, {kEditable}},
      {FocusTarget::kNone, {kNotEditable}},
  };
  int step = 0;
  for (const auto& s : steps) {
    ASSERT_TRUE(host_->Focus(1, s.target).ok);
    EXPECT_EQ(s.sent, Received()) << "step " << step;
    ++step;
  }
}

TEST_F(BridgeTest, FocusStateIsSharedByTheBrowsersOfTheProcess) {
  ASSERT_TRUE(host_->CreateBrowser(2).ok);
  ASSERT_TRUE(host_->Focus(1, FocusTarget::kEditable).ok);
  EXPECT_THAT(Received(), ElementsAre(kEditable));
  ASSERT_TRUE(host_->Focus(2, FocusTarget::kEditable).ok);
  EXPECT_THAT(Received(), IsEmpty());
  ASSERT_TRUE(host_->Focus(2, FocusTarget::kNone).ok);
  EXPECT_THAT(Received(), ElementsAre("2: ClientRenderer.FocusedNodeChanged [false]"));
}

}  // namespace
