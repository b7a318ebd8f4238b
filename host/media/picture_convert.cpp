#include "host/media/picture_convert.h"

#include <algorithm>
#include <cstring>

namespace vmhost {

namespace {

// Luma weights of red and blue for the matrices with a plain weighted sum.
bool lumaWeights(AVColorSpace matrix, float& kr, float& kb) {
  switch (matrix) {
    case AVCOL_SPC_BT709: kr = 0.2126f, kb = 0.0722f; return true;
    case AVCOL_SPC_FCC: kr = 0.30f, kb = 0.11f; return true;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: kr = 0.299f, kb = 0.114f; return true;
    case AVCOL_SPC_SMPTE240M: kr = 0.212f, kb = 0.087f; return true;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: kr = 0.2627f, kb = 0.0593f; return true;
    default: return false;
  }
}

// The planar 8-bit YUV layouts the exact paths take; shifts are log2 of
// the chroma subsampling.
bool planarYuv8(AVPixelFormat format, int& shiftX, int& shiftY) {
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
  if (d == nullptr || d->nb_components != 3 || !(d->flags & AV_PIX_FMT_FLAG_PLANAR) ||
      (d->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_FLOAT)))
    return false;
  for (int c = 0; c < 3; ++c)
    if (d->comp[c].depth != 8 || d->comp[c].plane != c || d->comp[c].step != 1) return false;
  shiftX = d->log2_chroma_w;
  shiftY = d->log2_chroma_h;
  return shiftX <= 1 && shiftY <= 1 && !(shiftY == 1 && shiftX == 0);
}

// The scale of luma and chroma steps against full-range 0..255 values.
struct Scales {
  float kr, kg, kb;
  float lumaScale, lumaOffset, chromaScale;
};

bool scalesFor(const ColourSpace& colours, Scales& s) {
  if (!lumaWeights(colours.matrix, s.kr, s.kb)) return false;
  s.kg = 1.0f - s.kr - s.kb;
  s.lumaScale = colours.fullRange ? 1.0f : 219.0f / 255.0f;
  s.lumaOffset = colours.fullRange ? 0.0f : 16.0f;
  s.chromaScale = colours.fullRange ? 1.0f : 224.0f / 255.0f;
  return true;
}

inline uint32_t clampByte(float v) { return static_cast<uint32_t>(std::clamp(v, 0.0f, 255.0f)); }

// Chroma of luma row `y` interpolated to every luma column, in sixteenths
// of a step, centred on 0: vertically between chroma rows (sited between
// luma rows), horizontally between chroma columns (sited on the even luma
// columns, as MPEG-2 and H.264 have it, or between them as JPEG has).
void chromaRow(const AVFrame& f, int plane, int y, int shiftX, int shiftY, int32_t* vertical, int32_t* out) {
  const int chromaWidth = (f.width + shiftX) >> shiftX;
  const int chromaHeight = (f.height + shiftY) >> shiftY;
  const uint8_t* a;
  const uint8_t* b;
  int32_t wa, wb;
  if (shiftY == 0) {
    a = b = f.data[plane] + static_cast<ptrdiff_t>(y) * f.linesize[plane];
    wa = wb = 2;
  } else {
    const int c = y >> 1;
    const int other = (y & 1) == 0 ? std::max(c - 1, 0) : std::min(c + 1, chromaHeight - 1);
    a = f.data[plane] + static_cast<ptrdiff_t>(c) * f.linesize[plane];
    b = f.data[plane] + static_cast<ptrdiff_t>(other) * f.linesize[plane];
    wa = 3, wb = 1;
  }
  for (int i = 0; i < chromaWidth; ++i) vertical[i] = wa * a[i] + wb * b[i] - 512;
  if (shiftX == 0) {
    for (int x = 0; x < f.width; ++x) out[x] = 4 * vertical[x];
    return;
  }
  // The edge columns repeat past the sides; out has room for an odd width's
  // extra column.
  vertical[-1] = vertical[0];
  vertical[chromaWidth] = vertical[chromaWidth - 1];
  const bool centred = f.chroma_location == AVCHROMA_LOC_CENTER || f.chroma_location == AVCHROMA_LOC_TOP ||
                       f.chroma_location == AVCHROMA_LOC_BOTTOM;
  if (centred) {
    for (int i = 0; i < chromaWidth; ++i) {
      out[2 * i] = 3 * vertical[i] + vertical[i - 1];
      out[2 * i + 1] = 3 * vertical[i] + vertical[i + 1];
    }
    return;
  }
  for (int i = 0; i < chromaWidth; ++i) {
    out[2 * i] = 4 * vertical[i];
    out[2 * i + 1] = 2 * (vertical[i] + vertical[i + 1]);
  }
}

// Fixed-point factors, 16 fraction bits: luma steps, and chroma sixteenths.
struct YuvCoefficients {
  int32_t lumaOffset, lumaScale, crR, cbG, crG, cbB;
};

// The per-pixel loops run in wider vectors where the processor has them.
#define VM_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))

VM_VECTOR_CLONES void yuvRowToArgb(const uint8_t* luma, const int32_t* cb, const int32_t* cr, int width,
                                   const YuvCoefficients& k, uint32_t* out) {
  for (int x = 0; x < width; ++x) {
    const int32_t l = (luma[x] - k.lumaOffset) * k.lumaScale + (1 << 15);
    const auto r = static_cast<uint32_t>(std::clamp((l + k.crR * cr[x]) >> 16, 0, 255));
    const auto g = static_cast<uint32_t>(std::clamp((l + k.cbG * cb[x] + k.crG * cr[x]) >> 16, 0, 255));
    const auto b = static_cast<uint32_t>(std::clamp((l + k.cbB * cb[x]) >> 16, 0, 255));
    out[x] = 0xFFu | r << 8 | g << 16 | b << 24;  // bytes A, R, G, B in memory
  }
}

void yuvToArgb(const AVFrame& f, const Scales& s, int shiftX, int shiftY, std::vector<int32_t>& scratch,
               uint8_t* dst, int dstRowBytes) {
  const int w = f.width;
  scratch.resize(static_cast<size_t>(w) * 4 + 4);
  int32_t* vertical = scratch.data() + 1;
  int32_t* cb = vertical + w + 1;
  int32_t* cr = cb + w + 1;
  const auto fixed = [](double v) { return static_cast<int32_t>(std::lround(v * 65536)); };
  // Chroma arrives in sixteenths of a step.
  const double cs = 1.0 / (16.0 * s.chromaScale), crR = 2.0 * (1.0 - s.kr) * cs, cbB = 2.0 * (1.0 - s.kb) * cs;
  const YuvCoefficients k{static_cast<int32_t>(s.lumaOffset), fixed(1.0 / s.lumaScale), fixed(crR),
                          fixed(-cbB * s.kb / s.kg), fixed(-crR * s.kr / s.kg), fixed(cbB)};
  for (int y = 0; y < f.height; ++y) {
    chromaRow(f, 1, y, shiftX, shiftY, vertical, cb);
    chromaRow(f, 2, y, shiftX, shiftY, vertical, cr);
    yuvRowToArgb(f.data[0] + static_cast<ptrdiff_t>(y) * f.linesize[0], cb, cr, w, k,
                 reinterpret_cast<uint32_t*>(dst + static_cast<ptrdiff_t>(y) * dstRowBytes));
  }
}

// Luma of one row of ARGB pixels, and their unrounded colour differences.
VM_VECTOR_CLONES void argbRowToYuv(const uint8_t* in, int width, const Scales& s, float cbScale, float crScale,
                                   uint8_t* luma, float* cb, float* cr) {
  for (int x = 0; x < width; ++x) {
    const float r = in[4 * x + 1], g = in[4 * x + 2], b = in[4 * x + 3];
    const float l = s.kr * r + s.kg * g + s.kb * b;
    luma[x] = static_cast<uint8_t>(clampByte(s.lumaOffset + s.lumaScale * l + 0.5f));
    cb[x] = (b - l) * cbScale;
    cr[x] = (r - l) * crScale;
  }
}

void argbToYuv(const uint8_t* src, int srcRowBytes, const Scales& s, int shiftX, int shiftY,
               std::vector<float>& scratch, AVFrame& f) {
  const int w = f.width, h = f.height;
  const int chromaWidth = (w + shiftX) >> shiftX, chromaHeight = (h + shiftY) >> shiftY;
  scratch.resize(static_cast<size_t>(w) * 4);
  float* rowCb[2] = {scratch.data(), scratch.data() + w};
  float* rowCr[2] = {scratch.data() + 2 * w, scratch.data() + 3 * w};
  const float cbScale = s.chromaScale * 0.5f / (1.0f - s.kb), crScale = s.chromaScale * 0.5f / (1.0f - s.kr);
  auto differences = [&](int y, float* cb, float* cr) {
    argbRowToYuv(src + static_cast<ptrdiff_t>(y) * srcRowBytes, w, s, cbScale, crScale,
                 f.data[0] + static_cast<ptrdiff_t>(y) * f.linesize[0], cb, cr);
  };
  for (int cy = 0; cy < chromaHeight; ++cy) {
    const int y0 = cy << shiftY;
    differences(y0, rowCb[0], rowCr[0]);
    const bool twoRows = shiftY == 1 && y0 + 1 < h;
    if (twoRows) differences(y0 + 1, rowCb[1], rowCr[1]);
    for (int plane = 1; plane <= 2; ++plane) {
      const float* a = plane == 1 ? rowCb[0] : rowCr[0];
      const float* b = twoRows ? (plane == 1 ? rowCb[1] : rowCr[1]) : a;
      uint8_t* out = f.data[plane] + static_cast<ptrdiff_t>(cy) * f.linesize[plane];
      if (shiftX == 0) {
        for (int x = 0; x < w; ++x) out[x] = static_cast<uint8_t>(clampByte(128.5f + 0.5f * (a[x] + b[x])));
        continue;
      }
      // A [1 2 1] filter centred on the even column, as the chroma is sited.
      for (int cx = 0; cx < chromaWidth; ++cx) {
        const int x = 2 * cx, left = std::max(x - 1, 0), right = std::min(x + 1, w - 1);
        const float sum = a[left] + b[left] + 2.0f * (a[x] + b[x]) + a[right] + b[right];
        out[cx] = static_cast<uint8_t>(clampByte(128.5f + sum / 8.0f));
      }
    }
  }
}

}  // namespace

