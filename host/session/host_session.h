// One run of the plug-in over one input: the `instance` the plug-in passes
// back to every callback, and the HYProcs table that serves it frames,
// filter settings and audio.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/media/audio_reader.h"
#include "host/media/video_reader.h"
#include "platform/quickdraw/quickdraw.h"
#include "velmorance/host_interface.h"

namespace vmhost {

class HostSession {
 public:
  // `video` and `audio` must outlive the session; either may be nullptr
  // (no input: GetFrame fails; no audio: MixAudio mixes nothing).
  HostSession(VideoReader* video, AudioReader* audio, const HYPluginFilterInfo& filterInfo);
  // Releases frames the plug-in did not give back.
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  HYProcs* procs() { return &procs_; }
  void* instance() { return this; }
  AudioReader* audio() { return audio_; }

  void setClip(int32_t startFrame, int32_t frameCount);
  int32_t clipStart() const { return clipStart_; }
  int32_t clipFrames() const { return clipFrames_; }

  // First input (or output) sample of frame `frame` at the audio's rate.
  int64_t sampleOfFrame(int64_t frame) const;

  // Prepares a silent audio chunk for output frame `renderFrame`; MixAudio
  // adds into it. Without audio the chunk stays empty.
  void beginOutputFrame(int64_t renderFrame);
  const std::vector<float>& outputAudio() const { return outputAudio_; }

  // Why the most recent callback failed, for the user's message.
  const std::string& lastError() const { return lastError_; }
  void clearError() { lastError_.clear(); }
  int framesFailed() const { return framesFailed_; }
  size_t framesHeld() const { return frames_.size(); }

 private:
  struct HeldFrame;

  static HostSession* from(void* instance) { return static_cast<HostSession*>(instance); }
  static HYPluginResult getFrame(void* instance, int32_t frameIndex, GWorldPtr* frame, int16_t width,
                                 int16_t height, HYRefDVQuality quality, int16_t* volume, void** cookie);
  static HYPluginResult releaseFrame(void* instance, void* cookie);
  static HYPluginResult mixAudio(void* instance, void* cookie, int16_t volume);
  static HYPluginResult getFilterInfo(void* instance, HYPluginFilterInfo** info);
  static HYPluginResult releaseFilterInfo(void* instance, HYPluginFilterInfo* info);
  static HYPluginResult getMovieInfo(void* instance, HYMovieInfo* info);
  static HYPluginResult getClipInfo(void* instance, HYClipInfo* info);

  HYPluginResult doGetFrame(int32_t frameIndex, GWorldPtr* frame, int16_t width, int16_t height,
                            HYRefDVQuality quality, int16_t* volume, void** cookie);
  HYPluginResult doMixAudio(void* cookie, int16_t volume);
  HeldFrame* findFrame(void* cookie);
  HYPluginResult fail(HYPluginResult code, std::string why);

  VideoReader* video_;
  AudioReader* audio_;
  HYPluginFilterInfo filterInfo_;
  HYPluginFilterInfo lentFilterInfo_{};  // the copy GetFilterInfo hands out
  bool filterInfoLent_ = false;
  HYProcs procs_{};
  std::vector<std::unique_ptr<HeldFrame>> frames_;
  // A released frame's buffer, reused for the next frame of the same size:
  // a render asks for one full-size frame after another.
  std::unique_ptr<HeldFrame> spare_;
  std::vector<float> outputAudio_;
  int64_t outputFrame_ = -1;
  int32_t clipStart_ = 0;
  int32_t clipFrames_ = 0;
  std::string lastError_;
  int framesFailed_ = 0;
};

// Fills the slots the plug-in of this kind does not call with honest
// answers: string helpers work, text drawing and title or transition
// records report kPluginFailed.
void fillGeneralProcs(HYProcs& procs);

}  // namespace vmhost
