// The per-pixel kernel of the print, apart from buffers and rectangles: maps
// one row of pixels (bytes alpha, red, green, blue) to their stop colours.
#pragma once

#include <cstdint>

#include "plugin/render/pixeleffect.h"

// The ways of mapping a row, ordered by the processor features they need.
// The table is the reference every other variant must equal byte for byte.
enum class PrintVariant : uint8_t { kTable, kSse2, kAvx2, kAvx512 };
inline constexpr PrintVariant kAllPrintVariants[] = {PrintVariant::kTable, PrintVariant::kSse2, PrintVariant::kAvx2,
                                                     PrintVariant::kAvx512};

// The most capable variant this processor runs.
PrintVariant MachinePrintVariant();
const char* PrintVariantName(PrintVariant variant);

struct PrintKernel;
using PrintRowFn = void (*)(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count);

// Stops whose map takes one colour below a brightness and another from it on
// (any strength of 0 or less) come down to a compare and a select on the
// channel sum.
struct PrintStep {
  int32_t sum = 0;  // the first channel sum that takes `atOrAbove`
  uint32_t below = 0, atOrAbove = 0;
};

// Stops whose map is a grey that is an affine function of the brightness
// (black and white with some strength above 0): grey = (mean * scale +
// offset) >> shift, clamped to 0..255, alpha 255. scale fits 15 bits and
// shift is 8..15.
struct PrintRamp {
  int32_t scale = 0, offset = 0, shift = 0;
};

struct PrintKernel {
  DissolveTable table;
  PrintVariant variant = PrintVariant::kTable;  // the variant `row` belongs to
  PrintRowFn row = nullptr;
  PrintStep step;
  PrintRamp ramp;
};

// Builds the table and picks the fastest row function at most `cap` that
// this processor runs and that equals the table for every channel sum; the
// table itself otherwise.
void PreparePrintKernel(const PixRecArray& stops, int16_t numElems, double bandWidth, PrintKernel& kernel,
                        PrintVariant cap = PrintVariant::kAvx512);
// The kernel PreparePrintKernel makes for these stops at the full cap,
// prepared once and kept, one for each thread, while a thread's calls ask
// for the same stops.
const PrintKernel& PreparedPrintKernel(const PixRecArray& stops, int16_t numElems, double bandWidth);
// Writes `count` pixels of `to` from the pixels of `from`, and nothing past
// them; the rows may be the same memory.
inline void ApplyPrintRow(const PrintKernel& kernel, const uint8_t* from, uint8_t* to, int count) {
  if (count > 0) kernel.row(kernel, from, to, count);
}
