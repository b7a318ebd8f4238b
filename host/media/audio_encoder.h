// The rendered sound on its way into an audio encoder: interleaved float
// samples at the input's rate and layout go in, resampled to what the
// encoder takes and cut into the frames it wants.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/media/ffmpeg_util.h"

namespace vmhost {

class AudioEncoder {
 public:
  // Receives every encoder frame in turn, and nullptr at the end.
  using Send = std::function<bool(AVCodecContext* encoder, const AVFrame* frame, std::string& error)>;

  // Opens `codec` for sound at `sampleRate` in `layout`, or the nearest the
  // encoder takes. `bitrate` 0 picks one by the channel count.
  bool open(const AVCodec* codec, int sampleRate, const AVChannelLayout& layout, int64_t bitrate, bool globalHeader,
            std::string& error);
  AVCodecContext* context() const { return encoder_.get(); }
  int inputChannels() const { return input_.channels(); }

  // Takes `count` sample frames and sends every whole encoder frame.
  bool push(const float* samples, int64_t count, const Send& send, std::string& error);
  // Leaves a gap of `count` sample frames at the input's rate: the sound so
  // far is sent, its last frame filled out with silence, and what follows
  // is stamped `count` later. (The few samples inside the resampler come out
  // after the gap.)
  bool skip(int64_t count, const Send& send, std::string& error);
  // Sends what is left, then the end.
  bool finish(const Send& send, std::string& error);

 private:
  bool convert(const float* samples, int count, std::string& error);
  bool sendFrames(bool all, const Send& send, std::string& error);
  // An encoder frame with room for `count` samples.
  FramePtr blankFrame(int count) const;

  CodecContextPtr encoder_;
  ChannelLayout input_;
  SwrPtr resampler_;
  FifoPtr fifo_;
  FramePtr converted_;
  int inputRate_ = 0;
  int chunk_ = 1024;
  int64_t written_ = 0;
};

}  // namespace vmhost
