#include "plugin/common/alerts.h"

#include <memory>

#include "platform/alerts/alerts.h"
#include "platform/corefoundation/cfbase.h"
#include "platform/strings/cfstring.h"
#include "platform/strings/text_utils.h"
#include "plugin/common/string_conversions.h"

namespace {

using CFStringOwner = CFOwner<CFStringRef>;

CFStringOwner OwnCFString(ConstStr255Param text) { return CFStringOwner(MakeCFString(text)); }

// A short string from literal bytes, for the string_view overloads.
struct ShortString {
  explicit ShortString(std::string_view text) { pstringAssign(bytes, text); }
  Str255 bytes;
};

}  // namespace

SInt16 StandardWarning(ConstStr255Param headline, ConstStr255Param description, ConstStr255Param okText,
                       ConstStr255Param cancelText) {
  CFStringOwner okString = OwnCFString(okText);
  CFStringOwner cancelString = cancelText[0] > 0 ? OwnCFString(cancelText) : nullptr;

  AlertStdCFStringAlertParamRec param{};
  param.version = kStdCFStringAlertVersionOne;
  param.movable = true;
  param.helpButton = false;
  param.defaultText = okString.get();
  param.cancelText = cancelString.get();
  param.otherText = nullptr;
  param.defaultButton = kAlertStdAlertOKButton;
  param.cancelButton = kAlertStdAlertCancelButton;
  param.position = kWindowDefaultPosition;
  param.flags = 0;

  CFStringOwner headlineString = OwnCFString(headline);
  CFStringOwner descriptionString = OwnCFString(description);
  DialogItemIndex itemHit = 0;
  DialogRef alert = nullptr;
  if (CreateStandardAlert(kAlertCautionAlert, headlineString.get(), descriptionString.get(), &param, &alert) ==
      noErr)
    RunStandardAlert(alert, nullptr, &itemHit);
  return itemHit;
}

SInt16 StandardWarning(std::string_view headline, std::string_view description, std::string_view okText,
                       std::string_view cancelText) {
  return StandardWarning(ShortString(headline).bytes, ShortString(description).bytes, ShortString(okText).bytes,
                         ShortString(cancelText).bytes);
}

void StandardStop(ConstStr255Param headline, ConstStr255Param description) {
  CFStringOwner headlineString = OwnCFString(headline);
  CFStringOwner descriptionString = OwnCFString(description);
  DialogRef alert = nullptr;
  DialogItemIndex itemHit = 0;
  if (CreateStandardAlert(kAlertStopAlert, headlineString.get(), descriptionString.get(), nullptr, &alert) == noErr)
    RunStandardAlert(alert, nullptr, &itemHit);
}

void StandardStop(std::string_view headline, std::string_view description) {
  StandardStop(ShortString(headline).bytes, ShortString(description).bytes);
}

void Terminate(ConstStr255Param headline, ConstStr255Param description) {
  StandardStop(headline, description);
  ExitToShell();
}

void Terminate(std::string_view headline, std::string_view description) {
  Terminate(ShortString(headline).bytes, ShortString(description).bytes);
}

void Assert(const void* thePtr, ConstStr255Param failLocation) {
  if (thePtr != nullptr) return;
  std::string text("Assertion failed in: ");
  text += pstringView(failLocation);
  Terminate("Assertion Failure", text);  // the string_view overload cuts at 255
}

void Assert(const void* thePtr, std::string_view failLocation) {
  if (thePtr != nullptr) return;
  Assert(thePtr, ShortString(failLocation).bytes);
}

void Notify(ConstStr255Param theMessage) {
  StandardWarning(ShortString("Internal Notification:").bytes, theMessage, ShortString("ok").bytes,
                  ShortString("").bytes);
}

void Notify(std::string_view theMessage) { Notify(ShortString(theMessage).bytes); }
