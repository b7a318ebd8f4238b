#include "platform/alerts/alerts.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "platform/alerts/alert_presenter.h"
#include "platform/strings/cfstring.h"

namespace {

// What a DialogRef made here points to. The tag guards RunStandardAlert
// against references that did not come from CreateStandardAlert.
struct AlertRecord {
  static constexpr uint32_t kTag = 0x416C7274;  // 'Alrt'
  uint32_t tag = kTag;
  StandardAlert alert;
};

AlertRecord* recordOf(DialogRef ref) {
  auto* record = reinterpret_cast<AlertRecord*>(ref);
  return record != nullptr && record->tag == AlertRecord::kTag ? record : nullptr;
}

bool validItem(SInt16 item) { return item >= kAlertStdAlertOKButton && item <= kAlertStdAlertHelpButton; }

}  // namespace

OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamPtr param, UInt32 version) {
  if (param == nullptr || version != kStdCFStringAlertVersionOne) return paramErr;
  *param = AlertStdCFStringAlertParamRec{};
  param->version = version;
  param->movable = false;
  param->helpButton = false;
  param->defaultText = CFSTR("OK");
  param->defaultButton = kAlertStdAlertOKButton;
  param->cancelButton = 0;
  param->position = kWindowDefaultPosition;
  return noErr;
}

OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert) {
  if (outAlert == nullptr) return paramErr;
  *outAlert = nullptr;
  if (alertType < kAlertStopAlert || alertType > kAlertPlainAlert) return paramErr;
  AlertStdCFStringAlertParamRec defaults;
  if (param == nullptr) {
    GetStandardAlertDefaultParams(&defaults, kStdCFStringAlertVersionOne);
    param = &defaults;
  } else if (param->version != kStdCFStringAlertVersionOne) {
    return paramErr;
  }
  try {
    auto* record = new AlertRecord;
    StandardAlert& alert = record->alert;
    alert.kind = alertType;
    alert.headline = CFStringToUTF8(error);
    alert.explanation = CFStringToUTF8(explanation);
    alert.movable = param->movable;
    alert.buttons.push_back({kAlertStdAlertOKButton, param->defaultText ? CFStringToUTF8(param->defaultText) : "OK"});
    if (param->cancelText != nullptr)
      alert.buttons.push_back({kAlertStdAlertCancelButton, CFStringToUTF8(param->cancelText)});
    if (param->otherText != nullptr)
      alert.buttons.push_back({kAlertStdAlertOtherButton, CFStringToUTF8(param->otherText)});
    if (param->helpButton) alert.buttons.push_back({kAlertStdAlertHelpButton, "Help"});
    // A default or cancel item must name a button the alert has.
    auto present = [&alert](SInt16 item) {
      for (const AlertButton& b : alert.buttons)
        if (b.item == item) return true;
      return false;
    };
    alert.defaultItem = kAlertStdAlertOKButton;
    if (validItem(param->defaultButton) && present(param->defaultButton)) alert.defaultItem = param->defaultButton;
    alert.cancelItem = 0;
    if (validItem(param->cancelButton) && present(param->cancelButton)) alert.cancelItem = param->cancelButton;
    *outAlert = reinterpret_cast<DialogRef>(record);
    return noErr;
  } catch (const std::bad_alloc&) {
    return memFullErr;
  }
}

OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP, DialogItemIndex* outItemHit) {
  AlertRecord* record = recordOf(inAlert);
  if (record == nullptr) return paramErr;
  DialogItemIndex hit = kAlertStdAlertOKButton;
  try {
    hit = platformAlertPresenter()->present(record->alert);
  } catch (...) {
    // A presenter that fails answers like the default button.
    hit = record->alert.defaultItem;
  }
  record->tag = 0;
  delete record;
  if (outItemHit != nullptr) *outItemHit = hit;
  return noErr;
}

void ExitToShell() {
  std::fflush(nullptr);
  // _Exit, not exit: static destructors of a host we run inside must not run
  // from a half-broken state.
  std::_Exit(EXIT_FAILURE);
}
