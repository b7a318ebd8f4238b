// The About window from the built bundle's nib, driven through its buttons.
#include "plugin/dialog/aboutwindow.h"

#include <sys/utsname.h>

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/bundles/cfbundle.h"
#include "platform/bundles/cfurl.h"
#include "platform/quickdraw/quickdraw.h"
#include "tests/platform/toolkit/panel_fixture.h"

namespace {

QWidget* AboutWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String("about") && w->isVisible()) return w;
  return nullptr;
}

void Press(QWidget* about, const char* button) {
  QTest::mouseClick(about->findChild<QPushButton*>(button), Qt::LeftButton);
}

TEST(AboutTest, ShowsBothTextsIgnoresUpperCaseOKClosesOnEitherButtonAndRestoresThePort) {
  toolkit_test::EnsureApplication();
  CFURLRef url = platformCreateURLForPath(VELMORANCE_BUNDLE_DIR, true);
  static const CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  ASSERT_NE(nullptr, bundle);
  QString name, version;
  bool stillOpenAfterUpperCase = false;
  QTimer::singleShot(0, [&] {
    QWidget* about = AboutWindow();
    ASSERT_NE(nullptr, about);
    name = about->findChild<QLabel*>("plugName")->text();
    version = about->findChild<QLabel*>("version")->text();
    HICommand upper{0, VM_FOURCC('O', 'K', ' ', ' '), {nullptr, 0}};
    ProcessHICommand(&upper);
    QCoreApplication::processEvents();
    stillOpenAfterUpperCase = AboutWindow() != nullptr;
    Press(about, "okButton");
  });
  GWorldPtr previous = nullptr;
  const Rect bounds{0, 0, 2, 2};
  NewGWorld(&previous, 32, &bounds);
  SetGWorld(previous, nullptr);
  ShowAbout();
  CGrafPtr current = nullptr;
  GetGWorld(&current, nullptr);
  EXPECT_EQ(previous, current) << "the port current before is current again";
  SetGWorld(nullptr, nullptr);
  DisposeGWorld(previous);
  EXPECT_EQ(QStringLiteral("Velmorance (b&w)"), name);
  // The machine and system this build runs on, as the system names them.
  utsname system{};
  ASSERT_EQ(0, uname(&system));
  EXPECT_EQ(QString("Version 3.0.0 (%1 %2)").arg(system.machine, system.sysname), version);
  EXPECT_TRUE(stillOpenAfterUpperCase);
  EXPECT_EQ(nullptr, AboutWindow());
  // Close closes too; should it not, OK ends the wait.
  QObject context;
  bool stuck = false;
  QTimer::singleShot(0, &context, [&] {
    Press(AboutWindow(), "closeButton");
    QTimer::singleShot(50, &context, [&] {
      stuck = true;
      Press(AboutWindow(), "okButton");
    });
  });
  ShowAbout();
  EXPECT_FALSE(stuck);
}

TEST(AboutHandlerTest, OnlyTheExactCodesAreHandled) {
  const std::pair<UInt32, OSStatus> cases[] = {{VM_FOURCC('o', 'k', ' ', ' '), noErr},
                                               {VM_FOURCC('n', 'o', 't', '!'), noErr},
                                               {VM_FOURCC('O', 'K', ' ', ' '), eventNotHandledErr},
                                               {VM_FOURCC('I', 'n', 'f', 'o'), eventNotHandledErr}};
  for (const auto& [code, expected] : cases) {
    EventRef event = nullptr;
    CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &event);
    const HICommand command{0, code, {nullptr, 0}};
    SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
    EXPECT_EQ(expected, AboutDialogHandler(nullptr, event, nullptr));
    ReleaseEvent(event);
  }
}

}  // namespace
