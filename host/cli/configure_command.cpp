#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "host/cli/commands.h"
#include "host/cli/settings_store.h"
#include "host/session/plugin_run.h"
#include "platform/toolkit/gui_application.h"

namespace vmhost {

int runConfigure(const Options& o) {
  // Qt ends the process when it cannot reach a display; say so first.
  if (!platformHasDisplay())
    return reportError(
        "configure opens a window and needs a display: none is set (DISPLAY, WAYLAND_DISPLAY or "
        "QT_QPA_PLATFORM); run it in a desktop session or under Xvfb (xvfb-run velmorance configure ...)");
  const std::string target = settingsTarget(o);
  if (target.empty())
    return reportError("there is no preferences folder: HOME or XDG_CONFIG_HOME must be an absolute path");
  std::string error;
  auto video = VideoReader::open(o.input, error);
  if (!video) return reportError(error);
  const VideoInfo& info = video->info();
  if (const std::string past = framePastEnd("--at", o.at, o.input, info.frameCount); !past.empty())
    return reportError(past);
  // The dialog works on a private copy of the settings: its OK stores the
  // record there, and only then is the copy put in the target's place.
  auto prefs = PrivatePreferences::open(target, error);
  if (!prefs) return reportError(error);
  pluginDataRec stored{};
  prefs->read(stored);
  if (const std::string note = mediaShapeNote(info.width, info.height, stored.mediaType, o.settings); !note.empty())
    std::printf("note: %s\n", note.c_str());
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
  // The plug-in has read the copy and written it back as it starts; from
  // now on a record in the copy means OK.
  if (!prefs->dropRecord()) return reportError("cannot prepare the copy of " + target);

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
  if (!prefs->holdsRecord()) {
    std::printf("cancelled; settings unchanged\n");
    return kCancelledStatus;
  }
  if (!prefs->commitTo(target, error)) return reportError(error);
  std::printf("settings saved to %s\n", target.c_str());
  return 0;
}

}  // namespace vmhost
