// Reads the audio stream of a file as interleaved float samples at the
// stream's own rate and channel layout, addressed by sample index from the
// time of the video's first frame.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/media/ffmpeg_util.h"
#include "host/media/float_samples.h"
#include "host/media/stream_decoder.h"

namespace vmhost {

class AudioReader {
 public:
  // Opens the best audio stream of `path`. Returns nullptr with `error`
  // empty when the file has no audio, or with `error` set when it has audio
  // that cannot be decoded. `videoStartSeconds` is the time of video frame 0.
  static std::unique_ptr<AudioReader> open(const std::string& path, double videoStartSeconds, std::string& error);

  int sampleRate() const { return sampleRate_; }
  int streamIndex() const { return decoder_->stream()->index; }
  // Packets the decoder could not read and skipped.
  int64_t damagedPackets() const { return decoder_->damagedPackets(); }
  int channels() const { return layout_.channels(); }
  const AVChannelLayout& layout() const { return layout_.get(); }

  // Adds `count` sample frames starting at sample `start` into `out`
  // (count * channels() floats), each scaled by `gain`. Samples before the
  // start or past the end of the stream add nothing, nor do those of
  // damaged packets, which are skipped. Returns false with `error` set when
  // decoding cannot go on.
  bool mixInto(int64_t start, int64_t count, float gain, float* out, std::string& error);

  AudioReader(const AudioReader&) = delete;
  AudioReader& operator=(const AudioReader&) = delete;

 private:
  AudioReader() = default;
  bool seekTo(int64_t sample, std::string& error);
  bool decodeMore(std::string& error);  // false at the end of the stream or on error
  bool appendFrame(const AVFrame* frame, std::string& error);
  void dropBefore(int64_t sample);  // forgets decoded samples before `sample`

  std::unique_ptr<StreamDecoder> decoder_;
  FramePtr frame_;
  ChannelLayout layout_;
  int sampleRate_ = 0;
  double videoStartSeconds_ = 0;
  std::optional<FloatSamples> samples_;  // set once the layout is known
  std::vector<float> buffer_;   // decoded samples, interleaved
  int64_t bufferStart_ = 0;     // sample index of buffer_[0]
  int64_t gapTolerance_ = 2;    // samples: timestamp rounding, not lost sound
  bool positionKnown_ = false;  // false until the first frame after a seek
};

}  // namespace vmhost
