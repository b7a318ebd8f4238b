// The configuration dialog's controller (configdlghandler): opens the window
// of the configured media type from the bundle's nib "velmorance", binds its
// controls to gConfigWorkSpace, copies the configuration into them and
// carries out the commands they send. The record is edited in place; OK
// stores it, Cancel puts back the copy taken when the dialog opened. Main
// thread only; one dialog at a time.
#pragma once

#include <cstdint>

#include "platform/corefoundation/cftypes.h"
#include "platform/toolkit/toolkit.h"
#include "plugin/core/plugin_defines.h"

// Outcome of the last window cycle: -1 running, 0 media type changed (the
// window is reopened), 1 OK, 2 Cancel.
extern int16_t lgItemHit;
// The open dialog window; nullptr between window cycles.
extern WindowRef lgTheWindow;

// Runs the dialog modally on theConfig until OK or Cancel. The custom
// control classes must be registered.
void DoConfig(pluginDataPtr theConfig);
// The window name for a media type: "configNTSC", "configPAL" or "configHD";
// unknown types get "configNTSC".
const char* ConfigWindowName(int16_t mediaType);
// Binds a freshly opened window to the workspace and fills it from theConfig.
void SetupDialog(WindowPtr theWindow, pluginDataPtr theConfig);
// Binds the colour boxes "Colr" 1 to 6 and hides them with their captions.
void SetupColors(WindowPtr theWindow, pluginDataPtr theConfig);
// Copies sliders, colours and the on/off fields into the controls, then
// refreshes the preview.
void Config2Dlg(pluginDataPtr theConfig);
// Command handler of the dialog window; userData is the window.
OSStatus TheDialogHandler(EventHandlerCallRef nextHandler, EventRef theEvent, void* userData);
// "Help": opens the bundle's "manual.pdf" with the desktop's viewer, or says
// why it cannot. theBundle may be nullptr. The dialog goes on either way.
void OpenUserManual(CFBundleRef theBundle);
