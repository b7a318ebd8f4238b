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

// A caution alert "Headline" with a "Go on" button and `cancel` (none for
// nullptr); the item hit.
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

// The message box shows the icon, texts and buttons, and reports the button
// pressed: Escape's, or the default one.
TEST(AlertTest, MessageBoxShowsIconTextsAndButtonsAndReportsTheButtonPressed) {
  EnsureApplication();
  for (const bool escape : {true, false}) {
    std::vector<QString> seen;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(nullptr, box);
      QAbstractButton* cancel = box->escapeButton();
      seen = {QString::number(box->icon()), box->text(),
              box->informativeText(),       QString::number(box->buttons().size()),
              box->defaultButton()->text(), cancel ? cancel->text() : ""};
      (escape ? cancel : box->defaultButton())->click();
    });
    EXPECT_EQ(escape ? kAlertStdAlertCancelButton : kAlertStdAlertOKButton,
              RunCaution(escape ? CFSTR("Stop") : nullptr));
    EXPECT_EQ((std::vector<QString>{QString::number(QMessageBox::Warning), "Headline", "The explanation",
                                    escape ? "2" : "1", "Go on", escape ? "Stop" : ""}),
              seen);
  }
}

}  // namespace
}  // namespace toolkit_test
