#include "platform/coregraphics/cgimage.h"

#include <atomic>
#include <cstring>
#include <new>
#include <vector>

struct CGImage {
  size_t width = 0;
  size_t height = 0;
  size_t bytesPerRow = 0;
  std::vector<uint8_t> pixels;
  int references = 1;
};

namespace {
std::atomic<long> gLiveImages{0};
}

CGImageRef CGImageCreateWithARGB(size_t width, size_t height, const uint8_t* pixels, size_t bytesPerRow) {
  auto* image = new (std::nothrow) CGImage;
  if (image == nullptr) return nullptr;
  image->width = width;
  image->height = height;
  image->bytesPerRow = width * 4;
  image->pixels.resize(image->bytesPerRow * height);
  for (size_t y = 0; y < height && pixels != nullptr; ++y)
    std::memcpy(image->pixels.data() + y * image->bytesPerRow, pixels + y * bytesPerRow, image->bytesPerRow);
  ++gLiveImages;
  return image;
}

CGImageRef CGImageCreateCopy(CGImageRef image) {
  if (image == nullptr) return nullptr;
  return CGImageCreateWithARGB(image->width, image->height, image->pixels.data(), image->bytesPerRow);
}

CGImageRef CGImageRetain(CGImageRef image) {
  if (image != nullptr) ++image->references;
  return image;
}

void CGImageRelease(CGImageRef image) {
  if (image == nullptr || --image->references > 0) return;
  --gLiveImages;
  delete image;
}

size_t CGImageGetWidth(CGImageRef image) { return image == nullptr ? 0 : image->width; }
size_t CGImageGetHeight(CGImageRef image) { return image == nullptr ? 0 : image->height; }
size_t CGImageGetBytesPerRow(CGImageRef image) { return image == nullptr ? 0 : image->bytesPerRow; }
const uint8_t* CGImageGetARGBData(CGImageRef image) { return image == nullptr ? nullptr : image->pixels.data(); }
long CGImageLiveCount() { return gLiveImages; }
