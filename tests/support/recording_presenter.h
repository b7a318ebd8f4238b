// An alert presenter for tests: records every alert and answers `answer`.
// Installed for the life of the object.
#pragma once

#include <vector>

#include "platform/alerts/alert_presenter.h"

class RecordingPresenter : public AlertPresenter {
 public:
  explicit RecordingPresenter(DialogItemIndex answerWith) : answer(answerWith) { platformSetAlertPresenter(this); }
  ~RecordingPresenter() override { platformSetAlertPresenter(nullptr); }
  RecordingPresenter(const RecordingPresenter&) = delete;
  RecordingPresenter& operator=(const RecordingPresenter&) = delete;

  DialogItemIndex present(const StandardAlert& alert) override {
    shown.push_back(alert);
    return answer;
  }
  std::vector<StandardAlert> shown;
  DialogItemIndex answer;
};
