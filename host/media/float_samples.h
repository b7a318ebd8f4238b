// Decoded sound of any sample format as interleaved float samples in one
// channel layout and rate: the form the mixing and the sound encoders take.
#pragma once

#include <string>
#include <vector>

#include "host/media/ffmpeg_util.h"

namespace vmhost {

class FloatSamples {
 public:
  FloatSamples(const AVChannelLayout& layout, int sampleRate) : layout_(layout), sampleRate_(sampleRate) {}

  // Appends `frame`'s samples to `buffer`. False with `error` if they cannot
  // be converted.
  bool append(const AVFrame* frame, std::vector<float>& buffer, std::string& error);
  // Starts afresh, as after a seek.
  void restart() { resampler_.reset(); }

 private:
  ChannelLayout layout_;
  int sampleRate_;
  SwrPtr resampler_;
  int resamplerFormat_ = -1;
};

// How many samples later than the previous frame's end a decoded frame may
// start and still follow on: within one tick of the stream's clock it is
// timestamp rounding; further on, sound was lost.
int64_t lostSoundTolerance(AVRational timeBase, int sampleRate);

// A frame that starts further than this after the sound so far ends marks a
// jump in the stream's clock (a cut, a restart), not lost sound: it is not
// bridged with silence.
inline constexpr int64_t kTimestampJumpSeconds = 10;

}  // namespace vmhost
