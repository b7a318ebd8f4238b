#include "plugin/common/alerts.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/strings/text_utils.h"
#include "tests/support/recording_presenter.h"

namespace {

class CommonAlertsTest : public testing::Test {
 protected:
  RecordingPresenter presenter{kAlertStdAlertOKButton};
};

TEST_F(CommonAlertsTest, WarningWithoutCancelHasOneButton) {
  EXPECT_EQ(StandardWarning("Replace?", "The file exists.", "Replace", ""), 1);
  ASSERT_EQ(presenter.shown.size(), 1u);
  const StandardAlert& a = presenter.shown[0];
  EXPECT_EQ(a.kind, kAlertCautionAlert);
  EXPECT_EQ(a.headline, "Replace?");
  EXPECT_EQ(a.explanation, "The file exists.");
  EXPECT_TRUE(a.movable);
  ASSERT_EQ(a.buttons.size(), 1u);
  EXPECT_EQ(a.buttons[0].title, "Replace");
  EXPECT_EQ(a.defaultItem, 1);
}

TEST_F(CommonAlertsTest, WarningWithCancelReturnsItemHit) {
  presenter.answer = kAlertStdAlertCancelButton;
  Str255 head, desc, ok, cancel;
  pstringAssign(head, "Quit?");
  pstringAssign(desc, "Changes \xD0 lost");  // 0xD0 is an en dash in Mac OS Roman
  pstringAssign(ok, "Quit");
  pstringAssign(cancel, "Stay");
  EXPECT_EQ(StandardWarning(head, desc, ok, cancel), 2);
  const StandardAlert& a = presenter.shown.at(0);
  EXPECT_EQ(a.explanation, "Changes \u2013 lost");
  ASSERT_EQ(a.buttons.size(), 2u);
  EXPECT_EQ(a.buttons[1].title, "Stay");
  EXPECT_EQ(a.cancelItem, 2);
}

TEST_F(CommonAlertsTest, NotifyShowsInternalNotification) {
  Notify("x");
  ASSERT_EQ(presenter.shown.size(), 1u);
  const StandardAlert& a = presenter.shown[0];
  EXPECT_EQ(a.kind, kAlertCautionAlert);
  EXPECT_EQ(a.headline, "Internal Notification:");
  EXPECT_EQ(a.explanation, "x");
  ASSERT_EQ(a.buttons.size(), 1u);
  EXPECT_EQ(a.buttons[0].title, "ok");
}

TEST_F(CommonAlertsTest, StopHasThePlatformOkButton) {
  StandardStop("Stopped", "Why");
  const StandardAlert& a = presenter.shown.at(0);
  EXPECT_EQ(a.kind, kAlertStopAlert);
  ASSERT_EQ(a.buttons.size(), 1u);
  EXPECT_EQ(a.buttons[0].title, "OK");
}

TEST_F(CommonAlertsTest, AssertWithPointerShowsNothing) {
  int value = 0;
  Assert(&value, "never shown");
  EXPECT_TRUE(presenter.shown.empty());
}

TEST(CommonAlertsDeathTest, AssertWithoutPointerStopsTheProcess) {
  EXPECT_EXIT(Assert(nullptr, "Nil theConfig on InitPluginData"), testing::ExitedWithCode(EXIT_FAILURE),
              "\\[alert: stop\\] Assertion Failure\n  Assertion failed in: Nil theConfig on InitPluginData\n");
}

TEST(CommonAlertsDeathTest, AssertDescriptionIsCutAt255) {
  // 21 characters of prefix + 240 of place = 261, cut to 255.
  const std::string place(240, 'p');
  const std::string expected = "Assertion failed in: " + std::string(234, 'p') + "\n";
  EXPECT_EXIT(Assert(nullptr, place), testing::ExitedWithCode(EXIT_FAILURE), "  " + expected);
}

TEST(CommonAlertsDeathTest, TerminateStopsAfterTheAlert) {
  EXPECT_EXIT(Terminate("Non-Matching Blocks", "The Size of Source and Dest do not match"),
              testing::ExitedWithCode(EXIT_FAILURE), "Non-Matching Blocks\n  The Size of Source and Dest do not match");
}

}  // namespace
