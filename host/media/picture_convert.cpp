#include "host/media/picture_convert.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "host/media/yuv_rows.h"

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

// Slices of at least this many rows (of chroma, where chroma rows are
// shared) are worth a thread of their own.
constexpr int kRowsPerSlice = 8;

int slicesFor(const SliceThreads& threads, int rows) {
  return std::clamp(rows / kRowsPerSlice, 1, threads.count());
}

// Rows begin..end of `rows` split into `slices`.
std::pair<int, int> sliceRows(int rows, int slice, int slices) {
  return {static_cast<int>(int64_t{rows} * slice / slices), static_cast<int>(int64_t{rows} * (slice + 1) / slices)};
}

// Chroma of luma row `y` interpolated to every luma column, in sixteenths
// of a step, centred on 0: vertically between chroma rows (sited between
// luma rows), horizontally between chroma columns (sited on the even luma
// columns, as MPEG-2 and H.264 have it, or between them as JPEG has).
// `vertical` has room for one value before and after a chroma row; `out`
// for an odd width's extra column.
void chromaRow(const YuvRowFunctions& rows, const AVFrame& f, int plane, int y, int shiftX, int shiftY,
               int16_t* vertical, int16_t* out) {
  const int chromaWidth = (f.width + shiftX) >> shiftX;
  const int chromaHeight = (f.height + shiftY) >> shiftY;
  const uint8_t* a;
  const uint8_t* b;
  int weightA;
  if (shiftY == 0) {
    a = b = f.data[plane] + static_cast<ptrdiff_t>(y) * f.linesize[plane];
    weightA = 2;
  } else {
    const int c = y >> 1;
    const int other = (y & 1) == 0 ? std::max(c - 1, 0) : std::min(c + 1, chromaHeight - 1);
    a = f.data[plane] + static_cast<ptrdiff_t>(c) * f.linesize[plane];
    b = f.data[plane] + static_cast<ptrdiff_t>(other) * f.linesize[plane];
    weightA = 3;
  }
  rows.chromaBetweenRows(a, b, weightA, chromaWidth, vertical);
  if (shiftX == 0) return rows.chromaAcross(vertical, f.width, ChromaSiting::kFull, out);
  // The edge columns repeat past the sides.
  vertical[-1] = vertical[0];
  vertical[chromaWidth] = vertical[chromaWidth - 1];
  const bool centred = f.chroma_location == AVCHROMA_LOC_CENTER || f.chroma_location == AVCHROMA_LOC_TOP ||
                       f.chroma_location == AVCHROMA_LOC_BOTTOM;
  rows.chromaAcross(vertical, f.width, centred ? ChromaSiting::kCentred : ChromaSiting::kCosited, out);
}

void yuvToArgb(const AVFrame& f, const Scales& s, int shiftX, int shiftY, SliceThreads& threads,
               std::vector<std::vector<int16_t>>& scratch, uint8_t* dst, int dstRowBytes) {
  const int w = f.width;
  const auto fixed = [](double v) { return static_cast<int32_t>(std::lround(v * 65536)); };
  // Chroma arrives in sixteenths of a step.
  const double cs = 1.0 / (16.0 * s.chromaScale), crR = 2.0 * (1.0 - s.kr) * cs, cbB = 2.0 * (1.0 - s.kb) * cs;
  const YuvCoefficients k{static_cast<int32_t>(s.lumaOffset), fixed(1.0 / s.lumaScale), fixed(crR),
                          fixed(-cbB * s.kb / s.kg), fixed(-crR * s.kr / s.kg), fixed(cbB)};
  const YuvRowFunctions& rows = yuvRowFunctions(machineRowVariant());
  const int slices = slicesFor(threads, f.height);
  scratch.resize(static_cast<size_t>(slices));
  for (auto& buffer : scratch) buffer.resize(static_cast<size_t>(w) * 3 + 6);
  threads.run(slices, [&](int slice) {
    int16_t* vertical = scratch[static_cast<size_t>(slice)].data() + 1;
    int16_t* cb = vertical + w + 2;
    int16_t* cr = cb + w + 1;
    const auto [begin, end] = sliceRows(f.height, slice, slices);
    for (int y = begin; y < end; ++y) {
      chromaRow(rows, f, 1, y, shiftX, shiftY, vertical, cb);
      chromaRow(rows, f, 2, y, shiftX, shiftY, vertical, cr);
      rows.yuvToArgb(f.data[0] + static_cast<ptrdiff_t>(y) * f.linesize[0], cb, cr, w, k,
                     dst + static_cast<ptrdiff_t>(y) * dstRowBytes);
    }
  });
}

void argbToYuv(const uint8_t* src, int srcRowBytes, const Scales& s, int shiftX, int shiftY, SliceThreads& threads,
               std::vector<std::vector<float>>& scratch, AVFrame& f) {
  const int w = f.width, h = f.height;
  const int chromaHeight = (h + shiftY) >> shiftY;
  const RgbWeights weights{s.kr, s.kg, s.kb, s.lumaScale, s.lumaOffset, s.chromaScale * 0.5f / (1.0f - s.kb),
                           s.chromaScale * 0.5f / (1.0f - s.kr)};
  const YuvRowFunctions& rows = yuvRowFunctions(machineRowVariant());
  const int slices = slicesFor(threads, chromaHeight);
  scratch.resize(static_cast<size_t>(slices));
  for (auto& buffer : scratch) buffer.resize(static_cast<size_t>(w) * 4);
  threads.run(slices, [&](int slice) {
    float* base = scratch[static_cast<size_t>(slice)].data();
    float* rowCb[2] = {base, base + w};
    float* rowCr[2] = {base + 2 * w, base + 3 * w};
    auto differences = [&](int y, float* cb, float* cr) {
      rows.argbToYuv(src + static_cast<ptrdiff_t>(y) * srcRowBytes, w, weights,
                     f.data[0] + static_cast<ptrdiff_t>(y) * f.linesize[0], cb, cr);
    };
    const auto [begin, end] = sliceRows(chromaHeight, slice, slices);
    for (int cy = begin; cy < end; ++cy) {
      const int y0 = cy << shiftY;
      differences(y0, rowCb[0], rowCr[0]);
      const bool twoRows = shiftY == 1 && y0 + 1 < h;
      if (twoRows) differences(y0 + 1, rowCb[1], rowCr[1]);
      for (int plane = 1; plane <= 2; ++plane) {
        const float* a = plane == 1 ? rowCb[0] : rowCr[0];
        const float* b = twoRows ? (plane == 1 ? rowCb[1] : rowCr[1]) : a;
        rows.chromaBytes(a, b, w, shiftX == 1, f.data[plane] + static_cast<ptrdiff_t>(cy) * f.linesize[plane]);
      }
    }
  });
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
    yuvToArgb(frame, scales, shiftX, shiftY, threads_, chromaRows_, dst, dstRowBytes);
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
    argbToYuv(src, srcRowBytes, scales, shiftX, shiftY, threads_, differenceRows_, frame);
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
