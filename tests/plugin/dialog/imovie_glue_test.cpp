// The dialog's frame fetch against a recording host.
#include "plugin/dialog/imovie_glue.h"

#include <gtest/gtest.h>

#include "plugin/render/offscreen_buffers.h"
#include "tests/plugin/dialog/dialog_fixture.h"

namespace dialog_test {
namespace {

TEST(FrameFetchTest, QualityIsLowOnlyForProxyRendersUnder260Lines) {
  const struct {
    bool proxy;
    int16_t height;
    HYRefDVQuality quality;
  } cases[] = {{true, 240, kDVLowQuality},
               {true, 259, kDVLowQuality},
               {true, 260, kDVHighQuality},
               {false, 240, kDVHighQuality},
               {false, 480, kDVHighQuality}};
  for (const auto& c : cases) {
    FrameHost host;
    host.params.proxyOnly = c.proxy;
    GrafPtr gw = AllocateGWorld(320, c.height);
    EXPECT_EQ(kPluginOK, GetFrameIntoGW(gw, &host.params, 3, 1));
    ASSERT_EQ(1u, host.qualities.size());
    EXPECT_EQ(c.quality, host.qualities[0]) << c.proxy << " " << c.height;
    DisposeGWorld(gw);
  }
}

TEST(FrameFetchTest, TheFrameFillsTheBufferAndIsGivenBack) {
  FrameHost host;
  host.params.startFrame = 4;
  GrafPtr gw = MakeTestFrame(36, 24, 99);
  EXPECT_EQ(kPluginOK, GetFrameIntoGW(gw, &host.params, 5, 1));
  GrafPtr expected = MakeTestFrame(36, 24, 9);
  for (int y = 0; y < 24; y += 5)
    for (int x = 0; x < 36; x += 7) EXPECT_EQ(PixelAt(expected, x, y), PixelAt(gw, x, y)) << x << "," << y;
  EXPECT_EQ(1, host.released);
  EXPECT_EQ(nullptr, host.held) << "the host disposed of its frame on release";
  DisposeGWorld(expected);
  DisposeGWorld(gw);
}

TEST(FrameFetchTest, ANegativeFrameNumberNeverReachesTheHostAFailedFetchLeavesTheBuffer) {
  FrameHost host;
  host.params.startFrame = 10;
  GrafPtr gw = MakeTestFrame(8, 6, 3);
  const uint32_t before = PixelAt(gw, 4, 4);
  EXPECT_EQ(-1, GetFrameIntoGW(gw, &host.params, -11, 1));
  EXPECT_TRUE(host.requested.empty());
  host.getFrameResult = kPluginOutOfMemory;
  EXPECT_EQ(kPluginOutOfMemory, GetFrameIntoGW(gw, &host.params, -10, 1));
  EXPECT_EQ(std::vector<int32_t>{0}, host.requested);
  EXPECT_EQ(before, PixelAt(gw, 4, 4));
  EXPECT_EQ(0, host.released);
  DisposeGWorld(gw);
}

}  // namespace
}  // namespace dialog_test
