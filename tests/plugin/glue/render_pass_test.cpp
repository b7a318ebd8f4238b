// The render selectors driven through EffectMain by a recording host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <tuple>

#include "platform/coregraphics/cgimage.h"
#include "platform/memory/memory.h"
#include "tests/plugin/glue/fake_host.h"
#include "tests/support/platform_faults.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Calls = std::vector<std::string>;

namespace {

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
};

// A frame step before any begin step is refused without a host call; a
// whole render then calls the host in this order.
TEST_F(RenderPassTest, WholeRenderCallsTheHostInOrder) {
  _PluginParams p = host().params(kPlugInitialize);
  const auto before = host().outputPixels();
  EXPECT_EQ(call(p, kPlugDoFrame), kPluginBadParams);
  EXPECT_TRUE(host().calls.empty());
  p.startFrame = 100;
  p.renderFrame = 5;
  p.frameCount = 20;
  ASSERT_EQ(call(p, kPlugInitialize), kPluginOK);
  EXPECT_EQ(dataOf(p).effectSourceCount, 1);
  EXPECT_THAT(dataOf(p).sliderValues, ElementsAre(0.25f, 0.5f, 0.75f));
  ASSERT_EQ(call(p, kPlugDoFrame), kPluginOK);
  EXPECT_EQ((std::array{gMostRecentStartFrame, gMostRecentFrameCount}), (std::array<int32_t, 2>{100, 20}));
  EXPECT_NE(host().outputPixels(), before);
  end(p);
  EXPECT_THAT(host().calls,
              ElementsAre(kNewData, kNewConfig, "GetFilterInfo", "ReleaseFilterInfo", "GetFrame 105 8x6 q1",
                          "MixAudio 256", "ReleaseFrame", "DisposePtr", "DisposePtr"));
}

// A failing frame step reports the first failure and still gives the frame
// back; the output keeps its pixels when nothing was drawn. A frame before
// the movie's first draws nothing and asks the host for nothing.
TEST_F(RenderPassTest, FrameStepFailures) {
  const Calls fetchOnly{"GetFrame 105 8x6 q1", "ReleaseFrame"},
      mixed{"GetFrame 105 8x6 q1", "MixAudio 256", "ReleaseFrame"};
  // Failures, platform allocations that fail during the step, fade in, frame;
  // the result, whether the output keeps its pixels, the host calls.
  const std::tuple<std::map<std::string, HYPluginResult>, int, int32_t, int32_t, HYPluginResult, bool, Calls> cases[] =
      {
          {{{"GetFrame", 21}}, 0, 0, 5, 21, true, fetchOnly},
          {{{"GetFrame buffer", 0}}, 0, 0, 5, kPluginFailed, true, fetchOnly},  // OK without a frame
          {{}, 1, 10, 5, kPluginFailed, true, fetchOnly},                       // no fade copy
          {{}, 1, 0, 5, kPluginOutOfMemory, true, fetchOnly},                   // no working buffer
          {{{"Blit", 23}}, 0, 10, 5, 23, false, {"GetFrame 105 8x6 q1", "Blit 0,0,8,6 0,0,8,6", "ReleaseFrame"}},
          {{{"MixAudio", 24}}, 0, 0, 5, 24, false, mixed},
          {{{"ReleaseFrame", 25}}, 0, 0, 5, 25, false, mixed},
          {{{"MixAudio", 24}, {"ReleaseFrame", 25}}, 0, 0, 5, 24, false, mixed},
          {{}, 0, 0, -103, kPluginOK, true, {}},
      };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    const auto& [failures, failAllocations, fadeIn, renderFrame, expected, outputUnchanged, calls] = cases[i];
    _PluginParams p = begin(20, fadeIn);
    p.renderFrame = renderFrame;
    host().failures = failures;
    const auto before = host().outputPixels();
    platformFailNextAllocations(failAllocations);
    EXPECT_EQ(call(p, kPlugDoFrame), expected);
    platformFailNextAllocations(0);
    EXPECT_THAT(host().calls, ElementsAreArray(calls));
    EXPECT_TRUE(!outputUnchanged || host().outputPixels() == before);
    end(p);
  }
}

// Draft renders below 260 rows ask for low quality, and drafts mix no audio.
// (A full render of 6 rows: high quality and the audio mixed, above.)
TEST_F(RenderPassTest, DraftQualityFollowsTheHeightAndDraftsAreSilent) {
  for (const auto& [height, quality] : {std::pair{240, 0}, {259, 0}, {260, 1}}) {
    host_ = std::make_unique<FakeHost>(4, static_cast<short>(height));
    _PluginParams p = begin(1);
    p.proxyOnly = true;
    EXPECT_EQ(call(p, kPlugDoFrame), kPluginOK);
    EXPECT_EQ(host().calls, (Calls{"GetFrame 100 4x" + std::to_string(height) + " q" + std::to_string(quality),
                                   "ReleaseFrame"}));
    end(p);
  }
}

