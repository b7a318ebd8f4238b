// The plain C++ rows the vector ones stand in for, which they also use for
// the last pixels of a row. Used only by the row functions.
#pragma once

#include "host/media/yuv_rows.h"

#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#define VM_ROWS_X86 1
#endif

namespace vmhost {

namespace rows {
void chromaBetweenRows(const uint8_t* a, const uint8_t* b, int weightA, int count, int16_t* out);
void chromaAcross(const int16_t* v, int width, ChromaSiting siting, int16_t* out);
void yuvToArgb(const uint8_t* luma, const int16_t* cb, const int16_t* cr, int width, const YuvCoefficients& k,
               uint8_t* out);
void argbToYuv(const uint8_t* in, int width, const RgbWeights& w, uint8_t* luma, float* cb, float* cr);
// Chroma bytes begin..end of a row (see YuvRowFunctions::chromaBytes).
void chromaBytesRange(const float* a, const float* b, int width, bool halve, int begin, int end, uint8_t* out);
void chromaBytes(const float* a, const float* b, int width, bool halve, uint8_t* out);
}  // namespace rows

#if defined(VM_ROWS_X86)
const YuvRowFunctions& sse2YuvRows();
const YuvRowFunctions& avx2YuvRows();
#endif

}  // namespace vmhost