ColourSpace colourSpaceOf(AVPixelFormat format, AVColorSpace matrix, AVColorRange range, int width, int height) {
  ColourSpace colours;
  float kr = 0, kb = 0;
  if (lumaWeights(matrix, kr, kb)) colours.matrix = matrix;
  else
    colours.matrix = width >= 1280 || height > 576 ? AVCOL_SPC_BT709 : AVCOL_SPC_BT470BG;
  const bool jpegFormat = format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P ||
                          format == AV_PIX_FMT_YUVJ444P || format == AV_PIX_FMT_YUVJ440P ||
                          format == AV_PIX_FMT_YUVJ411P;
  colours.fullRange = range == AVCOL_RANGE_JPEG || (range == AVCOL_RANGE_UNSPECIFIED && jpegFormat);
  return colours;
}

SwsContext* PictureConverter::scalerFor(const Setup& setup) {
  if (scaler_ && setup == setup_) return scaler_.get();
  scaler_.reset(sws_getContext(setup.srcWidth, setup.srcHeight, static_cast<AVPixelFormat>(setup.srcFormat),
                               setup.dstWidth, setup.dstHeight, static_cast<AVPixelFormat>(setup.dstFormat),
                               setup.flags, nullptr, nullptr, nullptr));
  if (!scaler_) return nullptr;
  // The RGB side is always full range; the matrix is the YUV side's.
  const int* coefficients = sws_getCoefficients(setup.matrix);
  const bool yuvIn = !(av_pix_fmt_desc_get(static_cast<AVPixelFormat>(setup.srcFormat))->flags & AV_PIX_FMT_FLAG_RGB);
  sws_setColorspaceDetails(scaler_.get(), coefficients, yuvIn ? setup.fullRange : 1, coefficients,
                           yuvIn ? 1 : setup.fullRange, 0, 1 << 16, 1 << 16);
  setup_ = setup;
  return scaler_.get();
}