// Fades blend the unprocessed frame over the print at the opacity of the
// frame's place in the fade; the begin step clamps the fades to the clip.
TEST_F(RenderPassTest, FadesBlendTheUnprocessedFrameAndAreClampedToTheClip) {
  _PluginParams p = begin(100, 0, 10);
  for (p.renderFrame = 85; p.renderFrame <= 99; ++p.renderFrame) EXPECT_EQ(call(p, kPlugDoFrame), kPluginOK);
  end(p);
  EXPECT_THAT(host().blitOpacities, ElementsAre(25, 50, 76, 102, 127, 153, 178, 204, 229));
  // Frame, frame count, fade in, fade out, opacity.
  const std::array<int, 5> opacities[] = {{1, 20, 3, 0, 170},         {6, 20, 10, 0, 102}, {-5, 10, 3, 0, 255},
                                          {INT32_MIN, 10, 3, 0, 255}, {-1, 10, 0, 0, -1},  {0, 10, 0, 0, -1},
                                          {3, 20, 3, 0, -1},          {15, 10, 0, 4, 255}, {10, 10, 0, 4, 255},
                                          {INT32_MAX, 10, 0, 4, 255}, {5, 10, -3, 0, -1}};
  for (const auto& [frame, count, in, out, opacity] : opacities)
    EXPECT_EQ(FadeOpacity(frame, count, in, out), opacity) << frame << " of " << count << ", " << in << "/" << out;
  // Fade in, fade out, frame count, the fades kept.
  for (const auto& [in, out, count, keptIn, keptOut] :
       {std::array{30, 40, 50, 25, 25}, {80, 0, 50, 50, 0}, {0, 70, 50, 0, 50}, {0, 0, 50, 0, 0}, {10, 5, 50, 10, 5}}) {
    p = begin(count, in, out);
    EXPECT_EQ((std::array{dataOf(p).fadeInFrames, dataOf(p).fadeOutFrames}), (std::array{keptIn, keptOut}))
        << in << "/" << out;
    end(p);
  }
}

// Without memory for the block or the configuration copy the begin step
// asks the host for nothing more; a failed GetFilterInfo, on a block reused
// from a begun render, leaves no fades or sliders.
TEST_F(RenderPassTest, BeginFailures) {
  // Begun before, the NewPtrClear that fails, GetFilterInfo's answer; the
  // result and the host calls.
  const std::tuple<bool, int, HYPluginResult, HYPluginResult, Calls> cases[] = {
      {false, 0, kPluginOK, kPluginOutOfMemory, {kNewData}},
      {false, 1, kPluginOK, kPluginOutOfMemory, {kNewData, kNewConfig}},
      {true, -1, 17, 17, {"DisposePtr", kNewConfig, "GetFilterInfo"}}};
  for (const auto& [begunBefore, failNewPtrClearAt, filterInfoResult, expected, calls] : cases) {
    _PluginParams p = begunBefore ? begin(20, 5, 6) : host().params(kPlugInitialize);
    host().calls.clear();
    host().failNewPtrClearAt = failNewPtrClearAt;
    host().failures["GetFilterInfo"] = filterInfoResult;
    EXPECT_EQ(call(p, kPlugInitialize), expected);
    EXPECT_THAT(host().calls, ElementsAreArray(calls));
    EXPECT_EQ(p.clientData != nullptr, calls.size() > 1);
    if (begunBefore) {
      EXPECT_EQ((std::array{dataOf(p).fadeInFrames, dataOf(p).fadeOutFrames}), (std::array{0, 0}));
      EXPECT_THAT(dataOf(p).sliderValues, ElementsAre(0.0f, 0.0f, 0.0f));
    }
    end(p);
  }
}

TEST_F(RenderPassTest, BeginReusingClientDataReleasesTheOldCopy) {
  const uint8_t pixels[16] = {255, 1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12};
  gPascalData->theRendered = CGImageCreateWithARGB(2, 2, pixels, 8);
  const long live = CGImageLiveCount();
  _PluginParams p = begin(20);
  EXPECT_EQ(CGImageLiveCount(), live + 1);
  EXPECT_EQ(call(p, kPlugInitialize), kPluginOK);
  EXPECT_EQ(CGImageLiveCount(), live + 1);
  end(p);
  EXPECT_EQ(CGImageLiveCount(), live);
  EXPECT_EQ(std::count(host().calls.begin(), host().calls.end(), "DisposePtr"), 3);
  CGImageRelease(gPascalData->theRendered);
}

}  // namespace
