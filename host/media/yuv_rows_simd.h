// The vector rows, written once over a set of operations `V` that each
// instruction set's file supplies (yuv_rows_sse2.cpp, yuv_rows_avx2.cpp).
// Each file includes this once, so everything here is local to it. Every
// step is the reference's own arithmetic in the same order: the floats are
// added and multiplied exactly as there, never fused.
#pragma once

#include <array>
#include <cstdint>

#include "host/media/yuv_rows_scalar.h"

namespace vmhost {
namespace {

template <class V>
void chromaBetweenRowsOf(const uint8_t* a, const uint8_t* b, int weightA, int count, int16_t* out) {
  const auto wa = V::set16(weightA), wb = V::set16(4 - weightA), bias = V::set16(512);
  int i = 0;
  for (; i + V::k16 <= count; i += V::k16)
    V::store16(out + i, V::sub16(V::add16(V::mul16(V::widen8(a + i), wa), V::mul16(V::widen8(b + i), wb)), bias));
  rows::chromaBetweenRows(a + i, b + i, weightA, count - i, out + i);
}

template <class V>
void chromaAcrossOf(const int16_t* v, int width, ChromaSiting siting, int16_t* out) {
  int i = 0;
  if (siting == ChromaSiting::kFull) {
    for (; i + V::k16 <= width; i += V::k16) V::store16(out + i, V::shl16(V::load16(v + i), 2));
    rows::chromaAcross(v + i, width - i, siting, out + i);
    return;
  }
  const int chromaWidth = (width + 1) >> 1;
  const bool centred = siting == ChromaSiting::kCentred;
  for (; i + V::k16 <= chromaWidth; i += V::k16) {
    const auto here = V::load16(v + i), before = V::load16(v + i - 1), after = V::load16(v + i + 1);
    const auto three = V::add16(V::shl16(here, 1), here);
    const auto even = centred ? V::add16(three, before) : V::shl16(here, 2);
    const auto odd = centred ? V::add16(three, after) : V::shl16(V::add16(here, after), 1);
    V::store16Interleaved(out + 2 * i, even, odd);
  }
  rows::chromaAcross(v + i, width - 2 * i, siting, out + 2 * i);
}

// Luma times its scale is 65536 * luma plus luma times the rest of the
// scale, which fits 16 bits like the chroma factors: every product is one
// 16-bit multiply-add, and the sums are the reference's to the bit.
template <class V>
void yuvToArgbOf(const uint8_t* luma, const int16_t* cb, const int16_t* cr, int width, const YuvCoefficients& k,
                 uint8_t* out) {
  const int32_t lumaRest = k.lumaScale - 65536;
  if (lumaRest < INT16_MIN || lumaRest > INT16_MAX) return rows::yuvToArgb(luma, cb, cr, width, k, out);
  const auto pair = [](int32_t low, int32_t high) {
    return V::set32(static_cast<int32_t>(static_cast<uint16_t>(low) | static_cast<uint32_t>(high) << 16));
  };
  const auto toRed = pair(lumaRest, k.crR), toBlue = pair(lumaRest, k.cbB), toGreen = pair(lumaRest, k.cbG);
  const auto crToGreen = pair(k.crG, 0);
  const auto offset = V::set16(k.lumaOffset), zero = V::set16(0), white = V::set16(255), half = V::set32(1 << 15);
  int x = 0;
  for (; x + V::k16 <= width; x += V::k16) {
    const auto y = V::sub16(V::widen8(luma + x), offset);
    const auto b = V::load16(cb + x), r = V::load16(cr + x);
    // One channel of the pixels in the low or high half of each lane.
    const auto channel = [&](auto unpack) {
      const auto base = V::add32(unpack(zero, y), half);  // luma * 65536 + 0.5
      const auto red = V::add32(V::madd(unpack(y, r), toRed), base);
      const auto blue = V::add32(V::madd(unpack(y, b), toBlue), base);
      const auto green = V::add32(V::add32(V::madd(unpack(y, b), toGreen), V::madd(unpack(r, zero), crToGreen)), base);
      return std::array{V::sar32(red, 16), V::sar32(green, 16), V::sar32(blue, 16)};
    };
    const auto low = channel([](auto p, auto q) { return V::unpackLow16(p, q); });
    const auto high = channel([](auto p, auto q) { return V::unpackHigh16(p, q); });
    const auto clamp = [&](int c) { return V::min16(V::max16(V::packs32(low[c], high[c]), zero), white); };
    const auto alphaRed = V::or16(V::shl16(clamp(0), 8), white);
    const auto greenBlue = V::or16(clamp(1), V::shl16(clamp(2), 8));
    V::storeArgb(out + 4 * x, V::unpackLow16(alphaRed, greenBlue), V::unpackHigh16(alphaRed, greenBlue));
  }
  rows::yuvToArgb(luma + x, cb + x, cr + x, width - x, k, out + 4 * x);
}

template <class V>
auto clampToByte(typename V::F v) {
  return V::truncate(V::minF(V::maxF(v, V::setF(0.0f)), V::setF(255.0f)));
}

template <class V>
void argbToYuvOf(const uint8_t* in, int width, const RgbWeights& w, uint8_t* luma, float* cb, float* cr) {
  const auto kr = V::setF(w.kr), kg = V::setF(w.kg), kb = V::setF(w.kb), scale = V::setF(w.lumaScale);
  const auto offset = V::setF(w.lumaOffset), half = V::setF(0.5f), cbScale = V::setF(w.cbScale);
  const auto crScale = V::setF(w.crScale), byteMask = V::set32(0xFF);
  int x = 0;
  for (; x + V::kF <= width; x += V::kF) {
    const auto pixels = V::load32(in + 4 * x);
    const auto r = V::toFloat(V::and32(V::shr32(pixels, 8), byteMask));
    const auto g = V::toFloat(V::and32(V::shr32(pixels, 16), byteMask));
    const auto b = V::toFloat(V::shr32(pixels, 24));
    const auto l = V::addF(V::addF(V::mulF(kr, r), V::mulF(kg, g)), V::mulF(kb, b));
    V::storeBytes(luma + x, clampToByte<V>(V::addF(V::addF(offset, V::mulF(scale, l)), half)));
    V::storeF(cb + x, V::mulF(V::subF(b, l), cbScale));
    V::storeF(cr + x, V::mulF(V::subF(r, l), crScale));
  }
  rows::argbToYuv(in + 4 * x, width - x, w, luma + x, cb + x, cr + x);
}

template <class V>
void chromaBytesOf(const float* a, const float* b, int width, bool halve, uint8_t* out) {
  const auto middle = V::setF(128.5f);
  if (!halve) {
    int x = 0;
    for (; x + V::kF <= width; x += V::kF)
      V::storeBytes(out + x, clampToByte<V>(V::addF(middle, V::mulF(V::setF(0.5f), V::addF(V::loadF(a + x),
                                                                                          V::loadF(b + x))))));
    rows::chromaBytesRange(a, b, width, false, x, width, out);
    return;
  }
  // The first column's left neighbour is itself: the reference does it,
  // and the columns whose right neighbour would pass the row's end.
  rows::chromaBytesRange(a, b, width, true, 0, 1, out);
  const auto two = V::setF(2.0f), eighth = V::setF(0.125f);  // x / 8 and x * 0.125 round alike
  int c = 1;
  for (; 2 * (c + V::kF) <= width; c += V::kF) {
    typename V::F aHere, aRight, bHere, bRight, aLeft, bLeft, unused;
    V::loadEvenOdd(a + 2 * c, aHere, aRight);
    V::loadEvenOdd(b + 2 * c, bHere, bRight);
    V::loadEvenOdd(a + 2 * c - 1, aLeft, unused);
    V::loadEvenOdd(b + 2 * c - 1, bLeft, unused);
    const auto sum = V::addF(
        V::addF(V::addF(V::addF(aLeft, bLeft), V::mulF(two, V::addF(aHere, bHere))), aRight), bRight);
    V::storeBytes(out + c, clampToByte<V>(V::addF(middle, V::mulF(sum, eighth))));
  }
  rows::chromaBytesRange(a, b, width, true, c, (width + 1) >> 1, out);
}

template <class V>
const YuvRowFunctions& rowFunctionsOf() {
  static const YuvRowFunctions functions{chromaBetweenRowsOf<V>, chromaAcrossOf<V>, yuvToArgbOf<V>, argbToYuvOf<V>,
                                         chromaBytesOf<V>};
  return functions;
}

}  // namespace
}  // namespace vmhost
