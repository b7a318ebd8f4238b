// Pictures: recording a port's pixels and drawing them scaled.
#include "platform/pictures/pictures.h"

#include <gtest/gtest.h>

#include <array>

#include "tests/support/gworld_fixture.h"

namespace {

using Argb = std::array<uint8_t, 4>;

void Put(GrafPtr world, int x, int y, Argb value) { std::memcpy(PixelAt(world, x, y), value.data(), 4); }
Argb Get(GrafPtr world, int x, int y) {
  Argb value;
  std::memcpy(value.data(), PixelAt(world, x, y), 4);
  return value;
}

struct PortScope {
  explicit PortScope(GrafPtr port) {
    GetGWorld(&saved, &device);
    SetGWorld(port, nullptr);
  }
  ~PortScope() { SetGWorld(saved, device); }
  CGrafPtr saved = nullptr;
  GDHandle device = nullptr;
};

// A 2 x 2 picture recorded from (1, 1)-(3, 3) of a 4 x 4 buffer.
PicHandle RecordQuadrant(GrafPtr source) {
  PortScope scope(source);
  OpenCPicParams header{};
  SetRect(&header.srcRect, 1, 1, 3, 3);
  header.version = -2;
  PicHandle picture = OpenCPicture(&header);
  ClosePicture();
  return picture;
}

constexpr Argb kA{255, 10, 20, 30}, kB{255, 40, 50, 60}, kC{255, 70, 80, 90}, kD{255, 100, 110, 120};

TEST(Pictures, RecordsThePortInsideItsFrameAndDrawsItScaled) {
  GWorldOwner source = MakeWorld(4, 4);
  Put(source.get(), 1, 1, kA);
  Put(source.get(), 2, 1, kB);
  Put(source.get(), 1, 2, kC);
  Put(source.get(), 2, 2, kD);
  PicHandle picture = RecordQuadrant(source.get());
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ((*picture)->picFrame.left, 1);
  EXPECT_EQ((*picture)->picFrame.bottom, 3);
  // Later drawing into the port does not change the picture.
  Put(source.get(), 1, 1, kD);

  GWorldOwner target = MakeWorld(6, 4);
  {
    PortScope scope(target.get());
    Rect into;
    SetRect(&into, 1, 0, 5, 4);  // twice as large
    DrawPicture(picture, &into);
  }
  const std::array<std::array<Argb, 6>, 4> expected = {{
      {Argb{0, 0, 0, 0}, kA, kA, kB, kB, Argb{0, 0, 0, 0}},
      {Argb{0, 0, 0, 0}, kA, kA, kB, kB, Argb{0, 0, 0, 0}},
      {Argb{0, 0, 0, 0}, kC, kC, kD, kD, Argb{0, 0, 0, 0}},
      {Argb{0, 0, 0, 0}, kC, kC, kD, kD, Argb{0, 0, 0, 0}},
  }};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Get(target.get(), x, y), expected[y][x]) << x << "," << y;
  KillPicture(picture);
}

TEST(Pictures, DrawsOverThePortAndStaysInsideItsClip) {
  GWorldOwner source = MakeWorld(1, 1);
  Put(source.get(), 0, 0, Argb{128, 100, 0, 50});  // premultiplied, half covering
  PicHandle picture;
  {
    PortScope scope(source.get());
    OpenCPicParams header{};
    SetRect(&header.srcRect, 0, 0, 1, 1);
    picture = OpenCPicture(&header);
    ClosePicture();
  }
  ASSERT_NE(picture, nullptr);
  GWorldOwner target = MakeWorld(2, 1);
  Put(target.get(), 0, 0, Argb{255, 255, 255, 255});
  Put(target.get(), 1, 0, Argb{255, 255, 255, 255});
  {
    PortScope scope(target.get());
    Rect clip, into;
    SetRect(&clip, 0, 0, 1, 1);
    ClipRect(&clip);
    SetRect(&into, 0, 0, 2, 1);
    DrawPicture(picture, &into);
    SetRect(&clip, -32768, -32768, 32767, 32767);
    ClipRect(&clip);
  }
  // s + d * (255 - 128) / 255, rounded
  EXPECT_EQ(Get(target.get(), 0, 0), (Argb{255, 227, 127, 177}));
  EXPECT_EQ(Get(target.get(), 1, 0), (Argb{255, 255, 255, 255}));
  KillPicture(picture);
}

TEST(Pictures, OpeningNeedsAPortAFrameAndNoOtherOpenPicture) {
  GWorldOwner port = MakeWorld(2, 2);
  PortScope scope(port.get());
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
