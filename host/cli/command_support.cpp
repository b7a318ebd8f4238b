// What every command shares: error lines and the interrupt flag.
#include <csignal>
#include <cstdio>
#include <string>

#include "host/cli/commands.h"

namespace vmhost {

std::string framePastEnd(const std::string& option, int64_t frame, const std::string& input, int64_t frameCount) {
  if (frame < frameCount) return {};
  return option + " " + std::to_string(frame) + " is past the end: " + input + " has " + std::to_string(frameCount) +
         (frameCount == 1 ? " frame" : " frames") + " (0 to " + std::to_string(frameCount - 1) + ")";
}

int reportError(const std::string& message) {
  std::fprintf(stderr, "velmorance: %s\n", message.c_str());
  return 1;
}

void reportNote(const std::string& message) { std::fprintf(stderr, "velmorance: %s\n", message.c_str()); }

namespace {
volatile std::sig_atomic_t gInterrupted = 0;
extern "C" void onInterrupt(int) { gInterrupted = 1; }
}  // namespace

bool interruptRequested() { return gInterrupted != 0; }

void watchForInterrupts() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace vmhost
