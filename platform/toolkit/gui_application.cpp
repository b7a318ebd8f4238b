#include "platform/toolkit/gui_application.h"

#include <QtGlobal>

#include "platform/toolkit/toolkit_internal.h"

bool platformHasDisplay() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool platformCreateGUIApplication() { return platformHasDisplay() && toolkit::ensureApplication(); }
