#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <tuple>
#include <vector>

#include "platform/quickdraw/bulk_pixels.h"
#include "platform/quickdraw/quickdraw.h"
#include "tests/support/gworld_fixture.h"
#include "tests/support/platform_faults.h"

namespace {

TEST(NewGWorld, RowsArePaddedPixelsStartZeroedAndFailuresLeaveNoBuffer) {
  for (int width : {1, 16, 720}) {
    auto world = MakeWorld(width, 2);
    ASSERT_NE(world, nullptr);
    const int32_t rowBytes = GetPixRowBytes(GetGWorldPixMap(world.get()));
    EXPECT_GT(rowBytes, 4 * width);
    EXPECT_EQ(rowBytes % 64, 0);
    EXPECT_TRUE(SamePixel(*PixelAt(world.get(), width - 1, 1), pixRec{}));
  }
  // The pixels of a disposed large buffer serve the next of its size, cleared.
  for (int round = 0; round < 3; ++round) {
    auto world = MakeWorld(300, 200);
    ASSERT_NE(world, nullptr);
    PixMapHandle pm = GetGWorldPixMap(world.get());
    const std::vector<char> zeroes(static_cast<size_t>(GetPixRowBytes(pm)) * 200, 0);
    ASSERT_EQ(std::memcmp(GetPixBaseAddr(pm), zeroes.data(), zeroes.size()), 0) << "round " << round;
    std::memset(GetPixBaseAddr(pm), 0xA5, zeroes.size());
  }
  const Rect bounds{0, 0, 10, 10};
  GWorldPtr world = reinterpret_cast<GWorldPtr>(0x1);
  platformFailNextAllocations(1);
  EXPECT_EQ(NewGWorld(&world, 32, &bounds), memFullErr);
  EXPECT_EQ(world, nullptr);
  EXPECT_EQ(NewGWorld(&world, 16, &bounds), paramErr);
  EXPECT_EQ(world, nullptr);
}

void Copy(GrafPtr source, GrafPtr dest, const Rect& from, const Rect& to) {
  CopyBits(GetPortBitMapForCopyBits(source), GetPortBitMapForCopyBits(dest), &from, &to, srcCopy, nullptr);
}

// Byte exact at the same size, clipped to the destination, the nearest
// pixel when scaling; bounds away from the origin count from their corner.
TEST(CopyBits, CopiesScalesAndClips) {
  auto source = MakeWorld(9, 7), moved = MakeWorld(4, 4, 10, 20);
  FillRandom(source.get(), 21);
  FillRandom(moved.get(), 5);
  auto dest = MakeWorld(5, 5);
  Copy(source.get(), dest.get(), Rect{1, 2, 6, 7}, Rect{2, 3, 7, 8});  // reaches past the right and bottom
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_TRUE(SamePixel(*PixelAt(dest.get(), x, y), y >= 2 && x >= 3 ? *PixelAt(source.get(), x - 1, y - 1) : pixRec{}))
          << x << "," << y;

  auto ramp = MakeWorld(4, 2), doubled = MakeWorld(8, 4), half = MakeWorld(2, 1);
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 2; ++y) *PixelAt(ramp.get(), x, y) = pixRec{255, uint8_t(x), uint8_t(y), 7};
  Copy(ramp.get(), doubled.get(), Rect{0, 0, 2, 4}, Rect{0, 0, 4, 8});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_TRUE(SamePixel(*PixelAt(doubled.get(), x, y), pixRec{255, uint8_t(x / 2), uint8_t(y / 2), 7})) << x << "," << y;
  Copy(ramp.get(), half.get(), Rect{0, 0, 2, 4}, Rect{0, 0, 1, 2});  // every other pixel
  EXPECT_EQ((std::array{PixelAt(half.get(), 0, 0)->red, PixelAt(half.get(), 1, 0)->red}), (std::array<uint8_t, 2>{0, 2}));

  Copy(moved.get(), dest.get(), Rect{11, 21, 13, 23}, Rect{0, 0, 2, 2});
  EXPECT_TRUE(SamePixel(*PixelAt(dest.get(), 1, 1), *PixelAt(moved.get(), 2, 2)));
  // Two rows down within one buffer: row 2 arrives in row 4 as it was.
  Copy(dest.get(), dest.get(), Rect{0, 0, 3, 5}, Rect{2, 0, 5, 5});
  EXPECT_TRUE(SamePixel(*PixelAt(dest.get(), 4, 4), *PixelAt(source.get(), 3, 1)));
}

// Frame-sized passes may bypass the caches: every start alignment and tail
// length lands exactly, and nothing beside the range changes.
TEST(CopyBits, RowCopiesAndClearsPastTheCacheAreExact) {
  for (bool streaming : {false, true})
    for (auto [at, from, length] : {std::tuple{0, 0, 256}, {3, 1, 200}, {15, 7, 17}, {1, 0, 5}, {16, 3, 77}}) {
      std::vector<uint8_t> source(300), copied(300, 0xEE), cleared(300, 0xEE);
      for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 7 + 1);
      qd::copyPixelRow(copied.data() + at, source.data() + from, static_cast<size_t>(length), streaming);
      qd::clearPixels(cleared.data() + at, static_cast<size_t>(length), streaming);
      qd::finishStreaming();
      for (int i = 0; i < 300; ++i) {
        const bool inside = i >= at && i < at + length;
        ASSERT_EQ(copied[i], inside ? source[i - at + from] : 0xEE) << streaming << " " << at << " " << i;
        ASSERT_EQ(cleared[i], inside ? 0 : 0xEE) << streaming << " " << at << " " << i;
      }
    }
}

TEST(Painting, FillsFramesAndInvertsInTheCurrentPort) {
  auto world = MakeWorld(6, 6);
  PortSaver saver;
  SetGWorld(world.get(), nullptr);
  const RGBColor red{0xFFFF, 0, 0};
  RGBForeColor(&red);
  const Rect frame{1, 1, 5, 5}, clip{0, 0, 6, 3}, all{0, 0, 6, 6};
  const auto expect = [&](std::initializer_list<std::tuple<int, int, pixRec>> pixels) {
    for (const auto& [x, y, p] : pixels) EXPECT_TRUE(SamePixel(*PixelAt(world.get(), x, y), p)) << x << "," << y;
  };
  FrameRect(&frame);
  expect({{1, 1, {255, 255, 0, 0}}, {4, 2, {255, 255, 0, 0}}, {2, 2, {}}, {5, 5, {}}});
  InvertRect(&frame);
  expect({{1, 1, {255, 0, 255, 255}}, {2, 2, {0, 255, 255, 255}}});
  ClipRect(&clip);
  EraseRect(&all);
  expect({{2, 0, {255, 255, 255, 255}}, {3, 0, {}}});
}

// Rectangles apart meet in an empty one. (Points in rectangles and
// rectangles from two corners: FrameHandlesTest.HitCodesAndDragGeometry.)
TEST(Rects, IntersectionRules) {
  const Rect r{0, 0, 10, 10}, apart{20, 20, 30, 30}, inner{2, 3, 8, 9};
  Rect section;
  EXPECT_FALSE(SectRect(&r, &apart, &section));
  EXPECT_TRUE(EmptyRect(&section));
  EXPECT_TRUE(SectRect(&r, &inner, &section) && EqualRect(&section, &inner));
}

}  // namespace
