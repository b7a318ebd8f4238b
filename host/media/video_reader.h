// Reads the video stream of a file or picture sequence and delivers any
// frame by its index, in any order, upright and as 32-bit ARGB pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/media/ffmpeg_util.h"
#include "host/media/picture_convert.h"
#include "host/media/stream_decoder.h"

namespace vmhost {

struct VideoInfo {
  int width = 0;  // as the viewer sees the frames, turned upright
  int height = 0;
  AVRational frameRate{25, 1};
  int64_t frameCount = 0;
  bool hasAlpha = false;
  double startSeconds = 0;  // time of frame 0 in the file, for audio alignment
  int quarterTurns = 0;     // clockwise turns that stand the stored frames upright
  AVRational sampleAspect{0, 1};  // of the upright frames; 0/1 when unknown
  AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;  // as decoded
  // The matrix and range the frames are converted with, and the other colour
  // tags of the stream, for an output that keeps them.
  ColourSpace colours;
  AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
  AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
  // Every frame's time from frame 0 on, and the end of the last frame
  // (frameCount + 1 values), in `timeBase`.
  AVRational timeBase{1, 25};
  std::vector<int64_t> times;
  // True when the times follow the frame rate; false for variable-rate clips,
  // whose frames keep their own times.
  bool constantRate = true;

  double secondsOf(int64_t frame) const { return static_cast<double>(times[frame]) * av_q2d(timeBase); }
};

class VideoReader {
 public:
  // Opens the best video stream of `path`, finds the time of every frame and
  // decodes the first, so a file that opens but cannot be decoded is refused
  // here. On failure returns nullptr and sets `error` to a sentence naming
  // the file and the reason.
  static std::unique_ptr<VideoReader> open(const std::string& path, std::string& error);

  VideoReader(const VideoReader&) = delete;
  VideoReader& operator=(const VideoReader&) = delete;

  const VideoInfo& info() const { return info_; }
  int streamIndex() const { return decoder_->stream()->index; }
  // Packets the decoder could not read and skipped.
  int64_t damagedPackets() const { return decoder_->damagedPackets(); }

  // Decodes frame `index` (0-based) and scales it to width x height into
  // `dst` (ARGB, `dstRowBytes` a row). `highQuality` false picks a faster
  // scaler. Returns false with `error` set for an index outside the clip or a
  // frame that cannot be decoded.
  bool readArgb(int64_t index, uint8_t* dst, int dstRowBytes, int width, int height, bool highQuality,
                std::string& error);

 private:
  VideoReader() = default;
  bool findFrames(std::string& error);
  bool timesFromPackets(std::vector<int64_t>& pts, int64_t& end, bool& cleanEnd);
  bool timesFromDecoding(std::vector<int64_t>& pts, int64_t& end, bool& cleanEnd, std::string& error);
  void describe(const AVFrame& first);
  bool decodeNext(std::string& error);
  bool seekBefore(int64_t index, std::string& error);
  bool decodeTo(int64_t index, std::string& error);
  int64_t indexOf(const AVFrame* frame) const;
  bool convert(const AVFrame& frame, uint8_t* dst, int dstRowBytes, int width, int height, bool highQuality,
               std::string& error);

  std::string path_;
  std::unique_ptr<StreamDecoder> decoder_;
  std::vector<int64_t> pts_;  // presentation time of every frame, ascending, in the stream's time base
  FramePtr current_;          // the most recently decoded frame
  FramePtr scratch_;
  int64_t currentIndex_ = -1;  // -1: no frame decoded since the last seek
  PictureConverter converter_;
  std::vector<uint8_t> unturned_;  // a frame before its turn upright
  VideoInfo info_;
};

}  // namespace vmhost
