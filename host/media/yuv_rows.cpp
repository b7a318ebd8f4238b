#include "host/media/yuv_rows.h"

#include <algorithm>

#include "host/media/yuv_rows_scalar.h"

namespace vmhost {

namespace rows {

void chromaBetweenRows(const uint8_t* a, const uint8_t* b, int weightA, int count, int16_t* out) {
  const int weightB = 4 - weightA;
  for (int i = 0; i < count; ++i) out[i] = static_cast<int16_t>(weightA * a[i] + weightB * b[i] - 512);
}

void chromaAcross(const int16_t* v, int width, ChromaSiting siting, int16_t* out) {
  if (siting == ChromaSiting::kFull) {
    for (int x = 0; x < width; ++x) out[x] = static_cast<int16_t>(4 * v[x]);
    return;
  }
  const int chromaWidth = (width + 1) >> 1;
  for (int i = 0; i < chromaWidth; ++i) {
    const bool centred = siting == ChromaSiting::kCentred;
    out[2 * i] = static_cast<int16_t>(centred ? 3 * v[i] + v[i - 1] : 4 * v[i]);
    out[2 * i + 1] = static_cast<int16_t>(centred ? 3 * v[i] + v[i + 1] : 2 * (v[i] + v[i + 1]));
  }
}

void yuvToArgb(const uint8_t* luma, const int16_t* cb, const int16_t* cr, int width, const YuvCoefficients& k,
               uint8_t* out) {
  for (int x = 0; x < width; ++x) {
    const int32_t l = (luma[x] - k.lumaOffset) * k.lumaScale + (1 << 15);
    out[4 * x] = 255;
    out[4 * x + 1] = static_cast<uint8_t>(std::clamp((l + k.crR * cr[x]) >> 16, 0, 255));
    out[4 * x + 2] = static_cast<uint8_t>(std::clamp((l + k.cbG * cb[x] + k.crG * cr[x]) >> 16, 0, 255));
    out[4 * x + 3] = static_cast<uint8_t>(std::clamp((l + k.cbB * cb[x]) >> 16, 0, 255));
  }
}

namespace {
inline uint8_t clampByte(float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f)); }
}  // namespace

void argbToYuv(const uint8_t* in, int width, const RgbWeights& w, uint8_t* luma, float* cb, float* cr) {
  for (int x = 0; x < width; ++x) {
    const float r = in[4 * x + 1], g = in[4 * x + 2], b = in[4 * x + 3];
    const float l = w.kr * r + w.kg * g + w.kb * b;
    luma[x] = clampByte(w.lumaOffset + w.lumaScale * l + 0.5f);
    cb[x] = (b - l) * w.cbScale;
    cr[x] = (r - l) * w.crScale;
  }
}

void chromaBytesRange(const float* a, const float* b, int width, bool halve, int begin, int end, uint8_t* out) {
  for (int c = begin; c < end; ++c) {
    if (!halve) {
      out[c] = clampByte(128.5f + 0.5f * (a[c] + b[c]));
      continue;
    }
    const int x = 2 * c, left = std::max(x - 1, 0), right = std::min(x + 1, width - 1);
    const float sum = a[left] + b[left] + 2.0f * (a[x] + b[x]) + a[right] + b[right];
    out[c] = clampByte(128.5f + sum / 8.0f);
  }
}

void chromaBytes(const float* a, const float* b, int width, bool halve, uint8_t* out) {
  chromaBytesRange(a, b, width, halve, 0, halve ? (width + 1) >> 1 : width, out);
}

}  // namespace rows

namespace {

RowVariant detectRowVariant() {
#if defined(VM_ROWS_X86)
  return __builtin_cpu_supports("avx2") ? RowVariant::kAvx2 : RowVariant::kSse2;
#else
  return RowVariant::kScalar;
#endif
}

constexpr YuvRowFunctions kScalarRows{rows::chromaBetweenRows, rows::chromaAcross, rows::yuvToArgb, rows::argbToYuv,
                                      rows::chromaBytes};

}  // namespace

RowVariant machineRowVariant() {
  static const RowVariant variant = detectRowVariant();
  return variant;
}

const YuvRowFunctions& yuvRowFunctions(RowVariant variant) {
#if defined(VM_ROWS_X86)
  if (variant == RowVariant::kAvx2) return avx2YuvRows();
  if (variant == RowVariant::kSse2) return sse2YuvRows();
#else
  (void)variant;
#endif
  return kScalarRows;
}

}  // namespace vmhost
