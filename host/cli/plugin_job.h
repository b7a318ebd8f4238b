// What render, thumbnail and configure share: the input's frames (and
// sound), the plug-in, one run of it over a clip, and its output buffer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "host/media/audio_reader.h"
#include "host/media/frame_sink.h"
#include "host/media/video_reader.h"
#include "host/session/plugin_run.h"

namespace vmhost {

class PluginJob {
 public:
  bool openVideo(const std::string& input, std::string& error);
  // Opens the video and checks that frame `at` (the --at option) is in it.
  bool openVideoAt(const std::string& input, int64_t at, std::string& error);
  // The input's first audio stream; a file without one is fine.
  bool openAudio(const std::string& input, std::string& error);
  bool loadPlugin(const std::string& pluginOption, std::string& error);

  // Starts a session over `clipFrames` frames from `clipStart`, with the
  // user's fades, and has the plug-in describe itself with the clip selected.
  bool describe(int32_t fadeIn, int32_t fadeOut, int32_t clipStart, int32_t clipFrames, std::string& error);

  // The output buffer, width x height, given to the run.
  bool makeOutput(int width, int height, std::string& error);
  // An output of width x height for `frameCount` frames of the input from
  // frame `start` on, keeping the input's timing, pixel shape, colours and
  // (for movies) its other streams.
  OutputSpec outputSpec(const std::string& path, int width, int height, int64_t start, int64_t frameCount) const;
  // Hands the output buffer and `sampleFrames` of `audio` to `sink`.
  bool writeOutput(FrameSink& sink, const float* audio, int64_t sampleFrames, std::string& error);

  const VideoInfo& info() const { return video_->info(); }
  const VideoReader& video() const { return *video_; }
  // The whole clip's frame count as the plug-in interface carries it.
  int32_t clipFrames() const { return static_cast<int32_t>(std::min<int64_t>(info().frameCount, INT32_MAX)); }
  AudioReader* audio() const { return audio_.get(); }
  const PluginModule& plugin() const { return *plugin_; }
  HostSession& session() { return *session_; }
  PluginRun& run() { return *run_; }

 private:
  std::string input_;
  std::unique_ptr<VideoReader> video_;
  std::unique_ptr<AudioReader> audio_;
  std::unique_ptr<PluginModule> plugin_;
  std::unique_ptr<HostSession> session_;
  std::unique_ptr<PluginRun> run_;
  std::unique_ptr<OutputWorld> output_;
};

}  // namespace vmhost
