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
  ApplyBlocks<8>(from, to, count, [&](const uint8_t* in, uint8_t* out) AVX2 {
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    const __m256i above = _mm256_cmpgt_epi32(SumTimesThird(pixels), threshold);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_blendv_epi8(below, atOrAbove, above));
  });
}

AVX2 void ApplyAvx2RampRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  // Shifted 8 bits less than the grey, the value saturates to 0..65535 in
  // the pack and its high byte is the grey clamped to 0..255.
  const __m256i scale = _mm256_set1_epi32(kernel.ramp.scale << 16);
  const __m256i offset = _mm256_set1_epi32(kernel.ramp.offset);
  const __m128i shift = _mm_cvtsi32_si128(kernel.ramp.shift - 8);
  const __m256i alpha = _mm256_set1_epi32(0xFF);
  // The pack interleaves four words of each half at a time; these pick the
  // high bytes of the first and of the second eight pixels into red, green
  // and blue.
  const __m256i first = _mm256_setr_epi8(-1, 1, 1, 1, -1, 3, 3, 3, -1, 5, 5, 5, -1, 7, 7, 7, -1, 1, 1, 1, -1, 3, 3, 3,
                                         -1, 5, 5, 5, -1, 7, 7, 7);
  const __m256i second = _mm256_setr_epi8(-1, 9, 9, 9, -1, 11, 11, 11, -1, 13, 13, 13, -1, 15, 15, 15, -1, 9, 9, 9,
                                          -1, 11, 11, 11, -1, 13, 13, 13, -1, 15, 15, 15);
  const auto scaled = [&](const uint8_t* in) AVX2 {
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    return _mm256_sra_epi32(_mm256_add_epi32(_mm256_madd_epi16(SumTimesThird(pixels), scale), offset), shift);
  };
  ApplyBlocks<16>(from, to, count, [&](const uint8_t* in, uint8_t* out) AVX2 {
    const __m256i packed = _mm256_packus_epi32(scaled(in), scaled(in + 32));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_or_si256(_mm256_shuffle_epi8(packed, first), alpha));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32),
                        _mm256_or_si256(_mm256_shuffle_epi8(packed, second), alpha));
  });
}
#endif
