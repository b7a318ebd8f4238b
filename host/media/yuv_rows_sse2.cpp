// The conversion rows in SSE2, which every x86-64 processor has.
#include "host/media/yuv_rows_scalar.h"

#if defined(VM_ROWS_X86)
#include <emmintrin.h>

#include <cstring>

namespace vmhost {
namespace {

struct Sse2 {
  using I = __m128i;
  using F = __m128;
  static constexpr int k16 = 8;  // int16 lanes
  static constexpr int kF = 4;   // float and int32 lanes

  static I set16(int v) { return _mm_set1_epi16(static_cast<int16_t>(v)); }
  static I set32(int32_t v) { return _mm_set1_epi32(v); }
  static I load16(const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
  static void store16(int16_t* p, I v) { _mm_storeu_si128(reinterpret_cast<I*>(p), v); }
  static I widen8(const uint8_t* p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const I*>(p)), _mm_setzero_si128());
  }
  static I add16(I a, I b) { return _mm_add_epi16(a, b); }
  static I sub16(I a, I b) { return _mm_sub_epi16(a, b); }
  static I mul16(I a, I b) { return _mm_mullo_epi16(a, b); }
  static I shl16(I a, int n) { return _mm_slli_epi16(a, n); }
  static I or16(I a, I b) { return _mm_or_si128(a, b); }
  static I min16(I a, I b) { return _mm_min_epi16(a, b); }
  static I max16(I a, I b) { return _mm_max_epi16(a, b); }
  static I unpackLow16(I a, I b) { return _mm_unpacklo_epi16(a, b); }
  static I unpackHigh16(I a, I b) { return _mm_unpackhi_epi16(a, b); }
  static I madd(I a, I b) { return _mm_madd_epi16(a, b); }
  static I add32(I a, I b) { return _mm_add_epi32(a, b); }
  static I sar32(I a, int n) { return _mm_srai_epi32(a, n); }
  static I shr32(I a, int n) { return _mm_srli_epi32(a, n); }
  static I and32(I a, I b) { return _mm_and_si128(a, b); }
  static I packs32(I a, I b) { return _mm_packs_epi32(a, b); }
  static void store16Interleaved(int16_t* p, I even, I odd) {
    store16(p, _mm_unpacklo_epi16(even, odd));
    store16(p + 8, _mm_unpackhi_epi16(even, odd));
  }
  static void storeArgb(uint8_t* p, I low, I high) {
    _mm_storeu_si128(reinterpret_cast<I*>(p), low);
    _mm_storeu_si128(reinterpret_cast<I*>(p + 16), high);
  }
  static I load32(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
  // Four int32 lanes of 0..255 as four bytes.
  static void storeBytes(uint8_t* p, I v) {
    const I packed = _mm_packus_epi16(_mm_packs_epi32(v, v), v);
    const int32_t bytes = _mm_cvtsi128_si32(packed);
    std::memcpy(p, &bytes, 4);
  }

  static F setF(float v) { return _mm_set1_ps(v); }
  static F loadF(const float* p) { return _mm_loadu_ps(p); }
  static void storeF(float* p, F v) { _mm_storeu_ps(p, v); }
  static F addF(F a, F b) { return _mm_add_ps(a, b); }
  static F subF(F a, F b) { return _mm_sub_ps(a, b); }
  static F mulF(F a, F b) { return _mm_mul_ps(a, b); }
  static F minF(F a, F b) { return _mm_min_ps(a, b); }
  static F maxF(F a, F b) { return _mm_max_ps(a, b); }
  static F toFloat(I v) { return _mm_cvtepi32_ps(v); }
  static I truncate(F v) { return _mm_cvttps_epi32(v); }
  // p[0], p[2], p[4], p[6] and p[1], p[3], p[5], p[7].
  static void loadEvenOdd(const float* p, F& even, F& odd) {
    const F a = _mm_loadu_ps(p), b = _mm_loadu_ps(p + 4);
    even = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
    odd = _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
  }
};

}  // namespace
}  // namespace vmhost

#include "host/media/yuv_rows_simd.h"

namespace vmhost {
const YuvRowFunctions& sse2YuvRows() { return rowFunctionsOf<Sse2>(); }
}  // namespace vmhost
#endif
