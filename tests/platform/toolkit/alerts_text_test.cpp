// Standard alerts as message boxes once a QApplication exists (the console
// before), and QuickDraw text drawn into ports.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

#include "platform/alerts/alerts.h"
#include "platform/quickdraw/text.h"
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

// Answers the message box once it is up with `button`, after `check`.
void Answer(std::function<QAbstractButton*(QMessageBox*)> button, std::function<void(QMessageBox*)> check) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(nullptr, box);
    check(box);
    button(box)->click();
  });
}

TEST(AlertTest, MessageBoxShowsIconTextsAndButtonsAndReportsTheButtonPressed) {
  EnsureApplication();
  std::vector<QString> seen;
  auto texts = [&seen](QMessageBox* box) {
    seen = {box->text(), box->informativeText(), QString::number(box->buttons().size()), box->defaultButton()->text(),
            box->escapeButton() ? box->escapeButton()->text() : ""};
    EXPECT_EQ(QMessageBox::Warning, box->icon());
  };
  Answer([](QMessageBox* box) { return box->escapeButton(); }, texts);
  EXPECT_EQ(kAlertStdAlertCancelButton, RunCaution(CFSTR("Stop")));
  EXPECT_EQ((std::vector<QString>{"Headline", "The explanation", "2", "Go on", "Stop"}), seen);
  Answer([](QMessageBox* box) { return box->defaultButton(); }, texts);
  EXPECT_EQ(kAlertStdAlertOKButton, RunCaution(nullptr));
  EXPECT_EQ(QStringLiteral("1"), seen.at(2));
}

// What drawing `text` at (20, 30) in 16 points, blue, into a white 200 x 40
// port clipped to `clip` inks (left, top, right, bottom), with the pen's end
// and the text's width.
struct Drawn {
  std::array<int, 4> inked{200, 40, -1, -1};
  int pen = 0, width = 0;
};
Drawn Draw(const char* text, const Rect& clip) {
  EnsureApplication();
  GWorldPtr port = nullptr;
  const Rect bounds{0, 0, 40, 200};
  NewGWorld(&port, 32, &bounds);
  CGrafPtr saved;
  GDHandle device;
  GetGWorld(&saved, &device);
  SetGWorld(port, nullptr);
  const RGBColor white{0xFFFF, 0xFFFF, 0xFFFF}, blue{0, 0, 0xFFFF};
  RGBBackColor(&white);
  EraseRect(&bounds);
  RGBForeColor(&blue);
  ClipRect(&clip);
  TextSize(16);
  MoveTo(20, 30);
  Drawn drawn;
  drawn.width = StringWidth(reinterpret_cast<const unsigned char*>(text));
  DrawString(reinterpret_cast<const unsigned char*>(text));
  drawn.pen = port->pnLoc.h;
  const PixMap& pm = port->portPixMap;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) {
      const auto* p = reinterpret_cast<const uint8_t*>(pm.baseAddr) + y * pm.rowBytes + x * 4;
      if (p[1] == 255 && p[2] == 255 && p[3] == 255) continue;
      auto& box = drawn.inked;
      box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1), std::max(box[3], y + 1)};
    }
  SetGWorld(saved, device);
  DisposeGWorld(port);
  return drawn;
}

TEST(TextTest, DrawStringInksAboveTheBaselineFromThePenAdvancesItAndKeepsToTheClip) {
  const Drawn hello = Draw("\x05Hello", Rect{0, 0, 40, 200});
  const auto& box = hello.inked;
  EXPECT_GT(hello.width, Draw("\x02Hi", Rect{0, 0, 40, 200}).width);
  EXPECT_EQ(20 + hello.width, hello.pen);
  EXPECT_GE(box[0], 19);
  EXPECT_GE(box[1], 30 - 16);
  EXPECT_LE(box[2], 21 + hello.width);
  EXPECT_LE(box[3], 31);  // no descenders in "Hello"
  EXPECT_GT(box[2] - box[0], hello.width / 2);
  EXPECT_LE(Draw("\x0aWWWWWWWWWW", Rect{0, 0, 40, 30}).inked[2], 30);
}

}  // namespace
}  // namespace toolkit_test
