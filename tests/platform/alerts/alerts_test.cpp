#include "platform/alerts/alerts.h"

#include <gtest/gtest.h>

#include "platform/strings/cfstring.h"
#include "tests/support/recording_presenter.h"

namespace {

class AlertsTest : public testing::Test {
 protected:
  RecordingPresenter presenter{kAlertStdAlertCancelButton};
};

TEST_F(AlertsTest, DefaultsGiveOneOkButton) {
  DialogRef alert = nullptr;
  ASSERT_EQ(CreateStandardAlert(kAlertStopAlert, CFSTR("Head"), CFSTR("Body"), nullptr, &alert), noErr);
  DialogItemIndex hit = 0;
  ASSERT_EQ(RunStandardAlert(alert, nullptr, &hit), noErr);
  EXPECT_EQ(hit, kAlertStdAlertCancelButton);  // whatever the presenter answered
  ASSERT_EQ(presenter.shown.size(), 1u);
  const StandardAlert& a = presenter.shown[0];
  EXPECT_EQ(a.kind, kAlertStopAlert);
  EXPECT_EQ(a.headline, "Head");
  EXPECT_EQ(a.explanation, "Body");
  ASSERT_EQ(a.buttons.size(), 1u);
  EXPECT_EQ(a.buttons[0].item, kAlertStdAlertOKButton);
  EXPECT_EQ(a.buttons[0].title, "OK");
  EXPECT_EQ(a.cancelItem, 0);
}

TEST_F(AlertsTest, ParameterRecordNamesTheButtons) {
  AlertStdCFStringAlertParamRec param;
  ASSERT_EQ(GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne), noErr);
  param.movable = true;
  param.defaultText = CFSTR("Go");
  param.cancelText = CFSTR("Stop");
  param.otherText = CFSTR("Later");
  param.cancelButton = kAlertStdAlertCancelButton;
  DialogRef alert = nullptr;
  ASSERT_EQ(CreateStandardAlert(kAlertCautionAlert, CFSTR("H"), nullptr, &param, &alert), noErr);
  ASSERT_EQ(RunStandardAlert(alert, nullptr, nullptr), noErr);
  const StandardAlert& a = presenter.shown.at(0);
  EXPECT_EQ(a.kind, kAlertCautionAlert);
  EXPECT_TRUE(a.movable);
  EXPECT_EQ(a.explanation, "");
  ASSERT_EQ(a.buttons.size(), 3u);
  EXPECT_EQ(a.buttons[1].item, kAlertStdAlertCancelButton);
  EXPECT_EQ(a.buttons[1].title, "Stop");
  EXPECT_EQ(a.buttons[2].item, kAlertStdAlertOtherButton);
  EXPECT_EQ(a.cancelItem, kAlertStdAlertCancelButton);
}

TEST_F(AlertsTest, BadArgumentsAreRefused) {
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
  const std::string out = testing::internal::GetCapturedStderr();
  EXPECT_EQ(hit, kAlertStdAlertCancelButton);
  EXPECT_EQ(out, "[alert: note] Saved\n  All done\n  buttons: [OK] [Cancel]*\n");
}

TEST(ExitToShellDeathTest, EndsWithFailureStatus) {
  EXPECT_EXIT(
      {
        fputs("pending", stderr);
        ExitToShell();
      },
      testing::ExitedWithCode(EXIT_FAILURE), "pending");
}

}  // namespace
