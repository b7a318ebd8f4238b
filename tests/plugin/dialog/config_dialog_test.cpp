// The dialog run as the custom button runs it: OK and Cancel after edits and
// a media type change, About, the window of each media type, Help.
#include <sys/utsname.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "plugin/core/bridges/plugin_init.h"
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

std::string WindowName(WindowRef window) { return ToolkitWindowWidget(window)->objectName().toStdString(); }

// Clicks the button as the window system delivers a click: through the
// window, where Qt drops input to windows a modal window blocks.
void Click(QWidget* window, const char* name) {
  auto* button = window->findChild<QPushButton*>(name);
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, button->mapTo(window, button->rect().center()));
}

QWidget* AboutWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String("about") && w->isVisible()) return w;
  return nullptr;
}

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
// proportions on (the frame takes the preview's shape at once), NTSC chosen again (the window stays), then PAL: the
// window closes and reopens showing the edits. Cancel then puts back every field, OK keeps and stores them.
TEST_F(StoredConfigTest, EditsSurviveAMediaChangeCancelPutsBackEveryFieldOKStoresThem) {
  for (const std::string button : {"cancelButton", "okButton"}) {
    WindowRef first = nullptr;
    std::vector<std::string> seen;  // the windows and hits, then the new one and what it shows
    pluginDataRec edited{};
    auto media = [] { return static_cast<QComboBox*>(WidgetOf(lgTheWindow, "Medi", 1)); };
    RunDialog(150, {[] { QTest::keyClick(WidgetOf(lgTheWindow, "Sldr", 1), Qt::Key_PageUp); },
                    [] {
                      Drag(WidgetOf(lgTheWindow, "Clip", 1), {{355, 235}, {300, 200}, {250, 150}});
                    },
                    [&] {
                      ClickCommand(lgTheWindow, "keepProportions");
                      seen.push_back(State());
                    },
                    [&] { first = lgTheWindow, emit media()->activated(0); },
                    [&] {
                      seen.insert(seen.end(), {WindowName(lgTheWindow), std::to_string(lgItemHit),
                                               std::to_string(lgTheWindow == first && IsWindowVisible(first))});
                      QTest::keyClick(media(), Qt::Key_Down);
                    },
                    [&] {
                      seen.insert(seen.end(), {WindowName(lgTheWindow), State()});
                      edited = *config_;
                      ClickCommand(lgTheWindow, button.c_str());
                    }});
    EXPECT_EQ((std::vector<std::string>{"0,0,0.847222,0.845833 1 1 1 27 | 27 1 1 0 27% 0/149", "configNTSC", "-1", "1",
                                        "configPAL", "0,0,0.847222,0.847222 2 1 1 27 | 27 1 1 0 27% 0/149"}),
              seen)
        << button;
    const bool ok = button == "okButton";
    EXPECT_EQ(ok ? 1 : 2, lgItemHit);
    EXPECT_EQ(Fields(ok ? edited : before_), Fields(*config_));
    EXPECT_EQ(Fields(ok ? edited : before_), Fields(Stored()));
    TearDown();
    SetUp();
  }
}

