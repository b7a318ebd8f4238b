#include "host/media/pixel_pack.h"

#include <bit>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

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

namespace {

static_assert(std::endian::native == std::endian::little, "pixel words are read with their bytes from the low end");

// One row of ARGB words into a 4-byte layout: each pixel a word operation,
// which the vectoriser turns into whole-register byte moves.
template <typename Pixel>
[[gnu::target_clones("avx2", "default")]] void unpackRowWords(const uint8_t* in, uint8_t* out, int width, Pixel pixel) {
  for (int x = 0; x < width; ++x) {
    uint32_t word;
    std::memcpy(&word, in + 4 * x, 4);
    word = pixel(word);
    std::memcpy(out + 4 * x, &word, 4);
  }
}

void unpackRowRgb24(const uint8_t* in, uint8_t* out, int width, int from) {
  for (int x = from; x < width; ++x) {
    out[3 * x] = in[4 * x + 1];
    out[3 * x + 1] = in[4 * x + 2];
    out[3 * x + 2] = in[4 * x + 3];
  }
}

#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
// Four pixels a shuffle; each store writes four bytes past its twelve,
// which the next store covers, so the loop stops where that would pass the
// row's end.
[[gnu::target("ssse3")]] void unpackRowRgb24Ssse3(const uint8_t* in, uint8_t* out, int width) {
  const __m128i order = _mm_setr_epi8(1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15, -1, -1, -1, -1);
  int x = 0;
  for (; x + 6 <= width; x += 4)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * x),
                     _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * x)), order));
  unpackRowRgb24(in, out, width, x);
}
#endif

void unpackRow(AVPixelFormat format, const uint8_t* in, uint8_t* out, int width) {
  // Words hold bytes A, R, G, B from their low end up.
  switch (format) {
    case AV_PIX_FMT_RGBA:
      return unpackRowWords(in, out, width, [](uint32_t w) { return w >> 8 | w << 24; });
    case AV_PIX_FMT_BGRA:
      return unpackRowWords(in, out, width, [](uint32_t w) { return __builtin_bswap32(w); });
    case AV_PIX_FMT_BGR0:
      return unpackRowWords(in, out, width, [](uint32_t w) { return __builtin_bswap32(w) | 0xFF000000u; });
    default:
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
      if (__builtin_cpu_supports("ssse3")) return unpackRowRgb24Ssse3(in, out, width);
#endif
      return unpackRowRgb24(in, out, width, 0);
  }
}

}  // namespace

bool unpackArgb(const uint8_t* src, int srcRowBytes, AVPixelFormat format, uint8_t* dst, int dstStride, int width,
                int height) {
  if (format != AV_PIX_FMT_RGB24 && format != AV_PIX_FMT_RGBA && format != AV_PIX_FMT_BGRA &&
      format != AV_PIX_FMT_BGR0)
    return false;
  for (int y = 0; y < height; ++y)
    unpackRow(format, src + static_cast<ptrdiff_t>(y) * srcRowBytes, dst + static_cast<ptrdiff_t>(y) * dstStride,
              width);
  return true;
}

}  // namespace vmhost
