// Print rows with SSE2, which every x86-64 processor has.
#include "plugin/render/print_kernel_rows.h"

#if defined(VELMORANCE_PRINT_X86)
#include <emmintrin.h>

namespace {

// Red + green + blue of four pixels times kThirdOf65536, one per word.
inline __m128i SumTimesThird(__m128i pixels) {
  const __m128i redBlue = _mm_srli_epi16(pixels, 8);
  const __m128i green = _mm_and_si128(pixels, _mm_set1_epi32(0x00FF0000));
  return _mm_madd_epi16(_mm_add_epi16(redBlue, green), _mm_set1_epi16(kThirdOf65536));
}

}  // namespace

void ApplySse2StepRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  const __m128i threshold = _mm_set1_epi32(kernel.step.sum * kThirdOf65536 - 1);
  const __m128i below = _mm_set1_epi32(static_cast<int32_t>(kernel.step.below));
  const __m128i flip = _mm_set1_epi32(static_cast<int32_t>(kernel.step.below ^ kernel.step.atOrAbove));
  ApplyBlocks<4>(ApplySse2StepRow, kernel, from, to, count, [&](const uint8_t* in, uint8_t* out) {
    const __m128i above =
        _mm_cmpgt_epi32(SumTimesThird(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in))), threshold);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_xor_si128(below, _mm_and_si128(above, flip)));
  });
}

void ApplySse2RampRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  // The mean sits in the high half of each word of SumTimesThird: the
  // multiply-add weighs it by the scale and the low half by 0.
  const __m128i scale = _mm_set1_epi32(kernel.ramp.scale << 16);
  const __m128i offset = _mm_set1_epi32(kernel.ramp.offset);
  const __m128i shift = _mm_cvtsi32_si128(kernel.ramp.shift);
  const auto grey = [&](const uint8_t* in) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    return _mm_sra_epi32(_mm_add_epi32(_mm_madd_epi16(SumTimesThird(pixels), scale), offset), shift);
  };
  ApplyBlocks<8>(ApplySse2RampRow, kernel, from, to, count, [&](const uint8_t* in, uint8_t* out) {
    // The two packs clamp to 0..255; each grey byte then becomes the words
    // (alpha 255, grey) and (grey, grey) interleaved.
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(grey(in), grey(in + 16)), _mm_setzero_si128());
    const __m128i greyGrey = _mm_unpacklo_epi8(bytes, bytes);
    const __m128i alphaGrey = _mm_or_si128(greyGrey, _mm_set1_epi16(0xFF));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(alphaGrey, greyGrey));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi16(alphaGrey, greyGrey));
  });
}
#endif
