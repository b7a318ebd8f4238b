// Reads the video stream of a file or image sequence and delivers any frame
// by its absolute index, in any order, as 32-bit ARGB pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/media/ffmpeg_util.h"
#include "host/media/stream_decoder.h"

namespace vmhost {

struct VideoInfo {
  int width = 0;
  int height = 0;
  AVRational frameRate{25, 1};
  int64_t frameCount = 0;
  bool hasAlpha = false;
  double startSeconds = 0;  // time of frame 0 in the file, for audio alignment
};

class VideoReader {
 public:
  // Opens the best video stream of `path` and decodes its first frame, so a
  // file that opens but cannot be decoded is refused here. On failure returns
  // nullptr and sets `error` to a sentence naming the file and the reason.
  static std::unique_ptr<VideoReader> open(const std::string& path, std::string& error);

  VideoReader(const VideoReader&) = delete;
  VideoReader& operator=(const VideoReader&) = delete;

  const VideoInfo& info() const { return info_; }

  // Decodes frame `index` (0-based) and scales it to width x height into
  // `dst` (ARGB, `dstRowBytes` a row). `highQuality` false picks a faster
  // scaler. Returns false with `error` set for an index outside the clip or a
  // frame that cannot be decoded.
  bool readArgb(int64_t index, uint8_t* dst, int dstRowBytes, int width, int height, bool highQuality,
                std::string& error);

 private:
  VideoReader() = default;
  bool decodeNext(std::string& error);
  bool seekBefore(int64_t index, std::string& error);
  bool decodeTo(int64_t index, std::string& error);
  int64_t indexOf(const AVFrame* frame) const;
  bool countFrames(std::string& error);

  std::string path_;
  std::unique_ptr<StreamDecoder> decoder_;
  FramePtr current_;  // the most recently decoded frame
  FramePtr scratch_;
  int64_t currentIndex_ = -1;  // -1: no frame decoded since the last seek
  int64_t startPts_ = 0;
  SwsPtr scaler_;
  VideoInfo info_;
};

}  // namespace vmhost
