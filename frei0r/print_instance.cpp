#include "frei0r/print_instance.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <new>

#include "host/blend/opacity_blend.h"
#include "plugin/render/callpixelfx.h"
#include "plugin/render/float_to_int.h"

namespace vmfrei0r {

namespace {

// The largest side a buffer's 16-bit bounds hold.
constexpr unsigned kLargestSide = 32767;

// Bytes red, green, blue, alpha to alpha, red, green, blue: one rotation of
// the word read in memory order.
void HostToBuffer(const uint8_t* from, uint8_t* to, int count) {
  for (int col = 0; col < count; ++col) {
    uint32_t word;
    std::memcpy(&word, from + size_t(col) * 4, 4);
    word = std::endian::native == std::endian::little ? std::rotl(word, 8) : std::rotr(word, 8);
    std::memcpy(to + size_t(col) * 4, &word, 4);
  }
}

// Red, green and blue of the buffer's pixels with the alpha of the host's.
void BufferToHost(const uint8_t* from, const uint8_t* hostAlpha, uint8_t* to, int count) {
  for (int col = 0; col < count; ++col) {
    const uint8_t* pixel = from + size_t(col) * 4;
    uint8_t* out = to + size_t(col) * 4;
    out[0] = pixel[1];
    out[1] = pixel[2];
    out[2] = pixel[3];
    out[3] = hostAlpha[size_t(col) * 4 + 3];
  }
}

}  // namespace

int CoverOpacity(double mix) { return std::clamp(TruncToInt32(255.0 * (1.0 - mix)), 0, 255); }

std::unique_ptr<PrintInstance> PrintInstance::Make(unsigned width, unsigned height, const FilterSettings& settings) {
  if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide) return nullptr;
  const Rect bounds{0, 0, static_cast<short>(height), static_cast<short>(width)};
  GWorldPtr frame = nullptr;
  if (NewGWorld(&frame, 32, &bounds) != noErr || frame == nullptr) return nullptr;
  GWorldOwner owner(frame);
  try {
    return std::unique_ptr<PrintInstance>(
        new PrintInstance(static_cast<int>(width), static_cast<int>(height), std::move(owner), settings));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

PrintInstance::PrintInstance(int width, int height, GWorldOwner frame, const FilterSettings& settings)
    : width_(width), height_(height), frame_(std::move(frame)), row_(size_t(width) * 4), settings_(settings) {}

void PrintInstance::Update(const uint32_t* in, uint32_t* out) {
  const auto* from = reinterpret_cast<const uint8_t*>(in);
  auto* to = reinterpret_cast<uint8_t*>(out);
  const size_t hostRowBytes = size_t(width_) * 4;
  PixMapHandle pixels = GetGWorldPixMap(frame_.get());
  auto* base = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pixels));
  const size_t rowBytes = static_cast<size_t>(GetPixRowBytes(pixels));

  for (int row = 0; row < height_; ++row) HostToBuffer(from + row * hostRowBytes, base + row * rowBytes, width_);
  // The render path of the plug-in's frame step; the buffer already holds
  // the frame, as the print changes only its rectangle.
  DoPascalPixelEffect(frame_.get(), frame_.get(), &settings_.config, 0, 0);

  const int opacity = CoverOpacity(settings_.mix);
  for (int row = 0; row < height_; ++row) {
    const uint8_t* original = from + row * hostRowBytes;
    BufferToHost(base + row * rowBytes, original, row_.data(), width_);
    if (opacity > 0) vmhost::blendOver(original, 0, row_.data(), 0, width_, 1, opacity);
    std::memcpy(to + row * hostRowBytes, row_.data(), hostRowBytes);
  }
}

}  // namespace vmfrei0r
