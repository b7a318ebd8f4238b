#include "platform/quickdraw/bulk_pixels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qd {

namespace {

// The largest cache sysfs lists for the first processor; glibc's own figure
// can be a whole package's in a virtual machine.
size_t largestCacheBytes() {
  size_t largest = 0;
  for (int index = 0; index < 8; ++index) {
    std::ifstream in("/sys/devices/system/cpu/cpu0/cache/index" + std::to_string(index) + "/size");
    unsigned long long amount = 0;
    char unit = 0;
    if (!(in >> amount)) continue;
    in >> unit;
    const unsigned long long scale = unit == 'K' ? 1ULL << 10 : unit == 'M' ? 1ULL << 20 : 1;
    largest = std::max(largest, static_cast<size_t>(amount * scale));
  }
  return largest > 0 ? largest : size_t{8} << 20;
}

}  // namespace

bool writesPastCache(size_t bytes) {
  // Half the cache, so that a pass's source still fits beside what it writes.
  static const size_t threshold = largestCacheBytes() / 2;
  return bytes > threshold;
}

#if defined(__SSE2__)
namespace {

// Bytes up to the next 16-byte boundary of `p`, at most `length`.
size_t headLength(const void* p, size_t length) {
  const size_t misaligned = reinterpret_cast<uintptr_t>(p) & 15;
  return std::min(misaligned == 0 ? 0 : 16 - misaligned, length);
}

}  // namespace

void copyPixelRow(void* dst, const void* src, size_t length, bool streaming) {
  if (!streaming) {
    std::memcpy(dst, src, length);
    return;
  }
  auto* out = static_cast<uint8_t*>(dst);
  auto* in = static_cast<const uint8_t*>(src);
  const size_t head = headLength(out, length);
  std::memcpy(out, in, head);
  out += head, in += head, length -= head;
  for (; length >= 64; out += 64, in += 64, length -= 64)
    for (int part = 0; part < 64; part += 16)
      _mm_stream_si128(reinterpret_cast<__m128i*>(out + part),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + part)));
  std::memcpy(out, in, length);
}

void clearPixels(void* dst, size_t length, bool streaming) {
  if (!streaming) {
    std::memset(dst, 0, length);
    return;
  }
  auto* out = static_cast<uint8_t*>(dst);
  const size_t head = headLength(out, length);
  std::memset(out, 0, head);
  out += head, length -= head;
  for (; length >= 16; out += 16, length -= 16) _mm_stream_si128(reinterpret_cast<__m128i*>(out), _mm_setzero_si128());
  std::memset(out, 0, length);
}

void finishStreaming() { _mm_sfence(); }

#else

void copyPixelRow(void* dst, const void* src, size_t length, bool) { std::memcpy(dst, src, length); }
void clearPixels(void* dst, size_t length, bool) { std::memset(dst, 0, length); }
void finishStreaming() {}

#endif

}  // namespace qd
