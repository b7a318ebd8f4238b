// The dialog's controller through its real windows: OK, Cancel, media type
// changes, the scrubber buttons, reset, select-all, unknown commands, Help.
#include "plugin/dialog/config_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "platform/alerts/alert_presenter.h"
#include "platform/bundles/cfbundle.h"
#include "platform/bundles/cfurl.h"
#include "platform/corefoundation/cfbase.h"
#include "platform/toolkit/qt_access.h"
#include "plugin/core/bridges/plugin_init.h"
#include "plugin/core/data_handling.h"
#include "plugin/core/globals.h"
#include "plugin/dialog/slider_handlers.h"
#include "plugin/files/prefsloader.h"
#include "tests/plugin/dialog/dialog_fixture.h"

namespace dialog_test {
namespace {

void ExpectSameConfig(const pluginDataRec& expected, const pluginDataRec& actual) {
  EXPECT_EQ(expected.startRel.left, actual.startRel.left);
  EXPECT_EQ(expected.startRel.right, actual.startRel.right);
  EXPECT_EQ(expected.startRel.top, actual.startRel.top);
  EXPECT_EQ(expected.startRel.bottom, actual.startRel.bottom);
  for (int n = 1; n <= cNumSliders; ++n) EXPECT_EQ(expected.sliders[n], actual.sliders[n]) << "slider " << n;
  for (int n = 1; n <= cNumColors; ++n) EXPECT_EQ(expected.colors[n].blue, actual.colors[n].blue) << "colour " << n;
  EXPECT_EQ(expected.mediaType, actual.mediaType);
  EXPECT_EQ(expected.keepProps, actual.keepProps);
  EXPECT_EQ(expected.twoColors, actual.twoColors);
}

void ExpectWholeFrame(const relRect& r) {
  EXPECT_EQ(0.0, r.left);
  EXPECT_EQ(1.0, r.right);
  EXPECT_EQ(0.0, r.top);
  EXPECT_EQ(1.0, r.bottom);
}

std::string WindowName(WindowRef window) { return ToolkitWindowWidget(window)->objectName().toStdString(); }

class StoredConfigTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    InitMyPlugIn(&config_);  // makes sure the preferences file exists
    ResetConfig(config_, true);
    ASSERT_TRUE(SaveConfig(config_));
    before_ = *config_;
  }
  pluginDataRec Stored() {
    pluginDataRec stored{};
    EXPECT_TRUE(ReadConfig(&stored));
    return stored;
  }
  // Strength up by a page, the frame's bottom-right handle dragged in, keep
  // proportions on, NTSC chosen again (the window stays), then PAL chosen:
  // the window closes and reopens showing the edits.
  std::vector<std::function<void()>> Edits() {
    return {[] { QTest::keyClick(Widget(lgTheWindow, "Sldr", 1), Qt::Key_PageUp); },
            [] {
              Drag(Widget(lgTheWindow, "Clip", 1), {{355, 235}, {300, 200}, {250, 150}});
            },
            [] { ClickCommand(lgTheWindow, "keepProportions"); },
            [this] {
              first_ = lgTheWindow;
              emit static_cast<QComboBox*>(Widget(lgTheWindow, "Medi", 1))->activated(0);
            },
            [this] {
              sameKeptOpen_ = lgTheWindow == first_ && IsWindowVisible(first_);
              hitAfterSame_ = lgItemHit;
              windows_.push_back(WindowName(lgTheWindow));
              QTest::keyClick(Widget(lgTheWindow, "Medi", 1), Qt::Key_Down);
            },
            [this] {
              windows_.push_back(WindowName(lgTheWindow));
              shown_ = {GetControl32BitValue(Ctrl(lgTheWindow, "Sldr", 1)),
                        GetControl32BitValue(Ctrl(lgTheWindow, "Keep", 1))};
              legend_ = TextOf(lgTheWindow, "Lgnd", 1);
              edited_ = *config_;
            }};
  }
  WindowRef first_ = nullptr;
  bool sameKeptOpen_ = false;
  int16_t hitAfterSame_ = 99;
  std::pair<SInt32, SInt32> shown_;  // strength slider, keep proportions
  std::string legend_;
  pluginDataRec before_{}, edited_{};
  std::vector<std::string> windows_;
};

