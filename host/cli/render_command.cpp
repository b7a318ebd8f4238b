#include <unistd.h>

#include <cstdio>

#include "host/cli/commands.h"
#include "host/cli/plugin_job.h"
#include "host/cli/settings_store.h"
#include "host/cli/progress.h"
#include "host/media/output_names.h"
#include "host/media/stop_request.h"

namespace vmhost {

namespace {

// Checks --start and --frames against the clip; fills `frames`.
bool checkRange(const Options& o, const VideoInfo& info, int32_t& frames, std::string& error) {
  const int64_t count = info.frameCount;
  const std::string clip = o.input + " has " + std::to_string(count) + (count == 1 ? " frame" : " frames");
  if (o.frames && *o.frames == 0) {
    error = "--frames 0: nothing to render (give 1 or more)";
    return false;
  }
  if (error = framePastEnd("--start", o.start, o.input, count); !error.empty()) return false;
  const int64_t wanted = o.frames ? *o.frames : count - o.start;
  if (o.start + wanted > count) {
    error = "frames " + std::to_string(o.start) + " to " + std::to_string(o.start + wanted - 1) +
            " are outside the clip: " + clip + " (0 to " + std::to_string(count - 1) + ")";
    return false;
  }
  if (wanted > INT32_MAX) {
    error = o.input + ": too many frames for one render";
    return false;
  }
  frames = static_cast<int32_t>(wanted);
  return true;
}

// A fade given in seconds as frames of the render: those that start within
// `seconds` of the render's start (fade in) or end (fade out).
int32_t fadeFrames(const VideoInfo& info, int64_t start, int32_t frames, double seconds, bool in) {
  const double first = info.secondsOf(start), end = info.secondsOf(start + frames);
  int32_t count = 0;
  for (int32_t i = 0; i < frames; ++i) {
    const double t = info.secondsOf(start + i);
    if (in ? t - first < seconds - 1e-9 : end - t <= seconds + 1e-9) ++count;
  }
  return count;
}

}  // namespace

int runRender(const Options& o) {
  std::string error;
  // Declared first so it goes last, after the plug-in's last call.
  const auto look = prepareRunLook(o, error);
  if (!error.empty()) return reportError(error);
  PluginJob job;
  if (!job.openVideo(o.input, error)) return reportError(error);
  const VideoInfo& info = job.info();
  int32_t frames = 0;
  if (!checkRange(o, info, frames, error)) return reportError(error);
  if (error = checkOutputNames(o.output, o.format, frames, filesRead(o)); !error.empty()) return reportError(error);
  if (!isPictureOutput(o.output) && !job.openAudio(o.input, error)) return reportError(error);
  const int width = o.size ? o.size->width : info.width;
  const int height = o.size ? o.size->height : info.height;
  if (!job.loadPlugin(o.plugin, error)) return reportError(error);
  if (stopRequested()) return 1;

  OutputSpec spec = job.outputSpec(o.output, width, height, o.start, frames);
  spec.format = o.format;
  spec.overwrite = o.overwrite;
  spec.encoders = EncoderChoice{o.lossless, o.videoCodec, o.preset, o.pixFmt, o.audioCodec, o.crf, o.audioBitrate};
  auto sink = openFrameSink(spec, error);
  if (!sink) return reportError(error);
  for (const std::string& line : sink->dropped()) reportNote(line);
  const int32_t fadeIn = o.fadeInSeconds >= 0 ? fadeFrames(info, o.start, frames, o.fadeInSeconds, true) : o.fadeIn;
  const int32_t fadeOut =
      o.fadeOutSeconds >= 0 ? fadeFrames(info, o.start, frames, o.fadeOutSeconds, false) : o.fadeOut;
  if (!job.makeOutput(width, height, error) || !job.describe(fadeIn, fadeOut, o.start, frames, error))
    return reportError(error);

  PluginRun& run = job.run();
  _PluginParams& params = run.params();
  params.startFrame = o.start;
  params.frameCount = frames;
  params.proxyOnly = o.draft ? 1 : 0;
  if (stopRequested()) return 1;
  int32_t result = run.call(kPlugInitialize);
  if (result != kPluginOK) {
    const std::string why = run.describe(result);
    run.call(kPlugTerminate);  // the plug-in may have attached its render data
    return reportError(o.input + ": starting the render, " + why + "; nothing written");
  }

  ProgressBar progress(frames, !o.quiet && isatty(STDERR_FILENO));
  // Stops the render: the plug-in ends its render, the bar makes room for
  // the message, and the sink's destructor removes the unfinished output.
  auto abandon = [&](const std::string& message) {
    progress.clear();
    run.call(kPlugTerminate);
    return reportError(message + "; nothing written");
  };
  HostSession& session = job.session();
  const int channels = job.audio() ? job.audio()->channels() : 0;
  for (int32_t r = 0; r < frames; ++r) {
    if (stopRequested()) return abandon("stopped");
    params.renderFrame = r;
    session.beginOutputFrame(r);
    result = run.call(kPlugDoFrame);
    if (result != kPluginOK)
      return abandon(o.input + ": frame " + std::to_string(r) + " of the render (input frame " +
                     std::to_string(o.start + r) + "): " + run.describe(result));
    const auto& samples = session.outputAudio();
    const int64_t sampleFrames = channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0;
    if (!job.writeOutput(*sink, samples.data(), sampleFrames, error)) return abandon(error);
    progress.update(r + 1);
  }
  result = run.call(kPlugTerminate);
  progress.clear();
  if (result != kPluginOK) return reportError(o.input + ": ending the render, " + run.describe(result));
  if (stopRequested() || !sink->finish(error)) return reportError(error);
  progress.finish();
  for (const auto& [what, count] : {std::pair{"video", job.video().damagedPackets()},
                                    std::pair{"audio", job.audio() ? job.audio()->damagedPackets() : 0}})
    if (count > 0)
      reportNote(o.input + ": " + what + ": " + std::to_string(count) + " damaged packet" + (count == 1 ? "" : "s") +
                 " skipped");
  if (!o.quiet && o.output != "null") {
    // Standard output may be the movie itself.
    const std::string copied = sink->copied();
    std::fprintf(o.output == "-" ? stderr : stdout, "%s: %d frame%s, %dx%d%s\n", o.output.c_str(), frames,
                 frames == 1 ? "" : "s", width, height, copied.empty() ? "" : (", " + copied).c_str());
  }
  return 0;
}

}  // namespace vmhost
