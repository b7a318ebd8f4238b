// velmorance configure in this process, with the real bundle's settings
// window offscreen, driven through its widgets. The plug-in reads its
// settings once per process, so each test needs a process of its own (as
// CTest runs them).
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <functional>

#include "host/cli/commands.h"
#include "tests/host/test_media.h"
#include "tests/platform/toolkit/panel_fixture.h"

namespace {

class ConfigureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", dir_.path("config").c_str(), 1);
    toolkit_test::EnsureApplication();
    ASSERT_TRUE(vmtest::writePng(input_, vmtest::randomBytes(32 * 16 * 3, 5), 32, 16));
    // Stored settings and a settings file of their own, made as users make them.
    for (const std::string& look : {std::string("--strength 80"), "--settings " + file_ + " --strength 90"})
      ASSERT_TRUE(vmtest::succeeded(vmtest::runShell(VELMORANCE_BIN " settings " + look))) << look;
    stored_ = vmtest::stateOf(dir_.path("config/zelph-Prefs"));
  }
  // Runs configure on the input with --settings `file`; each step runs in its
  // own turn of the window's event loop, on the window.
  int configure(const std::string& file, std::vector<std::function<void(QWidget*)>> steps) {
    vmhost::Options o;
    std::string error;
    EXPECT_TRUE(vmhost::parseOptions({"configure", input_, "--settings", file}, o, error)) << error;
    QObject context;
    size_t next = 0;
    std::function<void()> run = [&] {
      QWidget* window = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("configNTSC") && w->isVisible()) window = w;
      if (window == nullptr) return;
      steps[next++](window);
      if (next < steps.size()) QTimer::singleShot(0, &context, run);
    };
    QTimer::singleShot(0, &context, run);
    testing::internal::CaptureStdout();
    const int status = vmhost::runConfigure(o);
    out_ = testing::internal::GetCapturedStdout();
    return status;
  }
  static void click(QWidget* window, const char* name) { window->findChild<QPushButton*>(name)->click(); }

  vmtest::ScratchDir dir_;
  const std::string input_ = dir_.path("in.png"), file_ = dir_.path("look.prefs");
  vmtest::FileState stored_;
  std::string out_;
};

// OK in the window writes the new settings file and not the stored
// settings; a render with that file equals one with the same values given
// on the command line. (Such runs leave the stored settings alone:
// BundleTest.LookForOneRunLeavesTheStoredFileAlone.)
TEST_F(ConfigureTest, OKWritesTheSettingsFileOnlyAndItRendersAsTheSameValuesGiven) {
  const std::string fresh = dir_.path("fresh.prefs");
  const int status = configure(fresh, {[](QWidget* w) {
                                         auto* slider = w->findChild<QSlider*>("strength");
                                         for (int i = 0; i < 3; ++i) QTest::keyClick(slider, Qt::Key_PageUp);
                                         for (int i = 0; i < 3; ++i) QTest::keyClick(slider, Qt::Key_Up);
                                       },
                                       // The bottom right handle from the corner to the middle.
                                       [](QWidget* w) {
                                         toolkit_test::Drag(w->findChild<QWidget*>("preview"),
                                                            {{357, 237}, {177, 237}, {177, 237}});
                                       },
                                       [](QWidget* w) { click(w, "okButton"); }});
  EXPECT_EQ(0, status);
  EXPECT_EQ("note: the settings window shows frames as ntsc 720x480, so this 32x16 clip looks squeezed there; the "
            "media type hd (960x540) fits it (velmorance settings --settings " + fresh +
                " --media-type hd)\nsettings saved to " + fresh + "\n",
            out_);
  EXPECT_EQ(stored_, vmtest::stateOf(dir_.path("config/zelph-Prefs")));

  for (const std::string& args : {"a.png --settings " + fresh, std::string("b.png --strength 50 --rect 0,0,0.5,1")})
    ASSERT_TRUE(vmtest::succeeded(vmtest::runShell(VELMORANCE_BIN " render " + input_ + " " + dir_.path(args))));
  const auto a = vmtest::decodeRgb(dir_.path("a.png"));
  ASSERT_EQ(32u * 16 * 3, a.size());
  EXPECT_EQ(a, vmtest::decodeRgb(dir_.path("b.png")));
  EXPECT_NE(a, vmtest::decodeRgb(input_));
}

TEST_F(ConfigureTest, CancelLeavesTheSettingsFileAndSaysSo) {
  const vmtest::FileState before = vmtest::stateOf(file_);
  const int status = configure(file_, {[](QWidget* w) {
                                         QTest::keyClick(w->findChild<QSlider*>("strength"), Qt::Key_PageUp);
                                         click(w, "cancelButton");
                                       }});
  EXPECT_EQ(vmhost::kCancelledStatus, status);
  EXPECT_NE(std::string::npos, out_.find("\ncancelled; settings unchanged\n")) << out_;
  EXPECT_EQ(before, vmtest::stateOf(file_));
  EXPECT_EQ(stored_, vmtest::stateOf(dir_.path("config/zelph-Prefs")));
}

}  // namespace
