#include "host/media/float_samples.h"

#include <algorithm>
#include <cmath>

namespace vmhost {

bool FloatSamples::append(const AVFrame* frame, std::vector<float>& buffer, std::string& error) {
  // A decoder may change its sample format between frames.
  if (!resampler_ || frame->format != resamplerFormat_) {
    const ChannelLayout inLayout(frame->ch_layout);
    SwrContext* raw = nullptr;
    const int rc = swr_alloc_set_opts2(&raw, layout_.forReading(), AV_SAMPLE_FMT_FLT, sampleRate_,
                                       inLayout.forReading(), static_cast<AVSampleFormat>(frame->format),
                                       frame->sample_rate, 0, nullptr);
    resampler_.reset(raw);
    if (rc < 0 || swr_init(resampler_.get()) < 0) {
      error = "audio: cannot convert the samples";
      return false;
    }
    resamplerFormat_ = frame->format;
  }
  const int channels = layout_.channels();
  const int capacity = swr_get_out_samples(resampler_.get(), frame->nb_samples);
  const size_t old = buffer.size();
  buffer.resize(old + static_cast<size_t>(std::max(capacity, 0)) * channels);
  uint8_t* out[1] = {reinterpret_cast<uint8_t*>(buffer.data() + old)};
  const int got = swr_convert(resampler_.get(), out, capacity, const_cast<const uint8_t**>(frame->extended_data),
                              frame->nb_samples);
  if (got < 0) {
    buffer.resize(old);
    error = "audio: " + avErrorText(got);
    return false;
  }
  buffer.resize(old + static_cast<size_t>(got) * channels);
  return true;
}

int64_t lostSoundTolerance(AVRational timeBase, int sampleRate) {
  const double tick = av_q2d(timeBase) * sampleRate;
  return std::max<int64_t>(2, static_cast<int64_t>(std::ceil(tick)) + 1);
}

}  // namespace vmhost
