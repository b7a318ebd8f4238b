// velmorance: renders video and pictures through the Velmorance plug-in.
#include <malloc.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/cli/commands.h"
#include "host/media/ffmpeg_util.h"
#include "host/media/stop_request.h"
#include "host/session/memory_tracker.h"
#include "plugin/core/plugin_defines.h"
#include "platform/resources/resources.h"

namespace {

// The plug-in keeps its settings in a resource file and says nothing when
// they cannot be stored; the run goes on with them, but the user should know.
void reportUnstoredSettings(const std::string& path, const std::string& reason) {
  std::fprintf(stderr, "velmorance: warning: settings could not be stored in %s: %s\n", path.c_str(), reason.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vmhost;
  std::vector<std::string> args(argv + 1, argv + argc);
  Options options;
  std::string error;
  if (!parseOptions(args, options, error)) return reportError(error);
  if (options.command == Command::Help || options.help) {
    std::fputs(usageText(options.help ? options.command : Command::None).c_str(), stdout);
    return 0;
  }
  if (options.command == Command::Version) {
    std::printf("velmorance %s\n", cPlugVersion);
    return 0;
  }
  // FFmpeg's own lines (encoder statistics, notes on damaged data) only on
  // request; the host reports what matters in its own words.
  routeFFmpegLog(options.verbose);

  watchForStopSignals();
  platformSetResourceStoreNotice(reportUnstoredSettings);
  // Every frame step allocates and frees frame-sized buffers (ours and the
  // plug-in's). Kept in the heap, freed ones are reused; mapped and unmapped
  // each time, every page of every frame costs a fault and a clear.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
  int status = 1;
  try {
    switch (options.command) {
      case Command::Render: status = runRender(options); break;
      case Command::Thumbnail: status = runThumbnail(options); break;
      case Command::Info: status = runInfo(options); break;
      case Command::Configure: status = runConfigure(options); break;
      case Command::Settings: status = runSettings(options); break;
      default: break;
    }
  } catch (const std::exception& e) {
    status = reportError(e.what());
  }
  if (stopRequested()) status = reportStop();
#ifndef NDEBUG
  const std::string held = outstandingReport();
  if (!held.empty()) std::fprintf(stderr, "velmorance: debug: %s at exit\n", held.c_str());
#else
  if (options.verbose) {
    const std::string held = outstandingReport();
    if (!held.empty()) std::fprintf(stderr, "velmorance: %s at exit\n", held.c_str());
  }
#endif
  return status;
}
