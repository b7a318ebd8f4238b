// The row functions of the print kernel for each instruction set, and the
// block walk they share. Used only by the print kernel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "plugin/render/print_kernel.h"

#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#define VELMORANCE_PRINT_X86 1

void ApplySse2StepRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count);
void ApplySse2RampRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count);
void ApplyAvx2StepRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count);
void ApplyAvx2RampRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count);
void ApplyAvx512StepRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count);
void ApplyAvx512RampRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count);
#endif

// Brightness sums are multiplied by this: the product's high 16 bits are then
// sum / 3 for every sum up to 765, so the mean needs no division.
inline constexpr int32_t kThirdOf65536 = 21846;

// The last partial run of a row, through a local copy mapped by the row
// function itself as one whole run. Out of line, so that the row functions
// keep their constants in registers and need no stack frame.
template <int kPixels>
[[gnu::noinline]] void ApplyLastBlock(PrintRowFn row, const PrintKernel& kernel, const uint8_t* from, uint8_t* to,
                                      int count) {
  alignas(64) uint8_t in[kPixels * 4] = {};
  alignas(64) uint8_t out[kPixels * 4];
  std::memcpy(in, from, size_t(count) * 4);
  row(kernel, in, out, kPixels);
  std::memcpy(to, out, size_t(count) * 4);
}

// Calls `block` on each whole run of kPixels pixels of the row that `row`
// maps, then maps the rest through ApplyLastBlock, so that nothing past
// `count` pixels is read or written. `block` reads its whole run before it
// writes.
template <int kPixels, typename Block>
[[gnu::always_inline]] inline void ApplyBlocks(PrintRowFn row, const PrintKernel& kernel, const uint8_t* from,
                                               uint8_t* to, int count, Block block) {
  int col = 0;
  for (; col + kPixels <= count; col += kPixels) block(from + size_t(col) * 4, to + size_t(col) * 4);
  if (col < count) ApplyLastBlock<kPixels>(row, kernel, from + size_t(col) * 4, to + size_t(col) * 4, count - col);
}
