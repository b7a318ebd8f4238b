// The conversion rows in AVX2, chosen at run time on processors that have
// it. This file alone is built for AVX2; everything in it is local to it.
#include "host/media/yuv_rows_scalar.h"

#if defined(VM_ROWS_X86)
#include <immintrin.h>

namespace vmhost {
namespace {

struct Avx2 {
  using I = __m256i;
  using F = __m256;
  static constexpr int k16 = 16;  // int16 lanes
  static constexpr int kF = 8;    // float and int32 lanes

  static I set16(int v) { return _mm256_set1_epi16(static_cast<int16_t>(v)); }
  static I set32(int32_t v) { return _mm256_set1_epi32(v); }
  static I load16(const int16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const I*>(p)); }
  static void store16(int16_t* p, I v) { _mm256_storeu_si256(reinterpret_cast<I*>(p), v); }
  static I widen8(const uint8_t* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
  }
  static I add16(I a, I b) { return _mm256_add_epi16(a, b); }
  static I sub16(I a, I b) { return _mm256_sub_epi16(a, b); }
  static I mul16(I a, I b) { return _mm256_mullo_epi16(a, b); }
  static I shl16(I a, int n) { return _mm256_slli_epi16(a, n); }
  static I or16(I a, I b) { return _mm256_or_si256(a, b); }
  static I min16(I a, I b) { return _mm256_min_epi16(a, b); }
  static I max16(I a, I b) { return _mm256_max_epi16(a, b); }
  // Within each 128-bit half, as all the lane-pair steps here: a row's
  // pixels 0-3 and 8-11 pair up in the low unpack, 4-7 and 12-15 in the
  // high one, and packs32 puts them back in order.
  static I unpackLow16(I a, I b) { return _mm256_unpacklo_epi16(a, b); }
  static I unpackHigh16(I a, I b) { return _mm256_unpackhi_epi16(a, b); }
  static I madd(I a, I b) { return _mm256_madd_epi16(a, b); }
  static I add32(I a, I b) { return _mm256_add_epi32(a, b); }
  static I sar32(I a, int n) { return _mm256_srai_epi32(a, n); }
  static I shr32(I a, int n) { return _mm256_srli_epi32(a, n); }
  static I and32(I a, I b) { return _mm256_and_si256(a, b); }
  static I packs32(I a, I b) { return _mm256_packs_epi32(a, b); }
  static void store16Interleaved(int16_t* p, I even, I odd) {
    const I low = _mm256_unpacklo_epi16(even, odd), high = _mm256_unpackhi_epi16(even, odd);
    store16(p, _mm256_permute2x128_si256(low, high, 0x20));
    store16(p + 16, _mm256_permute2x128_si256(low, high, 0x31));
  }
  static void storeArgb(uint8_t* p, I low, I high) {
    _mm256_storeu_si256(reinterpret_cast<I*>(p), _mm256_permute2x128_si256(low, high, 0x20));
    _mm256_storeu_si256(reinterpret_cast<I*>(p + 32), _mm256_permute2x128_si256(low, high, 0x31));
  }
  static I load32(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const I*>(p)); }
  // Eight int32 lanes of 0..255 as eight bytes.
  static void storeBytes(uint8_t* p, I v) {
    const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(words, words));
  }

  static F setF(float v) { return _mm256_set1_ps(v); }
  static F loadF(const float* p) { return _mm256_loadu_ps(p); }
  static void storeF(float* p, F v) { _mm256_storeu_ps(p, v); }
  static F addF(F a, F b) { return _mm256_add_ps(a, b); }
  static F subF(F a, F b) { return _mm256_sub_ps(a, b); }
  static F mulF(F a, F b) { return _mm256_mul_ps(a, b); }
  static F minF(F a, F b) { return _mm256_min_ps(a, b); }
  static F maxF(F a, F b) { return _mm256_max_ps(a, b); }
  static F toFloat(I v) { return _mm256_cvtepi32_ps(v); }
  static I truncate(F v) { return _mm256_cvttps_epi32(v); }
  // p[0], p[2], ..., p[14] and p[1], p[3], ..., p[15].
  static void loadEvenOdd(const float* p, F& even, F& odd) {
    const F a = _mm256_loadu_ps(p), b = _mm256_loadu_ps(p + 8);
    constexpr int kInOrder = _MM_SHUFFLE(3, 1, 2, 0);
    even = _mm256_castpd_ps(
        _mm256_permute4x64_pd(_mm256_castps_pd(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0))), kInOrder));
    odd = _mm256_castpd_ps(
        _mm256_permute4x64_pd(_mm256_castps_pd(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1))), kInOrder));
  }
};

}  // namespace
}  // namespace vmhost

#include "host/media/yuv_rows_simd.h"

namespace vmhost {
const YuvRowFunctions& avx2YuvRows() { return rowFunctionsOf<Avx2>(); }
}  // namespace vmhost
#endif
