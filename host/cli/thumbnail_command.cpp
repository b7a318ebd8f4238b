#include <cstdio>

#include "host/cli/commands.h"
#include "host/cli/plugin_job.h"
#include "host/cli/settings_store.h"
#include "host/media/output_names.h"
#include "host/media/stop_request.h"

namespace vmhost {

int runThumbnail(const Options& o) {
  std::string error;
  const std::string& out = o.output;
  if (out.size() < 4 || (out.compare(out.size() - 4, 4, ".png") != 0 && out.compare(out.size() - 4, 4, ".PNG") != 0))
    return reportError(out + ": a thumbnail is written as .png");
  if (out.find('%') != std::string::npos) return reportError(out + ": a thumbnail is one picture, not a sequence");
  if (error = checkOutputNames(out, "", 1, filesRead(o)); !error.empty()) return reportError(error);
  const auto look = prepareRunLook(o, error);
  if (!error.empty()) return reportError(error);
  PluginJob job;
  if (!job.openVideoAt(o.input, o.at, error)) return reportError(error);
  const VideoInfo& info = job.info();
  const int width = o.size ? o.size->width : info.width;
  const int height = o.size ? o.size->height : info.height;
  if (!job.loadPlugin(o.plugin, error)) return reportError(error);
  if (stopRequested()) return 1;

  OutputSpec spec = job.outputSpec(out, width, height, o.at, 1);
  spec.overwrite = o.overwrite;
  auto sink = openFrameSink(spec, error);
  if (!sink) return reportError(error);
  const int32_t clipFrames = job.clipFrames();
  if (!job.makeOutput(width, height, error) || !job.describe(0, 0, 0, clipFrames, error)) return reportError(error);
  PluginRun& run = job.run();
  _PluginParams& params = run.params();
  params.getInfo.bestThumbOffset = o.at;
  params.startFrame = 0;
  params.renderFrame = 0;
  params.frameCount = clipFrames;
  int32_t result = run.call(kPlugFilePlaceHolder);
  // The placeholder does not report a failing frame step; the host knows
  // when it could not deliver the frame.
  if (result == kPluginOK && job.session().framesFailed() > 0) result = kPluginFailed;
  if (result != kPluginOK) return reportError(o.input + ": drawing the thumbnail, " + run.describe(result));
  // Encoding a large picture takes a while: a stop during it is seen before
  // the file goes in place.
  if (stopRequested() || !job.writeOutput(*sink, nullptr, 0, error) || stopRequested() || !sink->finish(error))
    return reportError(error);
  if (!o.quiet) std::printf("%s: thumbnail of frame %d, %dx%d\n", out.c_str(), o.at, width, height);
  return 0;
}

}  // namespace vmhost
