#include "host/cli/plugin_job.h"

#include "host/cli/commands.h"

namespace vmhost {

bool PluginJob::openVideo(const std::string& input, std::string& error) {
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
  if (output_) run_->setOutput(output_.get());
  return true;
}

bool PluginJob::makeOutput(int width, int height, std::string& error) {
  output_ = makeOutputWorld(width, height);
  if (!output_) {
    error = "no memory for a " + std::to_string(width) + "x" + std::to_string(height) + " frame";
    return false;
  }
  if (run_) run_->setOutput(output_.get());
  return true;
}

OutputSpec PluginJob::outputSpec(const std::string& path, int width, int height, int64_t frameCount) const {
  OutputSpec spec;
  spec.path = path;
  spec.width = width;
  spec.height = height;
  spec.frameCount = frameCount;
  spec.frameRate = info().frameRate;
  spec.alpha = info().hasAlpha;
  if (audio_) {
    spec.sampleRate = audio_->sampleRate();
    spec.audioLayout = &audio_->layout();
  }
  return spec;
}

bool PluginJob::writeOutput(FrameSink& sink, const float* audio, int64_t sampleFrames, std::string& error) {
  PixMapHandle pm = GetGWorldPixMap(output_.get());
  return sink.write(reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm)), GetPixRowBytes(pm), audio, sampleFrames,
                    error);
}

}  // namespace vmhost
