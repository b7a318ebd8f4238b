#include "platform/toolkit/gui_application.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <QtGlobal>

#include "platform/toolkit/toolkit_internal.h"

bool platformHasDisplay() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool platformCreateGUIApplication() { return platformHasDisplay() && toolkit::ensureApplication(); }

void platformCloseWindowsOnNotice(int fd) {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (fd < 0 || app == nullptr) return;
  auto* notice = new QSocketNotifier(fd, QSocketNotifier::Read, app);
  auto* sweep = new QTimer(app);
  sweep->setInterval(50);
  const auto closeShown = [] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->isVisible()) widget->close();
  };
  QObject::connect(sweep, &QTimer::timeout, closeShown);
  // The descriptor stays readable: one notice is enough.
  QObject::connect(notice, &QSocketNotifier::activated, [notice, sweep, closeShown] {
    notice->setEnabled(false);
    closeShown();
    sweep->start();
  });
}
