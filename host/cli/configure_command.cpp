#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "host/cli/commands.h"
#include "host/cli/plugin_job.h"
#include "host/cli/settings_store.h"
#include "host/media/stop_request.h"
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
  PluginJob job;
  if (!job.openVideoAt(o.input, o.at, error)) return reportError(error);
  const VideoInfo& info = job.info();
  // The dialog works on a private copy of the settings: its OK stores the
  // record there, and only then is the copy put in the target's place.
  auto prefs = PrivatePreferences::open(target, error);
  if (!prefs) return reportError(error);
  pluginDataRec stored{};
  prefs->read(stored);
  if (const std::string note = mediaShapeNote(info.width, info.height, stored.mediaType, o.settings); !note.empty())
    std::printf("note: %s\n", note.c_str());
  if (!job.loadPlugin(o.plugin, error)) return reportError(error);
  if (!platformCreateGUIApplication()) return reportError("cannot start the window system on this display");
  // A stop signal closes the settings window as Cancel would.
  platformCloseWindowsOnNotice(stopNoticeFd());

  const int32_t clipFrames = job.clipFrames();
  if (!job.describe(0, 0, 0, clipFrames, error)) return reportError(error);
  // The plug-in has read the copy and written it back as it starts; from
  // now on a record in the copy means OK.
  if (!prefs->dropRecord()) return reportError("cannot prepare the copy of " + target);

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
  if (stopRequested()) return 1;
  result = run.call(kPlugCustomButtonClick);
  if (stopRequested()) return 1;
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
