// The per-row steps of the exact conversions between 8-bit planar YUV and
// the host's ARGB rows, in plain C++ (the reference) and in SSE2 and AVX2,
// which give the same bytes. Chroma is carried between steps in sixteenths
// of a step, centred on 0, as int16.
#pragma once

#include <cstdint>

namespace vmhost {

enum class RowVariant : uint8_t { kScalar, kSse2, kAvx2 };
inline constexpr RowVariant kAllRowVariants[] = {RowVariant::kScalar, RowVariant::kSse2, RowVariant::kAvx2};

// The most capable variant this processor runs.
RowVariant machineRowVariant();

// Where chroma samples sit against the luma columns, for turning a row of
// them into one value a luma column.
enum class ChromaSiting : uint8_t {
  kFull,     // one a column
  kCosited,  // one every second column, on the even columns (MPEG-2, H.264)
  kCentred,  // one every second column, between them (JPEG)
};

// Fixed-point factors, 16 fraction bits: luma steps, and chroma sixteenths.
// lumaScale fits 17 bits; the chroma factors fit 15 bits.
struct YuvCoefficients {
  int32_t lumaOffset, lumaScale, crR, cbG, crG, cbB;
};

// Luma weights and scales of ARGB to YUV, as floats.
struct RgbWeights {
  float kr, kg, kb;
  float lumaScale, lumaOffset;
  float cbScale, crScale;  // of blue and red minus luma
};

struct YuvRowFunctions {
  // out[i] = weightA * a[i] + (4 - weightA) * b[i] - 512 for i < count.
  void (*chromaBetweenRows)(const uint8_t* a, const uint8_t* b, int weightA, int count, int16_t* out);
  // Four times `chroma` spread over `width` luma columns. `chroma` must hold
  // a copy of its first and last values at [-1] and [chromaWidth].
  void (*chromaAcross)(const int16_t* chroma, int width, ChromaSiting siting, int16_t* out);
  // One row of width ARGB pixels (alpha 255) from luma and chroma a column.
  void (*yuvToArgb)(const uint8_t* luma, const int16_t* cb, const int16_t* cr, int width, const YuvCoefficients& k,
                    uint8_t* out);
  // Luma of one row of width ARGB pixels, and their unrounded colour
  // differences.
  void (*argbToYuv)(const uint8_t* in, int width, const RgbWeights& w, uint8_t* luma, float* cb, float* cr);
  // Chroma bytes of two rows of colour differences (the same row twice for
  // an unshared one): one a column, or with `halve` one every second column
  // by a [1 2 1] filter centred on the even columns.
  void (*chromaBytes)(const float* a, const float* b, int width, bool halve, uint8_t* out);
};

// The functions of `variant`, which must not be above machineRowVariant().
const YuvRowFunctions& yuvRowFunctions(RowVariant variant);

}  // namespace vmhost
