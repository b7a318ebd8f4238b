#include "plugin/render/print_kernel.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace {

// Red + green + blue of a pixel read as one word in memory order.
inline uint32_t ChannelSum(uint32_t word) {
  if constexpr (std::endian::native == std::endian::little)
    return ((word >> 8) & 0xFF) + ((word >> 16) & 0xFF) + (word >> 24);
  else
    return ((word >> 16) & 0xFF) + ((word >> 8) & 0xFF) + (word & 0xFF);
}

void ApplyTableRow(const DissolveTable& table, const uint8_t* from, uint8_t* to, int count) {
  for (int col = 0; col < count; ++col) {
    uint32_t word;
    std::memcpy(&word, from + col * 4, 4);
    word = table.bySum[ChannelSum(word)];
    std::memcpy(to + col * 4, &word, 4);
  }
}

#if defined(__SSE2__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kHasAffinePath = true;

// Four pixels: mean = sum * 21846 >> 16 equals sum / 3 for every sum up to
// 765; the grey is saturated to 0..255 by the two packs.
inline __m128i AffineQuad(__m128i pixels, __m128 scale, __m128 offset) {
  const __m128i byteMask = _mm_set1_epi32(0xFF);
  const __m128i sum = _mm_add_epi32(_mm_add_epi32(_mm_and_si128(_mm_srli_epi32(pixels, 8), byteMask),
                                                  _mm_and_si128(_mm_srli_epi32(pixels, 16), byteMask)),
                                    _mm_srli_epi32(pixels, 24));
  const __m128i mean = _mm_mulhi_epu16(sum, _mm_set1_epi32(21846));
  const __m128 value = _mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(mean), scale), offset);
  const __m128i grey32 = _mm_cvttps_epi32(value);
  const __m128i grey16 = _mm_packs_epi32(grey32, grey32);
  const __m128i grey8 = _mm_packus_epi16(grey16, grey16);
  // Spread each grey byte into red, green and blue, alpha 255.
  const __m128i grey = _mm_unpacklo_epi8(grey8, grey8);
  const __m128i words = _mm_unpacklo_epi16(grey, grey);
  return _mm_or_si128(_mm_andnot_si128(byteMask, words), byteMask);
}

// The same four-pixel step on each 128-bit half of a 256-bit register: the
// packs and unpacks work per half, so pixel order is kept.
__attribute__((target("avx2"))) inline __m256i AffineOctet(__m256i pixels, __m256 scale, __m256 offset) {
  const __m256i byteMask = _mm256_set1_epi32(0xFF);
  const __m256i sum = _mm256_add_epi32(_mm256_add_epi32(_mm256_and_si256(_mm256_srli_epi32(pixels, 8), byteMask),
                                                        _mm256_and_si256(_mm256_srli_epi32(pixels, 16), byteMask)),
                                       _mm256_srli_epi32(pixels, 24));
  const __m256i mean = _mm256_mulhi_epu16(sum, _mm256_set1_epi32(21846));
  const __m256 value = _mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(mean), scale), offset);
  const __m256i grey32 = _mm256_cvttps_epi32(value);
  const __m256i grey16 = _mm256_packs_epi32(grey32, grey32);
  const __m256i grey8 = _mm256_packus_epi16(grey16, grey16);
  const __m256i grey = _mm256_unpacklo_epi8(grey8, grey8);
  const __m256i words = _mm256_unpacklo_epi16(grey, grey);
  return _mm256_or_si256(_mm256_andnot_si256(byteMask, words), byteMask);
}

void ApplyAffineTail(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  const __m128 scale = _mm_set1_ps(kernel.scale), offset = _mm_set1_ps(kernel.offset);
  int col = 0;
  for (; col + 4 <= count; col += 4) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + col * 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + col * 4), AffineQuad(pixels, scale, offset));
  }
  if (col < count) {
    uint8_t tail[16] = {}, out[16];
    std::memcpy(tail, from + col * 4, size_t(count - col) * 4);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     AffineQuad(_mm_loadu_si128(reinterpret_cast<const __m128i*>(tail)), scale, offset));
    std::memcpy(to + col * 4, out, size_t(count - col) * 4);
  }
}

__attribute__((target("avx2"))) void ApplyAffineRowAvx2(const PrintKernel& kernel, const uint8_t* from, uint8_t* to,
                                                          int count) {
  const __m256 scale = _mm256_set1_ps(kernel.scale), offset = _mm256_set1_ps(kernel.offset);
  int col = 0;
  for (; col + 8 <= count; col += 8) {
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + col * 4));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + col * 4), AffineOctet(pixels, scale, offset));
  }
  ApplyAffineTail(kernel, from + col * 4, to + col * 4, count - col);
}

void ApplyAffineRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  static const bool hasAvx2 = __builtin_cpu_supports("avx2");
  if (hasAvx2)
    ApplyAffineRowAvx2(kernel, from, to, count);
  else
    ApplyAffineTail(kernel, from, to, count);
}
#else
constexpr bool kHasAffinePath = false;
void ApplyAffineRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  ApplyTableRow(kernel.table, from, to, count);
}
#endif

// Black-and-white stops with a band narrower than the whole segment give a
// clipped ramp; the ramp's line is tried, then checked against the table.
bool FitAffine(const PixRecArray& stops, int16_t numElems, double bandWidth, PrintKernel& kernel) {
  if (!kHasAffinePath || numElems != 2) return false;
  const pixRec& low = stops.pixels[1];
  const pixRec& high = stops.pixels[2];
  const bool blackWhite = low.red == 0 && low.green == 0 && low.blue == 0 && high.red == 255 && high.green == 255 &&
                          high.blue == 255;
  const double h = bandWidth / 2.0;
  if (!blackWhite || !(1.0 - 2.0 * h > 1e-6)) return false;
  kernel.scale = static_cast<float>(255.0 / (256.0 * (1.0 - 2.0 * h)));
  kernel.offset = static_cast<float>(-255.0 * h / (1.0 - 2.0 * h));
  uint8_t greys[256 * 4], mapped[256 * 4];
  for (int mean = 0; mean < 256; ++mean) {
    const pixRec pixel{0, uint8_t(mean), uint8_t(mean), uint8_t(mean)};
    std::memcpy(greys + mean * 4, &pixel, 4);
  }
  ApplyAffineRow(kernel, greys, mapped, 256);
  for (int mean = 0; mean < 256; ++mean)
    if (std::memcmp(mapped + mean * 4, &kernel.table.bySum[mean * 3], 4) != 0) return false;
  return true;
}

}  // namespace

void PreparePrintKernel(const PixRecArray& stops, int16_t numElems, double bandWidth, PrintKernel& kernel) {
  BuildDissolveTable(stops, numElems, bandWidth, kernel.table);
  kernel.affine = false;
  kernel.affine = FitAffine(stops, numElems, bandWidth, kernel);
}

void ApplyPrintRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  if (count <= 0) return;
  if (kernel.affine)
    ApplyAffineRow(kernel, from, to, count);
  else
    ApplyTableRow(kernel.table, from, to, count);
}
