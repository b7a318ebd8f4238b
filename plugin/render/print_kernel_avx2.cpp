// Print rows with AVX2, chosen at run time on processors that have it.
#include "plugin/render/print_kernel_rows.h"

#if defined(VELMORANCE_PRINT_X86)
#include <immintrin.h>

#define AVX2 __attribute__((target("avx2")))

namespace {

// Red + green + blue of eight pixels times kThirdOf65536, one per word: the
// first multiply-add gives (red, green + blue) per word, the second their
// sum times the factor.
AVX2 inline __m256i SumTimesThird(__m256i pixels) {
  const __m256i pairs = _mm256_maddubs_epi16(pixels, _mm256_set1_epi32(0x01010100));
  return _mm256_madd_epi16(pairs, _mm256_set1_epi16(kThirdOf65536));
}

}  // namespace

AVX2 void ApplyAvx2StepRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  const __m256i threshold = _mm256_set1_epi32(kernel.step.sum * kThirdOf65536 - 1);
  const __m256i below = _mm256_set1_epi32(static_cast<int32_t>(kernel.step.below));
  const __m256i atOrAbove = _mm256_set1_epi32(static_cast<int32_t>(kernel.step.atOrAbove));
  ApplyBlocks<8>(ApplyAvx2StepRow, kernel, from, to, count, [&](const uint8_t* in, uint8_t* out) AVX2 {
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    const __m256i above = _mm256_cmpgt_epi32(SumTimesThird(pixels), threshold);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_blendv_epi8(below, atOrAbove, above));
  });
}

AVX2 void ApplyAvx2RampRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  const __m256i scale = _mm256_set1_epi32(kernel.ramp.scale << 16);
  const __m256i offset = _mm256_set1_epi32(kernel.ramp.offset);
  // A shift count per word: shifting by one count register is slower here.
  const __m256i shift = _mm256_set1_epi32(kernel.ramp.shift - 8);
  const __m256i white = _mm256_set1_epi32(0xFFFF);
  // Shifted 8 bits less than the grey, each value saturates to 0..65535 in
  // the pack, whose high byte is then the grey clamped to 0..255. The pack
  // puts four such words and then four 0xFFFF words in each half; the
  // shuffle spreads each grey into red, green and blue and takes alpha 255
  // from the 0xFFFF words.
  const __m256i spread =
      _mm256_setr_epi8(8, 1, 1, 1, 8, 3, 3, 3, 8, 5, 5, 5, 8, 7, 7, 7, 8, 1, 1, 1, 8, 3, 3, 3, 8, 5, 5, 5, 8, 7, 7, 7);
  ApplyBlocks<8>(ApplyAvx2RampRow, kernel, from, to, count, [&](const uint8_t* in, uint8_t* out) AVX2 {
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    // The mean sits in the high half of each word of SumTimesThird: the
    // multiply-add weighs it by the scale and the low half by 0.
    const __m256i scaled =
        _mm256_srav_epi32(_mm256_add_epi32(_mm256_madd_epi16(SumTimesThird(pixels), scale), offset), shift);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_shuffle_epi8(_mm256_packus_epi32(scaled, white), spread));
  });
}
#endif
