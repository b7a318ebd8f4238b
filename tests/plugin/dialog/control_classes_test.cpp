// The colour and picture boxes drawing into the dialog window's port, and the
// colour picker's answer reaching the configuration through the box's command.
#include <QApplication>
#include <QColorDialog>
#include <QTimer>

#include "platform/coregraphics/cgcontext.h"
#include "plugin/common/color_packing.h"
#include "plugin/core/globals.h"
#include "plugin/dialog/color_control.h"
#include "plugin/dialog/picture_control.h"
#include "tests/plugin/dialog/dialog_fixture.h"

namespace dialog_test {
namespace {

class ControlClassTest : public DialogTest {
 protected:
  uint32_t PortPixel(int x, int y) { return PixelAt(GetWindowPort(window_), x, y); }
  OSStatus SendDraw(EventHandlerUPP handler, ControlRef control) {
    EventRef event = nullptr;
    CreateEvent(nullptr, kEventClassControl, kEventControlDraw, 0, 0, &event);
    SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof control, &control);
    const OSStatus status = handler(nullptr, event, nullptr);
    ReleaseEvent(event);
    return status;
  }
  // Answers the colour dialog, once it is up, with `choice` (or cancels it
  // when `choice` is invalid).
  void AnswerColorDialog(QColor choice) {
    QTimer::singleShot(20, [this, choice] {
      auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return AnswerColorDialog(choice);
      if (choice.isValid()) {
        dialog->setCurrentColor(choice);
        dialog->accept();
      } else {
        dialog->reject();
      }
    });
  }
};

TEST_F(ControlClassTest, ColourBoxIsFilledAndOutlinedOrErasedWhenDisabled) {
  OpenWindow();
  ControlRef box = Ctrl(window_, "Colr", 1);
  SetControl32BitValue(box, 0x336699);
  ShowControl(box);
  Rect bounds{};
  GetControlBounds(box, &bounds);
  EXPECT_EQ(0x336699u, PortPixel(bounds.left + 5, bounds.top + 5));
  EXPECT_EQ(0u, PortPixel(bounds.left, bounds.top + 5));
  EXPECT_EQ(0u, PortPixel(bounds.right - 1, bounds.bottom - 1));
  DisableControl(box);
  EXPECT_EQ(noErr, SendDraw(ColorBoxControlHandler, box));
  const uint32_t background = PortPixel(bounds.left + 5, bounds.top + 5);
  EXPECT_NE(0x336699u, background);
  EXPECT_EQ(background, PortPixel(bounds.left, bounds.top)) << "erased, outline included";
}

TEST_F(ControlClassTest, PickedColourReachesTheConfigurationCancelledOneChangesNothing) {
  OpenWindow();
  ControlRef box = Ctrl(window_, "Colr", 3);
  ShowControl(box);
  const SInt32 before = GetControl32BitValue(box);
  AnswerColorDialog(QColor());
  Drag(Widget(window_, "Colr", 3), {{4, 4}, {4, 4}});
  EXPECT_EQ(before, GetControl32BitValue(box));
  EXPECT_EQ(0, config_->colors[3].red);

  AnswerColorDialog(QColor(0x12, 0x34, 0x56));
  Drag(Widget(window_, "Colr", 3), {{4, 4}, {4, 4}});
  EXPECT_EQ(0x123456, GetControl32BitValue(box));
  EXPECT_EQ(0x1200, config_->colors[3].red) << "the box's \"Col3\" command copied it";
  EXPECT_EQ(0x3400, config_->colors[3].green);
  EXPECT_EQ(0x5600, config_->colors[3].blue);
}

TEST_F(ControlClassTest, PictureBoxIsWhiteOutlinedInvertedWhenPressedAndShowsItsImageScaledAndCentred) {
  OpenWindow();
  // Any control of the window can stand for a picture box here: the handler
  // draws within its bounds.
  ControlRef box = Ctrl(window_, "Colr", 2);
  Rect bounds{};
  GetControlBounds(box, &bounds);  // 32 x 18
  EXPECT_EQ(noErr, SendDraw(PictureControlHandler, box));
  EXPECT_EQ(0xFFFFFFu, PortPixel(bounds.left + 5, bounds.top + 5));
  EXPECT_EQ(0u, PortPixel(bounds.left, bounds.top));
  HiliteControl(box, 1);
  EXPECT_EQ(noErr, SendDraw(PictureControlHandler, box));
  EXPECT_EQ(0u, PortPixel(bounds.left + 5, bounds.top + 5));
  EXPECT_EQ(0xFFFFFFu, PortPixel(bounds.left, bounds.top));
  HiliteControl(box, 0);
  // A 4 x 4 red image: fitted to 18 x 18 in the middle of the box.
  std::vector<uint8_t> pixels(4 * 4 * 4, 0);
  for (size_t i = 0; i < pixels.size(); i += 4) pixels[i] = 0xFF, pixels[i + 1] = 0xFF;
  CGImageRef image = CGImageCreateWithARGB(4, 4, pixels.data(), 16);
  SetPictureControlImage(box, image);
  EXPECT_EQ(noErr, SendDraw(PictureControlHandler, box));
  EXPECT_EQ(0xFF0000u, PortPixel((bounds.left + bounds.right) / 2, bounds.top + 9));
  EXPECT_EQ(0xFFFFFFu, PortPixel(bounds.left + 3, bounds.top + 9)) << "white beside the image";
  SetPictureControlImage(box, nullptr);
  CGImageRelease(image);
}

}  // namespace
}  // namespace dialog_test
