// Configuration records: defaults, copies and the images they own, and the
// workspace the custom button prepares.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "platform/coregraphics/cgimage.h"
#include "platform/memory/memory.h"
#include "plugin/core/data_handling.h"
#include "plugin/core/globals.h"
#include "plugin/core/bridges/pascal_fx.h"

namespace {

using Rgb = std::array<int, 3>;
Rgb rgb(const RGBColor& c) { return {c.red, c.green, c.blue}; }

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override { pNewConfig(config_); }
  void TearDown() override {
    CGImageRelease(image_);
    pDestroyConfig(config_);
  }
  pluginDataPtr config_ = nullptr;
  const uint8_t pixels_[8] = {255, 10, 20, 30, 255, 40, 50, 60};
  CGImageRef image_ = CGImageCreateWithARGB(2, 1, pixels_, 8);
};

TEST_F(ConfigTest, ResetGivesTheDefaultsAndAPartialOneKeepsTheImages) {
  std::memset(config_, 0x5A, sizeof *config_);
  ResetConfig(config_, true);
  for (const relRect& r : {config_->startRel, config_->endRel})
    EXPECT_EQ((std::array{r.left, r.right, r.top, r.bottom}), (std::array{0.0, 1.0, 0.0, 1.0}));
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(config_->sliders[i], i == 1 ? 17 : 0) << i;
  EXPECT_EQ(rgb(config_->colors[1]), (Rgb{0, 0, 65535}));
  EXPECT_EQ(rgb(config_->colors[2]), (Rgb{65535, 65535, 65535}));
  for (int i = 3; i <= 6; ++i) EXPECT_EQ(rgb(config_->colors[i]), (Rgb{0, 0, 0})) << i;
  EXPECT_EQ(rgb(config_->frameStartColor), (Rgb{65535, 0, 0}));
  EXPECT_EQ(rgb(config_->frameEndColor), (Rgb{0x5A5A, 0x5A5A, 0x5A5A}));
  EXPECT_EQ((std::array{config_->keepProps, config_->twoColors, config_->sync, config_->outside, config_->clipActive}),
            (std::array<Boolean, 5>{false, true, false, true, false}));
  EXPECT_EQ(config_->mediaType, 1);
  EXPECT_EQ(GetMediaFormat(nullptr), 1);
  EXPECT_EQ(config_->theOriginalImage, nullptr);
  EXPECT_EQ(config_->theRendered, nullptr);

  config_->theOriginalImage = config_->theRendered = image_;
  config_->sliders[1] = 80;
  ResetConfig(config_, false);
  EXPECT_EQ(config_->sliders[1], 17);
  EXPECT_EQ(config_->theOriginalImage, image_);
  EXPECT_EQ(config_->theRendered, image_);
  config_->theOriginalImage = config_->theRendered = nullptr;
}

TEST_F(ConfigTest, CopyOwnsItsOwnRenderedImage) {
  ResetConfig(config_, true);
  config_->theRendered = config_->theOriginalImage = image_;
  config_->sliders[1] = 44;
  pluginDataPtr copy = nullptr;
  pNewConfig(copy);
  const long live = CGImageLiveCount();
  pCopyConfig(config_, copy);
  EXPECT_EQ(copy->sliders[1], 44);
  EXPECT_EQ(copy->theOriginalImage, nullptr);
  ASSERT_NE(copy->theRendered, nullptr);
  EXPECT_NE(copy->theRendered, image_);
  EXPECT_EQ(CGImageLiveCount(), live + 1);
  ASSERT_EQ((std::array{CGImageGetWidth(copy->theRendered), CGImageGetHeight(copy->theRendered)}), (std::array<size_t, 2>{2, 1}));
  EXPECT_EQ(std::memcmp(CGImageGetARGBData(copy->theRendered), pixels_, 8), 0);

  pUncopyConfig(copy);
  EXPECT_EQ(CGImageLiveCount(), live);
  EXPECT_EQ(CGImageGetARGBData(image_)[1], 10);
  // A missing side copies nothing.
  copy->sliders[1] = 3;
  pCopyConfig(nullptr, copy);
  pCopyConfig(config_, nullptr);
  EXPECT_EQ(copy->sliders[1], 3);
  pDestroyConfig(copy);
}

TEST(ConfigDeathTest, CopyBetweenBlocksOfDifferentSizesStops) {
  pluginDataPtr source = nullptr;
  pNewConfig(source);
  auto* bigger = reinterpret_cast<pluginDataPtr>(NewPtrClear(sizeof(pluginDataRec) + 8));
  EXPECT_DEATH(pCopyConfig(source, bigger), "Non-Matching Blocks");
  DisposePtr(reinterpret_cast<Ptr>(bigger));
  pDestroyConfig(source);
}

TEST_F(ConfigTest, TheEditedRectangleIsAlwaysStartRel) {
  ResetConfig(config_, true);
  gConfigWorkSpace.theConfig = config_;
  gConfigWorkSpace.activeRel = 2;
  PutCurrentRel(relRect{0.25, 0.5, 0.125, 0.75});
  EXPECT_EQ(config_->startRel.right, 0.5);
  EXPECT_EQ(GetCurrentRel().bottom, 0.75);
  EXPECT_EQ(config_->endRel.right, 1.0);
}

}  // namespace
