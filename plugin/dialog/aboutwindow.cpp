#include "plugin/dialog/aboutwindow.h"

#include <string>

#include "plugin/core/plugin_defines.h"
#include "plugin/dialog/carbonmacros.h"
#include "plugin/dialog/window_helpers.h"
#include "platform/quickdraw/quickdraw_owners.h"

namespace {

WindowRef lgAboutWindow = nullptr;

}  // namespace

OSStatus AboutDialogHandler(EventHandlerCallRef, EventRef theEvent, void* userData) {
  OSStatus result = eventNotHandledErr;
  HICommand command{};
  GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  const std::string theCommand = CommandID2Str(command.commandID);
  if (theCommand == "ok  " || theCommand == "not!") {
    QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
    result = noErr;
  }
  return result;
}

void ShowAbout() {
  PortSaver saved;
  lgAboutWindow = OpenNibWindowFromCFBundle(cMyBundleID, "about", "about");
  if (lgAboutWindow == nullptr) return;
  const EventTypeSpec commandEvent{kEventClassCommand, kEventCommandProcess};
  InstallEventHandler(GetWindowEventTarget(lgAboutWindow), NewEventHandlerUPP(AboutDialogHandler), 1, &commandEvent,
                      lgAboutWindow, nullptr);
  SimpleSetControlText(lgAboutWindow, VM_FOURCC('P', 'l', 'u', 'g'), 1, cMyClearName);
  SimpleSetControlText(lgAboutWindow, VM_FOURCC('V', 'e', 'r', 's'), 1, std::string("Version ") + cPlugVersion);
  ShowWindow(lgAboutWindow);
  BringToFront(lgAboutWindow);
  RunAppModalLoopForWindow(lgAboutWindow);
  DisposeWindow(lgAboutWindow);
  lgAboutWindow = nullptr;
}
