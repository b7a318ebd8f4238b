// A one-line progress bar on standard error: frames done of total, frames
// per second and time left. Drawn only when enabled (a terminal, no --quiet).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vmhost {

class ProgressBar {
 public:
  ProgressBar(int64_t total, bool enabled);
  // Clears the line if the bar was left unfinished.
  ~ProgressBar();
  void update(int64_t done);
  // Draws the final state and moves to the next line.
  void finish();
  // Removes the bar, so a message can take its line.
  void clear();

  // The line for `done` of `total` after `seconds`, without the carriage
  // return; `finished` shows the time taken instead of the time left.
  static std::string line(int64_t done, int64_t total, double seconds, bool finished = false);

 private:
  using Clock = std::chrono::steady_clock;
  int64_t total_;
  bool enabled_;
  bool drawn_ = false;
  Clock::time_point started_;
  Clock::time_point lastDraw_;
};

}  // namespace vmhost
