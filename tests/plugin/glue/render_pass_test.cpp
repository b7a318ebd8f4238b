// The render selectors driven through EffectMain by a recording host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>

#include "platform/coregraphics/cgimage.h"
#include "platform/memory/memory.h"
#include "plugin/glue/render_pass.h"
#include "tests/plugin/glue/host_fixture.h"
#include "tests/support/platform_faults.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Calls = std::vector<std::string>;

namespace {

const std::string kNewData = "NewPtrClear " + std::to_string(sizeof(EffectData));
const std::string kNewConfig = "NewPtrClear " + std::to_string(sizeof(pluginDataRec));

EffectData& dataOf(const _PluginParams& p) { return *static_cast<EffectData*>(p.clientData); }

class RenderPassTest : public HostTest {
 protected:
  // A begun render of `frameCount` frames starting at host frame 100.
  _PluginParams begin(int32_t frameCount, int32_t fadeIn = 0, int32_t fadeOut = 0) {
    host().filterInfo.fadeInFrames = fadeIn;
    host().filterInfo.fadeOutFrames = fadeOut;
    _PluginParams p = host().params(kPlugInitialize);
    p.startFrame = 100;
    p.frameCount = frameCount;
    EXPECT_EQ(call(p, kPlugInitialize), kPluginOK);
    host().calls.clear();
    return p;
  }
  void end(_PluginParams& p) {
    EXPECT_EQ(call(p, kPlugTerminate), kPluginOK);
    EXPECT_EQ(p.clientData, nullptr);
  }
  // Blit opacities of frames first..last, one render per call.
  std::vector<int> opacities(int32_t frameCount, int32_t fadeIn, int32_t fadeOut, int32_t first, int32_t last) {
    _PluginParams p = begin(frameCount, fadeIn, fadeOut);
    for (p.renderFrame = first; p.renderFrame <= last; ++p.renderFrame) EXPECT_EQ(call(p, kPlugDoFrame), kPluginOK);
    end(p);
    return host().blitOpacities;
  }
};

TEST_F(RenderPassTest, WholeRenderCallsTheHostInOrder) {
  _PluginParams p = host().params(kPlugInitialize);
  p.startFrame = 100;
  p.renderFrame = 5;
  p.frameCount = 20;
  const auto before = host().outputPixels();
  ASSERT_EQ(call(p, kPlugInitialize), kPluginOK);
  EXPECT_EQ(dataOf(p).effectSourceCount, 1);
  EXPECT_THAT(dataOf(p).sliderValues, ElementsAre(0.25f, 0.5f, 0.75f));
  ASSERT_EQ(call(p, kPlugDoFrame), kPluginOK);
  EXPECT_EQ(gMostRecentStartFrame, 100);
  EXPECT_EQ(gMostRecentFrameCount, 20);
  EXPECT_NE(host().outputPixels(), before);
  end(p);
  EXPECT_THAT(host().calls, ElementsAre(kNewData, kNewConfig, "GetFilterInfo", "ReleaseFilterInfo", "GetFrame 105 8x6 q1",
                                        "MixAudio 256", "ReleaseFrame", "DisposePtr", "DisposePtr"));
}

struct FailureRow {
  const char* name;
  std::map<std::string, HYPluginResult> failures;
  int failAllocations;  // platform allocations that fail during the frame step
  int32_t fadeIn;
  HYPluginResult expected;
  bool outputUnchanged;
  Calls calls;
};

class RenderFailureTest : public RenderPassTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(RenderFailureTest, FrameStepReportsAndReleases) {
  const FailureRow& row = GetParam();
  _PluginParams p = begin(20, row.fadeIn);
  p.renderFrame = 5;
  host().failures = row.failures;
  const auto before = host().outputPixels();
  platformFailNextAllocations(row.failAllocations);
  EXPECT_EQ(call(p, kPlugDoFrame), row.expected);
  platformFailNextAllocations(0);
  EXPECT_THAT(host().calls, ElementsAreArray(row.calls));
  if (row.outputUnchanged) {
    EXPECT_EQ(host().outputPixels(), before);
  }
  end(p);
}

const Calls kFetchOnly{"GetFrame 105 8x6 q1", "ReleaseFrame"};
const Calls kMixed{"GetFrame 105 8x6 q1", "MixAudio 256", "ReleaseFrame"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, RenderFailureTest, ::testing::Values(
    FailureRow{"GetFrameFails", {{"GetFrame", 21}}, 0, 0, 21, true, kFetchOnly},
    FailureRow{"FadeCopyNotObtainable", {}, 1, 10, kPluginFailed, true, kFetchOnly},
    FailureRow{"WorkingBufferNotObtainable", {}, 1, 0, kPluginOutOfMemory, true, kFetchOnly},
    FailureRow{"BlitFails", {{"Blit", 23}}, 0, 10, 23, false,
               {"GetFrame 105 8x6 q1", "Blit 0,0,8,6 0,0,8,6", "ReleaseFrame"}},
    FailureRow{"MixAudioFails", {{"MixAudio", 24}}, 0, 0, 24, false, kMixed},
    FailureRow{"ReleaseFrameFails", {{"ReleaseFrame", 25}}, 0, 0, 25, false, kMixed},
    FailureRow{"FirstFailureWins", {{"MixAudio", 24}, {"ReleaseFrame", 25}}, 0, 0, 24, false, kMixed}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// A frame step without a begun render is refused; one before the clip's
// first frame draws nothing. Neither asks the host for anything.
TEST_F(RenderPassTest, FrameStepOutsideARenderTouchesNothing) {
  _PluginParams p = host().params(kPlugDoFrame);
  const auto before = host().outputPixels();
  EXPECT_EQ(call(p, kPlugDoFrame), kPluginBadParams);
  EXPECT_TRUE(host().calls.empty());
  p = begin(20);
  p.startFrame = 2;
  p.renderFrame = -3;
  EXPECT_EQ(call(p, kPlugDoFrame), kPluginOK);
  EXPECT_TRUE(host().calls.empty());
  EXPECT_EQ(host().outputPixels(), before);
  end(p);
}

TEST_F(RenderPassTest, QualityAndAudioFollowDraftAndHeight) {
  struct Row {
    bool proxyOnly;
    short height;
    int quality;
    bool mixes;
  };
  for (const Row& row : {Row{true, 240, 0, false}, Row{true, 259, 0, false}, Row{true, 260, 1, false},
                         Row{false, 240, 1, true}, Row{false, 260, 1, true}}) {
    SCOPED_TRACE(std::to_string(row.proxyOnly) + " " + std::to_string(row.height));
    resize(4, row.height);
    _PluginParams p = begin(1);
    p.proxyOnly = row.proxyOnly;
    EXPECT_EQ(call(p, kPlugDoFrame), kPluginOK);
    const std::string fetch = "GetFrame 100 4x" + std::to_string(row.height) + " q" + std::to_string(row.quality);
    if (row.mixes)
      EXPECT_THAT(host().calls, ElementsAre(fetch, "MixAudio 256", "ReleaseFrame"));
    else
      EXPECT_THAT(host().calls, ElementsAre(fetch, "ReleaseFrame"));
    end(p);
  }
}

TEST_F(RenderPassTest, FadesBlendTheUnprocessedFrame) {
  EXPECT_THAT(opacities(20, 3, 0, 0, 5), ElementsAre(255, 170, 85));
  host().blitOpacities.clear();
  EXPECT_THAT(opacities(20, 10, 0, 0, 10), ElementsAre(255, 229, 204, 178, 153, 127, 102, 76, 50, 25));
  host().blitOpacities.clear();
  EXPECT_THAT(opacities(100, 0, 10, 85, 99), ElementsAre(25, 50, 76, 102, 127, 153, 178, 204, 229));
}

TEST_F(RenderPassTest, FadeOpacityStaysInRangeWithoutDividingByZero) {
  struct Row {
    int32_t renderFrame, frameCount, fadeIn, fadeOut;
    int expected;
  };
  for (const Row& row : {Row{-5, 10, 3, 0, 255}, Row{INT32_MIN, 10, 3, 0, 255}, Row{-1, 10, 0, 0, -1},
                         Row{0, 10, 0, 0, -1}, Row{15, 10, 0, 4, 255}, Row{10, 10, 0, 4, 255},
                         Row{INT32_MAX, 10, 0, 4, 255}, Row{5, 10, -3, 0, -1}}) {
    EXPECT_EQ(FadeOpacity(row.renderFrame, row.frameCount, row.fadeIn, row.fadeOut), row.expected)
        << row.renderFrame << " of " << row.frameCount << ", fades " << row.fadeIn << "/" << row.fadeOut;
  }
}

TEST_F(RenderPassTest, BeginClampsFadesToTheClip) {
  struct Row {
    int32_t fadeIn, fadeOut, frameCount, clampedIn, clampedOut;
  };
  for (const Row& row : {Row{30, 40, 50, 25, 25}, Row{80, 0, 50, 50, 0}, Row{0, 70, 50, 0, 50}, Row{0, 0, 50, 0, 0},
                         Row{10, 5, 50, 10, 5}}) {
    _PluginParams p = begin(row.frameCount, row.fadeIn, row.fadeOut);
    EXPECT_EQ(dataOf(p).fadeInFrames, row.clampedIn) << row.fadeIn << "/" << row.fadeOut;
    EXPECT_EQ(dataOf(p).fadeOutFrames, row.clampedOut) << row.fadeIn << "/" << row.fadeOut;
    end(p);
  }
}

TEST_F(RenderPassTest, BeginWithoutMemory) {
  for (int failing : {0, 1}) {
    host().calls.clear();
    host().failNewPtrClearAt = failing;
    _PluginParams p = host().params(kPlugInitialize);
    EXPECT_EQ(call(p, kPlugInitialize), kPluginOutOfMemory);
    // Without the configuration copy no host call follows.
    EXPECT_EQ(host().calls.back(), failing == 0 ? kNewData : kNewConfig);
    EXPECT_EQ(p.clientData != nullptr, failing == 1);
    end(p);
  }
}

TEST_F(RenderPassTest, BeginReusingClientDataReleasesTheOldCopy) {
  const uint8_t pixels[16] = {255, 1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12};
  gPascalData->theRendered = CGImageCreateWithARGB(2, 2, pixels, 8);
  const long live = CGImageLiveCount();
  _PluginParams p = begin(20);
  EXPECT_EQ(CGImageLiveCount(), live + 1);
  EXPECT_NE(dataOf(p).pascalData->theRendered, gPascalData->theRendered);
  EXPECT_EQ(call(p, kPlugInitialize), kPluginOK);
  EXPECT_EQ(CGImageLiveCount(), live + 1);
  end(p);
  EXPECT_EQ(CGImageLiveCount(), live);
  EXPECT_EQ(std::count(host().calls.begin(), host().calls.end(), "DisposePtr"), 3);
  CGImageRelease(gPascalData->theRendered);
}

TEST_F(RenderPassTest, FailedFilterInfoGivesZeroFadesAndSliders) {
  _PluginParams p = begin(20, 5, 6);
  host().failures["GetFilterInfo"] = 17;
  host().deliverFilterInfo = false;
  EXPECT_EQ(call(p, kPlugInitialize), 17);
  EXPECT_EQ(dataOf(p).fadeInFrames, 0);
  EXPECT_EQ(dataOf(p).fadeOutFrames, 0);
  EXPECT_THAT(dataOf(p).sliderValues, ElementsAre(0.0f, 0.0f, 0.0f));
  EXPECT_THAT(host().calls, ElementsAre("DisposePtr", kNewConfig, "GetFilterInfo"));
  end(p);
}

}  // namespace
