#include "plugin/dialog/config_dialog.h"

#include <cstring>
#include <iterator>
#include <string>

#include "platform/bundles/cfbundle.h"
#include "platform/corefoundation/cfbase.h"
#include "platform/strings/cfstring.h"
#include "plugin/common/alerts.h"
#include "plugin/common/color_packing.h"
#include "plugin/core/data_handling.h"
#include "plugin/core/globals.h"
#include "plugin/dialog/aboutwindow.h"
#include "plugin/dialog/carbonmacros.h"
#include "plugin/dialog/frame_handles.h"
#include "plugin/dialog/slider_handlers.h"
#include "plugin/dialog/window_helpers.h"
#include "plugin/files/prefsloader.h"
#include "plugin/render/cg/line_effect.h"

int16_t lgItemHit = -1;
WindowRef lgTheWindow = nullptr;

namespace {

constexpr OSType Sig(const char (&code)[5]) { return VM_FOURCC(code[0], code[1], code[2], code[3]); }

const EventTypeSpec kCommandEvents[] = {{kEventClassCommand, kEventCommandProcess}};

// One step of the scrubber by the "Adva" and "Revi" buttons; the scrubber's
// dragged position (currFrameIndex) is not changed by them.
void StepScrubber(int32_t step) {
  ControlRef clipSlider = gConfigWorkSpace.clipSlider;
  SInt32 v = GetControl32BitValue(clipSlider);
  if (step > 0 ? gConfigWorkSpace.maxFrameIndex <= v : v <= 0) return;
  v += step;
  SetControl32BitValue(clipSlider, v);
  AccessRenderAndBlit(v);
  SetClipPositionText(gConfigWorkSpace.theWindow, v);
}

// Carries out one command of the dialog; eventNotHandledErr for codes that
// are not the dialog's (and for "Rset", which lets the event go on).
OSStatus DoCommand(const std::string& theCommandString, WindowRef theWindow) {
  pluginDataPtr theConfig = gConfigWorkSpace.theConfig;
  if (theCommandString == "ok  ") {
    lgItemHit = 1;
    QuitAppModalLoopForWindow(theWindow);
    return noErr;
  }
  if (theCommandString == "not!") {
    lgItemHit = 2;
    QuitAppModalLoopForWindow(theWindow);
    return noErr;
  }
  if (theCommandString == "Info") {
    ShowAbout();
    return noErr;
  }
  if (theCommandString.size() == 4 && theCommandString.compare(0, 3, "Col") == 0 && theCommandString[3] >= '1' &&
      theCommandString[3] <= '6') {
    const int16_t n = static_cast<int16_t>(theCommandString[3] - '0');
    theConfig->colors[n] = LongInt2RGBColor(SimpleGetControlValueByID(theWindow, Sig("Colr"), n));
    RerenderAndBlit();
    return noErr;
  }
  if (theCommandString == "Adva") {
    StepScrubber(+1);
    return noErr;
  }
  if (theCommandString == "Revi") {
    StepScrubber(-1);
    return noErr;
  }
  if (theCommandString == "Rset") {
    const int16_t m = theConfig->mediaType;
    ResetConfig(theConfig, false);
    theConfig->mediaType = m;
    Config2Dlg(theConfig);
    RenderLineArt(theConfig);
    RerenderAndBlit();
    return eventNotHandledErr;
  }
  if (theCommandString == "Medi") {
    const int16_t old = theConfig->mediaType;
    theConfig->mediaType = static_cast<int16_t>(SimpleGetControlValueByID(theWindow, Sig("Medi"), 1));
    if (theConfig->mediaType != old) {
      lgItemHit = 0;
      QuitAppModalLoopForWindow(theWindow);
    }
    return noErr;
  }
  if (theCommandString == "Sall") {
    relRect r;
    InitRelRect(r);
    PutCurrentRel(r);
    RerenderAndBlit();
    return noErr;
  }
  if (theCommandString == "Help") {
    OpenUserManual(CFBundleGetBundleWithIdentifier(CFSTR("com.qzt.oxbowfx.velmorance")));
    return noErr;
  }
  if (theCommandString == "Keep") {
    theConfig->keepProps = SimpleGetControlValueByID(theWindow, Sig("Keep"), 1) == 1;
    CalcAndKeepImageProps();
    RerenderAndBlit();
    return noErr;
  }
  if (theCommandString == "2col") {
    theConfig->twoColors = SimpleGetControlValueByID(theWindow, Sig("2col"), 0) == 1;
    RerenderAndBlit();
    return noErr;
  }
  return eventNotHandledErr;
}

}  // namespace

const char* ConfigWindowName(int16_t mediaType) {
  switch (mediaType) {
    case 2:
      return "configPAL";
    case 3:
      return "configHD";
    default:
      return "configNTSC";
  }
}

