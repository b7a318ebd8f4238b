// The dialog's controller through its real windows: OK and Cancel after
// edits and a media type change, About, the window of each media type, the
// commands of an open window, Help.
#include "plugin/dialog/config_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/bundles/cfurl.h"
#include "platform/corefoundation/cfbase.h"
#include "platform/toolkit/qt_access.h"
#include "plugin/core/bridges/plugin_init.h"
#include "plugin/core/data_handling.h"
#include "plugin/core/globals.h"
#include "plugin/files/prefsloader.h"
#include "tests/plugin/dialog/dialog_fixture.h"
#include "tests/support/recording_presenter.h"

namespace dialog_test {
namespace {

// The fields the dialog edits and the preferences file keeps.
std::vector<double> Fields(const pluginDataRec& c) {
  std::vector<double> v{c.startRel.left,     c.startRel.right,    c.startRel.top,     c.startRel.bottom,
                        double(c.mediaType), double(c.keepProps), double(c.twoColors)};
  for (int n = 1; n <= cNumSliders; ++n) v.insert(v.end(), {double(c.sliders[n]), double(c.colors[n].blue)});
  return v;
}

const std::array<double, 4> kWholeFrame{0, 1, 0, 1};
std::array<double, 4> Edges(const relRect& r) { return {r.left, r.right, r.top, r.bottom}; }

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
  pluginDataRec before_{};
};

// Strength up by a page, the frame's bottom-right handle dragged in, keep
// proportions on, NTSC chosen again (the window stays), then PAL: the window
// closes and reopens showing the edits. Cancel then puts back every field,
// OK keeps and stores them.
TEST_F(StoredConfigTest, EditsSurviveAMediaChangeCancelPutsBackEveryFieldOKStoresThem) {
  for (const std::string button : {"cancelButton", "okButton"}) {
    SCOPED_TRACE(button);
    WindowRef first = nullptr;
    bool sameKeptOpen = false;
    int16_t hitAfterSame = 99;
    std::vector<std::string> seen;  // the windows, then the new one's strength, keep and legend
    pluginDataRec edited{};
    auto media = [] { return static_cast<QComboBox*>(WidgetOf(lgTheWindow, "Medi", 1)); };
    RunDialog(150, {[] { QTest::keyClick(WidgetOf(lgTheWindow, "Sldr", 1), Qt::Key_PageUp); },
                    [] {
                      Drag(WidgetOf(lgTheWindow, "Clip", 1), {{355, 235}, {300, 200}, {250, 150}});
                    },
                    [] { ClickCommand(lgTheWindow, "keepProportions"); },
                    [&] {
                      first = lgTheWindow;
                      emit media()->activated(0);
                    },
                    [&] {
                      sameKeptOpen = lgTheWindow == first && IsWindowVisible(first);
                      hitAfterSame = lgItemHit;
                      seen.push_back(WindowName(lgTheWindow));
                      QTest::keyClick(media(), Qt::Key_Down);
                    },
                    [&] {
                      seen.insert(seen.end(), {WindowName(lgTheWindow),
                                               std::to_string(GetControl32BitValue(Control(lgTheWindow, "Sldr", 1))),
                                               std::to_string(GetControl32BitValue(Control(lgTheWindow, "Keep", 1))),
                                               TextOf(lgTheWindow, "Lgnd", 1)});
                      edited = *config_;
                      ClickCommand(lgTheWindow, button.c_str());
                    }});
    EXPECT_TRUE(sameKeptOpen);
    EXPECT_EQ(-1, hitAfterSame);
    EXPECT_EQ((std::vector<std::string>{"configNTSC", "configPAL", "27", "1", "27%"}), seen);
    EXPECT_TRUE(edited.sliders[1] == 27 && edited.mediaType == 2 && edited.keepProps && edited.startRel.right < 1);
    const bool ok = button == "okButton";
    EXPECT_EQ(ok ? 1 : 2, lgItemHit);
    EXPECT_EQ(Fields(ok ? edited : before_), Fields(*config_));
    EXPECT_EQ(Fields(ok ? edited : before_), Fields(Stored()));
    TearDown();
    SetUp();
  }
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
                   WidgetOf(lgTheWindow, "Sldr", 1)->setFocus();
                   QTest::keyClick(ToolkitWindowWidget(lgTheWindow)->windowHandle(), Qt::Key_PageUp);
                 },
                 [&] { click(ToolkitWindowWidget(lgTheWindow), "okButton"); },
                 [] { ClickCommand(lgTheWindow, "cancelButton"); }});
  EXPECT_TRUE(aboutShown);
  EXPECT_EQ(1, lgItemHit);
  EXPECT_EQ(27, Stored().sliders[1]);
}

