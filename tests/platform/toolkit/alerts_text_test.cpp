// Standard alerts as message boxes once a QApplication exists (the console
// before), and QuickDraw text drawn into ports.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "platform/alerts/alerts.h"
#include "platform/quickdraw/text.h"
#include "platform/strings/cfstring.h"
#include "tests/platform/toolkit/panel_fixture.h"

namespace toolkit_test {
namespace {

DialogItemIndex RunCaution(const char* cancel) {
  AlertStdCFStringAlertParamRec param;
  GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne);
  param.defaultText = CFSTR("Go on");
  param.cancelText = cancel == nullptr ? nullptr : CFStringCreateWithCString(nullptr, cancel, kCFStringEncodingUTF8);
  param.defaultButton = kAlertStdAlertOKButton;
  param.cancelButton = kAlertStdAlertCancelButton;
  DialogRef alert = nullptr;
  CreateStandardAlert(kAlertCautionAlert, CFSTR("Headline"), CFSTR("The explanation"), &param, &alert);
  if (param.cancelText != nullptr) CFRelease(param.cancelText);
  DialogItemIndex hit = 0;
  RunStandardAlert(alert, nullptr, &hit);
  return hit;
}

TEST(AlertDeathTest, WithoutAnApplicationTheConsoleAnswers) {
  EXPECT_EXIT(
      {
        const DialogItemIndex hit = RunCaution("Stop");
        std::exit(QCoreApplication::instance() == nullptr && hit == 1 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "Headline");
}

TEST(AlertTest, MessageBoxShowsIconTextsAndButtonsAndReportsTheButtonPressed) {
  EnsureApplication();
  bool seen = false;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(nullptr, box);
    seen = true;
    EXPECT_EQ(QMessageBox::Warning, box->icon());
    EXPECT_EQ(QStringLiteral("Headline"), box->text());
    EXPECT_EQ(QStringLiteral("The explanation"), box->informativeText());
    EXPECT_EQ(2, box->buttons().size());
    EXPECT_EQ(QStringLiteral("Go on"), box->defaultButton()->text());
    EXPECT_EQ(QStringLiteral("Stop"), box->escapeButton()->text());
    box->escapeButton()->click();
  });
  EXPECT_EQ(kAlertStdAlertCancelButton, RunCaution("Stop"));
  EXPECT_TRUE(seen);

  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(1, box->buttons().size());
    box->defaultButton()->click();
  });
  EXPECT_EQ(kAlertStdAlertOKButton, RunCaution(nullptr));
}

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    const Rect bounds{0, 0, 40, 200};
    ASSERT_EQ(noErr, NewGWorld(&port_, 32, &bounds));
    GetGWorld(&saved_, &device_);
    SetGWorld(port_, nullptr);
    const RGBColor white{0xFFFF, 0xFFFF, 0xFFFF};
    RGBBackColor(&white);
    EraseRect(&bounds);
  }
  void TearDown() override {
    SetGWorld(saved_, device_);
    DisposeGWorld(port_);
  }
  // The box of pixels that are no longer white.
  Rect inked() const {
    Rect box{32767, 32767, -32768, -32768};
    const PixMap& pm = port_->portPixMap;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 200; ++x) {
        const auto* p = reinterpret_cast<const uint8_t*>(pm.baseAddr) + y * pm.rowBytes + x * 4;
        if (p[1] == 255 && p[2] == 255 && p[3] == 255) continue;
        box.top = std::min<int16_t>(box.top, y), box.bottom = std::max<int16_t>(box.bottom, y + 1);
        box.left = std::min<int16_t>(box.left, x), box.right = std::max<int16_t>(box.right, x + 1);
      }
    return box;
  }
  GWorldPtr port_ = nullptr;
  CGrafPtr saved_ = nullptr;
  GDHandle device_ = nullptr;
};

TEST_F(TextTest, DrawStringInksAboveTheBaselineFromThePenAndAdvancesIt) {
  const unsigned char text[] = "\x05Hello";
  TextSize(16);
  const short width = StringWidth(text);
  EXPECT_GT(width, StringWidth(reinterpret_cast<const unsigned char*>("\x02Hi")));
  const RGBColor blue{0, 0, 0xFFFF};
  RGBForeColor(&blue);
  MoveTo(20, 30);
  DrawString(text);
  EXPECT_EQ(20 + width, port_->pnLoc.h);
  const Rect box = inked();
  EXPECT_GE(box.left, 19);
  EXPECT_LE(box.right, 21 + width);
  EXPECT_LE(box.bottom, 31);  // no descenders in "Hello"
  EXPECT_GE(box.top, 30 - 16);
  EXPECT_GT(box.right - box.left, width / 2);
}

TEST_F(TextTest, DrawingKeepsToTheClipRectangle) {
  const Rect clip{0, 0, 40, 30};
  ClipRect(&clip);
  MoveTo(20, 30);
  DrawString(reinterpret_cast<const unsigned char*>("\x0aWWWWWWWWWW"));
  EXPECT_LE(inked().right, 30);
}

}  // namespace
}  // namespace toolkit_test
