#include "host/session/blit.h"

#include <cstddef>

namespace vmhost {

namespace {

bool insideBounds(const Rect& r, const Rect& bounds) {
  return r.left >= bounds.left && r.top >= bounds.top && r.right <= bounds.right && r.bottom <= bounds.bottom &&
         r.left <= r.right && r.top <= r.bottom;
}

uint8_t* pixelAt(const PixMap& pm, int x, int y) {
  return reinterpret_cast<uint8_t*>(pm.baseAddr) + static_cast<ptrdiff_t>(y - pm.bounds.top) * pm.rowBytes +
         static_cast<ptrdiff_t>(x - pm.bounds.left) * 4;
}

}  // namespace

HYPluginResult hostBlit(PixMapHandle src, PixMapHandle dst, const Rect* srcRect, const Rect* dstRect,
                        int16_t opacity) {
  if (src == nullptr || dst == nullptr || *src == nullptr || *dst == nullptr || srcRect == nullptr ||
      dstRect == nullptr)
    return kPluginBadParams;
  const PixMap& from = **src;
  const PixMap& to = **dst;
  if (from.baseAddr == nullptr || to.baseAddr == nullptr || from.pixelSize != 32 || to.pixelSize != 32)
    return kPluginBadParams;
  const int width = srcRect->right - srcRect->left;
  const int height = srcRect->bottom - srcRect->top;
  if (!insideBounds(*srcRect, from.bounds) || !insideBounds(*dstRect, to.bounds) ||
      dstRect->right - dstRect->left != width || dstRect->bottom - dstRect->top != height)
    return kPluginBadParams;
  blendOver(pixelAt(from, srcRect->left, srcRect->top), from.rowBytes, pixelAt(to, dstRect->left, dstRect->top),
            to.rowBytes, width, height, opacity);
  return kPluginOK;
}

}  // namespace vmhost