TEST_F(StoredConfigTest, CancelAfterSliderFrameAndMediaEditsPutsBackEveryField) {
  auto steps = Edits();
  steps.push_back([] { ClickCommand(lgTheWindow, "cancelButton"); });
  RunDialog(150, steps);
  EXPECT_TRUE(sameKeptOpen_);
  EXPECT_EQ(-1, hitAfterSame_);
  EXPECT_EQ((std::vector<std::string>{"configNTSC", "configPAL"}), windows_);
  EXPECT_EQ((std::pair<SInt32, SInt32>{27, 1}), shown_);
  EXPECT_EQ("27%", legend_);
  EXPECT_EQ(27, edited_.sliders[1]);
  EXPECT_EQ(2, edited_.mediaType);
  EXPECT_TRUE(edited_.keepProps);
  EXPECT_LT(edited_.startRel.right, 1.0);
  EXPECT_EQ(2, lgItemHit);
  ExpectSameConfig(before_, *config_);
  ExpectSameConfig(before_, Stored());
}

TEST_F(StoredConfigTest, OKKeepsEveryEditAndStoresThem) {
  auto steps = Edits();
  steps.push_back([] { ClickCommand(lgTheWindow, "okButton"); });
  RunDialog(150, steps);
  EXPECT_EQ(1, lgItemHit);
  EXPECT_EQ(27, config_->sliders[1]);
  EXPECT_EQ(2, config_->mediaType);
  ExpectSameConfig(edited_, *config_);
  ExpectSameConfig(edited_, Stored());
}

// About… opened from the running dialog and closed again leaves the dialog
// taking input as the window system delivers it (through the window, where
// Qt drops input to windows a modal window blocks): a key on the slider, a
// click on OK. Should the click be lost, the last step cancels so the test
// ends.
TEST_F(StoredConfigTest, AfterAboutClosesTheDialogTakesKeysAndClicksAgain) {
  auto click = [](QWidget* window, const char* name) {
    auto* button = window->findChild<QPushButton*>(name);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, button->mapTo(window, button->rect().center()));
  };
  bool aboutShown = false;
  RunDialog(10, {[&] {
                   QTimer::singleShot(0, [&] {
                     for (QWidget* w : QApplication::topLevelWidgets())
                       if (w->objectName() == QLatin1String("about") && w->isVisible()) {
                         aboutShown = true;
                         click(w, "okButton");
                       }
                   });
                   click(ToolkitWindowWidget(lgTheWindow), "infoButton");
                 },
                 [] {
                   Widget(lgTheWindow, "Sldr", 1)->setFocus();
                   QTest::keyClick(ToolkitWindowWidget(lgTheWindow)->windowHandle(), Qt::Key_PageUp);
                 },
                 [&] { click(ToolkitWindowWidget(lgTheWindow), "okButton"); },
                 [] { ClickCommand(lgTheWindow, "cancelButton"); }});
  EXPECT_TRUE(aboutShown);
  EXPECT_EQ(1, lgItemHit);
  EXPECT_EQ(27, Stored().sliders[1]);
}

TEST_F(StoredConfigTest, EscapeCancels) {
  RunDialog(10, {[] { QTest::keyClick(Widget(lgTheWindow, "Sldr", 1), Qt::Key_PageUp); },
                 [] { QTest::keyClick(ToolkitWindowWidget(lgTheWindow), Qt::Key_Escape); }});
  EXPECT_EQ(2, lgItemHit);
  EXPECT_EQ(17, config_->sliders[1]);
}

