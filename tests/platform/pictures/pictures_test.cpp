// Pictures: recording a port's pixels and drawing them scaled.
#include "platform/pictures/pictures.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>

#include "tests/support/gworld_fixture.h"

namespace {

using Argb = std::array<uint8_t, 4>;

void Put(GrafPtr world, int x, int y, Argb value) { *PixelAt(world, x, y) = std::bit_cast<pixRec>(value); }
Argb Get(GrafPtr world, int x, int y) { return std::bit_cast<Argb>(*PixelAt(world, x, y)); }

// A picture of `frame` (left, top, right, bottom) of `port`.
PicHandle Record(GrafPtr port, std::array<int16_t, 4> frame) {
  PortSaver saver;
  SetGWorld(port, nullptr);
  OpenCPicParams header{};
  SetRect(&header.srcRect, frame[0], frame[1], frame[2], frame[3]);
  header.version = -2;
  PicHandle picture = OpenCPicture(&header);
  ClosePicture();
  return picture;
}

// `picture` drawn into `into` (left, top, right, bottom) of `port` within `clip`.
void Draw(PicHandle picture, GrafPtr port, std::array<int16_t, 4> into,
          Rect clip = Rect{-32768, -32768, 32767, 32767}) {
  PortSaver saver;
  SetGWorld(port, nullptr);
  ClipRect(&clip);
  Rect dest;
  SetRect(&dest, into[0], into[1], into[2], into[3]);
  DrawPicture(picture, &dest);
}

constexpr Argb kA{255, 10, 20, 30}, kB{255, 40, 50, 60}, kC{255, 70, 80, 90}, kD{255, 100, 110, 120}, k0{0, 0, 0, 0};

TEST(Pictures, RecordsThePortInsideItsFrameAndDrawsItScaled) {
  GWorldOwner source = MakeWorld(4, 4);
  for (int i = 0; i < 4; ++i) Put(source.get(), 1 + i % 2, 1 + i / 2, std::array{kA, kB, kC, kD}[i]);
  PicHandle picture = Record(source.get(), {1, 1, 3, 3});
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ((std::array{(*picture)->picFrame.left, (*picture)->picFrame.bottom}), (std::array<int16_t, 2>{1, 3}));
  Put(source.get(), 1, 1, kD);  // later drawing into the port does not change the picture

  GWorldOwner target = MakeWorld(6, 4);
  Draw(picture, target.get(), {1, 0, 5, 4});  // twice as large
  const std::array<std::array<Argb, 6>, 4> expected = {{
      {k0, kA, kA, kB, kB, k0},
      {k0, kA, kA, kB, kB, k0},
      {k0, kC, kC, kD, kD, k0},
      {k0, kC, kC, kD, kD, k0},
  }};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Get(target.get(), x, y), expected[y][x]) << x << "," << y;
  KillPicture(picture);
}

TEST(Pictures, DrawsOverThePortAndStaysInsideItsClip) {
  GWorldOwner source = MakeWorld(1, 1), target = MakeWorld(2, 1);
  Put(source.get(), 0, 0, Argb{128, 100, 0, 50});  // premultiplied, half covering
  PicHandle picture = Record(source.get(), {0, 0, 1, 1});
  ASSERT_NE(picture, nullptr);
  const Argb under{255, 200, 100, 10};
  for (int x : {0, 1}) Put(target.get(), x, 0, under);
  Draw(picture, target.get(), {0, 0, 2, 1}, Rect{0, 0, 1, 1});
  // s + d * (255 - 128) / 255, rounded: 100 + 99.6, 0 + 49.8, 50 + 4.98
  EXPECT_EQ(Get(target.get(), 0, 0), (Argb{255, 200, 50, 55}));
  EXPECT_EQ(Get(target.get(), 1, 0), under);
  KillPicture(picture);
}

TEST(Pictures, OpeningNeedsAPortAFrameAndNoOtherOpenPicture) {
  GWorldOwner port = MakeWorld(2, 2);
  PortSaver saver;
  SetGWorld(port.get(), nullptr);
  OpenCPicParams header{};
  EXPECT_EQ(OpenCPicture(&header), nullptr);  // empty frame
  SetRect(&header.srcRect, 0, 0, 2, 2);
  PicHandle first = OpenCPicture(&header);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(OpenCPicture(&header), nullptr);
  ClosePicture();
  PicHandle second = OpenCPicture(&header);
  EXPECT_NE(second, nullptr);
  ClosePicture();
  KillPicture(first);
  KillPicture(second);
}

}  // namespace
