#include "host/media/audio_reader.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/opt.h>
}

namespace vmhost {

namespace {

// Decoded audio older than this before the requested sample is dropped.
constexpr int64_t kKeepSeconds = 2;
// Jumps further ahead than this seek instead of decoding through.
constexpr int64_t kForwardSeconds = 10;

}  // namespace

AudioReader::~AudioReader() {
  swr_free(&resampler_);
  av_channel_layout_uninit(&layout_);
}

std::unique_ptr<AudioReader> AudioReader::open(const std::string& path, double videoStartSeconds,
                                               std::string& error) {
  error.clear();
  std::unique_ptr<AudioReader> reader(new AudioReader());
  reader->videoStartSeconds_ = videoStartSeconds;
  reader->input_ = openInput(path, error);
  if (!reader->input_) return nullptr;
  AVFormatContext* input = reader->input_.get();
  const int index = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (index < 0) return nullptr;  // no audio is not an error
  reader->stream_ = keepOnlyStream(input, index);
  std::string why;
  reader->decoder_ = openDecoder(reader->stream_, why);
  if (!reader->decoder_) {
    error = path + ": audio: " + why;
    return nullptr;
  }
  AVCodecContext* dec = reader->decoder_.get();
  reader->sampleRate_ = dec->sample_rate;
  if (dec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || dec->ch_layout.nb_channels <= 0)
    av_channel_layout_default(&reader->layout_, std::max(1, dec->ch_layout.nb_channels));
  else
    av_channel_layout_copy(&reader->layout_, &dec->ch_layout);
  if (reader->sampleRate_ <= 0) {
    error = path + ": audio: unknown sample rate";
    return nullptr;
  }
  reader->packet_.reset(av_packet_alloc());
  reader->frame_.reset(av_frame_alloc());
  if (!reader->packet_ || !reader->frame_) {
    error = "out of memory";
    return nullptr;
  }
  return reader;
}

bool AudioReader::appendFrame(const AVFrame* frame, std::string& error) {
  if (!positionKnown_) {
    // The first frame after opening or seeking places the stream; later
    // frames follow on without rounding jitter.
    int64_t ts = frame->best_effort_timestamp;
    double seconds = ts == AV_NOPTS_VALUE ? 0 : static_cast<double>(ts) * av_q2d(stream_->time_base);
    bufferStart_ = std::llround((seconds - videoStartSeconds_) * sampleRate_);
    buffer_.clear();
    positionKnown_ = true;
  }
  if (resampler_ == nullptr || frame->format != resamplerFormat_) {
    swr_free(&resampler_);
    AVChannelLayout inLayout{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
      av_channel_layout_default(&inLayout, frame->ch_layout.nb_channels);
    else
      av_channel_layout_copy(&inLayout, &frame->ch_layout);
    const int rc = swr_alloc_set_opts2(&resampler_, &layout_, AV_SAMPLE_FMT_FLT, sampleRate_, &inLayout,
                                       static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    if (rc < 0 || swr_init(resampler_) < 0) {
      error = "audio: cannot convert the samples";
      return false;
    }
    resamplerFormat_ = frame->format;
  }
  const int channels = layout_.nb_channels;
  const int capacity = swr_get_out_samples(resampler_, frame->nb_samples);
  const size_t old = buffer_.size();
  buffer_.resize(old + static_cast<size_t>(std::max(capacity, 0)) * channels);
  uint8_t* out[1] = {reinterpret_cast<uint8_t*>(buffer_.data() + old)};
  const int got = swr_convert(resampler_, out, capacity, const_cast<const uint8_t**>(frame->extended_data),
                              frame->nb_samples);
  if (got < 0) {
    buffer_.resize(old);
    error = "audio: " + avErrorText(got);
    return false;
  }
  buffer_.resize(old + static_cast<size_t>(got) * channels);
  return true;
}

bool AudioReader::decodeMore(std::string& error) {
  for (;;) {
    int rc = avcodec_receive_frame(decoder_.get(), frame_.get());
    if (rc == 0) {
      const bool ok = appendFrame(frame_.get(), error);
      av_frame_unref(frame_.get());
      return ok;
    }
    if (rc == AVERROR_EOF || (rc == AVERROR(EAGAIN) && draining_)) {
      ended_ = true;
      return false;
    }
    if (rc != AVERROR(EAGAIN)) {
      error = "audio: " + avErrorText(rc);
      return false;
    }
    rc = av_read_frame(input_.get(), packet_.get());
    if (rc < 0) {
      draining_ = true;
      avcodec_send_packet(decoder_.get(), nullptr);
      continue;
    }
    if (packet_->stream_index == stream_->index) avcodec_send_packet(decoder_.get(), packet_.get());
    av_packet_unref(packet_.get());
  }
}

bool AudioReader::seekTo(int64_t sample, std::string& error) {
  const double seconds = videoStartSeconds_ + static_cast<double>(std::max<int64_t>(sample, 0)) / sampleRate_;
  const int64_t ts = static_cast<int64_t>(seconds / av_q2d(stream_->time_base));
  int rc = av_seek_frame(input_.get(), stream_->index, ts, AVSEEK_FLAG_BACKWARD);
  if (rc < 0) rc = av_seek_frame(input_.get(), stream_->index, INT64_MIN, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
  if (rc < 0) {
    error = "audio: cannot seek (" + avErrorText(rc) + ")";
    return false;
  }
  avcodec_flush_buffers(decoder_.get());
  swr_free(&resampler_);
  buffer_.clear();
  positionKnown_ = false;
  draining_ = false;
  ended_ = false;
  return true;
}

void AudioReader::dropBefore(int64_t sample) {
  const int channels = layout_.nb_channels;
  const int64_t bufferEnd = bufferStart_ + static_cast<int64_t>(buffer_.size()) / channels;
  if (sample <= bufferStart_) return;
  const int64_t drop = std::min(sample, bufferEnd) - bufferStart_;
  buffer_.erase(buffer_.begin(), buffer_.begin() + drop * channels);
  bufferStart_ += drop;
}

bool AudioReader::mixInto(int64_t start, int64_t count, float gain, float* out, std::string& error) {
  error.clear();
  const int channels = layout_.nb_channels;
  const int64_t end = start + count;
  auto bufferEnd = [&] { return bufferStart_ + static_cast<int64_t>(buffer_.size()) / channels; };
  const int64_t far = kForwardSeconds * sampleRate_;
  const bool behind = positionKnown_ && start < bufferStart_;
  const bool farAhead = positionKnown_ ? start > bufferEnd() + far : start > far;
  bool seeked = false;
  if (behind || farAhead) {
    if (!seekTo(start, error)) return false;
    seeked = true;
  }
  const int64_t keepFrom = start - kKeepSeconds * sampleRate_;
  bool retried = false;
  while ((!positionKnown_ || bufferEnd() < end) && !ended_) {
    if (!decodeMore(error)) {
      if (!error.empty()) return false;
      break;
    }
    // A seek that landed after the wanted sample: decode from the beginning.
    if (seeked && !retried && bufferStart_ > start && bufferStart_ > 0) {
      if (!seekTo(0, error)) return false;
      retried = true;
      continue;
    }
    dropBefore(keepFrom);
  }
  const int64_t from = std::max(start, bufferStart_);
  const int64_t to = std::min(end, bufferEnd());
  for (int64_t s = from; s < to; ++s) {
    const float* in = buffer_.data() + (s - bufferStart_) * channels;
    float* dst = out + (s - start) * channels;
    for (int c = 0; c < channels; ++c) dst[c] = std::clamp(dst[c] + in[c] * gain, -1.0f, 1.0f);
  }
  dropBefore(keepFrom);
  return true;
}

}  // namespace vmhost
