#include <algorithm>
#include <cstdint>
#include <string>

#include "host/cli/commands.h"
#include "host/cli/plugin_job.h"
#include "platform/toolkit/gui_application.h"

namespace vmhost {

int runConfigure(const Options& o) {
  // Qt ends the process when it cannot reach a display; say so first.
  if (!platformHasDisplay())
    return reportError(
        "configure opens a window and needs a display: none is set (DISPLAY, WAYLAND_DISPLAY or "
        "QT_QPA_PLATFORM); run it in a desktop session or under Xvfb (xvfb-run velmorance configure ...)");
  std::string error;
  PluginJob job;
  if (!job.openVideoAt(o.input, o.at, error)) return reportError(error);
  if (!job.loadPlugin(o.plugin, error)) return reportError(error);
  if (!platformCreateGUIApplication()) return reportError("cannot start the window system on this display");

  const int32_t clipFrames = job.clipFrames();
  if (!job.describe(0, 0, 0, clipFrames, error)) return reportError(error);

  // A host renders a clip before its settings are opened; the plug-in learns
  // from that render which frames the settings window can scrub through. One
  // small draft frame of the clip from --at on tells it the same.
  if (!job.makeOutput(16, 16, error)) return reportError(error);
  PluginRun& run = job.run();
  _PluginParams& params = run.params();
  params.startFrame = 0;
  params.renderFrame = 0;
  params.frameCount = clipFrames - o.at;
  params.proxyOnly = true;
  int32_t result = run.call(kPlugInitialize);
  if (result == kPluginOK) result = run.call(kPlugDoFrame);
  run.call(kPlugTerminate);
  if (result != kPluginOK) return reportError(o.input + ": preparing the settings, " + run.describe(result));

  params.proxyOnly = false;
  params.renderFrame = o.at;
  result = run.call(kPlugCustomButtonClick);
  if (result != kPluginOK) return reportError(o.input + ": opening the settings, " + run.describe(result));
  return 0;
}

}  // namespace vmhost
