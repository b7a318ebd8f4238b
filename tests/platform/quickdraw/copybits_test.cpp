#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/memory/memory.h"
#include "platform/quickdraw/quickdraw.h"
#include "tests/support/gworld_fixture.h"
#include "tests/support/platform_faults.h"

namespace {

TEST(NewGWorld, RowsArePaddedAndPixelsStartZeroed) {
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
}

TEST(NewGWorld, ReportsOutOfMemoryAndLeavesNoBuffer) {
  const Rect bounds{0, 0, 10, 10};
  GWorldPtr world = reinterpret_cast<GWorldPtr>(0x1);
  platformFailNextAllocations(1);
  EXPECT_EQ(NewGWorld(&world, 32, &bounds), memFullErr);
  EXPECT_EQ(world, nullptr);
  EXPECT_EQ(NewGWorld(&world, 16, &bounds), paramErr);
  EXPECT_EQ(NewGWorld(&world, 32, &bounds), noErr);
  DisposeGWorld(world);
}

TEST(CopyBits, SameSizeCopyIsByteExactAndClipped) {
  auto source = MakeWorld(9, 7);
  FillRandom(source.get(), 21);
  auto dest = MakeWorld(5, 5);
  const Rect from{1, 2, 6, 7};
  const Rect to{2, 3, 7, 8};  // reaches past the destination's right and bottom
  CopyBits(GetPortBitMapForCopyBits(source.get()), GetPortBitMapForCopyBits(dest.get()), &from, &to, srcCopy, nullptr);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool copied = y >= 2 && x >= 3;
      const pixRec expected = copied ? *PixelAt(source.get(), x - 1, y - 1) : pixRec{};
      EXPECT_TRUE(SamePixel(*PixelAt(dest.get(), x, y), expected)) << x << "," << y;
    }
}

TEST(CopyBits, ScalingSamplesTheNearestPixel) {
  auto source = MakeWorld(4, 2);
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 2; ++y) *PixelAt(source.get(), x, y) = pixRec{255, uint8_t(x), uint8_t(y), 7};
  auto dest = MakeWorld(8, 4);
  const Rect from{0, 0, 2, 4}, to{0, 0, 4, 8};
  CopyBits(GetPortBitMapForCopyBits(source.get()), GetPortBitMapForCopyBits(dest.get()), &from, &to, srcCopy, nullptr);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_TRUE(SamePixel(*PixelAt(dest.get(), x, y), pixRec{255, uint8_t(x / 2), uint8_t(y / 2), 7}));
  // Halving takes every other pixel.
  auto half = MakeWorld(2, 1);
  const Rect small{0, 0, 1, 2};
  CopyBits(GetPortBitMapForCopyBits(source.get()), GetPortBitMapForCopyBits(half.get()), &from, &small, srcCopy,
           nullptr);
  EXPECT_EQ(PixelAt(half.get(), 0, 0)->red, 0);
  EXPECT_EQ(PixelAt(half.get(), 1, 0)->red, 2);
}

TEST(CopyBits, BuffersWithBoundsAwayFromOrigin) {
  auto source = MakeWorld(4, 4, 10, 20);
  FillRandom(source.get(), 5);
  auto dest = MakeWorld(4, 4);
  const Rect from{11, 21, 13, 23}, to{0, 0, 2, 2};
  CopyBits(GetPortBitMapForCopyBits(source.get()), GetPortBitMapForCopyBits(dest.get()), &from, &to, srcCopy, nullptr);
  EXPECT_TRUE(SamePixel(*PixelAt(dest.get(), 1, 1), *PixelAt(source.get(), 2, 2)));
}

TEST(Painting, FillsFramesAndInvertsInTheCurrentPort) {
  auto world = MakeWorld(6, 6);
  CGrafPtr savedPort;
  GDHandle savedDevice;
  GetGWorld(&savedPort, &savedDevice);
  SetGWorld(world.get(), nullptr);
  const RGBColor red{0xFFFF, 0, 0};
  RGBForeColor(&red);
  const Rect frame{1, 1, 5, 5};
  FrameRect(&frame);
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 1, 1), pixRec{255, 255, 0, 0}));
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 4, 2), pixRec{255, 255, 0, 0}));
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 2, 2), pixRec{}));
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 5, 5), pixRec{}));
  InvertRect(&frame);
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 1, 1), pixRec{255, 0, 255, 255}));
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 2, 2), pixRec{0, 255, 255, 255}));
  const Rect clip{0, 0, 6, 3};
  ClipRect(&clip);
  const Rect all{0, 0, 6, 6};
  EraseRect(&all);
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 2, 0), pixRec{255, 255, 255, 255}));
  EXPECT_TRUE(SamePixel(*PixelAt(world.get(), 3, 0), pixRec{}));
  SetGWorld(savedPort, savedDevice);
}

TEST(Rects, PointAndIntersectionRules) {
  const Rect r{0, 0, 10, 10};
  EXPECT_TRUE(PtInRect(Point{0, 0}, &r));
  EXPECT_FALSE(PtInRect(Point{10, 5}, &r));
  Rect made;
  Pt2Rect(Point{8, 9}, Point{2, 3}, &made);
  const Rect expected{2, 3, 8, 9};
  EXPECT_TRUE(EqualRect(&made, &expected));
  Rect section;
  const Rect apart{20, 20, 30, 30};
  EXPECT_FALSE(SectRect(&r, &apart, &section));
  EXPECT_TRUE(EmptyRect(&section));
}

}  // namespace
