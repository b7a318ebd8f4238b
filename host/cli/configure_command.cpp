#include <algorithm>
#include <cstdint>
#include <string>

#include "host/cli/commands.h"
#include "host/session/plugin_run.h"
#include "platform/toolkit/gui_application.h"

namespace vmhost {

int runConfigure(const Options& o) {
  // Qt ends the process when it cannot reach a display; say so first.
  if (!platformHasDisplay())
    return reportError(
        "configure opens a window and needs a display: none is set (DISPLAY, WAYLAND_DISPLAY or "
        "QT_QPA_PLATFORM); run it in a desktop session or under Xvfb (xvfb-run velmorance configure ...)");
  std::string error;
  auto video = VideoReader::open(o.input, error);
  if (!video) return reportError(error);
  const VideoInfo& info = video->info();
  if (const std::string past = framePastEnd("--at", o.at, o.input, info.frameCount); !past.empty())
    return reportError(past);
  auto plugin = loadPlugin(o.plugin, error);
  if (!plugin) return reportError(error);
  if (!platformCreateGUIApplication()) return reportError("cannot start the window system on this display");

  const int32_t clipFrames = static_cast<int32_t>(std::min<int64_t>(info.frameCount, INT32_MAX));
  const HYPluginFilterInfo filterInfo{{0.5f, 0.5f, 0.5f}, 0, 0};
  HostSession session(video.get(), nullptr, filterInfo);
  session.setClip(0, clipFrames);
  PluginRun run(*plugin, session);
  int32_t result = run.getInfo(clipFrames);
  if (result != kPluginOK) return reportError(plugin->path() + ": describing itself, " + run.describe(result));

  // A host renders a clip before its settings are opened; the plug-in learns
  // from that render which frames the settings window can scrub through. One
  // small draft frame of the clip from --at on tells it the same.
  GWorldOwner probe = makeOutputWorld(16, 16);
  if (!probe) return reportError("out of memory");
  _PluginParams& params = run.params();
  params.startFrame = 0;
  params.renderFrame = 0;
  params.frameCount = clipFrames - o.at;
  params.proxyOnly = true;
  run.setOutput(probe.get());
  result = run.call(kPlugInitialize);
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
