#include "plugin/common/alerts.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/strings/text_utils.h"
#include "tests/platform/alerts/alert_summary.h"
#include "tests/support/recording_presenter.h"

namespace {

TEST(CommonAlerts, ShowTheirTextsAndButtonsAndReturnTheItemHit) {
  Str255 head, desc, ok, cancel;
  pstringAssign(head, "Quit?");
  pstringAssign(desc, "Changes \xD0 lost");  // 0xD0 is an en dash in Mac OS Roman
  pstringAssign(ok, "Quit");
  pstringAssign(cancel, "Stay");
  int value = 0;
  const struct {
    std::function<SInt16()> show;
    DialogItemIndex answer;
    SInt16 returned;
    const char* shown;  // "" for no alert
  } cases[] = {
      {[] { return StandardWarning("Replace?", "The file exists.", "Replace", ""); }, 1, 1,
       "2 Replace? | The file exists. | 1:Replace* cancel 0 movable"},
      {[&] { return StandardWarning(head, desc, ok, cancel); }, 2, 2,
       "2 Quit? | Changes \u2013 lost | 1:Quit* 2:Stay cancel 2 movable"},
      {[] { Notify("x"); return SInt16{0}; }, 1, 0, "2 Internal Notification: | x | 1:ok* cancel 0 movable"},
      {[] { StandardStop("Stopped", "Why"); return SInt16{0}; }, 1, 0, "0 Stopped | Why | 1:OK* cancel 0"},
      {[&] { Assert(&value, "never shown"); return SInt16{0}; }, 1, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    RecordingPresenter presenter(c.answer);
    EXPECT_EQ(c.show(), c.returned);
    ASSERT_LE(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown.empty() ? "" : AlertSummary(presenter.shown[0]), c.shown);
  }
}

TEST(CommonAlertsDeathTest, AssertAndTerminateStopAfterTheAlert) {
  EXPECT_EXIT(Assert(nullptr, "Nil theConfig on InitPluginData"), testing::ExitedWithCode(EXIT_FAILURE),
              "\\[alert: stop\\] Assertion Failure\n  Assertion failed in: Nil theConfig on InitPluginData\n");
  // 21 characters of prefix + 240 of place = 261, cut to 255.
  EXPECT_EXIT(Assert(nullptr, std::string(240, 'p')), testing::ExitedWithCode(EXIT_FAILURE),
              "  Assertion failed in: " + std::string(234, 'p') + "\n");
  EXPECT_EXIT(Terminate("Non-Matching Blocks", "The Size of Source and Dest do not match"),
              testing::ExitedWithCode(EXIT_FAILURE), "Non-Matching Blocks\n  The Size of Source and Dest do not match");
}

}  // namespace
