// Conversions between decoded pictures and the host's 32-bit rows (bytes
// alpha, red, green, blue), each with the picture's own colour matrix and
// range. 8-bit planar YUV at the same size takes an exact path of its own;
// everything else goes through swscale with accurate rounding and full
// chroma interpolation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/media/ffmpeg_util.h"
#include "host/media/slice_threads.h"

namespace vmhost {

// How a YUV picture's numbers stand for colours.
struct ColourSpace {
  AVColorSpace matrix = AVCOL_SPC_BT470BG;  // never unspecified
  bool fullRange = false;
};

// The matrix and range of a picture in `format`: its own tags, or for an
// untagged one, BT.601 for SD sizes and BT.709 for HD (as players guess),
// and full range for the JPEG formats only.
ColourSpace colourSpaceOf(AVPixelFormat format, AVColorSpace matrix, AVColorRange range, int width, int height);

class PictureConverter {
 public:
  // Converts `frame` into width x height ARGB rows. `accurate` false picks
  // a fast scaler, for drafts. False with `error` for a format that cannot
  // be converted.
  bool toArgb(const AVFrame& frame, const ColourSpace& colours, uint8_t* dst, int dstRowBytes, int width, int height,
              bool accurate, std::string& error);
  // ARGB rows of the frame's size into `frame`, whose format, size and
  // buffers are set.
  bool fromArgb(const uint8_t* src, int srcRowBytes, const ColourSpace& colours, AVFrame& frame,
                std::string& error);

 private:
  struct Setup {
    int srcWidth = 0, srcHeight = 0, srcFormat = -1, dstWidth = 0, dstHeight = 0, dstFormat = -1, flags = 0;
    AVColorSpace matrix = AVCOL_SPC_UNSPECIFIED;
    bool fullRange = false;
    bool operator==(const Setup&) const = default;
  };
  SwsContext* scalerFor(const Setup& setup);

  SwsPtr scaler_;
  Setup setup_;
  // The exact paths' rows, split across the cores, and each slice's scratch.
  SliceThreads threads_;
  std::vector<std::vector<float>> differenceRows_;
  std::vector<std::vector<int16_t>> chromaRows_;
};

// Turns width x height ARGB `src` by `quarterTurns` clockwise into `dst`,
// which is height x width for odd turns.
void rotateArgb(const uint8_t* src, int srcRowBytes, int width, int height, int quarterTurns, uint8_t* dst,
                int dstRowBytes);

}  // namespace vmhost
