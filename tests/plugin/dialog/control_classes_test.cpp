// The colour and picture boxes drawing into the dialog window's port, and the
// colour picker's answer reaching the configuration through the box's command.
#include <QApplication>
#include <QColorDialog>
#include <QTimer>

#include "platform/coregraphics/cgcontext.h"
#include "plugin/core/globals.h"
#include "plugin/dialog/color_control.h"
#include "plugin/dialog/picture_control.h"
#include "tests/plugin/dialog/dialog_fixture.h"

namespace dialog_test {
namespace {

// Draws the control with `handler`; its pixels inside (5, 5 in), at the
// top-left corner and at the bottom-right one.
std::array<uint32_t, 3> Draw(EventHandlerUPP handler, ControlRef control) {
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassControl, kEventControlDraw, 0, 0, &event);
  SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof control, &control);
  EXPECT_EQ(noErr, handler(nullptr, event, nullptr));
  ReleaseEvent(event);
  Rect b{};
  GetControlBounds(control, &b);
  GrafPtr port = GetWindowPort(GetControlOwner(control));
  return {PixelAt(port, b.left + 5, b.top + 5), PixelAt(port, b.left, b.top), PixelAt(port, b.right - 1, b.bottom - 1)};
}

// Answers the colour dialog, once it is up, with `choice` (or cancels it
// when `choice` is invalid).
void AnswerColorDialog(QColor choice) {
  QTimer::singleShot(20, [choice] {
    auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return AnswerColorDialog(choice);
    if (!choice.isValid()) return dialog->reject();
    dialog->setCurrentColor(choice);
    dialog->accept();
  });
}

TEST_F(DialogTest, ColourBoxIsFilledAndOutlinedErasedWhenDisabledAndTakesThePickedColour) {
  OpenWindow();
  ControlRef box = Control(window_, "Colr", 1);
  SetControl32BitValue(box, 0x336699);
  EXPECT_EQ((std::array<uint32_t, 3>{0x336699, 0, 0}), Draw(ColorBoxControlHandler, box));
  DisableControl(box);
  const auto erased = Draw(ColorBoxControlHandler, box);
  EXPECT_NE(0x336699u, erased[0]);
  EXPECT_EQ((std::array{erased[0], erased[0], erased[0]}), erased) << "erased, outline included";
  // A click opens the picker; the box's "Col3" command then copies its value,
  // kept when the picker is cancelled, into the configuration.
  box = Control(window_, "Colr", 3);
  SetControl32BitValue(box, 0x336699);
  ShowControl(box);
  for (const auto& [choice, value] : {std::pair{QColor(), 0x336699}, {QColor(0x12, 0x34, 0x56), 0x123456}}) {
    AnswerColorDialog(choice);
    Drag(WidgetOf(window_, "Colr", 3), {{4, 4}, {4, 4}});
    EXPECT_EQ(value, GetControl32BitValue(box));
    const RGBColor& c = config_->colors[3];
    EXPECT_EQ((std::array<int, 3>{value >> 16 << 8, (value >> 8 & 0xFF) << 8, (value & 0xFF) << 8}),
              (std::array<int, 3>{c.red, c.green, c.blue}));
  }
}

TEST_F(DialogTest, PictureBoxIsWhiteOutlinedInvertedWhenPressedAndShowsItsImageScaledAndCentred) {
  OpenWindow();
  // Any control of the window can stand for a picture box here: the handler
  // draws within its bounds.
  ControlRef box = Control(window_, "Colr", 2);
  EXPECT_EQ((std::array<uint32_t, 3>{0xFFFFFF, 0, 0}), Draw(PictureControlHandler, box));
  HiliteControl(box, 1);
  EXPECT_EQ((std::array<uint32_t, 3>{0, 0xFFFFFF, 0xFFFFFF}), Draw(PictureControlHandler, box));
  HiliteControl(box, 0);
  // A 4 x 4 red image, fitted to 18 x 18 in the middle of the 32 x 18 box.
  std::vector<uint8_t> pixels(4 * 4 * 4, 0);
  for (size_t i = 0; i < pixels.size(); i += 4) pixels[i] = 0xFF, pixels[i + 1] = 0xFF;
  CGImageRef image = CGImageCreateWithARGB(4, 4, pixels.data(), 16);
  SetPictureControlImage(box, image);
  Draw(PictureControlHandler, box);
  Rect b{};
  GetControlBounds(box, &b);
  EXPECT_EQ(0xFF0000u, PixelAt(GetWindowPort(window_), (b.left + b.right) / 2, b.top + 9));
  EXPECT_EQ(0xFFFFFFu, PixelAt(GetWindowPort(window_), b.left + 3, b.top + 9)) << "white beside the image";
  SetPictureControlImage(box, nullptr);
  CGImageRelease(image);
}

}  // namespace
}  // namespace dialog_test
