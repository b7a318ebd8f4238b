#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "host/cli/commands.h"
#include "host/cli/settings_store.h"
#include "host/media/frame_sink.h"
#include "host/session/plugin_run.h"
#include "host/cli/progress.h"

namespace vmhost {

namespace {

bool isPictureOutput(const std::string& path) {
  return path.size() >= 4 && (path.compare(path.size() - 4, 4, ".png") == 0 ||
                              path.compare(path.size() - 4, 4, ".PNG") == 0);
}

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

// True when `output` names the file `input` already is: rendering would
// replace the source once finished.
bool sameFile(const std::string& input, const std::string& output) {
  struct stat a {}, b {};
  return stat(input.c_str(), &a) == 0 && stat(output.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

}  // namespace

int runRender(const Options& o) {
  std::string error;
  // Declared first so it goes last, after the plug-in's last call.
  const auto look = prepareRunLook(o, error);
  if (!error.empty()) return reportError(error);
  if (sameFile(o.input, o.output)) return reportError(o.output + ": the output would replace the input");
  auto video = VideoReader::open(o.input, error);
  if (!video) return reportError(error);
  const VideoInfo& info = video->info();
  int32_t frames = 0;
  if (!checkRange(o, info, frames, error)) return reportError(error);

  std::unique_ptr<AudioReader> audio;
  if (!isPictureOutput(o.output)) {
    audio = AudioReader::open(o.input, info.startSeconds, error);
    if (!audio && !error.empty()) return reportError(error);
  }
  const int width = o.size ? o.size->width : info.width;
  const int height = o.size ? o.size->height : info.height;

  auto plugin = loadPlugin(o.plugin, error);
  if (!plugin) return reportError(error);

  OutputSpec spec;
  spec.path = o.output;
  spec.lossless = o.lossless;
  spec.width = width;
  spec.height = height;
  spec.frameCount = frames;
  spec.frameRate = info.frameRate;
  spec.alpha = info.hasAlpha;
  if (audio) {
    spec.sampleRate = audio->sampleRate();
    spec.audioLayout = &audio->layout();
  }
  auto sink = openFrameSink(spec, error);
  if (!sink) return reportError(error);
  GWorldOwner output = makeOutputWorld(width, height);
  if (!output) return reportError("no memory for a " + std::to_string(width) + "x" + std::to_string(height) + " frame");

  // The host's three sliders sit at their middle; the fades are the user's.
  const HYPluginFilterInfo filterInfo{{0.5f, 0.5f, 0.5f}, o.fadeIn, o.fadeOut};
  HostSession session(video.get(), audio.get(), filterInfo);
  session.setClip(o.start, frames);
  PluginRun run(*plugin, session);
  int32_t result = run.getInfo(frames);
  if (result != kPluginOK) return reportError(plugin->path() + ": describing itself, " + run.describe(result));

  _PluginParams& params = run.params();
  params.startFrame = o.start;
  params.frameCount = frames;
  params.proxyOnly = o.draft ? 1 : 0;
  run.setOutput(output.get());
  result = run.call(kPlugInitialize);
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
  PixMapHandle pm = GetGWorldPixMap(output.get());
  for (int32_t r = 0; r < frames; ++r) {
    if (interruptRequested()) return abandon("interrupted at frame " + std::to_string(r));
    params.renderFrame = r;
    session.beginOutputFrame(r);
    result = run.call(kPlugDoFrame);
    if (result != kPluginOK)
      return abandon(o.input + ": frame " + std::to_string(r) + " of the render (input frame " +
                     std::to_string(o.start + r) + "): " + run.describe(result));
    const auto& samples = session.outputAudio();
    const int64_t sampleFrames = audio ? static_cast<int64_t>(samples.size()) / audio->channels() : 0;
    if (!sink->write(reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm)), GetPixRowBytes(pm), samples.data(),
                     sampleFrames, error))
      return abandon(error);
    progress.update(r + 1);
  }
  result = run.call(kPlugTerminate);
  progress.clear();
  if (result != kPluginOK) return reportError(o.input + ": ending the render, " + run.describe(result));
  if (!sink->finish(error)) return reportError(error);
  progress.finish();
  if (!o.quiet && o.output != "null")
    std::printf("%s: %d frame%s, %dx%d\n", o.output.c_str(), frames, frames == 1 ? "" : "s", width, height);
  return 0;
}

}  // namespace vmhost
