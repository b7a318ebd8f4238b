// The window and control helpers over the test panel's real widgets:
// controls, popups, commands, window placement, justified text, and
// the nib openers' failure messages and stops.
#include <sys/wait.h>
#include <QLineEdit>

#include "plugin/dialog/carbonmacros.h"
#include "plugin/dialog/window_helpers.h"
#include "tests/platform/toolkit/panel_fixture.h"
#include "tests/support/gworld_fixture.h"

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
  const std::tuple<const char*, const char*, SInt16> cases[] = {{"Medi", "\x03PAL", 2},
                                                                {"Medi", "\x02HD", 3},
                                                                {"Medi", "\x03pal", -1},
                                                                {"Medi", "\x02PA", -1},
                                                                {"Empt", "\x03PAL", -1}};
  for (const auto& [popup, name, expected] : cases)
    EXPECT_EQ(expected, FindNameInPopupByID(window_, Code(popup), 1, reinterpret_cast<const unsigned char*>(name)))
        << popup << " " << name + 1;
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

TEST(JustifiedTextTest, PenPositionsAndBackdropsFollowTheJustification) {
  const Rect box{80, 10, 100, 111};  // 101 wide, 20 high, bottom 100
  const struct {
    SInt16 justification;
    double height;
    SInt16 textWidth;
    std::array<int, 4> pen_backdrop;  // pen h and v, backdrop left and right
  } cases[] = {
      {1, 12.0, 40, {11, 94, 10, 52}},   // left + 1; baseline 100 - 10 + 6 - 2
      {2, 12.0, 40, {40, 94, 39, 81}},   // 10 + 50 - 20
      {3, 12.0, 40, {70, 94, 69, 111}},  // 111 - 1 - 40
      {0, 12.0, 40, {11, 94, 10, 111}},  // unknown codes draw as left and paint the box
      {4, 12.0, 40, {11, 94, 10, 111}},
      {2, 9.9, 41, {40, 93, 39, 82}},  // 10 + 50 - 41 div 2; 100 - 10 + 9 div 2 - trunc(1.98)
  };
  for (const auto& c : cases) {
    const Point pen = JustifiedTextOrigin(box, c.justification, c.height, c.textWidth);
    const Rect r = JustifiedTextRect(box, c.justification, c.textWidth);
    EXPECT_EQ(c.pen_backdrop, (std::array<int, 4>{pen.h, pen.v, r.left, r.right}))
        << c.justification << " " << c.height;
    EXPECT_TRUE(r.top == 80 && r.bottom == 100);
  }
  // Drawn from that pen position: right-justified text ends at the right edge less one.
  toolkit_test::EnsureApplication();
  GWorldOwner port = MakeWorld(200, 40);
  SetGWorld(port.get(), nullptr);
  DrawJustifiedTextInBox(Rect{10, 50, 30, 150}, 3, 12.0, reinterpret_cast<const unsigned char*>("\x03III"));
  SetGWorld(nullptr, nullptr);
  EXPECT_EQ(149, port->pnLoc.h);
}

const char kTestID[] = "org.velmorance.toolkit-tests";

bool FailedExit(int status) { return WIFEXITED(status) && WEXITSTATUS(status) != 0; }

TEST(NibOpenerDeathTest, MissingNibOrBundleTerminatesWithTheMessage) {
  toolkit_test::TestBundle();
  EXPECT_EXIT(OpenNibWindowFromCFBundle(kTestID, "nope", "panel"), FailedExit,
              "OpenNibWindow Failed(.|\n)*Unable to CreateNibReferenceWithCFBundle for "
              "\"org\\.velmorance\\.toolkit-tests/nope\" as it returned errcode #-10960\\.");
  EXPECT_EXIT(OpenNibWindowFromCFBundle(kTestID, "", "panel"), FailedExit,
              "for \"org\\.velmorance\\.toolkit-tests/velmorance\" as");
  EXPECT_EXIT(OpenNibWindow("", "panel"), FailedExit,
              "Unable to CreateNibReference for \"main\" as it returned errcode #-10960\\.");
  EXPECT_EXIT(OpenNibWindowFromCFBundle("com.nobody.here", "about", "about"), FailedExit,
              "Assertion failed in: Cannot allocate bundle for ID = com\\.nobody\\.here");
}

TEST(NibOpenerDeathTest, WindowThatCannotBeMadeStopsWithTheCodesLowByte) {
  toolkit_test::TestBundle();
  // -10962: no such window file; -10963: an unregistered control class.
  EXPECT_EXIT(OpenNibWindowFromCFBundle(kTestID, "panel", "missing"), testing::ExitedWithCode(-10962 & 0xFF), "");
  EXPECT_EXIT(OpenNibWindowFromCFBundle(kTestID, "panel", "unregistered"), testing::ExitedWithCode(-10963 & 0xFF), "");
}

}  // namespace