// About… from the running dialog shows the effect's name and the machine and
// system this build runs on, ignores an upper-case "OK  ", closes on its
// Close button and puts back the current port; the dialog then takes input as
// the window system delivers it again: a key on the slider, a click on OK.
// Should a click be lost, later steps press OK in About or Cancel the dialog
// so the test ends.
TEST_F(StoredConfigTest, AboutShowsTheVersionClosesAndLeavesTheDialogTakingInput) {
  QObject context;
  utsname system{};
  ASSERT_EQ(0, uname(&system));
  GWorldOwner previous = MakeWorld(2, 2);
  RunDialog(10, {[&] {
                   QTimer::singleShot(0, &context, [&] {
                     QWidget* about = AboutWindow();
                     ASSERT_NE(nullptr, about);
                     EXPECT_EQ(QStringLiteral("Velmorance (b&w)"), about->findChild<QLabel*>("plugName")->text());
                     EXPECT_EQ(QString("Version 3.0.0 (%1 %2)").arg(system.machine, system.sysname),
                               about->findChild<QLabel*>("version")->text());
                     HICommand upper{0, VM_FOURCC('O', 'K', ' ', ' '), {nullptr, 0}};
                     ProcessHICommand(&upper);
                     QCoreApplication::processEvents();
                     EXPECT_NE(nullptr, AboutWindow()) << "closed by an upper-case OK";
                     Click(about, "closeButton");
                     QTimer::singleShot(50, &context, [&] {
                       EXPECT_EQ(nullptr, AboutWindow()) << "still open after Close";
                       if (AboutWindow() != nullptr) Click(AboutWindow(), "okButton");
                     });
                   });
                   SetGWorld(previous.get(), nullptr);
                   Click(ToolkitWindowWidget(lgTheWindow), "infoButton");
                   CGrafPtr current = nullptr;
                   GetGWorld(&current, nullptr);
                   EXPECT_EQ(previous.get(), current);
                 },
                 [] {
                   WidgetOf(lgTheWindow, "Sldr", 1)->setFocus();
                   QTest::keyClick(ToolkitWindowWidget(lgTheWindow)->windowHandle(), Qt::Key_PageUp);
                 },
                 [] { Click(ToolkitWindowWidget(lgTheWindow), "okButton"); },
                 [] { ClickCommand(lgTheWindow, "cancelButton"); }});
  EXPECT_EQ(1, lgItemHit);
  EXPECT_EQ(27, Stored().sliders[1]);
}

// Each window on a workspace of at least one frame, unknown media types as
// NTSC, its frame counter wide enough for six-digit counts; the preview
// buffer lives for one run only.
TEST_F(DialogTest, EveryMediaTypeOpensItsWindowOnAPreparedWorkspace) {
  const std::tuple<int16_t, int32_t, std::vector<std::string>> cases[] = {
      // Media type, frames; window, counter, scrubber maximum, media popup, preview width and height.
      {1, 1, {"configNTSC", "0/0", "0", "1", "360", "240"}},
      {2, -5, {"configPAL", "0/0", "0", "2", "360", "288"}},
      {3, 120, {"configHD", "0/119", "119", "3", "480", "270"}},
      {7, 5, {"configNTSC", "0/4", "4", "1", "360", "240"}}};
  for (const auto& [mediaType, frames, expected] : cases) {
    config_->mediaType = mediaType;
    gConfigWorkSpace.activeRel = 2;
    gConfigWorkSpace.currFrameIndex = 9;
    std::vector<std::string> seen;
    RunDialog(frames, {[&] {
                const pluginWorkSpace& w = gConfigWorkSpace;
                EXPECT_TRUE(w.currFrameIndex == 0 && w.activeRel == 1 && w.sourceClip == frame_.get() &&
                            w.theConfig == config_ && w.theFXClip != nullptr);
                const Rect preview = PreviewBounds();
                seen = {WindowName(lgTheWindow),
                        TextOf(lgTheWindow, "ClpM", 1),
                        std::to_string(GetControl32BitMaximum(w.clipSlider)),
                        std::to_string(GetControl32BitValue(Control(lgTheWindow, "Medi", 1))),
                        std::to_string(preview.right - preview.left),
                        std::to_string(preview.bottom - preview.top)};
                auto* counter = static_cast<QLabel*>(WidgetOf(lgTheWindow, "ClpM", 1));
                counter->setText("999999/999999");
                EXPECT_LE(counter->fontMetrics().horizontalAdvance(counter->text()), counter->contentsRect().width());
                ClickCommand(lgTheWindow, "cancelButton");
              }});
    EXPECT_EQ(expected, seen);
    EXPECT_EQ(mediaType, config_->mediaType);
    EXPECT_EQ(nullptr, gConfigWorkSpace.theFXClip);
  }
}

// Help without the manual in the bundle, without a bundle, and where no
// program opens PDF files (as here, offscreen): each says so, the last
// naming the manual so the user can open it by hand.
TEST(UserManualTest, EachMissingPieceIsNamedAndTheDialogGoesOn) {
  EnsureApplication();
  RecordingPresenter presenter{kAlertStdAlertOKButton};
  CFBundleRef withoutManual =
      CFBundleCreate(nullptr, CFOwner<CFURLRef>(platformCreateURLForPath(TEST_PANELS_BUNDLE, true)).get());
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
