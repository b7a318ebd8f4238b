// Renders a generated test picture through the effect and writes PNG files:
// the picture itself, the print at the default strength over the whole
// frame, and the print at strength 100 inside a centred rectangle.
#include <QImage>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/quickdraw/quickdraw.h"
#include "plugin/core/data_handling.h"
#include "plugin/render/callpixelfx.h"

namespace {

constexpr int kWidth = 720, kHeight = 480;

// Colour bars over a horizontal grey ramp, with a diagonal sweep.
void PaintTestPicture(GWorldPtr world) {
  PixMapHandle pm = GetGWorldPixMap(world);
  const uint8_t bars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                              {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm);
    for (int x = 0; x < kWidth; ++x) {
      uint8_t* p = row + x * 4;
      p[0] = 255;
      if (y < kHeight / 2) {
        const uint8_t* bar = bars[x * 8 / kWidth];
        const int shade = 128 + 127 * ((x + y) % 97) / 96;
        for (int c = 0; c < 3; ++c) p[1 + c] = static_cast<uint8_t>(bar[c] * shade / 255);
      } else {
        const uint8_t grey = static_cast<uint8_t>(x * 255 / (kWidth - 1));
        p[1] = grey;
        p[2] = static_cast<uint8_t>((grey + y) & 0xFF);
        p[3] = static_cast<uint8_t>(255 - grey);
      }
    }
  }
}

bool WritePng(GWorldPtr world, const std::string& path) {
  PixMapHandle pm = GetGWorldPixMap(world);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (int y = 0; y < kHeight; ++y) {
    const uint8_t* row = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm);
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kWidth; ++x) out[x] = qRgb(row[x * 4 + 1], row[x * 4 + 2], row[x * 4 + 3]);
  }
  if (!image.save(QString::fromStdString(path), "PNG")) {
    std::fprintf(stderr, "velmorance-demo: cannot write '%s'\n", path.c_str());
    return false;
  }
  std::printf("wrote %s\n", path.c_str());
  return true;
}

bool RenderPrint(GWorldPtr source, int16_t strength, const relRect& area, const std::string& path) {
  GWorldPtr output = nullptr;
  const Rect bounds{0, 0, kHeight, kWidth};
  if (NewGWorld(&output, 32, &bounds) != noErr) return false;
  CopyBits(GetPortBitMapForCopyBits(source), GetPortBitMapForCopyBits(output), &bounds, &bounds, srcCopy, nullptr);
  pluginDataRec config{};
  ResetConfig(&config, true);
  config.sliders[1] = strength;
  config.startRel = area;
  DoPascalPixelEffect(source, output, &config, 0, 1);
  const bool written = WritePng(output, path);
  DisposeGWorld(output);
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(argc == 2 ? stdout : stderr,
                 "usage: velmorance-demo OUTPUT_FOLDER\n"
                 "Writes demo-before.png, demo-print-17.png (default strength, whole frame) and\n"
                 "demo-print-100-rect.png (strength 100 inside a centred rectangle).\n");
    return argc == 2 ? 0 : 2;
  }
  const std::string folder = argv[1];
  GWorldPtr source = nullptr;
  const Rect bounds{0, 0, kHeight, kWidth};
  if (NewGWorld(&source, 32, &bounds) != noErr) {
    std::fprintf(stderr, "velmorance-demo: out of memory\n");
    return 1;
  }
  PaintTestPicture(source);
  relRect whole;
  InitRelRect(whole);
  const bool ok = WritePng(source, folder + "/demo-before.png") &&
                  RenderPrint(source, 17, whole, folder + "/demo-print-17.png") &&
                  RenderPrint(source, 100, SetRelRect(0.2, 0.2, 0.8, 0.8), folder + "/demo-print-100-rect.png");
  DisposeGWorld(source);
  return ok ? 0 : 1;
}
