#include "plugin/render/pixeleffect.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "plugin/common/numeric_helpers.h"
#include "plugin/render/float_to_int.h"
#include "plugin/render/pascal_pixel_lib.h"
#include "platform/quickdraw/quickdraw_owners.h"
#include "plugin/render/print_kernel.h"

namespace {

uint8_t blendChannel(uint8_t lower, uint8_t upper, double t) {
  const int difference = int{upper} - int{lower};
  return static_cast<uint8_t>(TruncToInt32(difference * t + lower));
}

PixRecArray toPixRecs(const RGBArray& colors, int16_t numElems) {
  PixRecArray stops{};
  for (int i = 1; i <= numElems; ++i)
    stops.pixels[i] = pixRec{0, static_cast<uint8_t>(colors.colors[i].red >> 8),
                             static_cast<uint8_t>(colors.colors[i].green >> 8),
                             static_cast<uint8_t>(colors.colors[i].blue >> 8)};
  return stops;
}

}  // namespace

pixRec Index2ColorDissolve(int16_t index, const PixRecArray& colorArray, int16_t numElems, double bandWidth) {
  const uint8_t grey = static_cast<uint8_t>(index);
  pixRec result{0, grey, grey, grey};
  if (numElems < 2) return result;
  numElems = std::min<int16_t>(numElems, cMaxPixArray);

  double n = index / 256.0;
  const double segmentSize = 1.0 / (numElems - 1);
  int lower = TruncToInt32(n / segmentSize);
  if (lower >= numElems) lower = numElems - 1;
  // Only an index beyond 255 reaches the last stop; keep the pair in range.
  const int upper = std::min(lower + 1, numElems - 1);
  n = (n - lower * segmentSize) / segmentSize;

  const pixRec& low = colorArray.pixels[lower + 1];
  const pixRec& high = colorArray.pixels[upper + 1];
  const double h = bandWidth / 2.0;
  if (n > h && n < 1.0 - h) {
    const double t = (n - h) / (1.0 - 2.0 * h);
    result.red = blendChannel(low.red, high.red, t);
    result.green = blendChannel(low.green, high.green, t);
    result.blue = blendChannel(low.blue, high.blue, t);
  } else {
    const pixRec& solid = n < 0.5 ? low : high;
    result.red = solid.red;
    result.green = solid.green;
    result.blue = solid.blue;
  }
  return result;
}

void BuildDissolveTable(const PixRecArray& colorArray, int16_t numElems, double bandWidth, DissolveTable& table) {
  uint32_t byMean[256];
  for (int mean = 0; mean < 256; ++mean) {
    pixRec pixel = Index2ColorDissolve(static_cast<int16_t>(mean), colorArray, numElems, bandWidth);
    pixel.alpha = 255;
    std::memcpy(&byMean[mean], &pixel, 4);
  }
  for (int sum = 0; sum < 766; ++sum) table.bySum[sum] = byMean[sum / 3];
}

void RainbowGWorlds(GrafPtr source1, GrafPtr dest, const Rect& activeRect, const RGBArray& dissolveColors,
                    int16_t numElems, double bandWidth) {
  if (source1 == nullptr || dest == nullptr) return;
  Ptr srcBase, dstBase;
  int32_t srcRowBytes, dstRowBytes;
  uint32_t srcState, dstState;
  Rect srcFrame, dstFrame;
  GetPixInfoFromGWorld(source1, srcBase, srcRowBytes, srcState, srcFrame);
  PixelsStateRestorer restoreSource(GetGWorldPixMap(source1), srcState);
  GetPixInfoFromGWorld(dest, dstBase, dstRowBytes, dstState, dstFrame);
  PixelsStateRestorer restoreDest(GetGWorldPixMap(dest), dstState);

  if (srcFrame.right == dstFrame.right && srcFrame.bottom == dstFrame.bottom) {
    numElems = std::clamp<int16_t>(numElems, 1, cMaxPixArray);
    const PrintKernel& kernel = PreparedPrintKernel(toPixRecs(dissolveColors, numElems), numElems, bandWidth);

    // Rows and columns count from each buffer's first pixel. The walk stops at
    // the right and bottom edges and at the pixels either buffer really has,
    // so a buffer whose bounds do not start at (0, 0) is never overrun.
    const int rows = std::min({int{srcFrame.bottom}, srcFrame.bottom - srcFrame.top, dstFrame.bottom - dstFrame.top});
    const int cols = std::min({int{srcFrame.right}, srcFrame.right - srcFrame.left, dstFrame.right - dstFrame.left});
    const int top = std::max<int>(activeRect.top, 0), bottom = std::min<int>(activeRect.bottom, rows);
    const int left = std::max<int>(activeRect.left, 0), right = std::min<int>(activeRect.right, cols);
    for (int row = top; row < bottom; ++row) {
      const uint8_t* from = reinterpret_cast<const uint8_t*>(srcBase) + static_cast<ptrdiff_t>(row) * srcRowBytes;
      uint8_t* to = reinterpret_cast<uint8_t*>(dstBase) + static_cast<ptrdiff_t>(row) * dstRowBytes;
      ApplyPrintRow(kernel, from + left * 4, to + left * 4, right - left);
    }
  }
}

void ThePixelEffect(GrafPtr source, GrafPtr dest, const Rect& activeRect, bool, pluginDataPtr theConfig, int32_t,
                    int32_t) {
  PortSaver saved;
  SetGWorld(dest, nullptr);
  RGBArray theColors{};
  theColors.colors[1] = SetRGBColor(0, 0, 0);
  theColors.colors[2] = SetRGBColor(-1, -1, -1);
  const double bandWidth = 1.0 - theConfig->sliders[1] / 100.0;
  RainbowGWorlds(source, dest, activeRect, theColors, 2, bandWidth);
}
