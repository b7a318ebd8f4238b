#include "host/session/host_session.h"

#include <algorithm>
#include <exception>
#include <new>

#include "host/session/blit.h"
#include "host/session/memory_tracker.h"

namespace vmhost {

struct HostSession::HeldFrame {
  int32_t frameIndex = 0;
  GWorldPtr world = nullptr;
  ~HeldFrame() { DisposeGWorld(world); }
};

HostSession::HostSession(VideoReader* video, AudioReader* audio, const HYPluginFilterInfo& filterInfo)
    : video_(video), audio_(audio), filterInfo_(filterInfo) {
  fillGeneralProcs(procs_);
  procs_.NewPtr = trackedNewPtr;
  procs_.NewPtrClear = trackedNewPtrClear;
  procs_.DisposePtr = trackedDisposePtr;
  procs_.GetFrame = getFrame;
  procs_.ReleaseFrame = releaseFrame;
  procs_.GetMovieInfo = getMovieInfo;
  procs_.GetClipInfo = getClipInfo;
  procs_.Blit = hostBlit;
  procs_.MixAudio = mixAudio;
  procs_.GetFilterInfo = getFilterInfo;
  procs_.ReleaseFilterInfo = releaseFilterInfo;
  if (video != nullptr) clipFrames_ = static_cast<int32_t>(std::min<int64_t>(video->info().frameCount, INT32_MAX));
}

HostSession::~HostSession() = default;

void HostSession::setClip(int32_t startFrame, int32_t frameCount) {
  clipStart_ = startFrame;
  clipFrames_ = frameCount;
}

int64_t HostSession::sampleOfFrame(int64_t frame) const {
  if (audio_ == nullptr || video_ == nullptr) return 0;
  const VideoInfo& info = video_->info();
  if (info.constantRate) {
    const AVRational rate = info.frameRate;
    return av_rescale(frame, int64_t{audio_->sampleRate()} * rate.den, rate.num);
  }
  // Variable-rate frames last as long as their own times say.
  const int64_t at = std::clamp<int64_t>(frame, 0, info.frameCount);
  return av_rescale_q(info.times[static_cast<size_t>(at)], info.timeBase, AVRational{1, audio_->sampleRate()});
}

void HostSession::beginOutputFrame(int64_t renderFrame) {
  outputFrame_ = renderFrame;
  outputAudio_.clear();
  if (audio_ == nullptr) return;
  // Constant-rate chunks follow the render's own count, so every render of
  // the same length gets the same chunk sizes; variable-rate ones the clip's.
  const int64_t frame = video_->info().constantRate ? renderFrame : clipStart_ + renderFrame;
  const int64_t samples = sampleOfFrame(frame + 1) - sampleOfFrame(frame);
  outputAudio_.assign(static_cast<size_t>(samples * audio_->channels()), 0.0f);
}

HYPluginResult HostSession::fail(HYPluginResult code, std::string why) {
  lastError_ = std::move(why);
  return code;
}

HostSession::HeldFrame* HostSession::findFrame(void* cookie) {
  for (auto& held : frames_)
    if (held.get() == cookie) return held.get();
  return nullptr;
}

HYPluginResult HostSession::doGetFrame(int32_t frameIndex, GWorldPtr* frame, int16_t width, int16_t height,
                                       HYRefDVQuality quality, int16_t* volume, void** cookie) {
  if (frame == nullptr || cookie == nullptr) return fail(kPluginBadParams, "GetFrame without a place for the frame");
  *frame = nullptr;
  *cookie = nullptr;
  if (volume != nullptr) *volume = 256;
  if (width <= 0 || height <= 0)
    return fail(kPluginBadParams, "GetFrame asked for a " + std::to_string(width) + "x" + std::to_string(height) +
                                      " frame");
  if (video_ == nullptr) return fail(kPluginFailed, "GetFrame: there is no input to take frames from");
  const Rect bounds{0, 0, height, width};
  std::unique_ptr<HeldFrame> held;
  if (spare_ && EqualRect(&spare_->world->portPixMap.bounds, &bounds)) held = std::move(spare_);
  else
    held = std::make_unique<HeldFrame>();
  held->frameIndex = frameIndex;
  if (held->world == nullptr) {
    const QDErr status = NewGWorld(&held->world, 32, &bounds);
    if (status != noErr || held->world == nullptr)
      return fail(status == memFullErr ? kPluginOutOfMemory : kPluginFailed, "no memory for a frame");
  }
  PixMapHandle pm = GetGWorldPixMap(held->world);
  std::string why;
  if (!video_->readArgb(frameIndex, reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)), GetPixRowBytes(pm), width,
                       height, quality != kDVLowQuality, why)) {
    ++framesFailed_;
    const bool outside = frameIndex < 0 || frameIndex >= video_->info().frameCount;
    return fail(outside ? kPluginBadParams : kPluginFailed, "GetFrame: " + why);
  }
  *frame = held->world;
  *cookie = held.get();
  frames_.push_back(std::move(held));
  return kPluginOK;
}

