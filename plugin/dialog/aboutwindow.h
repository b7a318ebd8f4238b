// The About window: the effect's name and version, application-modal.
#pragma once

#include "platform/toolkit/toolkit.h"

// Shows the window from the bundle's nib "about" and returns once one of its
// buttons ("ok  " or "not!") has closed it; the current port is restored.
void ShowAbout();

// Command handler of the window; userData is the window. 0 when the command
// closed it, eventNotHandledErr for any other command.
OSStatus AboutDialogHandler(EventHandlerCallRef myHandler, EventRef theEvent, void* userData);
