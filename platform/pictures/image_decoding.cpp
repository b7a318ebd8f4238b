#include "platform/pictures/image_decoding.h"

#include <vector>

namespace vmpictures {

CGImageRef imageFromQImage(const QImage& decoded) {
  if (decoded.isNull()) return nullptr;
  const QImage argb = decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (argb.isNull()) return nullptr;
  const size_t width = static_cast<size_t>(argb.width()), height = static_cast<size_t>(argb.height());
  std::vector<uint8_t> pixels(width * height * 4);
  for (size_t y = 0; y < height; ++y) {
    // Qt keeps each pixel as one native 0xAARRGGBB word; ours are bytes.
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(static_cast<int>(y)));
    uint8_t* to = pixels.data() + y * width * 4;
    for (size_t x = 0; x < width; ++x) {
      to[x * 4 + 0] = static_cast<uint8_t>(qAlpha(row[x]));
      to[x * 4 + 1] = static_cast<uint8_t>(qRed(row[x]));
      to[x * 4 + 2] = static_cast<uint8_t>(qGreen(row[x]));
      to[x * 4 + 3] = static_cast<uint8_t>(qBlue(row[x]));
    }
  }
  return CGImageCreateWithARGB(width, height, pixels.data(), width * 4);
}

}  // namespace vmpictures
