// Standard alerts: a modal message with a headline, a smaller explanation and
// up to three buttons. Who shows them is pluggable (alert_presenter.h); the
// calls here never know whether a window or the console answers.
#pragma once

#include "platform/corefoundation/cftypes.h"
#include "platform/macos/types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef struct OpaqueDialogPtr* DialogPtr;
typedef DialogPtr DialogRef;
typedef SInt16 DialogItemIndex;
typedef SInt16 AlertType;
typedef UInt32 OptionBits;
struct EventRecord;
typedef Boolean (*ModalFilterProcPtr)(DialogRef theDialog, EventRecord* theEvent, DialogItemIndex* itemHit);
typedef ModalFilterProcPtr ModalFilterUPP;

enum { kAlertStopAlert = 0, kAlertNoteAlert = 1, kAlertCautionAlert = 2, kAlertPlainAlert = 3 };

// Item numbers of the buttons, as RunStandardAlert reports them.
enum {
  kAlertStdAlertOKButton = 1,
  kAlertStdAlertCancelButton = 2,
  kAlertStdAlertOtherButton = 3,
  kAlertStdAlertHelpButton = 4
};

enum { kStdCFStringAlertVersionOne = 1 };
enum { kWindowDefaultPosition = 0 };

// Button texts are borrowed for the call to CreateStandardAlert, which keeps
// its own references. A nullptr text means no such button, except that a
// missing default text gives the standard "OK".
struct AlertStdCFStringAlertParamRec {
  UInt32 version;
  Boolean movable;
  Boolean helpButton;
  CFStringRef defaultText;
  CFStringRef cancelText;
  CFStringRef otherText;
  SInt16 defaultButton;
  SInt16 cancelButton;
  UInt16 position;
  OptionBits flags;
};
typedef AlertStdCFStringAlertParamRec* AlertStdCFStringAlertParamPtr;

// Fills `param` with the defaults: one "OK" button that is the default, not
// movable, no help button, default position. paramErr for a nullptr record or
// an unknown version.
OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamPtr param, UInt32 version);

// Makes an alert of `alertType` with `error` as its headline and
// `explanation` (may be nullptr) as its smaller text. `param` nullptr means
// the defaults. The alert is disposed of by RunStandardAlert. paramErr when
// outAlert is nullptr or the type or record is not valid; memFullErr when it
// cannot be made.
OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert);

// Shows the alert modally, disposes of it and stores the item number of the
// button pressed in outItemHit (when not nullptr). The filter is accepted for
// the classic signature and not called. paramErr for a nullptr alert.
OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP filterProc, DialogItemIndex* outItemHit);

// Ends the process at once with a non-zero exit status after flushing
// standard output and error. Nothing else is cleaned up.
[[noreturn]] void ExitToShell();

VM_API_END
