// The About window from the built bundle's nib, driven through its buttons.
#include "plugin/dialog/aboutwindow.h"

#include <sys/utsname.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/bundles/cfbundle.h"
#include "platform/bundles/cfurl.h"
#include "platform/quickdraw/quickdraw.h"
#include "tests/platform/toolkit/panel_fixture.h"

namespace {

class AboutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    toolkit_test::EnsureApplication();
    CFURLRef url = platformCreateURLForPath(VELMORANCE_BUNDLE_DIR, true);
    bundle_ = CFBundleCreate(nullptr, url);
    CFRelease(url);
  }
  static QWidget* AboutWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == QLatin1String("about") && w->isVisible()) return w;
    return nullptr;
  }
  static QString LabelText(QWidget* window, const char* name) {
    auto* label = window->findChild<QLabel*>(name);
    return label == nullptr ? QString() : label->text();
  }
  static inline CFBundleRef bundle_ = nullptr;
};

TEST_F(AboutTest, ShowsBothTextsIgnoresUpperCaseOKAndClosesOnOK) {
  ASSERT_NE(nullptr, bundle_);
  QString name, version;
  bool stillOpenAfterUpperCase = false;
  QTimer::singleShot(0, [&] {
    QWidget* about = AboutWindow();
    ASSERT_NE(nullptr, about);
    name = LabelText(about, "plugName");
    version = LabelText(about, "version");
    HICommand upper{0, VM_FOURCC('O', 'K', ' ', ' '), {nullptr, 0}};
    ProcessHICommand(&upper);
    QCoreApplication::processEvents();
    stillOpenAfterUpperCase = AboutWindow() != nullptr;
    QTest::mouseClick(about->findChild<QPushButton*>("okButton"), Qt::LeftButton);
  });
  GWorldPtr previous = nullptr;
  const Rect bounds{0, 0, 2, 2};
  NewGWorld(&previous, 32, &bounds);
  SetGWorld(previous, nullptr);
  ShowAbout();
  CGrafPtr current = nullptr;
  GetGWorld(&current, nullptr);
  EXPECT_EQ(previous, current) << "the port current before is current again";
  EXPECT_EQ(QStringLiteral("Velmorance (b&w)"), name);
  // The machine and system this build runs on, as the system names them.
  utsname system{};
  ASSERT_EQ(0, uname(&system));
  EXPECT_EQ(QString("Version 3.0.0 (%1 %2)").arg(system.machine, system.sysname), version);
  EXPECT_TRUE(stillOpenAfterUpperCase);
  EXPECT_EQ(nullptr, AboutWindow());
  SetGWorld(nullptr, nullptr);
  DisposeGWorld(previous);
}

TEST_F(AboutTest, ScreenshotShowsTheTextsAndCloseClosesToo) {
  QImage shot;
  QTimer::singleShot(0, [&shot] {
    QWidget* about = AboutWindow();
    ASSERT_NE(nullptr, about);
    shot = about->grab().toImage();
    QDir().mkpath(SCREENSHOT_DIR);
    shot.save(QStringLiteral(SCREENSHOT_DIR "/about.png"));
    QTest::mouseClick(about->findChild<QPushButton*>("closeButton"), Qt::LeftButton);
  });
  ShowAbout();
  EXPECT_EQ(nullptr, AboutWindow());
  ASSERT_FALSE(shot.isNull());
  // Both label strips hold dark text pixels against the light window.
  for (const QRect strip : {QRect(20, 20, 320, 30), QRect(20, 60, 320, 24)}) {
    int dark = 0;
    for (int y = strip.top(); y <= strip.bottom(); ++y)
      for (int x = strip.left(); x <= strip.right(); ++x) dark += qGray(shot.pixel(x, y)) < 100;
    EXPECT_GT(dark, 100) << strip.y();
  }
}

TEST(AboutHandlerTest, OnlyTheExactCodesAreHandled) {
  const struct {
    UInt32 code;
    OSStatus expected;
  } cases[] = {{VM_FOURCC('o', 'k', ' ', ' '), noErr},
               {VM_FOURCC('n', 'o', 't', '!'), noErr},
               {VM_FOURCC('O', 'K', ' ', ' '), eventNotHandledErr},
               {VM_FOURCC('I', 'n', 'f', 'o'), eventNotHandledErr}};
  for (const auto& c : cases) {
    EventRef event = nullptr;
    CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &event);
    const HICommand command{0, c.code, {nullptr, 0}};
    SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
    EXPECT_EQ(c.expected, AboutDialogHandler(nullptr, event, nullptr));
    ReleaseEvent(event);
  }
}

}  // namespace