// Each window on a workspace of at least one frame, its frame counter wide
// enough for six-digit counts; the preview buffer lives for one run only.
TEST_F(DialogTest, EveryMediaTypeOpensItsWindowOnAPreparedWorkspace) {
  const struct {
    int16_t mediaType;
    int32_t frames;
    std::vector<std::string> seen;  // window, counter, scrubber maximum, media popup
    int width, height;
  } cases[] = {{1, 1, {"configNTSC", "0/0", "0", "1"}, 360, 240},
               {2, -5, {"configPAL", "0/0", "0", "2"}, 360, 288},
               {3, 120, {"configHD", "0/119", "119", "3"}, 480, 270},
               {0, 5, {"configNTSC", "0/4", "4", "1"}, 360, 240},
               {7, 5, {"configNTSC", "0/4", "4", "1"}, 360, 240}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mediaType);
    config_->mediaType = c.mediaType;
    gConfigWorkSpace.activeRel = 2;
    gConfigWorkSpace.currFrameIndex = 9;
    std::vector<std::string> seen;
    Rect preview{};
    bool counterFits = false;
    pluginWorkSpace workspace{};
    RunDialog(c.frames, {[&] {
                workspace = gConfigWorkSpace;
                preview = PreviewBounds();
                seen = {WindowName(lgTheWindow), TextOf(lgTheWindow, "ClpM", 1),
                        std::to_string(GetControl32BitMaximum(gConfigWorkSpace.clipSlider)),
                        std::to_string(GetControl32BitValue(Control(lgTheWindow, "Medi", 1)))};
                auto* counter = static_cast<QLabel*>(WidgetOf(lgTheWindow, "ClpM", 1));
                counter->setText("999999/999999");
                counterFits =
                    counter->fontMetrics().horizontalAdvance(counter->text()) <= counter->contentsRect().width();
                ClickCommand(lgTheWindow, "cancelButton");
              }});
    EXPECT_EQ(c.seen, seen);
    EXPECT_EQ(c.width, preview.right - preview.left);
    EXPECT_EQ(c.height, preview.bottom - preview.top);
    EXPECT_TRUE(counterFits);
    EXPECT_EQ(c.mediaType, config_->mediaType);
    EXPECT_TRUE(workspace.currFrameIndex == 0 && workspace.activeRel == 1 && workspace.sourceClip == frame_ &&
                workspace.theConfig == config_ && workspace.theFXClip != nullptr);
    EXPECT_EQ(nullptr, gConfigWorkSpace.theFXClip);
  }
}

TEST_F(DialogTest, CommandsOfAnOpenWindowWriteTheRecordAndShowIt) {
  config_->mediaType = 3;
  config_->sliders[1] = 60;
  config_->keepProps = true;
  config_->startRel = relRect{0.1, 0.3, 0.1, 0.3};
  OpenWindow();
  ClickCommand(window_, "selectAll");
  EXPECT_EQ(kWholeFrame, Edges(config_->startRel)) << "even with keep proportions on";
  ClickCommand(window_, "twoColors");
  EXPECT_FALSE(config_->twoColors);
  ClickCommand(window_, "keepProportions");
  EXPECT_FALSE(config_->keepProps);
  ClickCommand(window_, "keepProportions");
  EXPECT_TRUE(config_->keepProps);
  // Reset keeps the media type and shows the defaults.
  config_->startRel = relRect{0.1, 0.4, 0.2, 0.5};
  ClickCommand(window_, "reset");
  EXPECT_TRUE(config_->mediaType == 3 && config_->sliders[1] == 17 && !config_->keepProps && config_->twoColors);
  EXPECT_EQ(kWholeFrame, Edges(config_->startRel));
  EXPECT_EQ("17%", TextOf(window_, "Lgnd", 1));
  EXPECT_EQ((std::vector<SInt32>{17, 0, 1}), (std::vector<SInt32>{GetControl32BitValue(Control(window_, "Sldr", 1)),
                                                                  GetControl32BitValue(Control(window_, "Keep", 1)),
                                                                  GetControl32BitValue(Control(window_, "2col", 0))}));
  // An unknown command is passed on and changes nothing.
  const pluginDataRec before = *config_;
  lgItemHit = 5;
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &event);
  const HICommand command{0, Code("abcd"), {nullptr, 0}};
  SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
  EXPECT_EQ(eventNotHandledErr, TheDialogHandler(nullptr, event, window_));
  ReleaseEvent(event);
  EXPECT_EQ(-1, lgItemHit);
  EXPECT_EQ(Fields(before), Fields(*config_));
  EXPECT_TRUE(IsWindowVisible(window_));
}

// Help without the manual in the bundle, without a bundle, and where no
// program opens PDF files (as here, offscreen): each says so, the last
// naming the manual so the user can open it by hand.
TEST(UserManualTest, EachMissingPieceIsNamedAndTheDialogGoesOn) {
  EnsureApplication();
  RecordingPresenter presenter{kAlertStdAlertOKButton};
  CFURLRef url = platformCreateURLForPath(TEST_PANELS_BUNDLE, true);
  CFBundleRef withoutManual = CFBundleCreate(nullptr, url);
  CFRelease(url);
  ASSERT_NE(nullptr, withoutManual);
  OpenUserManual(withoutManual);
  OpenUserManual(nullptr);
  OpenUserManual(CFBundleGetBundleWithIdentifier(CFSTR("com.qzt.oxbowfx.velmorance")));
  std::vector<std::string> texts;
  for (const StandardAlert& alert : presenter.shown) texts.push_back(alert.explanation);
  EXPECT_EQ((std::vector<std::string>{
                "Cannot locate manual in bundle", "Cannot Locate Bundle. Proceed with caution. Crash imminent",
                "Cannot locate manual in bundle",
                "No program to open PDF files was found. The user manual is " VELMORANCE_BUNDLE_DIR
                "/Contents/Resources/manual.pdf"}),
            texts);
}

}  // namespace
}  // namespace dialog_test
