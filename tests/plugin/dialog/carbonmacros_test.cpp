// Control, popup and event helpers over the test panel's real widgets.
#include "plugin/dialog/carbonmacros.h"

#include <QLabel>
#include <QLineEdit>

#include <algorithm>

#include "platform/quickdraw/text.h"
#include "plugin/dialog/window_helpers.h"
#include "tests/platform/toolkit/panel_fixture.h"

namespace {

using toolkit_test::Code;
using toolkit_test::PanelTest;
using toolkit_test::WidgetOf;

std::string Text(const unsigned char* s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

TEST(CommandID2StrTest, FourBytesMostSignificantFirst) {
  EXPECT_EQ("not!", CommandID2Str(VM_FOURCC('n', 'o', 't', '!')));
  EXPECT_EQ("ok  ", CommandID2Str(VM_FOURCC('o', 'k', ' ', ' ')));
  EXPECT_EQ(std::string(4, '\0'), CommandID2Str(0));
}

TEST_F(PanelTest, MenuItemPositionIsTheFirstExactMatch) {
  const struct {
    const char* popup;
    const char* name;
    SInt16 expected;
  } cases[] = {{"Medi", "\x03PAL", 2}, {"Medi", "\x02HD", 3}, {"Medi", "\x03pal", -1},
               {"Medi", "\x02PA", -1}, {"Empt", "\x03PAL", -1}};
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, FindNameInPopupByID(window_, Code(c.popup), 1,
                                              reinterpret_cast<const unsigned char*>(c.name)))
        << c.popup << " " << c.name + 1;
  SimpleSetControlValueByID(window_, Code("Medi"), 1, 3);
  Str255 text;
  GetSelectedPopupTextFromID(window_, Code("Medi"), 1, text);
  EXPECT_EQ("HD", Text(text));
  GetIndexedPopupTextFromID(window_, Code("Medi"), 1, 1, text);
  EXPECT_EQ("NTSC", Text(text));
}

TEST_F(PanelTest, EditTextIsCutTo255AndEmptyOnErrorOrMissingControl) {
  static_cast<QLineEdit*>(WidgetOf(window_, Code("Edit"), 1))->setText(QString(300, QLatin1Char('y')));
  Str255 text;
  GetEditTextFromControl(window_, Code("Edit"), 1, text);
  EXPECT_EQ(std::string(255, 'y'), Text(text));
  GetEditTextFromControl(window_, Code("Sldr"), 1, text);  // the toolkit reports an error
  EXPECT_EQ(0, text[0]);
  GetEditTextFromControl(window_, Code("Nope"), 1, text);
  EXPECT_EQ(0, text[0]);
  SetEditTextToNumberForControl(-42, window_, Code("Edit"), 1);
  EXPECT_EQ(-42, GetNumberFromEditTextControl(window_, Code("Edit"), 1));
  SelectTextByIDForControl(window_, Code("Edit"), 1, 1, 3);
  EXPECT_EQ(QStringLiteral("42"), static_cast<QLineEdit*>(WidgetOf(window_, Code("Edit"), 1))->selectedText());
}

TEST_F(PanelTest, SimpleHelpersReachTheControl) {
  SimpleSetControlText(window_, Code("Lgnd"), 1, "42%");
  EXPECT_EQ(QStringLiteral("42%"), static_cast<QLabel*>(WidgetOf(window_, Code("Lgnd"), 1))->text());
  SimpleSetControlText(window_, Code("Nope"), 1, "ignored");
  SimpleSetControlValueByID(window_, Code("Sldr"), 1, 42);
  EXPECT_EQ(42, SimpleGetControlValueByID(window_, Code("Sldr"), 1));
  SimpleHideControl(window_, Code("Lgnd"), 1);
  EXPECT_TRUE(WidgetOf(window_, Code("Lgnd"), 1)->isHidden());
  SimpleDisableControlByID(window_, Code("Sldr"), 1);
  EXPECT_FALSE(WidgetOf(window_, Code("Sldr"), 1)->isEnabled());
  const Rect box = SimpleGetControlBox(window_, Code("Clip"), 1);
  EXPECT_EQ(120, box.top);
  EXPECT_EQ(20, box.left);
  EXPECT_EQ(220, box.bottom);
  EXPECT_EQ(220, box.right);
}

OSStatus gLastCommand = 0;
OSStatus Remember(EventHandlerCallRef, EventRef event, void*) {
  HICommand command{};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  gLastCommand = static_cast<OSStatus>(command.commandID);
  return noErr;
}

TEST_F(PanelTest, PostCommandReachesTheFrontWindowWhichMovesToTheRightEdgeKeepingItsHeight) {
  ShowWindow(window_);
  const EventTypeSpec spec{kEventClassCommand, kEventCommandProcess};
  ASSERT_EQ(noErr, InstallWindowEventHandler(window_, Remember, 1, &spec, nullptr, nullptr));
  PostCommand(reinterpret_cast<const unsigned char*>("\x04Info"));
  EXPECT_EQ(static_cast<OSStatus>(VM_FOURCC('I', 'n', 'f', 'o')), gLastCommand);
  Rect before, after;
  GetWindowBounds(window_, kWindowStructureRgn, &before);
  MoveWindowToRightEdge(window_, Rect{0, 0, 600, 1000});
  GetWindowBounds(window_, kWindowStructureRgn, &after);
  EXPECT_EQ(1000, after.right);
  EXPECT_EQ(before.right - before.left, after.right - after.left);
  EXPECT_EQ(before.top, after.top);
}

TEST_F(PanelTest, JustifiedTextIsDrawnFromItsPenPosition) {
  GWorldPtr port = nullptr;
  const Rect bounds{0, 0, 40, 200};
  ASSERT_EQ(noErr, NewGWorld(&port, 32, &bounds));
  CGrafPtr saved;
  GDHandle device;
  GetGWorld(&saved, &device);
  SetGWorld(port, nullptr);
  const Rect box{10, 50, 30, 150};
  const unsigned char text[] = "\x03III";
  DrawJustifiedTextInBox(box, 3, 12.0, text);  // right-justified: ends at 149
  const short width = StringWidth(text);
  SetGWorld(saved, device);
  int inkLeft = 200, inkRight = -1;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x)
      if (reinterpret_cast<uint8_t*>(port->portPixMap.baseAddr)[y * port->portPixMap.rowBytes + x * 4] != 0)
        inkLeft = std::min(inkLeft, x), inkRight = std::max(inkRight, x);
  EXPECT_GT(width, 0);
  EXPECT_GE(inkLeft, 149 - width - 1);
  EXPECT_LE(inkRight, 150);
  EXPECT_EQ(149, port->pnLoc.h) << "the pen ends at the right edge less one";
  DisposeGWorld(port);
}

TEST(EventHelperTest, ParametersAreReadWithTheirNamesAndTypes) {
  EventRef event = nullptr;
  ASSERT_EQ(noErr, CreateEvent(nullptr, kEventClassKeyboard, 1, 0, 0, &event));
  const Point where{12, 34};
  SetEventParameter(event, kEventParamWindowMouseLocation, typeQDPoint, sizeof where, &where);
  const char key = 'q';
  const UInt32 code = 12, mods = shiftMask;
  SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, 1, &key);
  SetEventParameter(event, kEventParamKeyCode, typeUInt32, 4, &code);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, 4, &mods);
  const WindowRef window = reinterpret_cast<WindowRef>(0x1234);
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  const Point read = GetMouseLocFromEvent(event);
  EXPECT_EQ(12, read.v);
  EXPECT_EQ(34, read.h);
  char readKey = 0;
  UInt32 readCode = 0, readMods = 0;
  GetWindowKeyboardDataFromEvent(event, &readKey, &readCode, &readMods);
  EXPECT_EQ('q', readKey);
  EXPECT_EQ(12u, readCode);
  EXPECT_EQ(512u, readMods);
  EXPECT_EQ(window, GetWindowFromEvent(event));
  ReleaseEvent(event);
}

}  // namespace
