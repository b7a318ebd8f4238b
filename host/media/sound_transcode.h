// An audio stream kept from the input that the output's container cannot
// hold as it is (AAC in WebM, say): decoded and encoded anew with the
// output's sound encoder, in its own place on the timeline, as ffmpeg's own
// conversion of the file would keep it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/media/audio_encoder.h"
#include "host/media/ffmpeg_util.h"
#include "host/media/float_samples.h"

namespace vmhost {

class SoundTranscoder {
 public:
  // Opens a decoder for `in` and `codec` for the new stream `out` of
  // `output` (before its header is written). `bitrate` 0 picks one by the
  // channel count.
  bool open(const AVStream* in, AVFormatContext* output, AVStream* out, const AVCodec* codec, int64_t bitrate,
            std::string& error);
  // Decodes `packet` (in the input stream's time base, already moved to the
  // output's timeline) and writes what the encoder gives. Damaged packets are
  // skipped; silence keeps the sound after them in place.
  bool write(const AVPacket* packet, std::string& error);
  // Writes the sound the decoder and the encoder still hold.
  bool finish(std::string& error);

 private:
  bool encodeDecoded(std::string& error);
  bool mux(const AVFrame* frame, std::string& error);
  AudioEncoder::Send muxer();  // mux, for the encoder

  const AVStream* in_ = nullptr;
  AVFormatContext* output_ = nullptr;
  AVStream* out_ = nullptr;
  CodecContextPtr decoder_;
  AudioEncoder encoder_;
  std::optional<FloatSamples> samples_;
  FramePtr decoded_;
  PacketPtr encoded_;
  std::vector<float> buffer_;
  int64_t start_ = AV_NOPTS_VALUE;  // the first sample's time, in the encoder's time base
  int64_t next_ = 0;                // where the next decoded sample belongs, in input samples
  int64_t gapTolerance_ = 2;
};

}  // namespace vmhost
