// Control, popup and event helpers over the test panel's real widgets.
#include "plugin/dialog/carbonmacros.h"

#include <QLineEdit>

#include "tests/platform/toolkit/panel_fixture.h"

namespace {

using toolkit_test::Code;
using toolkit_test::PanelTest;

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
  } cases[] = {{"Medi", "\x03PAL", 2},
               {"Medi", "\x02HD", 3},
               {"Medi", "\x03pal", -1},
               {"Medi", "\x02PA", -1},
               {"Empt", "\x03PAL", -1}};
  for (const auto& c : cases)
    EXPECT_EQ(c.expected,
              FindNameInPopupByID(window_, Code(c.popup), 1, reinterpret_cast<const unsigned char*>(c.name)))
        << c.popup << " " << c.name + 1;
  SimpleSetControlValueByID(window_, Code("Medi"), 1, 3);
  Str255 text;
  GetSelectedPopupTextFromID(window_, Code("Medi"), 1, text);
  EXPECT_EQ("HD", Text(text));
  GetIndexedPopupTextFromID(window_, Code("Medi"), 1, 1, text);
  EXPECT_EQ("NTSC", Text(text));
}

TEST_F(PanelTest, EditTextIsCutTo255AndEmptyOnErrorOrMissingControl) {
  static_cast<QLineEdit*>(toolkit_test::WidgetOf(window_, "Edit", 1))->setText(QString(300, QLatin1Char('y')));
  Str255 text;
  GetEditTextFromControl(window_, Code("Edit"), 1, text);
  EXPECT_EQ(std::string(255, 'y'), Text(text));
  GetEditTextFromControl(window_, Code("Sldr"), 1, text);  // the toolkit reports an error
  EXPECT_EQ(0, text[0]);
  GetEditTextFromControl(window_, Code("Nope"), 1, text);
  EXPECT_EQ(0, text[0]);
  SimpleSetControlText(window_, Code("Nope"), 1, "ignored");
}

TEST(EventHelperTest, ParametersAreReadWithTheirNamesAndTypes) {
  EventRef event = nullptr;
  ASSERT_EQ(noErr, CreateEvent(nullptr, kEventClassKeyboard, 1, 0, 0, &event));
  const Point where{12, 34};
  const char key = 'q';
  const UInt32 code = 12, mods = shiftMask;
  const WindowRef window = reinterpret_cast<WindowRef>(0x1234);
  SetEventParameter(event, kEventParamWindowMouseLocation, typeQDPoint, sizeof where, &where);
  SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, 1, &key);
  SetEventParameter(event, kEventParamKeyCode, typeUInt32, 4, &code);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, 4, &mods);
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  const Point read = GetMouseLocFromEvent(event);
  char readKey = 0;
  UInt32 readCode = 0, readMods = 0;
  GetWindowKeyboardDataFromEvent(event, &readKey, &readCode, &readMods);
  EXPECT_EQ((std::vector<long>{12, 34, 'q', 12, 512}),
            (std::vector<long>{read.v, read.h, readKey, readCode, readMods}));
  EXPECT_EQ(window, GetWindowFromEvent(event));
  ReleaseEvent(event);
}

}  // namespace
