// Configuration records: defaults, copies and the images they own, and the
// workspace the custom button prepares.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/coregraphics/cgimage.h"
#include "platform/memory/memory.h"
#include "plugin/core/data_handling.h"
#include "plugin/core/globals.h"
#include "plugin/core/bridges/pascal_fx.h"

namespace {

bool sameColor(const RGBColor& c, uint16_t r, uint16_t g, uint16_t b) {
  return c.red == r && c.green == g && c.blue == b;
}

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pNewConfig(config_);
    const uint8_t pixels[8] = {255, 10, 20, 30, 255, 40, 50, 60};
    image_ = CGImageCreateWithARGB(2, 1, pixels, 8);
  }
  void TearDown() override {
    CGImageRelease(image_);
    pDestroyConfig(config_);
  }
  pluginDataPtr config_ = nullptr;
  CGImageRef image_ = nullptr;
};

TEST_F(ConfigTest, ResetGivesTheDefaults) {
  std::memset(config_, 0x5A, sizeof *config_);
  ResetConfig(config_, true);
  for (const relRect& r : {config_->startRel, config_->endRel}) {
    EXPECT_EQ(r.left, 0.0);
    EXPECT_EQ(r.right, 1.0);
    EXPECT_EQ(r.top, 0.0);
    EXPECT_EQ(r.bottom, 1.0);
  }
  const int16_t sliders[] = {17, 0, 0, 0, 0, 0};
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(config_->sliders[i], sliders[i - 1]) << i;
  EXPECT_TRUE(sameColor(config_->colors[1], 0, 0, 65535));
  EXPECT_TRUE(sameColor(config_->colors[2], 65535, 65535, 65535));
  for (int i = 3; i <= 6; ++i) EXPECT_TRUE(sameColor(config_->colors[i], 0, 0, 0)) << i;
  EXPECT_TRUE(sameColor(config_->frameStartColor, 65535, 0, 0));
  EXPECT_TRUE(sameColor(config_->frameEndColor, 0x5A5A, 0x5A5A, 0x5A5A));
  EXPECT_EQ(config_->mediaType, 1);
  EXPECT_FALSE(config_->keepProps);
  EXPECT_TRUE(config_->twoColors);
  EXPECT_FALSE(config_->sync);
  EXPECT_TRUE(config_->outside);
  EXPECT_FALSE(config_->clipActive);
  EXPECT_EQ(config_->theOriginalImage, nullptr);
  EXPECT_EQ(config_->theRendered, nullptr);
}

TEST_F(ConfigTest, PartialResetKeepsTheImages) {
  config_->theOriginalImage = image_;
  config_->theRendered = image_;
  config_->sliders[1] = 80;
  ResetConfig(config_, false);
  EXPECT_EQ(config_->sliders[1], 17);
  EXPECT_EQ(config_->theOriginalImage, image_);
  EXPECT_EQ(config_->theRendered, image_);
}

TEST_F(ConfigTest, CopyOwnsItsOwnRenderedImage) {
  ResetConfig(config_, true);
  config_->theRendered = image_;
  config_->theOriginalImage = image_;
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
  ASSERT_EQ(CGImageGetWidth(copy->theRendered), 2u);
  ASSERT_EQ(CGImageGetHeight(copy->theRendered), 1u);
  EXPECT_EQ(std::memcmp(CGImageGetARGBData(copy->theRendered), CGImageGetARGBData(image_), 8), 0);

  pUncopyConfig(copy);
  EXPECT_EQ(CGImageLiveCount(), live);
  EXPECT_EQ(config_->theRendered, image_);
  EXPECT_EQ(CGImageGetARGBData(image_)[1], 10);

  // A missing side copies nothing.
  copy->sliders[1] = 3;
  pCopyConfig(nullptr, copy);
  pCopyConfig(config_, nullptr);
  EXPECT_EQ(copy->sliders[1], 3);
  pDestroyConfig(copy);
}

TEST_F(ConfigTest, MediaFormat) {
  EXPECT_EQ(GetMediaFormat(nullptr), 1);
  config_->mediaType = 2;
  EXPECT_EQ(GetMediaFormat(config_), 2);
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