bool PictureConverter::toArgb(const AVFrame& frame, const ColourSpace& colours, uint8_t* dst, int dstRowBytes,
                              int width, int height, bool accurate, std::string& error) {
  const auto format = static_cast<AVPixelFormat>(frame.format);
  int shiftX = 0, shiftY = 0;
  Scales scales{};
  if (frame.width == width && frame.height == height && planarYuv8(format, shiftX, shiftY) &&
      scalesFor(colours, scales)) {
    yuvToArgb(frame, scales, shiftX, shiftY, fixedRows_, dst, dstRowBytes);
    return true;
  }
  const int flags = accurate ? SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT : SWS_FAST_BILINEAR;
  SwsContext* scaler = scalerFor(Setup{frame.width, frame.height, format, width, height, AV_PIX_FMT_ARGB, flags,
                                       colours.matrix, colours.fullRange});
  if (scaler == nullptr) {
    const char* name = av_get_pix_fmt_name(format);
    error = std::string("cannot convert ") + (name ? name : "?") + " frames to 32-bit pixels";
    return false;
  }
  uint8_t* planes[4] = {dst, nullptr, nullptr, nullptr};
  int strides[4] = {dstRowBytes, 0, 0, 0};
  sws_scale(scaler, frame.data, frame.linesize, 0, frame.height, planes, strides);
  return true;
}

