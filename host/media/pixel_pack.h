// Exact repacking between the host's 32-bit pixels (bytes alpha, red, green,
// blue in memory order, FFmpeg's AV_PIX_FMT_ARGB) and the packed RGB layouts
// of image files. Only bytes move: no colour conversion touches a pixel, so a
// PNG read and written at the same size keeps every value.
#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace vmhost {

// True when `format` can be repacked into ARGB (and back) by byte moves.
bool isByteRepackable(AVPixelFormat format);

// Copies a width x height image in `format` (one plane, `srcStride` bytes a
// row) into ARGB rows of `dstRowBytes`. Formats without alpha get alpha 255;
// grey becomes equal red, green and blue. Returns false for a format that
// isByteRepackable rejects.
bool packToArgb(AVPixelFormat format, const uint8_t* src, int srcStride, uint8_t* dst, int dstRowBytes, int width,
                int height);

// The reverse: ARGB rows into one plane of `format` (RGB24, RGBA, BGRA, BGR0).
// Returns false for other formats.
bool unpackArgb(const uint8_t* src, int srcRowBytes, AVPixelFormat format, uint8_t* dst, int dstStride, int width,
                int height);

}  // namespace vmhost
