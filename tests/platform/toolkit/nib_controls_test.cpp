// Nib windows and the one-rule-per-kind mapping of control values and texts.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include <cstring>

#include "platform/bundles/cfurl.h"
#include "tests/platform/toolkit/panel_fixture.h"

namespace toolkit_test {
namespace {

TEST(NibTest, FailuresReportTheirCodesAndUnregisteredClassesAMessage) {
  EnsureApplication();
  IBNibRef nib = nullptr;
  EXPECT_EQ(kIBCarbonRuntimeCantFindNibFile, CreateNibReferenceWithCFBundle(TestBundle(), CFSTR("nope"), &nib));
  EXPECT_EQ(nullptr, nib);
  WindowRef window = reinterpret_cast<WindowRef>(1);
  EXPECT_EQ(kIBCarbonRuntimeCantFindObject, OpenPanel("missing", &window));
  EXPECT_EQ(nullptr, window);
  window = nullptr;
  testing::internal::CaptureStderr();
  EXPECT_EQ(kToolkitUnregisteredClassErr, OpenPanel("unregistered", &window));
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(nullptr, window);
  EXPECT_NE(std::string::npos, message.find("\"org.velmorance.test.nobody\", which is not registered")) << message;
}

TEST(LaunchTest, OnlyExistingFilesHaveFileReferences) {
  FSRef ref;
  CFURLRef missing = platformCreateURLForPath("/nonexistent/manual.pdf", false);
  EXPECT_FALSE(CFURLGetFSRef(missing, &ref));
  CFRelease(missing);
  CFURLRef existing = platformCreateURLForPath(TEST_PANELS_BUNDLE "/Contents/Info.plist", false);
  ASSERT_TRUE(CFURLGetFSRef(existing, &ref));
  EXPECT_STREQ(TEST_PANELS_BUNDLE "/Contents/Info.plist", ref.path);
  CFRelease(existing);
  FSRef gone{};
  std::strcpy(gone.path, "/nonexistent/manual.pdf");
  EXPECT_EQ(fnfErr, LSOpenFSRef(&gone, nullptr));
}

TEST_F(PanelTest, ControlsAreFoundBySignatureAndNumberWithBoundsInWindowCoordinates) {
  EXPECT_NE(nullptr, Control(window_, Code("Sldr"), 1));
  EXPECT_EQ(nullptr, Control(window_, Code("Sldr"), 2));
  ControlID unknown{Code("Nope"), 1};
  ControlRef control = nullptr;
  EXPECT_EQ(errUnknownControl, GetControlByID(window_, &unknown, &control));
  Rect bounds;
  GetControlBounds(Control(window_, Code("Clip"), 1), &bounds);
  EXPECT_EQ(120, bounds.top);
  EXPECT_EQ(20, bounds.left);
  EXPECT_EQ(220, bounds.bottom);
  EXPECT_EQ(220, bounds.right);
  Rect portBounds;
  GetPortBounds(GetWindowPort(window_), &portBounds);
  EXPECT_EQ(300, portBounds.bottom);
  EXPECT_EQ(340, portBounds.right);
  EXPECT_EQ(window_, GetWindowFromPort(GetWindowPort(window_)));
}

struct ValueCase {
  const char* sig;
  SInt32 set;
  SInt32 expectValue, expectMin, expectMax;
};

TEST_F(PanelTest, ValuesFollowOneRulePerKindAndCustomControlsRedrawOnChange) {
  const ValueCase cases[] = {
      {"Sldr", 42, 42, 0, 100},    // slider: value and range
      {"Sldr", 250, 100, 0, 100},  // held to the range
      {"Keep", 1, 1, 0, 1},        // on/off
      {"Keep", 0, 0, 0, 1},
      {"Medi", 3, 3, 1, 4},        // popup: 1-based item, maximum = item count
      {"Medi", 9, 4, 1, 4},
      {"Clip", 7, 0, 0, 0},        // custom control held to its range 0..0
  };
  for (const ValueCase& c : cases) {
    ControlRef control = Control(window_, Code(c.sig), 1);
    ASSERT_NE(nullptr, control) << c.sig;
    SetControl32BitValue(control, c.set);
    EXPECT_EQ(c.expectValue, GetControl32BitValue(control)) << c.sig << " " << c.set;
    EXPECT_EQ(c.expectMin, GetControl32BitMinimum(control)) << c.sig;
    EXPECT_EQ(c.expectMax, GetControl32BitMaximum(control)) << c.sig;
  }
  // The widgets themselves moved.
  EXPECT_EQ(3, static_cast<QComboBox*>(WidgetOf(window_, Code("Medi"), 1))->currentIndex());
  EXPECT_EQ(100, static_cast<QSlider*>(WidgetOf(window_, Code("Sldr"), 1))->value());
  // A custom control redraws on a change of value, and only then.
  ControlRef clip = Control(window_, Code("Clip"), 1);
  SetControl32BitMaximum(clip, 1);
  trackerLog().kinds.clear();
  SetControl32BitValue(clip, 1);
  EXPECT_EQ(std::vector<UInt32>{kEventControlDraw}, trackerLog().kinds);
  SetControl32BitValue(clip, 1);
  EXPECT_EQ(1u, trackerLog().kinds.size());
}

TEST_F(PanelTest, TextsAreMacRomanBytesAndSelectionsCountCharacters) {
  ControlRef legend = Control(window_, Code("Lgnd"), 1);
  const char cafe[] = "Caf\x8E 42%";  // 0x8E is e acute in Mac OS Roman
  ASSERT_EQ(noErr, SetControlData(legend, 0, kControlStaticTextTextTag, 8, cafe));
  EXPECT_EQ(QString::fromUtf8("Caf\xC3\xA9 42%"), static_cast<QLabel*>(WidgetOf(window_, Code("Lgnd"), 1))->text());

  static_cast<QLineEdit*>(WidgetOf(window_, Code("Edit"), 1))->setText(QString(300, QLatin1Char('x')));
  char buffer[255];
  Size actual = 0;
  ASSERT_EQ(noErr, GetControlData(Control(window_, Code("Edit"), 1), 0, kControlEditTextTextTag, 255, buffer, &actual));
  EXPECT_EQ(300, actual);
  EXPECT_EQ(0, std::memcmp(buffer, std::string(255, 'x').data(), 255));
  // A slider has no text.
  EXPECT_EQ(errDataNotSupported,
            GetControlData(Control(window_, Code("Sldr"), 1), 0, kControlEditTextTextTag, 255, buffer, &actual));
  // The selection record selects characters.
  ControlRef edit = Control(window_, Code("Edit"), 1);
  SetControlData(edit, 0, kControlEditTextTextTag, 6, "abcdef");
  const ControlEditTextSelectionRec selection{1, 4};
  ASSERT_EQ(noErr, SetControlData(edit, 0, kControlEditTextSelectionTag, 4, &selection));
  EXPECT_EQ(QStringLiteral("bcd"), static_cast<QLineEdit*>(WidgetOf(window_, Code("Edit"), 1))->selectedText());
}

TEST_F(PanelTest, PopupMenuItemsCountFromOneAndStatesReachTheWidgets) {
  MenuRef menu = GetControlPopupMenuHandle(Control(window_, Code("Medi"), 1));
  ASSERT_NE(nullptr, menu);
  EXPECT_EQ(4, CountMenuItems(menu));
  Str255 text;
  GetMenuItemText(menu, 2, text);
  EXPECT_EQ(std::string("PAL"), std::string(reinterpret_cast<char*>(text + 1), text[0]));
  GetMenuItemText(menu, 5, text);
  EXPECT_EQ(0, text[0]);
  EXPECT_EQ(nullptr, GetControlPopupMenuHandle(Control(window_, Code("Sldr"), 1)));
  // Visibility and highlight states.
  ShowWindow(window_);
  ControlRef slider = Control(window_, Code("Sldr"), 1);
  HideControl(slider);
  EXPECT_FALSE(IsControlVisible(slider));
  EXPECT_TRUE(WidgetOf(window_, Code("Sldr"), 1)->isHidden());
  ShowControl(slider);
  EXPECT_TRUE(IsControlVisible(slider));
  DisableControl(slider);
  EXPECT_EQ(kControlDisabledPart, GetControlHilite(slider));
  EnableControl(slider);
  EXPECT_EQ(0, GetControlHilite(slider));
}

}  // namespace
}  // namespace toolkit_test
