// The console stand-in for alert windows and the presenter registry.
#include <cstdio>
#include <string>

#include "platform/alerts/alert_presenter.h"

namespace {

const char* kindName(AlertType kind) {
  switch (kind) {
    case kAlertStopAlert:
      return "stop";
    case kAlertNoteAlert:
      return "note";
    case kAlertCautionAlert:
      return "caution";
    default:
      return "plain";
  }
}

class ConsoleAlertPresenter : public AlertPresenter {
 public:
  DialogItemIndex present(const StandardAlert& alert) override {
    std::string text = std::string("[alert: ") + kindName(alert.kind) + "] " + alert.headline + "\n";
    if (!alert.explanation.empty()) text += "  " + alert.explanation + "\n";
    text += "  buttons:";
    for (const AlertButton& button : alert.buttons) {
      text += " [" + button.title + "]";
      if (button.item == alert.defaultItem) text += "*";
    }
    text += "\n";
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    return alert.defaultItem;
  }
};

AlertPresenter* lgInstalled = nullptr;

}  // namespace

AlertPresenter& platformConsoleAlertPresenter() {
  static ConsoleAlertPresenter console;
  return console;
}

void platformSetAlertPresenter(AlertPresenter* presenter) { lgInstalled = presenter; }

AlertPresenter* platformAlertPresenter() {
  return lgInstalled != nullptr ? lgInstalled : &platformConsoleAlertPresenter();
}