TEST_F(DialogTest, EveryMediaTypeOpensItsWindowOnAPreparedWorkspaceOfAtLeastOneFrame) {
  const struct {
    int16_t mediaType;
    const char* window;
    int width, height;
    int32_t frames, maxIndex;
  } cases[] = {{1, "configNTSC", 360, 240, 0, 0},
               {2, "configPAL", 360, 288, -5, 0},
               {3, "configHD", 480, 270, 120, 119},
               {0, "configNTSC", 360, 240, 5, 4},
               {7, "configNTSC", 360, 240, 5, 4}};
  for (const auto& c : cases) {
    config_->mediaType = c.mediaType;
    EXPECT_STREQ(c.window, ConfigWindowName(c.mediaType));
    gConfigWorkSpace.activeRel = 2;
    gConfigWorkSpace.currFrameIndex = 9;
    std::string opened;
    Rect preview{};
    SInt32 mediaValue = 0;
    pluginWorkSpace seen{};
    RunDialog(c.frames, {[&] {
                seen = gConfigWorkSpace;
                opened = WindowName(lgTheWindow);
                preview = PreviewBounds();
                mediaValue = GetControl32BitValue(Ctrl(lgTheWindow, "Medi", 1));
                ClickCommand(lgTheWindow, "cancelButton");
              }});
    EXPECT_EQ(c.window, opened) << c.mediaType;
    EXPECT_EQ(c.width, preview.right - preview.left) << c.mediaType;
    EXPECT_EQ(c.height, preview.bottom - preview.top) << c.mediaType;
    EXPECT_EQ(c.mediaType >= 1 && c.mediaType <= 3 ? c.mediaType : 1, mediaValue) << c.mediaType;
    EXPECT_EQ(c.mediaType, config_->mediaType);
    EXPECT_EQ(c.maxIndex, seen.maxFrameIndex) << c.frames;
    EXPECT_EQ(0, seen.minFrameIndex);
    EXPECT_EQ(0, seen.currFrameIndex);
    EXPECT_EQ(1, seen.activeRel);
    EXPECT_EQ(frame_, seen.sourceClip);
    EXPECT_EQ(config_, seen.theConfig);
    EXPECT_NE(nullptr, seen.theFXClip);
    // The preview buffer lives for one run of the dialog only.
    EXPECT_EQ(nullptr, gConfigWorkSpace.theFXClip);
  }
}

TEST_F(DialogTest, StepButtonsStopAtTheEndsAndFetchTheNextFrame) {
  host_.params.startFrame = 1000;
  OpenWindow(150);
  EXPECT_EQ("0/149", TextOf(window_, "ClpM", 1));
  ClickCommand(window_, "previousFrame");
  EXPECT_EQ("0/149", TextOf(window_, "ClpM", 1));
  EXPECT_TRUE(host_.requested.empty());
  ClickCommand(window_, "nextFrame");
  EXPECT_EQ("1/149", TextOf(window_, "ClpM", 1));
  EXPECT_EQ(1, GetControl32BitValue(gConfigWorkSpace.clipSlider));
  EXPECT_EQ(std::vector<int32_t>{1001}, host_.requested);
  EXPECT_EQ(1, host_.released);
  EXPECT_EQ(0, gConfigWorkSpace.currFrameIndex) << "only dragging the scrubber changes it";
  // The fetched frame, scaled into the dialog's frame buffer.
  GrafPtr expected = MakeTestFrame(720, 480, 1001);
  EXPECT_EQ(PixelAt(expected, 100, 50), PixelAt(gConfigWorkSpace.sourceClip, 100, 50));
  // A frame the host cannot deliver keeps the previous one.
  host_.getFrameResult = kPluginFailed;
  ClickCommand(window_, "nextFrame");
  EXPECT_EQ("2/149", TextOf(window_, "ClpM", 1));
  EXPECT_EQ(PixelAt(expected, 100, 50), PixelAt(gConfigWorkSpace.sourceClip, 100, 50));
  EXPECT_EQ(1, host_.released);
  DisposeGWorld(expected);
}

// The frame counter of every window shows six-digit counts whole.
TEST_F(DialogTest, FrameCounterFitsSixDigitCounts) {
  for (int16_t mediaType = 1; mediaType <= 3; ++mediaType) {
    config_->mediaType = mediaType;
    OpenWindow(1000000);
    SetClipPositionText(window_, 999999);
    auto* label = static_cast<QLabel*>(Widget(window_, "ClpM", 1));
    EXPECT_EQ("999999/999999", label->text().toStdString());
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width()) << mediaType;
    TearDown();
    SetUp();
  }
}

TEST_F(DialogTest, AdvanceAtTheLastFrameChangesNothing) {
  OpenWindow(2);
  ClickCommand(window_, "nextFrame");
  ClickCommand(window_, "nextFrame");
  EXPECT_EQ("1/1", TextOf(window_, "ClpM", 1));
  EXPECT_EQ(std::vector<int32_t>{1}, host_.requested);
}

