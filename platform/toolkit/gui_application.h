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
// Once `fd` turns readable (a host's notice that it must stop; the toolkit
// never reads it), every shown window is closed as by its close box, in
// whichever event loop runs: the toolkit's windows get Cancel, dialogs and
// message boxes their cancel answer. Windows shown later are closed too, a
// few times a second, for as long as the process runs. Needs the GUI
// application; does nothing for a negative `fd`.
void platformCloseWindowsOnNotice(int fd);

VM_API_END
