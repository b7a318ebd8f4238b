#include "platform/alerts/alerts.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/strings/cfstring.h"
#include "tests/platform/alerts/alert_summary.h"
#include "tests/support/recording_presenter.h"

namespace {

// Each alert made from a parameter record (none: the defaults), run through
// a presenter that answers the cancel button.
TEST(Alerts, ParameterRecordNamesTheButtons) {
  // Kind, explanation, change to the defaults (none: no record): the alert shown.
  const std::tuple<AlertType, CFStringRef, std::function<void(AlertStdCFStringAlertParamRec&)>, const char*> cases[] = {
      {kAlertStopAlert, CFSTR("Body"), nullptr, "0 Head | Body | 1:OK* cancel 0"},
      {kAlertCautionAlert, nullptr,
       [](AlertStdCFStringAlertParamRec& p) {
         p.movable = true;
         p.defaultText = CFSTR("Go");
         p.cancelText = CFSTR("Stop");
         p.otherText = CFSTR("Later");
         p.cancelButton = kAlertStdAlertCancelButton;
       },
       "2 Head |  | 1:Go* 2:Stop 3:Later cancel 2 movable"},
      // A default or cancel item must name a button the alert has.
      {kAlertNoteAlert, CFSTR("x"), [](AlertStdCFStringAlertParamRec& p) { p.defaultButton = p.cancelButton = 3; },
       "1 Head | x | 1:OK* cancel 0"},
  };
  for (const auto& [kind, explanation, change, shown] : cases) {
    RecordingPresenter presenter(kAlertStdAlertCancelButton);
    AlertStdCFStringAlertParamRec param;
    ASSERT_EQ(GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne), noErr);
    if (change) change(param);
    DialogRef alert = nullptr;
    ASSERT_EQ(CreateStandardAlert(kind, CFSTR("Head"), explanation, change ? &param : nullptr, &alert), noErr);
    DialogItemIndex hit = 0;
    ASSERT_EQ(RunStandardAlert(alert, nullptr, &hit), noErr);
    EXPECT_EQ(hit, kAlertStdAlertCancelButton);  // whatever the presenter answered
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(AlertSummary(presenter.shown[0]), shown);
  }
}

TEST(Alerts, BadArgumentsAreRefused) {
  RecordingPresenter presenter(kAlertStdAlertOKButton);
  DialogRef alert = nullptr;
  EXPECT_EQ(CreateStandardAlert(kAlertStopAlert, CFSTR("H"), nullptr, nullptr, nullptr), paramErr);
  EXPECT_EQ(CreateStandardAlert(7, CFSTR("H"), nullptr, nullptr, &alert), paramErr);
  AlertStdCFStringAlertParamRec param{};
  param.version = 0;
  EXPECT_EQ(CreateStandardAlert(kAlertStopAlert, CFSTR("H"), nullptr, &param, &alert), paramErr);
  EXPECT_EQ(alert, nullptr);
  EXPECT_EQ(GetStandardAlertDefaultParams(nullptr, kStdCFStringAlertVersionOne), paramErr);
  DialogItemIndex hit = 5;
  EXPECT_EQ(RunStandardAlert(nullptr, nullptr, &hit), paramErr);
  EXPECT_EQ(hit, 5);
  EXPECT_TRUE(presenter.shown.empty());
}

TEST(ConsolePresenter, WritesTheAlertAndAnswersTheDefault) {
  platformSetAlertPresenter(nullptr);
  AlertStdCFStringAlertParamRec param;
  GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne);
  param.cancelText = CFSTR("Cancel");
  param.defaultButton = kAlertStdAlertCancelButton;
  DialogRef alert = nullptr;
  ASSERT_EQ(CreateStandardAlert(kAlertNoteAlert, CFSTR("Saved"), CFSTR("All done"), &param, &alert), noErr);
  testing::internal::CaptureStderr();
  DialogItemIndex hit = 0;
  RunStandardAlert(alert, nullptr, &hit);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[alert: note] Saved\n  All done\n  buttons: [OK] [Cancel]*\n");
  EXPECT_EQ(hit, kAlertStdAlertCancelButton);
}

}  // namespace
