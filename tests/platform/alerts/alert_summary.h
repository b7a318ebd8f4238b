// One line for a recorded alert, to compare whole alerts in tables.
#pragma once

#include <string>

#include "platform/alerts/alert_presenter.h"

// Kind, texts, buttons as item:title (* marks the default), cancel item and
// "movable" when it is.
inline std::string AlertSummary(const StandardAlert& a) {
  std::string text = std::to_string(a.kind) + " " + a.headline + " | " + a.explanation + " |";
  for (const AlertButton& b : a.buttons)
    text += " " + std::to_string(b.item) + ":" + b.title + (b.item == a.defaultItem ? "*" : "");
  return text + " cancel " + std::to_string(a.cancelItem) + (a.movable ? " movable" : "");
}
