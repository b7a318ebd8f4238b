// The piece that actually shows a standard alert. The window toolkit installs
// one that opens a real modal window once a GUI application exists; until
// then (and in tests that do not install their own) the console presenter
// writes the alert to standard error and answers its default button.
#pragma once

#include <string>
#include <vector>

#include "platform/alerts/alerts.h"
#include "platform/macos/export.h"

VM_API_BEGIN

struct AlertButton {
  DialogItemIndex item;  // kAlertStdAlertOKButton, ...Cancel..., ...Other..., ...Help...
  std::string title;     // UTF-8
};

// Everything a presenter needs to show one alert, texts in UTF-8.
struct StandardAlert {
  AlertType kind = kAlertStopAlert;
  std::string headline;
  std::string explanation;
  std::vector<AlertButton> buttons;  // in the order default, cancel, other, help
  DialogItemIndex defaultItem = kAlertStdAlertOKButton;
  DialogItemIndex cancelItem = 0;  // 0: no cancel button
  bool movable = false;
};

struct AlertPresenter {
  virtual ~AlertPresenter() = default;
  // Shows `alert` modally on the calling (main) thread and returns the item
  // number of the button pressed.
  virtual DialogItemIndex present(const StandardAlert& alert) = 0;
};

// Installs `presenter` for every later alert; nullptr goes back to the
// console presenter. The caller keeps ownership and keeps it alive while
// installed. Main thread only.
void platformSetAlertPresenter(AlertPresenter* presenter);
AlertPresenter* platformAlertPresenter();
// The console stand-in, always available.
AlertPresenter& platformConsoleAlertPresenter();

VM_API_END
