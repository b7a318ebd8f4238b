// Nib windows, file references, and the one-rule-per-kind mapping of control
// values, texts, menus and states onto the widgets.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include <cstring>

#include "platform/bundles/cfurl.h"
#include "tests/platform/toolkit/panel_fixture.h"

namespace toolkit_test {
namespace {

// Nib failures report their codes, an unregistered class also a message;
// only existing files have file references, and a missing one does not open.
TEST(NibTest, FailuresReportTheirCodesAndMissingFilesHaveNoReference) {
  EnsureApplication();
  IBNibRef nib = nullptr;
  EXPECT_EQ(kIBCarbonRuntimeCantFindNibFile, CreateNibReferenceWithCFBundle(TestBundle(), CFSTR("nope"), &nib));
  EXPECT_EQ(nullptr, nib);
  WindowRef window = reinterpret_cast<WindowRef>(1);
  EXPECT_EQ(kIBCarbonRuntimeCantFindObject, OpenPanel("missing", &window));
  EXPECT_EQ(nullptr, window);
  testing::internal::CaptureStderr();
  EXPECT_EQ(kToolkitUnregisteredClassErr, OpenPanel("unregistered", &window));
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(nullptr, window);
  EXPECT_NE(std::string::npos, message.find("\"org.velmorance.test.nobody\", which is not registered")) << message;
  FSRef ref;
  EXPECT_FALSE(CFURLGetFSRef(CFOwner<CFURLRef>(platformCreateURLForPath("/nonexistent/a.pdf", false)).get(), &ref));
  const CFOwner<CFURLRef> existing(platformCreateURLForPath(TEST_PANELS_BUNDLE "/Contents/Info.plist", false));
  ASSERT_TRUE(CFURLGetFSRef(existing.get(), &ref));
  EXPECT_STREQ(TEST_PANELS_BUNDLE "/Contents/Info.plist", ref.path);
  std::strcpy(ref.path, "/nonexistent/manual.pdf");
  EXPECT_EQ(fnfErr, LSOpenFSRef(&ref, nullptr));
}

// Controls are found by signature and number, with bounds in window
// coordinates; values follow one rule per kind.
TEST_F(PanelTest, ControlsAreFoundWithTheirBoundsValuesFollowOneRulePerKindTextsAreMacRoman) {
  ControlID unknown{Code("Nope"), 1};
  ControlRef control = nullptr;
  EXPECT_EQ(errUnknownControl, GetControlByID(window_, &unknown, &control));
  Rect bounds;
  GetControlBounds(Control(window_, "Clip", 1), &bounds);
  EXPECT_EQ((std::array<int, 4>{20, 120, 220, 220}), Sides(bounds));
  GetPortBounds(GetWindowPort(window_), &bounds);
  EXPECT_EQ((std::array<int, 4>{0, 0, 340, 300}), Sides(bounds));
  EXPECT_EQ(window_, GetWindowFromPort(GetWindowPort(window_)));
  // Slider: value and range, held to the range; on/off; popup: 1-based item,
  // maximum = item count; a custom control held to its range 0..0.
  const std::pair<const char*, std::array<SInt32, 4>> cases[] = {
      {"Sldr", {42, 42, 0, 100}}, {"Sldr", {250, 100, 0, 100}}, {"Keep", {1, 1, 0, 1}}, {"Keep", {0, 0, 0, 1}},
      {"Medi", {3, 3, 1, 4}},     {"Medi", {9, 4, 1, 4}},       {"Clip", {7, 0, 0, 0}}};
  for (const auto& [sig, c] : cases) {
    ControlRef control = Control(window_, sig, 1);
    SetControl32BitValue(control, c[0]);
    EXPECT_EQ(c, (std::array<SInt32, 4>{c[0], GetControl32BitValue(control), GetControl32BitMinimum(control),
                                        GetControl32BitMaximum(control)}))
        << sig;
  }
  EXPECT_EQ(3, static_cast<QComboBox*>(WidgetOf(window_, "Medi", 1))->currentIndex());
  EXPECT_EQ(100, static_cast<QSlider*>(WidgetOf(window_, "Sldr", 1))->value());
  // A custom control redraws on a change of value, and only then.
  ControlRef clip = Control(window_, "Clip", 1);
  SetControl32BitMaximum(clip, 1);
  gTracker.kinds.clear();
  SetControl32BitValue(clip, 1);
  SetControl32BitValue(clip, 1);
  EXPECT_EQ(std::vector<UInt32>{kEventControlDraw}, gTracker.kinds);
  // Texts are Mac OS Roman bytes; a slider has none; selections count
  // characters.
  const char cafe[] = "Caf\x8E 42%";
  ASSERT_EQ(noErr, SetControlData(Control(window_, "Lgnd", 1), 0, kControlStaticTextTextTag, 8, cafe));
  EXPECT_EQ(QString::fromUtf8("Caf\xC3\xA9 42%"), static_cast<QLabel*>(WidgetOf(window_, "Lgnd", 1))->text());
  char buffer[8];
  Size actual = 0;
  EXPECT_EQ(errDataNotSupported,
            GetControlData(Control(window_, "Sldr", 1), 0, kControlEditTextTextTag, 8, buffer, &actual));
  ControlRef edit = Control(window_, "Edit", 1);
  SetControlData(edit, 0, kControlEditTextTextTag, 6, "abcdef");
  const ControlEditTextSelectionRec selection{1, 4};
  ASSERT_EQ(noErr, SetControlData(edit, 0, kControlEditTextSelectionTag, 4, &selection));
  EXPECT_EQ(QStringLiteral("bcd"), static_cast<QLineEdit*>(WidgetOf(window_, "Edit", 1))->selectedText());
}

}  // namespace
}  // namespace toolkit_test
