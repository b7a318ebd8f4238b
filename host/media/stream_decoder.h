// One stream of a file on its way from the demuxer through its decoder: the
// decode loop that the video and audio readers share.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "host/media/ffmpeg_util.h"

namespace vmhost {

class StreamDecoder {
 public:
  // Opens the best stream of `type` in `path` and its decoder. Returns
  // nullptr with `error` empty when the file has no such stream, or with
  // `error` naming the file and the reason.
  static std::unique_ptr<StreamDecoder> open(const std::string& path, AVMediaType type, std::string& error);

  AVFormatContext* input() const { return input_.get(); }
  AVStream* stream() const { return stream_; }
  AVCodecContext* codec() const { return decoder_.get(); }
  // The number of pictures of a picture sequence; 0 for other files.
  int64_t sequenceFrames() const { return sequenceFrames_; }

  // Decodes the next frame of the stream into `frame`. Returns false at the
  // end of the stream (`error` empty) or when decoding cannot go on
  // (`error` set, "stopped" after a stop signal). A packet the decoder
  // cannot read is skipped, as damaged;
  // the decoder recovers at the next one.
  bool next(AVFrame* frame, std::string& error);
  bool ended() const { return ended_; }
  // Packets skipped as damaged so far, each counted once however often it
  // was read.
  int64_t damagedPackets() const { return static_cast<int64_t>(damaged_.size()); }

  // Goes back to the last keyframe at or before `timestamp` (in the
  // stream's time base), or to the start if the file cannot seek there, and
  // drops what the decoder holds.
  bool seek(int64_t timestamp, std::string& error);

 private:
  StreamDecoder() = default;

  InputContextPtr input_;
  CodecContextPtr decoder_;
  AVStream* stream_ = nullptr;
  PacketPtr packet_;
  int64_t sequenceFrames_ = 0;
  std::set<int64_t> damaged_;  // by time, or position in the file
  int64_t lastPacket_ = 0;     // the time (or position) of the packet sent last
  bool draining_ = false;
  bool ended_ = false;
};

}  // namespace vmhost
