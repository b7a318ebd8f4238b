#include "host/cli/plugin_job.h"

#include "host/cli/commands.h"

namespace vmhost {

bool PluginJob::openVideo(const std::string& input, std::string& error) {
  input_ = input;
  video_ = VideoReader::open(input, error);
  return video_ != nullptr;
}

bool PluginJob::openVideoAt(const std::string& input, int64_t at, std::string& error) {
  if (!openVideo(input, error)) return false;
  error = framePastEnd("--at", at, input, info().frameCount);
  return error.empty();
}

bool PluginJob::openAudio(const std::string& input, std::string& error) {
  audio_ = AudioReader::open(input, info().startSeconds, error);
  return audio_ != nullptr || error.empty();
}

bool PluginJob::loadPlugin(const std::string& pluginOption, std::string& error) {
  plugin_ = vmhost::loadPlugin(pluginOption, error);
  return plugin_ != nullptr;
}

bool PluginJob::describe(int32_t fadeIn, int32_t fadeOut, int32_t clipStart, int32_t clipFrames, std::string& error) {
  // The host's three sliders sit at their middle; the fades are the user's.
  const HYPluginFilterInfo filterInfo{{0.5f, 0.5f, 0.5f}, fadeIn, fadeOut};
  session_ = std::make_unique<HostSession>(video_.get(), audio_.get(), filterInfo);
  session_->setClip(clipStart, clipFrames);
  run_ = std::make_unique<PluginRun>(*plugin_, *session_);
  const int32_t result = run_->getInfo(clipFrames);
  if (result != kPluginOK) {
    error = plugin_->path() + ": describing itself, " + run_->describe(result);
    return false;
  }
  if (output_) run_->setOutput(output_->world());
  return true;
}

bool PluginJob::makeOutput(int width, int height, std::string& error) {
  try {
    output_ = std::make_unique<OutputWorld>(width, height);
  } catch (const std::bad_alloc&) {
    error = "no memory for a " + std::to_string(width) + "x" + std::to_string(height) + " frame";
    return false;
  }
  if (run_) run_->setOutput(output_->world());
  return true;
}

OutputSpec PluginJob::outputSpec(const std::string& path, int width, int height, int64_t start,
                                 int64_t frameCount) const {
  const VideoInfo& in = info();
  OutputSpec spec;
  spec.path = path;
  spec.width = width;
  spec.height = height;
  spec.frameCount = frameCount;
  spec.frameRate = in.frameRate;
  if (!in.constantRate) {
    spec.timeBase = in.timeBase;
    for (int64_t i = 0; i <= frameCount; ++i)
      spec.frameTimes.push_back(in.times[static_cast<size_t>(start + i)] - in.times[static_cast<size_t>(start)]);
    // The rate of variable-rate frames is their true average.
    const double seconds = static_cast<double>(spec.frameTimes.back()) * av_q2d(in.timeBase);
    if (seconds > 0) spec.frameRate = av_d2q(static_cast<double>(frameCount) / seconds, 100000);
  }
  // Pixels keep their shape; a new size keeps the picture's.
  const AVRational aspect = in.sampleAspect;
  if (aspect.num > 0 && aspect.num != aspect.den)
    av_reduce(&spec.sampleAspect.num, &spec.sampleAspect.den, int64_t{aspect.num} * in.width * height,
              int64_t{aspect.den} * in.height * width, INT32_MAX);
  spec.alpha = in.hasAlpha;
  spec.sourceFormat = in.pixelFormat;
  spec.colours = in.colours;
  spec.primaries = in.primaries;
  spec.transfer = in.transfer;
  if (audio_) {
    spec.sampleRate = audio_->sampleRate();
    spec.audioLayout = &audio_->layout();
  }
  CopySpec& copy = spec.copy;
  copy.input = input_;
  copy.videoStream = video_->streamIndex();
  copy.audioStream = audio_ ? audio_->streamIndex() : -1;
  copy.offset = in.startSeconds + in.secondsOf(start);
  if (start > 0) copy.from = copy.offset;
  if (start + frameCount < in.frameCount) copy.to = in.startSeconds + in.secondsOf(start + frameCount);
  return spec;
}

bool PluginJob::writeOutput(FrameSink& sink, const float* audio, int64_t sampleFrames, std::string& error) {
  return output_->handOver([&](ArgbFrame& pixels) { return sink.write(pixels, audio, sampleFrames, error); });
}

}  // namespace vmhost
