#include <cstdio>

#include "host/cli/commands.h"
#include "host/cli/settings_store.h"
#include "host/media/frame_sink.h"
#include "host/session/plugin_run.h"

namespace vmhost {

int runThumbnail(const Options& o) {
  std::string error;
  const std::string& out = o.output;
  if (out.size() < 4 || (out.compare(out.size() - 4, 4, ".png") != 0 && out.compare(out.size() - 4, 4, ".PNG") != 0))
    return reportError(out + ": a thumbnail is written as .png");
  if (out.find('%') != std::string::npos) return reportError(out + ": a thumbnail is one picture, not a sequence");
  const auto look = prepareRunLook(o, error);
  if (!error.empty()) return reportError(error);
  auto video = VideoReader::open(o.input, error);
  if (!video) return reportError(error);
  const VideoInfo& info = video->info();
  if (const std::string past = framePastEnd("--at", o.at, o.input, info.frameCount); !past.empty())
    return reportError(past);
  const int width = o.size ? o.size->width : info.width;
  const int height = o.size ? o.size->height : info.height;
  auto plugin = loadPlugin(o.plugin, error);
  if (!plugin) return reportError(error);

  OutputSpec spec;
  spec.path = out;
  spec.width = width;
  spec.height = height;
  spec.frameCount = 1;
  spec.frameRate = info.frameRate;
  spec.alpha = info.hasAlpha;
  auto sink = openFrameSink(spec, error);
  if (!sink) return reportError(error);
  GWorldOwner output = makeOutputWorld(width, height);
  if (!output) return reportError("no memory for a " + std::to_string(width) + "x" + std::to_string(height) + " frame");

  const HYPluginFilterInfo filterInfo{{0.5f, 0.5f, 0.5f}, 0, 0};
  HostSession session(video.get(), nullptr, filterInfo);
  const int32_t clipFrames = static_cast<int32_t>(std::min<int64_t>(info.frameCount, INT32_MAX));
  session.setClip(0, clipFrames);
  PluginRun run(*plugin, session);
  int32_t result = run.getInfo(clipFrames);
  if (result != kPluginOK) return reportError(plugin->path() + ": describing itself, " + run.describe(result));
  _PluginParams& params = run.params();
  params.getInfo.bestThumbOffset = o.at;
  params.startFrame = 0;
  params.renderFrame = 0;
  params.frameCount = clipFrames;
  run.setOutput(output.get());
  result = run.call(kPlugFilePlaceHolder);
  // The placeholder does not report a failing frame step; the host knows
  // when it could not deliver the frame.
  if (result == kPluginOK && session.framesFailed() > 0) result = kPluginFailed;
  if (result != kPluginOK) return reportError(o.input + ": drawing the thumbnail, " + run.describe(result));
  PixMapHandle pm = GetGWorldPixMap(output.get());
  if (!sink->write(reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm)), GetPixRowBytes(pm), nullptr, 0, error) ||
      !sink->finish(error))
    return reportError(error);
  if (!o.quiet) std::printf("%s: thumbnail of frame %d, %dx%d\n", out.c_str(), o.at, width, height);
  return 0;
}

}  // namespace vmhost
