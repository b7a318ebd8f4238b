#include "host/media/pixel_pack.h"

#include <cstddef>
#include <cstring>

namespace vmhost {

namespace {

// Where red, green, blue and alpha sit in one pixel of a packed layout;
// alpha -1 means the layout has none (or a padding byte).
struct Layout {
  AVPixelFormat format;
  int bytes;
  int r, g, b, a;
};

constexpr Layout kLayouts[] = {
    {AV_PIX_FMT_RGB24, 3, 0, 1, 2, -1}, {AV_PIX_FMT_BGR24, 3, 2, 1, 0, -1}, {AV_PIX_FMT_RGBA, 4, 0, 1, 2, 3},
    {AV_PIX_FMT_BGRA, 4, 2, 1, 0, 3},   {AV_PIX_FMT_ARGB, 4, 1, 2, 3, 0},   {AV_PIX_FMT_ABGR, 4, 3, 2, 1, 0},
    {AV_PIX_FMT_RGB0, 4, 0, 1, 2, -1},  {AV_PIX_FMT_BGR0, 4, 2, 1, 0, -1},  {AV_PIX_FMT_0RGB, 4, 1, 2, 3, -1},
    {AV_PIX_FMT_0BGR, 4, 3, 2, 1, -1},  {AV_PIX_FMT_GRAY8, 1, 0, 0, 0, -1},
};

const Layout* findLayout(AVPixelFormat format) {
  for (const Layout& layout : kLayouts)
    if (layout.format == format) return &layout;
  return nullptr;
}

}  // namespace

bool isByteRepackable(AVPixelFormat format) { return findLayout(format) != nullptr; }

bool packToArgb(AVPixelFormat format, const uint8_t* src, int srcStride, uint8_t* dst, int dstRowBytes, int width,
                int height) {
  const Layout* layout = findLayout(format);
  if (layout == nullptr) return false;
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = src + static_cast<ptrdiff_t>(y) * srcStride;
    uint8_t* out = dst + static_cast<ptrdiff_t>(y) * dstRowBytes;
    if (format == AV_PIX_FMT_ARGB) {
      std::memcpy(out, in, static_cast<size_t>(width) * 4);
      continue;
    }
    for (int x = 0; x < width; ++x, in += layout->bytes, out += 4) {
      out[0] = layout->a >= 0 ? in[layout->a] : 255;
      out[1] = in[layout->r];
      out[2] = in[layout->g];
      out[3] = in[layout->b];
    }
  }
  return true;
}

bool unpackArgb(const uint8_t* src, int srcRowBytes, AVPixelFormat format, uint8_t* dst, int dstStride, int width,
                int height) {
  if (format != AV_PIX_FMT_RGB24 && format != AV_PIX_FMT_RGBA && format != AV_PIX_FMT_BGRA &&
      format != AV_PIX_FMT_BGR0)
    return false;
  const Layout* layout = findLayout(format);
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = src + static_cast<ptrdiff_t>(y) * srcRowBytes;
    uint8_t* out = dst + static_cast<ptrdiff_t>(y) * dstStride;
    for (int x = 0; x < width; ++x, in += 4, out += layout->bytes) {
      out[layout->r] = in[1];
      out[layout->g] = in[2];
      out[layout->b] = in[3];
      if (layout->a >= 0) out[layout->a] = in[0];
      if (layout->bytes == 4 && layout->a < 0) out[3] = 255;
    }
  }
  return true;
}

}  // namespace vmhost
