// Standard alerts as message boxes once a QApplication exists, the console
// before.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

#include "platform/alerts/alerts.h"
#include "platform/strings/cfstring.h"
#include "tests/platform/toolkit/panel_fixture.h"

namespace toolkit_test {
namespace {

DialogItemIndex RunCaution(CFStringRef cancel) {
  AlertStdCFStringAlertParamRec param;
  GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne);
  param.defaultText = CFSTR("Go on");
  param.cancelText = cancel;
  param.defaultButton = kAlertStdAlertOKButton;
  param.cancelButton = kAlertStdAlertCancelButton;
  DialogRef alert = nullptr;
  CreateStandardAlert(kAlertCautionAlert, CFSTR("Headline"), CFSTR("The explanation"), &param, &alert);
  DialogItemIndex hit = 0;
  RunStandardAlert(alert, nullptr, &hit);
  return hit;
}

TEST(AlertDeathTest, WithoutAnApplicationTheConsoleAnswers) {
  EXPECT_EXIT(std::exit(QCoreApplication::instance() == nullptr && RunCaution(CFSTR("Stop")) == 1 ? 0 : 1),
              testing::ExitedWithCode(0), "Headline");
}

// Once the message box is up: notes its icon, texts and buttons, then
// presses the Escape button or the default one.
void Answer(bool escape, std::vector<QString>* seen) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(nullptr, box);
    QAbstractButton* cancel = box->escapeButton();
    *seen = {QString::number(box->icon()), box->text(),
             box->informativeText(),       QString::number(box->buttons().size()),
             box->defaultButton()->text(), cancel ? cancel->text() : ""};
    (escape ? cancel : box->defaultButton())->click();
  });
}

TEST(AlertTest, MessageBoxShowsIconTextsAndButtonsAndReportsTheButtonPressed) {
  EnsureApplication();
  std::vector<QString> seen;
  Answer(true, &seen);
  EXPECT_EQ(kAlertStdAlertCancelButton, RunCaution(CFSTR("Stop")));
  EXPECT_EQ((std::vector<QString>{QString::number(QMessageBox::Warning), "Headline", "The explanation", "2", "Go on",
                                  "Stop"}),
            seen);
  Answer(false, &seen);
  EXPECT_EQ(kAlertStdAlertOKButton, RunCaution(nullptr));
  EXPECT_EQ(QStringLiteral("1"), seen.at(3));
}

}  // namespace
}  // namespace toolkit_test
