// What every command shares: error lines and the files a run reads.
#include <cstdio>
#include <string>

#include "host/cli/commands.h"
#include "host/media/output_names.h"
#include "host/media/stop_request.h"

namespace vmhost {

std::string framePastEnd(const std::string& option, int64_t frame, const std::string& input, int64_t frameCount) {
  if (frame < frameCount) return {};
  return option + " " + std::to_string(frame) + " is past the end: " + input + " has " + std::to_string(frameCount) +
         (frameCount == 1 ? " frame" : " frames") + " (0 to " + std::to_string(frameCount - 1) + ")";
}

std::vector<std::string> filesRead(const Options& o) {
  std::vector<std::string> files = inputFiles(o.input);
  if (!o.settings.empty()) files.push_back(o.settings);
  return files;
}

int reportError(const std::string& message) {
  if (stopRequested()) return 1;
  std::fprintf(stderr, "velmorance: %s\n", message.c_str());
  return 1;
}

void reportNote(const std::string& message) { std::fprintf(stderr, "velmorance: %s\n", message.c_str()); }

}  // namespace vmhost
