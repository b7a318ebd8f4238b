// Print rows with AVX-512 (with its byte and word dot products), chosen at
// run time on processors that have it.
#include "plugin/render/print_kernel_rows.h"

#if defined(VELMORANCE_PRINT_X86)
#include <immintrin.h>

#define AVX512 __attribute__((target("avx512f,avx512bw,avx512vnni")))

namespace {

// Red + green + blue of sixteen pixels, one per word.
AVX512 inline __m512i ChannelSums(__m512i pixels) {
  return _mm512_dpbusd_epi32(_mm512_setzero_si512(), pixels, _mm512_set1_epi32(0x01010100));
}

}  // namespace

AVX512 void ApplyAvx512StepRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  const __m512i threshold = _mm512_set1_epi32(kernel.step.sum - 1);
  const __m512i below = _mm512_set1_epi32(static_cast<int32_t>(kernel.step.below));
  const __m512i atOrAbove = _mm512_set1_epi32(static_cast<int32_t>(kernel.step.atOrAbove));
  ApplyBlocks<16>(ApplyAvx512StepRow, kernel, from, to, count, [&](const uint8_t* in, uint8_t* out) AVX512 {
    const __mmask16 above = _mm512_cmpgt_epi32_mask(ChannelSums(_mm512_loadu_si512(in)), threshold);
    _mm512_storeu_si512(out, _mm512_mask_blend_epi32(above, below, atOrAbove));
  });
}

AVX512 void ApplyAvx512RampRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  const __m512i third = _mm512_set1_epi32(kThirdOf65536);
  const __m512i scale = _mm512_set1_epi32(kernel.ramp.scale);
  const __m512i offset = _mm512_set1_epi32(kernel.ramp.offset);
  const __m512i shift = _mm512_set1_epi32(kernel.ramp.shift - 8);
  const __m512i white = _mm512_set1_epi32(0xFFFF);
  // As in the AVX2 row: the pack saturates each value shifted 8 bits less
  // than the grey, and the shuffle spreads its high byte and takes alpha from
  // the 0xFFFF words.
  const __m512i spread = _mm512_set4_epi32(0x07070708, 0x05050508, 0x03030308, 0x01010108);
  ApplyBlocks<16>(ApplyAvx512RampRow, kernel, from, to, count, [&](const uint8_t* in, uint8_t* out) AVX512 {
    // The mean is in the low half of each word and 0 in the high half; the
    // word dot product adds mean * scale to the offset.
    const __m512i mean = _mm512_mulhi_epu16(ChannelSums(_mm512_loadu_si512(in)), third);
    // (The all-lanes mask form, because the plain one trips a warning in
    // this compiler's header.)
    const __m512i scaled = _mm512_maskz_srav_epi32(0xFFFF, _mm512_dpwssd_epi32(offset, mean, scale), shift);
    _mm512_storeu_si512(out, _mm512_shuffle_epi8(_mm512_packus_epi32(scaled, white), spread));
  });
}
#endif
