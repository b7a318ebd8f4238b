#include "host/media/audio_reader.h"

#include <algorithm>
#include <cmath>

namespace vmhost {

namespace {

// Decoded audio older than this before the requested sample is dropped.
constexpr int64_t kKeepSeconds = 2;
// Jumps further ahead than this seek instead of decoding through.
constexpr int64_t kForwardSeconds = 10;

}  // namespace

std::unique_ptr<AudioReader> AudioReader::open(const std::string& path, double videoStartSeconds,
                                               std::string& error) {
  std::unique_ptr<AudioReader> reader(new AudioReader());
  reader->videoStartSeconds_ = videoStartSeconds;
  reader->decoder_ = StreamDecoder::open(path, AVMEDIA_TYPE_AUDIO, error);
  if (!reader->decoder_) return nullptr;  // no audio is not an error
  const AVCodecContext* dec = reader->decoder_->codec();
  reader->sampleRate_ = dec->sample_rate;
  reader->layout_.assign(dec->ch_layout);
  if (reader->sampleRate_ <= 0) {
    error = path + ": audio: unknown sample rate";
    return nullptr;
  }
  reader->samples_.emplace(reader->layout_.get(), reader->sampleRate_);
  reader->frame_ = allocFrame();
  reader->gapTolerance_ = lostSoundTolerance(reader->decoder_->stream()->time_base, reader->sampleRate_);
  return reader;
}

bool AudioReader::appendFrame(const AVFrame* frame, std::string& error) {
  const int channels = layout_.channels();
  const int64_t ts = frame->best_effort_timestamp;
  const int64_t at =
      ts == AV_NOPTS_VALUE
          ? INT64_MIN
          : std::llround((static_cast<double>(ts) * av_q2d(decoder_->stream()->time_base) - videoStartSeconds_) *
                         sampleRate_);
  const int64_t end = bufferStart_ + static_cast<int64_t>(buffer_.size()) / channels;
  if (!positionKnown_ || (at != INT64_MIN && at - end > kTimestampJumpSeconds * sampleRate_)) {
    // The first frame after opening or seeking places the stream, as does a
    // jump in its timestamps; later frames follow on without rounding jitter.
    bufferStart_ = at == INT64_MIN ? 0 : at;
    buffer_.clear();
    positionKnown_ = true;
  } else if (at != INT64_MIN && at - end > gapTolerance_) {
    // Sound lost with damaged packets: silence keeps what follows in place.
    buffer_.resize(buffer_.size() + static_cast<size_t>(at - end) * channels, 0.0f);
  }
  return samples_->append(frame, buffer_, error);
}

bool AudioReader::decodeMore(std::string& error) {
  if (!decoder_->next(frame_.get(), error)) {
    if (!error.empty()) error = "audio: " + error;
    return false;
  }
  const bool ok = appendFrame(frame_.get(), error);
  av_frame_unref(frame_.get());
  return ok;
}

bool AudioReader::seekTo(int64_t sample, std::string& error) {
  const double seconds = videoStartSeconds_ + static_cast<double>(std::max<int64_t>(sample, 0)) / sampleRate_;
  const int64_t ts = static_cast<int64_t>(seconds / av_q2d(decoder_->stream()->time_base));
  if (!decoder_->seek(ts, error)) {
    error = "audio: " + error;
    return false;
  }
  samples_->restart();
  buffer_.clear();
  positionKnown_ = false;
  return true;
}

void AudioReader::dropBefore(int64_t sample) {
  const int channels = layout_.channels();
  const int64_t bufferEnd = bufferStart_ + static_cast<int64_t>(buffer_.size()) / channels;
  if (sample <= bufferStart_) return;
  const int64_t drop = std::min(sample, bufferEnd) - bufferStart_;
  buffer_.erase(buffer_.begin(), buffer_.begin() + drop * channels);
  bufferStart_ += drop;
}

bool AudioReader::mixInto(int64_t start, int64_t count, float gain, float* out, std::string& error) {
  error.clear();
  const int channels = layout_.channels();
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
  while ((!positionKnown_ || bufferEnd() < end) && !decoder_->ended()) {
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
