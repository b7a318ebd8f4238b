#include "host/media/picture_convert.h"

#include <gtest/gtest.h>

#include <tuple>

extern "C" {
#include <libavutil/opt.h>
}

namespace {

using vmhost::ColourSpace;

constexpr int kW = 48, kH = 32;

struct Conversion {
  AVPixelFormat format;
  AVColorSpace matrix;
  bool fullRange;
  double kr, kb;                                       // the matrix's weights of red and blue
  AVChromaLocation siting = AVCHROMA_LOC_UNSPECIFIED;  // MPEG-2's unless told
};

vmhost::FramePtr makeFrame(AVPixelFormat format) {
  vmhost::FramePtr frame = vmhost::allocFrame();
  frame->format = format;
  frame->width = kW;
  frame->height = kH;
  EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
  return frame;
}

// swscale at its most exact, with chroma sited as MPEG-2 has it (on even
// columns, between rows) or as the picture says, the reference for turning
// YUV into ARGB.
void reference(const AVFrame& frame, uint8_t* argb, const Conversion& c) {
  SwsContext* sws = sws_alloc_context();
  const bool halfHeight = av_pix_fmt_desc_get(c.format)->log2_chroma_h == 1;
  for (auto [name, value] : {std::pair<const char*, int64_t>{"srcw", kW}, {"srch", kH}, {"src_format", c.format},
                             {"dstw", kW}, {"dsth", kH}, {"dst_format", AV_PIX_FMT_ARGB},
                             {"sws_flags", SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT},
                             {"src_h_chr_pos", c.siting == AVCHROMA_LOC_CENTER ? 128 : 0},
                             {"src_v_chr_pos", halfHeight ? 128 : 0}})
    av_opt_set_int(sws, name, value, 0);
  ASSERT_GE(sws_init_context(sws, nullptr, nullptr), 0);
  const int* coefficients = sws_getCoefficients(c.matrix);
  sws_setColorspaceDetails(sws, coefficients, c.fullRange, coefficients, 1, 0, 1 << 16, 1 << 16);
  uint8_t* dst[4] = {argb};
  const int stride[4] = {kW * 4};
  sws_scale(sws, frame.data, frame.linesize, 0, kH, dst, stride);
  sws_freeContext(sws);
}

const Conversion kConversions[] = {
    {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT470BG, false, 0.299, 0.114},
    {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT709, true, 0.2126, 0.0722},
    {AV_PIX_FMT_YUV422P, AVCOL_SPC_BT2020_NCL, false, 0.2627, 0.0593},
    {AV_PIX_FMT_YUV444P, AVCOL_SPC_SMPTE240M, false, 0.212, 0.087},
    {AV_PIX_FMT_YUVJ420P, AVCOL_SPC_FCC, true, 0.30, 0.11},
    {AV_PIX_FMT_YUVJ420P, AVCOL_SPC_BT470BG, true, 0.299, 0.114, AVCHROMA_LOC_CENTER},
};

// Random luma over smooth chroma: the exact path agrees with swscale's
// accurate one within 1 everywhere but the border, where interpolations
// differ by design.
TEST(PictureConverter, YuvToArgbMatchesSwscalesAccurateConversion) {
  for (const Conversion& c : kConversions) {
    auto frame = makeFrame(c.format);
    frame->chroma_location = c.siting;
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(c.format);
    for (int p = 0; p < 3; ++p)
      for (int y = 0; y < (p ? kH >> d->log2_chroma_h : kH); ++y)
        for (int x = 0; x < (p ? kW >> d->log2_chroma_w : kW); ++x)
          frame->data[p][y * frame->linesize[p] + x] =
              static_cast<uint8_t>(p == 0 ? (x * 37 + y * 91) % 256 : 60 + 2 * x + y + 30 * p);
    std::vector<uint8_t> ours(kW * 4 * kH), theirs(kW * 4 * kH);
    vmhost::PictureConverter converter;
    std::string error;
    ASSERT_TRUE(converter.toArgb(*frame, ColourSpace{c.matrix, c.fullRange}, ours.data(), kW * 4, kW, kH, true,
                                 error))
        << error;
    reference(*frame, theirs.data(), c);
    for (int y = 2; y < kH - 2; ++y)
      for (int x = 16; x < (kW - 4) * 4; ++x)
        ASSERT_NEAR(ours[y * kW * 4 + x], theirs[y * kW * 4 + x], 1)
            << av_get_pix_fmt_name(c.format) << " matrix " << c.matrix << " at " << x / 4 << "," << y;
  }
}

// Flat bands of colours: luma and chroma are the standards' values,
// rounded, away from the bands' edges and the picture's sides.
TEST(PictureConverter, ArgbToYuvGivesTheMatrixValues) {
  for (const Conversion& c : kConversions) {
    const double kr = c.kr, kb = c.kb;
    const auto band = [](int y, int k) { return (y / 8 * 71 + k * 53 + y / 8 * k * 29) % 256; };
    std::vector<uint8_t> argb(kW * 4 * kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        for (int k = 0; k < 4; ++k) argb[(y * kW + x) * 4 + k] = static_cast<uint8_t>(k == 0 ? 255 : band(y, k));
    auto ours = makeFrame(c.format);
    vmhost::PictureConverter converter;
    std::string error;
    ASSERT_TRUE(converter.fromArgb(argb.data(), kW * 4, ColourSpace{c.matrix, c.fullRange}, *ours, error)) << error;
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(c.format);
    for (int p = 0; p < 3; ++p) {
      const int sh = p ? d->log2_chroma_h : 0;
      for (int y = 0; y < kH >> sh; ++y) {
        const int row = (y << sh) + sh;  // inside the band
        const double r = band(row, 1), g = band(row, 2), b = band(row, 3), l = kr * r + (1 - kr - kb) * g + kb * b;
        const double scale = c.fullRange ? 1 : (p == 0 ? 219.0 : 224.0) / 255;
        const double want = p == 0 ? (c.fullRange ? 0 : 16) + scale * l
                                   : 128 + scale * (p == 1 ? (b - l) / (2 - 2 * kb) : (r - l) / (2 - 2 * kr));
        if ((y << sh) % 8 == 0 || ((y + 1) << sh) % 8 == 0) continue;  // rows next to a band's edge
        for (int x = 0; x < (p ? kW >> d->log2_chroma_w : kW); ++x)
          ASSERT_NEAR(ours->data[p][y * ours->linesize[p] + x], want, 0.5 + 1e-6)
              << av_get_pix_fmt_name(c.format) << " plane " << p << " at " << x << "," << y;
      }
    }
  }
}

TEST(PictureConverter, UntaggedPicturesAreGuessedByTheirSize) {
  // Format, tag, range, width, height: the matrix and full range.
  const std::tuple<AVPixelFormat, AVColorSpace, AVColorRange, int, int, AVColorSpace, bool> cases[] = {
      {AV_PIX_FMT_YUV420P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, 720, 576, AVCOL_SPC_BT470BG, false},
      {AV_PIX_FMT_YUV420P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, 720, 578, AVCOL_SPC_BT709, false},
      {AV_PIX_FMT_YUV420P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, 1280, 64, AVCOL_SPC_BT709, false},
      {AV_PIX_FMT_YUVJ420P, AVCOL_SPC_RGB, AVCOL_RANGE_UNSPECIFIED, 64, 48, AVCOL_SPC_BT470BG, true},
      {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT2020_NCL, AVCOL_RANGE_JPEG, 1920, 1080, AVCOL_SPC_BT2020_NCL, true},
      {AV_PIX_FMT_YUVJ420P, AVCOL_SPC_SMPTE170M, AVCOL_RANGE_MPEG, 64, 48, AVCOL_SPC_SMPTE170M, false},
  };
  for (const auto& [format, tag, range, width, height, matrix, full] : cases) {
    const ColourSpace colours = vmhost::colourSpaceOf(format, tag, range, width, height);
    EXPECT_TRUE(colours.matrix == matrix && colours.fullRange == full) << width << "x" << height << " " << tag;
  }
}

// A 3x2 picture of pixels numbered 0..5 turned by each quarter.
TEST(PictureConverter, RotationPutsEveryPixelInItsTurnedPlace) {
  const uint32_t in[6] = {0, 1, 2, 3, 4, 5};
  const uint32_t expected[4][6] = {{0, 1, 2, 3, 4, 5}, {3, 0, 4, 1, 5, 2}, {5, 4, 3, 2, 1, 0}, {2, 5, 1, 4, 0, 3}};
  for (int turns = 0; turns < 4; ++turns) {
    uint32_t out[6] = {};
    const int outWidth = turns % 2 ? 2 : 3;
    vmhost::rotateArgb(reinterpret_cast<const uint8_t*>(in), 12, 3, 2, turns, reinterpret_cast<uint8_t*>(out),
                       outWidth * 4);
    EXPECT_EQ(std::vector<uint32_t>(out, out + 6), std::vector<uint32_t>(expected[turns], expected[turns] + 6))
        << turns << " turns";
  }
}

}  // namespace
