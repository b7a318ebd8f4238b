// CopyBits in source-copy mode. Same-size copies move whole rows;
// scaled copies go through pixman with nearest-neighbour sampling.
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "platform/quickdraw/bulk_pixels.h"
#include "platform/quickdraw/port_state.h"

namespace {

using ImagePtr = std::unique_ptr<pixman_image_t, decltype(&pixman_image_unref)>;

// Pixels only move as whole 32-bit words here, so the channel order pixman is
// told does not matter; a8r8g8b8 is the format with fast paths.
ImagePtr wrap(const BitMap& bits) {
  const int width = bits.bounds.right - bits.bounds.left;
  const int height = bits.bounds.bottom - bits.bounds.top;
  return ImagePtr(pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, reinterpret_cast<uint32_t*>(bits.baseAddr),
                                           bits.rowBytes),
                  &pixman_image_unref);
}

uint8_t* addressOf(const BitMap& bits, int x, int y) {
  return reinterpret_cast<uint8_t*>(bits.baseAddr) + static_cast<ptrdiff_t>(y - bits.bounds.top) * bits.rowBytes +
         static_cast<ptrdiff_t>(x - bits.bounds.left) * 4;
}

// The part of `dst` that may be written: its bounds, and the clip when it is
// the current port's pixels.
Rect writableArea(const BitMap& dst) {
  Rect area = dst.bounds;
  GrafPtr port = qd::currentPort();
  if (port != nullptr && port->portPixMap.baseAddr == dst.baseAddr) SectRect(&area, &port->clipRect, &area);
  return area;
}

void copySameSize(const BitMap& src, const BitMap& dst, Rect srcRect, Rect dstRect) {
  const int dh = dstRect.left - srcRect.left, dv = dstRect.top - srcRect.top;
  // Clip the source, move it into destination space, clip again.
  Rect visible{};
  if (!SectRect(&srcRect, &src.bounds, &visible)) return;
  OffsetRect(&visible, static_cast<short>(dh), static_cast<short>(dv));
  Rect area = writableArea(dst);
  if (!SectRect(&visible, &area, &visible) || !SectRect(&visible, &dstRect, &visible)) return;
  const size_t rowLength = static_cast<size_t>(visible.right - visible.left) * 4;
  const int rows = visible.bottom - visible.top;
  if (dst.baseAddr == src.baseAddr) {
    // A move downwards goes from the bottom row up, so that no row is
    // overwritten before it is read.
    for (int i = 0; i < rows; ++i) {
      const int y = dv > 0 ? visible.bottom - 1 - i : visible.top + i;
      std::memmove(addressOf(dst, visible.left, y), addressOf(src, visible.left - dh, y - dv), rowLength);
    }
    return;
  }
  const bool streaming = qd::writesPastCache(rowLength * static_cast<size_t>(rows));
  for (int y = visible.top; y < visible.bottom; ++y)
    qd::copyPixelRow(addressOf(dst, visible.left, y), addressOf(src, visible.left - dh, y - dv), rowLength, streaming);
  if (streaming) qd::finishStreaming();
}

// The half-open range of destination coordinates whose nearest-neighbour
// sample lies in [srcLow, srcHigh), for the mapping s = (d + 0.5 - dstStart) * scale + srcStart.
std::pair<int, int> destinationSpan(double srcLow, double srcHigh, double srcStart, double dstStart, double scale) {
  const int low = static_cast<int>(std::ceil((srcLow - srcStart) / scale + dstStart - 0.5));
  const int high = static_cast<int>(std::ceil((srcHigh - srcStart) / scale + dstStart - 0.5));
  return {low, high};
}

void copyScaled(const BitMap& src, const BitMap& dst, Rect srcRect, Rect dstRect) {
  const double scaleX = double(srcRect.right - srcRect.left) / (dstRect.right - dstRect.left);
  const double scaleY = double(srcRect.bottom - srcRect.top) / (dstRect.bottom - dstRect.top);
  Rect visibleSrc{};
  if (!SectRect(&srcRect, &src.bounds, &visibleSrc)) return;
  auto [x0, x1] = destinationSpan(visibleSrc.left, visibleSrc.right, srcRect.left, dstRect.left, scaleX);
  auto [y0, y1] = destinationSpan(visibleSrc.top, visibleSrc.bottom, srcRect.top, dstRect.top, scaleY);
  Rect region{static_cast<int16_t>(std::max<int>(y0, dstRect.top)), static_cast<int16_t>(std::max<int>(x0, dstRect.left)),
              static_cast<int16_t>(std::min<int>(y1, dstRect.bottom)),
              static_cast<int16_t>(std::min<int>(x1, dstRect.right))};
  Rect area = writableArea(dst);
  if (EmptyRect(&region) || !SectRect(&region, &area, &region)) return;

  ImagePtr source = wrap(src);
  ImagePtr target = wrap(dst);
  if (!source || !target) return;
  // pixman maps destination image coordinates to source image coordinates.
  const double dL = dstRect.left - dst.bounds.left, dT = dstRect.top - dst.bounds.top;
  const double sL = srcRect.left - src.bounds.left, sT = srcRect.top - src.bounds.top;
  pixman_transform_t transform;
  pixman_transform_init_identity(&transform);
  transform.matrix[0][0] = pixman_double_to_fixed(scaleX);
  transform.matrix[0][2] = pixman_double_to_fixed(sL - dL * scaleX);
  transform.matrix[1][1] = pixman_double_to_fixed(scaleY);
  transform.matrix[1][2] = pixman_double_to_fixed(sT - dT * scaleY);
  pixman_image_set_transform(source.get(), &transform);
  pixman_image_set_filter(source.get(), PIXMAN_FILTER_NEAREST, nullptr, 0);
  pixman_image_set_repeat(source.get(), PIXMAN_REPEAT_PAD);
  const int x = region.left - dst.bounds.left, y = region.top - dst.bounds.top;
  pixman_image_composite32(PIXMAN_OP_SRC, source.get(), nullptr, target.get(), x, y, 0, 0, x, y,
                           region.right - region.left, region.bottom - region.top);
}

}  // namespace

void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect, short,
              RgnHandle) {
  if (srcBits == nullptr || dstBits == nullptr || srcRect == nullptr || dstRect == nullptr) return;
  if (srcBits->baseAddr == nullptr || dstBits->baseAddr == nullptr) return;
  if (EmptyRect(srcRect) || EmptyRect(dstRect)) return;
  const bool sameSize = srcRect->right - srcRect->left == dstRect->right - dstRect->left &&
                        srcRect->bottom - srcRect->top == dstRect->bottom - dstRect->top;
  if (sameSize)
    copySameSize(*srcBits, *dstBits, *srcRect, *dstRect);
  else
    copyScaled(*srcBits, *dstBits, *srcRect, *dstRect);
}