HYPluginResult HostSession::doMixAudio(void* cookie, int16_t volume) {
  HeldFrame* held = findFrame(cookie);
  if (held == nullptr) return fail(kPluginBadParams, "MixAudio with a frame cookie the host never handed out");
  if (audio_ == nullptr || outputAudio_.empty()) return kPluginOK;
  const int64_t count = static_cast<int64_t>(outputAudio_.size()) / audio_->channels();
  std::string why;
  if (!audio_->mixInto(sampleOfFrame(held->frameIndex), count, volume / 256.0f, outputAudio_.data(), why))
    return fail(kPluginFailed, "MixAudio: " + why);
  return kPluginOK;
}

// The C entry points: nothing may escape them, so every one catches.

HYPluginResult HostSession::getFrame(void* instance, int32_t frameIndex, GWorldPtr* frame, int16_t width,
                                     int16_t height, HYRefDVQuality quality, int16_t* volume, void** cookie) {
  if (instance == nullptr) return kPluginBadParams;
  try {
    return from(instance)->doGetFrame(frameIndex, frame, width, height, quality, volume, cookie);
  } catch (const std::bad_alloc&) {
    return from(instance)->fail(kPluginOutOfMemory, "out of memory while reading a frame");
  } catch (const std::exception& e) {
    return from(instance)->fail(kPluginFailed, e.what());
  }
}

HYPluginResult HostSession::releaseFrame(void* instance, void* cookie) {
  if (instance == nullptr) return kPluginBadParams;
  HostSession* self = from(instance);
  auto it = std::find_if(self->frames_.begin(), self->frames_.end(),
                         [cookie](const auto& held) { return held.get() == cookie; });
  // ReleaseFrame after a failed GetFrame carries the cookie none: fine.
  if (cookie == nullptr) return kPluginOK;
  if (it == self->frames_.end())
    return self->fail(kPluginBadParams, "ReleaseFrame with a frame cookie the host never handed out");
  std::unique_ptr<HeldFrame> released = std::move(*it);
  self->frames_.erase(it);
  // Kept for the next GetFrame, which overwrites every pixel.
  self->spare_ = std::move(released);
  return kPluginOK;
}

HYPluginResult HostSession::mixAudio(void* instance, void* cookie, int16_t volume) {
  if (instance == nullptr) return kPluginBadParams;
  try {
    return from(instance)->doMixAudio(cookie, volume);
  } catch (const std::bad_alloc&) {
    return from(instance)->fail(kPluginOutOfMemory, "out of memory while mixing audio");
  } catch (const std::exception& e) {
    return from(instance)->fail(kPluginFailed, e.what());
  }
}

HYPluginResult HostSession::getFilterInfo(void* instance, HYPluginFilterInfo** info) {
  if (instance == nullptr || info == nullptr) return kPluginBadParams;
  HostSession* self = from(instance);
  // A copy, so a plug-in writing into it cannot change the user's settings.
  self->lentFilterInfo_ = self->filterInfo_;
  self->filterInfoLent_ = true;
  *info = &self->lentFilterInfo_;
  return kPluginOK;
}

HYPluginResult HostSession::releaseFilterInfo(void* instance, HYPluginFilterInfo* info) {
  if (instance == nullptr) return kPluginBadParams;
  HostSession* self = from(instance);
  if (info != &self->lentFilterInfo_ || !self->filterInfoLent_) return kPluginBadParams;
  self->filterInfoLent_ = false;
  return kPluginOK;
}

HYPluginResult HostSession::getMovieInfo(void* instance, HYMovieInfo* info) {
  if (instance == nullptr || info == nullptr) return kPluginBadParams;
  if (from(instance)->video_ == nullptr) return kPluginFailed;
  const VideoInfo& video = from(instance)->video_->info();
  info->width = static_cast<int16_t>(video.width);
  info->height = static_cast<int16_t>(video.height);
  info->framesPerSecond = av_q2d(video.frameRate);
  info->frameCount = static_cast<int32_t>(std::min<int64_t>(video.frameCount, INT32_MAX));
  return kPluginOK;
}

HYPluginResult HostSession::getClipInfo(void* instance, HYClipInfo* info) {
  if (instance == nullptr || info == nullptr) return kPluginBadParams;
  info->startFrame = from(instance)->clipStart_;
  info->frameCount = from(instance)->clipFrames_;
  return kPluginOK;
}

}  // namespace vmhost
