// The window and control helpers over the test panel's real widgets:
// controls, popups, commands, window placement, justified text, and
// the nib openers' failure messages and stops.
#include <QLineEdit>

#include "plugin/dialog/carbonmacros.h"
#include "plugin/dialog/window_helpers.h"
#include "tests/platform/toolkit/panel_fixture.h"
#include "tests/support/gworld_fixture.h"

namespace {

using toolkit_test::Code;
using toolkit_test::PanelTest;
using toolkit_test::Sides;

std::string Text(const unsigned char* s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

OSStatus gLastCommand = 0;
OSStatus Remember(EventHandlerCallRef, EventRef event, void*) {
  HICommand command{};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  gLastCommand = static_cast<OSStatus>(command.commandID);
  return noErr;
}

// A popup item's position is the first exact match (-1 for none); edit texts
// are cut to 255 and empty on an error or a missing control; a posted command
// reaches the front window, whose codes read most significant byte first;
// the window moves to the right edge keeping its height.
TEST_F(PanelTest, PopupsTextsCommandsAndPlacement) {
  const std::tuple<const char*, const char*, SInt16> items[] = {{"Medi", "\x03PAL", 2},
                                                                {"Medi", "\x02HD", 3},
                                                                {"Medi", "\x03pal", -1},
                                                                {"Medi", "\x02PA", -1},
                                                                {"Empt", "\x03PAL", -1}};
  for (const auto& [popup, name, expected] : items)
    EXPECT_EQ(expected, FindNameInPopupByID(window_, Code(popup), 1, reinterpret_cast<const unsigned char*>(name)))
        << popup << " " << name + 1;
  SimpleSetControlValueByID(window_, Code("Medi"), 1, 3);
  static_cast<QLineEdit*>(toolkit_test::WidgetOf(window_, "Edit", 1))->setText(QString(300, QLatin1Char('y')));
  std::vector<std::string> texts;
  for (const char* sig : {"Edit", "Sldr", "Nope"}) {  // the toolkit reports an error for the slider
    Str255 text;
    GetEditTextFromControl(window_, Code(sig), 1, text);
    texts.push_back(Text(text));
  }
  Str255 selected, first;
  GetSelectedPopupTextFromID(window_, Code("Medi"), 1, selected);
  GetIndexedPopupTextFromID(window_, Code("Medi"), 1, 1, first);
  texts.insert(texts.end(), {Text(selected), Text(first)});
  EXPECT_EQ((std::vector<std::string>{std::string(255, 'y'), "", "", "HD", "NTSC"}), texts);
  SimpleSetControlText(window_, Code("Nope"), 1, "ignored");
  ShowWindow(window_);
  const EventTypeSpec spec{kEventClassCommand, kEventCommandProcess};
  ASSERT_EQ(noErr, InstallWindowEventHandler(window_, Remember, 1, &spec, nullptr, nullptr));
  PostCommand(reinterpret_cast<const unsigned char*>("\x04Info"));
  EXPECT_EQ("Info", CommandID2Str(static_cast<UInt32>(gLastCommand)));
  EXPECT_EQ(std::string("ok \0", 4), CommandID2Str(VM_FOURCC('o', 'k', ' ', 0)));
  Rect before, after;
  GetWindowBounds(window_, kWindowStructureRgn, &before);
  MoveWindowToRightEdge(window_, Rect{0, 0, 600, 1000});
  GetWindowBounds(window_, kWindowStructureRgn, &after);
  EXPECT_EQ(Sides(after), (std::array<int, 4>{1000 - (before.right - before.left), before.top, 1000, before.bottom}));
}

TEST(JustifiedTextTest, PenPositionsAndBackdropsFollowTheJustification) {
  const Rect box{80, 10, 100, 111};  // 101 wide, 20 high, bottom 100
  // Justification, text height and width; pen h and v, backdrop left and right.
  const std::tuple<SInt16, double, SInt16, std::array<int, 4>> cases[] = {
      {1, 12.0, 40, {11, 94, 10, 52}},   // left + 1; baseline 100 - 10 + 6 - 2
      {2, 12.0, 40, {40, 94, 39, 81}},   // 10 + 50 - 20
      {3, 12.0, 40, {70, 94, 69, 111}},  // 111 - 1 - 40
      {0, 12.0, 40, {11, 94, 10, 111}},  // unknown codes draw as left and paint the box
      {4, 12.0, 40, {11, 94, 10, 111}},
      {2, 9.9, 41, {40, 93, 39, 82}},  // 10 + 50 - 41 div 2; 100 - 10 + 9 div 2 - trunc(1.98)
  };
  for (const auto& [justification, height, width, expected] : cases) {
    const Point pen = JustifiedTextOrigin(box, justification, height, width);
    const Rect r = JustifiedTextRect(box, justification, width);
    EXPECT_EQ(expected, (std::array<int, 4>{pen.h, pen.v, r.left, r.right})) << justification << " " << height;
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

TEST(NibOpenerDeathTest, MissingNibOrBundleTerminatesWithTheMessageAWindowWithTheCode) {
  toolkit_test::TestBundle();
  const auto failed = testing::ExitedWithCode(EXIT_FAILURE);
  EXPECT_EXIT(OpenNibWindowFromCFBundle(kTestID, "nope", "panel"), failed,
              "OpenNibWindow Failed(.|\n)*Unable to CreateNibReferenceWithCFBundle for "
              "\"org\\.velmorance\\.toolkit-tests/nope\" as it returned errcode #-10960\\.");
  EXPECT_EXIT(OpenNibWindowFromCFBundle(kTestID, "", "panel"), failed,
              "for \"org\\.velmorance\\.toolkit-tests/velmorance\" as");
  EXPECT_EXIT(OpenNibWindow("", "panel"), failed,
              "Unable to CreateNibReference for \"main\" as it returned errcode #-10960\\.");
  EXPECT_EXIT(OpenNibWindowFromCFBundle("com.nobody.here", "about", "about"), failed,
              "Assertion failed in: Cannot allocate bundle for ID = com\\.nobody\\.here");
  // A window that cannot be made stops with the code's low byte. -10962: no such window file; -10963: an unregistered
  // control class.
  EXPECT_EXIT(OpenNibWindowFromCFBundle(kTestID, "panel", "missing"), testing::ExitedWithCode(-10962 & 0xFF), "");
  EXPECT_EXIT(OpenNibWindowFromCFBundle(kTestID, "panel", "unregistered"), testing::ExitedWithCode(-10963 & 0xFF), "");
}

}  // namespace
