// The process's GUI application object, for hosts that open windows.
#pragma once

// True when a display is configured (DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM is set), so that making the application cannot end the
// process.
bool platformHasDisplay();
// Makes the GUI application object when the process has none; false when
// there is no display or another kind of application object exists.
bool platformCreateGUIApplication();