void DoConfig(pluginDataPtr theConfig) {
  Assert(theConfig, "Nil theConfig on DoConfig");
  const pluginDataRec theBackup = *theConfig;
  do {
    lgItemHit = -1;
    lgTheWindow = OpenNibWindowFromCFBundle(cMyBundleID, cMyPluginName, ConfigWindowName(theConfig->mediaType));
    // Without a window there is nothing to accept: end as a Cancel rather
    // than trying again without end.
    if (lgTheWindow == nullptr) break;
    InstallEventHandler(GetWindowEventTarget(lgTheWindow), NewEventHandlerUPP(TheDialogHandler),
                        static_cast<UInt32>(std::size(kCommandEvents)), kCommandEvents, lgTheWindow, nullptr);
    SetupDialog(lgTheWindow, theConfig);
    ShowWindow(lgTheWindow);
    SetPortWindowPort(lgTheWindow);
    BringToFront(lgTheWindow);
    RunAppModalLoopForWindow(lgTheWindow);
    DisposeWindow(lgTheWindow);
    lgTheWindow = nullptr;
    gConfigWorkSpace.theWindow = nullptr;
    gConfigWorkSpace.theFrameCtrl = nullptr;
    gConfigWorkSpace.clipSlider = nullptr;
    for (int n = 1; n <= cNumSliders; ++n) gConfigWorkSpace.sliders[n] = nullptr;
    for (int n = 1; n <= cNumColors; ++n) gConfigWorkSpace.colors[n] = nullptr;
  } while (lgItemHit == 0);

  if (lgItemHit == 1) {
    SaveConfig(theConfig);
  } else {
    // A loop that ended without OK counts as Cancel: every field goes back.
    *theConfig = theBackup;
  }
}

void SetupDialog(WindowPtr theWindow, pluginDataPtr theConfig) {
  Assert(theWindow, "Nil Window in SetupDialog");
  Assert(theConfig, "Nil theConfig in SetupDialog");
  gConfigWorkSpace.theWindow = theWindow;
  gConfigWorkSpace.theFrameCtrl = SimpleGetControlByID(theWindow, Sig("Clip"), 1);
  Assert(gConfigWorkSpace.theFrameCtrl, "Cannot acces Clip 1 CTRL");
  SetupColors(theWindow, theConfig);
  SetupSliders(theWindow);
  SimpleHideControl(theWindow, Sig("Rect"), 1);
  SimpleHideControl(theWindow, Sig("Rect"), 2);
  // An unknown type opens the NTSC window, so the chooser says NTSC too rather
  // than whichever item the value would be clamped to.
  const bool known = theConfig->mediaType >= 1 && theConfig->mediaType <= 3;
  SimpleSetControlValueByID(theWindow, Sig("Medi"), 1, known ? theConfig->mediaType : 1);
  Config2Dlg(gConfigWorkSpace.theConfig);
  CalcAndKeepImageProps();
  RenderLineArt(gConfigWorkSpace.theConfig);
  RerenderAndBlit();
}

void SetupColors(WindowPtr theWindow, pluginDataPtr theConfig) {
  for (int16_t n = 1; n <= cNumColors; ++n) {
    ControlRef c = SimpleGetControlByID(theWindow, Sig("Colr"), n);
    Assert(c, n == 2 ? "Cannot allocate color2 in SetupDialog" : "Cannot allocate color1 in SetupDialog");
    SetControl32BitMinimum(c, 0);
    SetControl32BitMaximum(c, 0xFFFFFF);
    SetControl32BitValue(c, RGBColor2LongInt(theConfig->colors[n]));
    HideControl(c);
    SimpleHideControl(theWindow, Sig("CLgd"), n);
    gConfigWorkSpace.colors[n] = c;
  }
}

void Config2Dlg(pluginDataPtr theConfig) {
  WindowRef theWindow = gConfigWorkSpace.theWindow;
  for (int n = 1; n <= cNumColors; ++n)
    SetControl32BitValue(gConfigWorkSpace.colors[n], RGBColor2LongInt(theConfig->colors[n]));
  for (int16_t n = 1; n <= cNumSliders; ++n) {
    SetControl32BitValue(gConfigWorkSpace.sliders[n], theConfig->sliders[n]);
    SetSliderLegend(theWindow, n, theConfig->sliders[n]);
  }
  SimpleSetControlValueByID(theWindow, Sig("2col"), 0, theConfig->twoColors ? 1 : 0);
  SimpleSetControlValueByID(theWindow, Sig("Keep"), 1, theConfig->keepProps ? 1 : 0);
  RerenderAndBlit();
}

OSStatus TheDialogHandler(EventHandlerCallRef, EventRef theEvent, void* userData) {
  HICommand theCommand{};
  if (GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof theCommand, nullptr,
                        &theCommand) != noErr)
    return eventNotHandledErr;
  const std::string theCommandString = CommandID2Str(theCommand.commandID);
  lgItemHit = -1;
  if (gConfigWorkSpace.theConfig == nullptr) return eventNotHandledErr;
  return DoCommand(theCommandString, static_cast<WindowRef>(userData));
}

void OpenUserManual(CFBundleRef theBundle) {
  if (theBundle == nullptr) Notify("Cannot Locate Bundle. Proceed with caution. Crash imminent");
  CFURLRef theURL =
      theBundle == nullptr ? nullptr : CFBundleCopyResourceURL(theBundle, CFSTR("manual"), CFSTR("pdf"), nullptr);
  if (theURL == nullptr) {
    Notify("Cannot locate manual in bundle");
    return;
  }
  FSRef theRef;
  if (CFURLGetFSRef(theURL, &theRef)) {
    const OSStatus status = LSOpenFSRef(&theRef, nullptr);
    // Without a program for PDF files the user can still open the manual
    // by hand, given where it is.
    UInt8 path[1024] = {};
    CFURLGetFileSystemRepresentation(theURL, true, path, sizeof path);
    const std::string manual(reinterpret_cast<const char*>(path));
    if (status == kLSApplicationNotFoundErr)
      Notify("No program to open PDF files was found. The user manual is " + manual);
    else if (status != noErr)
      Notify("LSOpen failed with " + std::to_string(status));
  }
  CFRelease(theURL);
}
