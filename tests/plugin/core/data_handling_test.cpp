// Configuration records: defaults, copies and the images they own, and the
// rectangle the dialog edits.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "platform/coregraphics/cgimage.h"
#include "platform/memory/memory.h"
#include "plugin/core/data_handling.h"
#include "plugin/core/globals.h"

namespace {

using Rgb = std::array<int, 3>;
Rgb rgb(const RGBColor& c) { return {c.red, c.green, c.blue}; }

// Every field to its default from any bytes, frameEndColor left; a partial
// reset keeps the image references. The rectangle the dialog edits is always
// startRel.
TEST(ConfigTest, ResetGivesTheDefaultsAndAPartialOneKeepsTheImages) {
  pluginDataRec c;
  std::memset(&c, 0x5A, sizeof c);
  ResetConfig(&c, true);
  for (const relRect& r : {c.startRel, c.endRel})
    EXPECT_EQ((std::array{r.left, r.right, r.top, r.bottom}), (std::array{0.0, 1.0, 0.0, 1.0}));
  EXPECT_EQ((std::array{c.sliders[1], c.sliders[2], c.sliders[6], c.mediaType, GetMediaFormat(nullptr)}),
            (std::array<int16_t, 5>{17, 0, 0, 1, 1}));
  EXPECT_EQ((std::array{rgb(c.colors[1]), rgb(c.colors[2]), rgb(c.colors[6]), rgb(c.frameStartColor)}),
            (std::array<Rgb, 4>{{{0, 0, 65535}, {65535, 65535, 65535}, {}, {65535, 0, 0}}}));
  EXPECT_EQ(rgb(c.frameEndColor), (Rgb{0x5A5A, 0x5A5A, 0x5A5A}));
  EXPECT_EQ((std::array{c.keepProps, c.twoColors, c.sync, c.outside, c.clipActive}),
            (std::array<Boolean, 5>{false, true, false, true, false}));
  EXPECT_TRUE(c.theOriginalImage == nullptr && c.theRendered == nullptr);
  const CGImageRef image = reinterpret_cast<CGImageRef>(0x10);
  c.theOriginalImage = c.theRendered = image;
  c.sliders[1] = 80;
  ResetConfig(&c, false);
  EXPECT_TRUE(c.sliders[1] == 17 && c.theOriginalImage == image && c.theRendered == image);
  gConfigWorkSpace.theConfig = &c;
  gConfigWorkSpace.activeRel = 2;
  PutCurrentRel(relRect{0.25, 0.5, 0.125, 0.75});
  EXPECT_TRUE(c.startRel.right == 0.5 && GetCurrentRel().bottom == 0.75 && c.endRel.right == 1.0);
}

// A copy owns its own rendered image and no original, released by
// pUncopyConfig; a missing side copies nothing; blocks of different sizes
// stop the process.
TEST(ConfigDeathTest, CopyOwnsItsOwnRenderedImage) {
  const uint8_t pixels[8] = {255, 10, 20, 30, 255, 40, 50, 60};
  CGImageRef image = CGImageCreateWithARGB(2, 1, pixels, 8);
  pluginDataPtr source = nullptr, copy = nullptr;
  pNewConfig(source);
  pNewConfig(copy);
  source->theRendered = source->theOriginalImage = image;
  source->sliders[1] = 44;
  const long live = CGImageLiveCount();
  pCopyConfig(source, copy);
  EXPECT_TRUE(copy->sliders[1] == 44 && copy->theOriginalImage == nullptr && copy->theRendered != image);
  EXPECT_TRUE(copy->theRendered != nullptr && CGImageGetWidth(copy->theRendered) == 2 &&
              !std::memcmp(CGImageGetARGBData(copy->theRendered), pixels, 8) && CGImageLiveCount() == live + 1);
  pUncopyConfig(copy);
  EXPECT_EQ(CGImageLiveCount(), live);
  pCopyConfig(nullptr, copy);
  pCopyConfig(source, nullptr);
  EXPECT_EQ(copy->sliders[1], 44);
  EXPECT_DEATH(pCopyConfig(source, reinterpret_cast<pluginDataPtr>(NewPtrClear(sizeof(pluginDataRec) + 8))),
               "Non-Matching Blocks");
  source->theRendered = source->theOriginalImage = nullptr;
  pDestroyConfig(copy);
  pDestroyConfig(source);
  CGImageRelease(image);
}

}  // namespace