TEST_F(DialogTest, ResetKeepsTheMediaTypeAndShowsTheDefaults) {
  config_->mediaType = 3;
  config_->sliders[1] = 60;
  config_->keepProps = true;
  config_->twoColors = false;
  config_->startRel = relRect{0.1, 0.4, 0.2, 0.5};
  OpenWindow();
  ClickCommand(window_, "reset");
  EXPECT_EQ(3, config_->mediaType);
  EXPECT_EQ(17, config_->sliders[1]);
  EXPECT_EQ("17%", TextOf(window_, "Lgnd", 1));
  EXPECT_EQ(17, GetControl32BitValue(Ctrl(window_, "Sldr", 1)));
  EXPECT_EQ(0, GetControl32BitValue(Ctrl(window_, "Keep", 1)));
  EXPECT_EQ(1, GetControl32BitValue(Ctrl(window_, "2col", 0)));
  ExpectWholeFrame(config_->startRel);
}

TEST_F(DialogTest, SelectAllMakesTheWholeFrameEvenWithKeepProportionsAndOnOffControlsWriteTheirFields) {
  config_->keepProps = true;
  config_->startRel = relRect{0.1, 0.3, 0.1, 0.3};
  OpenWindow();
  ClickCommand(window_, "selectAll");
  ExpectWholeFrame(config_->startRel);
  ClickCommand(window_, "twoColors");
  EXPECT_FALSE(config_->twoColors);
  ClickCommand(window_, "keepProportions");
  EXPECT_FALSE(config_->keepProps);
  ClickCommand(window_, "keepProportions");
  EXPECT_TRUE(config_->keepProps);
}

TEST_F(DialogTest, UnknownCommandIsPassedOnAndChangesNothing) {
  OpenWindow();
  const pluginDataRec before = *config_;
  lgItemHit = 5;
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &event);
  const HICommand command{0, Code("abcd"), {nullptr, 0}};
  SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
  EXPECT_EQ(eventNotHandledErr, TheDialogHandler(nullptr, event, window_));
  ReleaseEvent(event);
  EXPECT_EQ(-1, lgItemHit);
  ExpectSameConfig(before, *config_);
  EXPECT_TRUE(IsWindowVisible(window_));
}

struct RecordingPresenter : AlertPresenter {
  DialogItemIndex present(const StandardAlert& alert) override {
    texts.push_back(alert.explanation);
    return kAlertStdAlertOKButton;
  }
  std::vector<std::string> texts;
};

TEST(UserManualTest, ABundleWithoutTheManualSaysSoAndGoesOn) {
  RecordingPresenter presenter;
  AlertPresenter* previous = platformAlertPresenter();
  platformSetAlertPresenter(&presenter);
  CFURLRef url = platformCreateURLForPath(TEST_PANELS_BUNDLE, true);
  CFBundleRef withoutManual = CFBundleCreate(nullptr, url);
  CFRelease(url);
  ASSERT_NE(nullptr, withoutManual);
  OpenUserManual(withoutManual);
  EXPECT_EQ(std::vector<std::string>{"Cannot locate manual in bundle"}, presenter.texts);
  presenter.texts.clear();
  OpenUserManual(nullptr);
  EXPECT_EQ((std::vector<std::string>{"Cannot Locate Bundle. Proceed with caution. Crash imminent",
                                      "Cannot locate manual in bundle"}),
            presenter.texts);
  platformSetAlertPresenter(previous == &presenter ? nullptr : previous);
}

// Where no program opens PDF files (as here, offscreen), the alert says so
// and names the manual, so the user can open it by hand.
TEST(UserManualTest, NoProgramForPDFFilesNamesTheManual) {
  EnsureApplication();
  RecordingPresenter presenter;
  AlertPresenter* previous = platformAlertPresenter();
  platformSetAlertPresenter(&presenter);
  OpenUserManual(CFBundleGetBundleWithIdentifier(CFSTR("com.qzt.oxbowfx.velmorance")));
  EXPECT_EQ(std::vector<std::string>{"No program to open PDF files was found. The user manual is " VELMORANCE_BUNDLE_DIR
                                     "/Contents/Resources/manual.pdf"},
            presenter.texts);
  platformSetAlertPresenter(previous == &presenter ? nullptr : previous);
}

}  // namespace
}  // namespace dialog_test
