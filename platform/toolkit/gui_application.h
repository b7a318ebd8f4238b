// The process's GUI application object, for hosts that open windows.
#pragma once
#include "platform/macos/export.h"

VM_API_BEGIN

// True when a display is configured (DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM is set), so that making the application cannot end the
// process.
bool platformHasDisplay();
// Makes the GUI application object when the process has none; false when
// there is no display or another kind of application object exists.
bool platformCreateGUIApplication();

VM_API_END