bool PictureConverter::fromArgb(const uint8_t* src, int srcRowBytes, const ColourSpace& colours, AVFrame& frame,
                                std::string& error) {
  const auto format = static_cast<AVPixelFormat>(frame.format);
  int shiftX = 0, shiftY = 0;
  Scales scales{};
  if (planarYuv8(format, shiftX, shiftY) && scalesFor(colours, scales)) {
    argbToYuv(src, srcRowBytes, scales, shiftX, shiftY, rows_, frame);
    return true;
  }
  SwsContext* scaler = scalerFor(Setup{frame.width, frame.height, AV_PIX_FMT_ARGB, frame.width, frame.height, format,
                                       SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, colours.matrix,
                                       colours.fullRange});
  if (scaler == nullptr) {
    const char* name = av_get_pix_fmt_name(format);
    error = std::string("cannot convert 32-bit pixels to ") + (name ? name : "?");
    return false;
  }
  const uint8_t* planes[4] = {src, nullptr, nullptr, nullptr};
  const int strides[4] = {srcRowBytes, 0, 0, 0};
  sws_scale(scaler, planes, strides, 0, frame.height, frame.data, frame.linesize);
  return true;
}

void rotateArgb(const uint8_t* src, int srcRowBytes, int width, int height, int quarterTurns, uint8_t* dst,
                int dstRowBytes) {
  const int turns = ((quarterTurns % 4) + 4) % 4;
  for (int y = 0; y < height; ++y) {
    const uint32_t* in = reinterpret_cast<const uint32_t*>(src + static_cast<ptrdiff_t>(y) * srcRowBytes);
    for (int x = 0; x < width; ++x) {
      // Where source pixel (x, y) lands after the turns.
      int dx = x, dy = y;
      if (turns == 1) dx = height - 1 - y, dy = x;
      if (turns == 2) dx = width - 1 - x, dy = height - 1 - y;
      if (turns == 3) dx = y, dy = width - 1 - x;
      std::memcpy(dst + static_cast<ptrdiff_t>(dy) * dstRowBytes + dx * 4, &in[x], 4);
    }
  }
}

}  // namespace vmhost
