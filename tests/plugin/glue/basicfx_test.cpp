// The entry dispatcher and the selectors that do not render a clip.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "platform/bundles/cfbundle.h"
#include "platform/memory/memory.h"
#include "plugin/core/globals.h"
#include "tests/plugin/glue/fake_host.h"

using ::testing::ElementsAre;

namespace {

using BasicFxTest = HostTest;

TEST_F(BasicFxTest, MissingBlockOldInterfaceAndTheFirstCall) {
  EXPECT_EQ(EffectMain(0, nullptr), kPluginBadParams);
  pluginDataPtr master = gPascalData;
  gPascalData = nullptr;
  _PluginParams p = host().params(kPlugGetInfo);
  p.interfaceVersion = 3;
  EXPECT_EQ(call(p, kPlugGetInfo), kPluginAppIsTooOld);
  EXPECT_EQ(gPascalData, nullptr);
  EXPECT_EQ(p.getInfo.pluginType, 0);
  // The first call of a current host makes the master record, once, and
  // leaves the stored defaults in the preferences file.
  p = host().params(kPlugDrawIcon);
  EXPECT_EQ(call(p, kPlugDrawIcon), kPluginOK);
  ASSERT_NE(gPascalData, nullptr);
  pluginDataPtr made = gPascalData;
  EXPECT_EQ(call(p, kPlugDrawIcon), kPluginOK);
  EXPECT_EQ(gPascalData, made);
  EXPECT_THAT(host().calls, ElementsAre(kNewConfig));
  EXPECT_EQ(made->sliders[1], 17);
  EXPECT_TRUE(std::filesystem::exists(prefs_ / "zelph-Prefs"));
  DisposePtr(reinterpret_cast<Ptr>(made));
  gPascalData = master;
}

TEST_F(BasicFxTest, SelectorsWithoutHandlerChangeNothing) {
  for (HYPluginSelector selector : {0, 3, 4, 7, 10, 200}) {
    _PluginParams p = host().params(selector);
    const _PluginParams before = p;
    EXPECT_EQ(call(p, selector), kPluginOK);
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << int{selector};
  }
  EXPECT_TRUE(host().calls.empty());
}

TEST_F(BasicFxTest, GetInfoDescribesTheEffect) {
  // The texts come from the built bundle's string lists. The bundle and its
  // resource map stay open for the process, as the plug-in keeps using them.
  static CFBundleRef bundle =
      CFBundleCreate(nullptr, CFOwner<CFURLRef>(platformCreateURLForPath(VELMORANCE_BUNDLE_DIR, true)).get());
  ASSERT_NE(bundle, nullptr);
  ASSERT_NE(CFBundleOpenBundleResourceMap(bundle), -1);
  _PluginParams p = host().params(kPlugGetInfo);
  p.getInfo.pluginFlags = 0x40000001;
  p.getInfo.minSpeedFrames = p.getInfo.maxSpeedFrames = 9;
  p.getInfo.mustTakeFromSingleClips = true;
  p.getInfo.takeFromClipBefore = 4;
  p.getInfo2.selectedFrames = 77;
  EXPECT_EQ(call(p, kPlugGetInfo), kPluginOK);
  EXPECT_TRUE(host().calls.empty());
  // Flags, type, frames, clip takes, speeds and memory.
  EXPECT_EQ(
      (std::vector<long>{p.getInfo.pluginFlags, p.getInfo.pluginType, p.getInfo.framesToBeRendered,
                         p.getInfo.takeFromClipAfter, p.getInfo.takeFromClipBefore, p.getInfo.minSpeedFrames,
                         p.getInfo.maxSpeedFrames, p.getInfo2.baseMemoryNeeded, p.getInfo.mustTakeFromSingleClips}),
      (std::vector<long>{0x40000001 | 0x1380, kPluginFilterType, 77, 77, 0, 0, 0, 50000, false}));
  // Each slider's label and end labels, the button title, the group, in Mac
  // OS Roman (\xC9 is an ellipsis).
  std::vector<std::string> texts;
  for (const HYPluginFilterSliderInfo& slider : p.getInfo2.filterSliders) {
    EXPECT_EQ(slider.defaultValue, 0.5f);
    texts.insert(texts.end(), {slider.label, slider.minLabel, slider.maxLabel});
  }
  texts.insert(texts.end(), {p.getInfo3.buttonTitle, p.getInfo2.group});
  EXPECT_EQ(texts, (std::vector<std::string>{"Unused slider 1 (use Settings\xC9)", "no effect", "no effect",
                                             "Unused slider 2 (use Settings\xC9)", "no effect", "no effect",
                                             "Unused slider 3 (use Settings\xC9)", "no effect", "no effect",
                                             "Velmorance Settings\xC9", "Oxbow FX"}));
}

// Rendered on a private copy of the block, at the best thumbnail frame; a
// failed begin step renders nothing and releases what it attached.
TEST_F(BasicFxTest, PlaceholderRendersOnAPrivateCopy) {
  EffectData hostsOwn{};
  _PluginParams p = host().params(kPlugFilePlaceHolder);
  p.clientData = &hostsOwn;
  p.startFrame = 30;
  p.renderFrame = 2;
  p.frameCount = 20;
  p.getInfo.bestThumbOffset = 6;
  const auto before = host().outputPixels();
  EXPECT_EQ(call(p, kPlugFilePlaceHolder), kPluginOK);
  EXPECT_EQ(p.clientData, &hostsOwn);
  EXPECT_EQ((std::array{p.renderFrame, int32_t{p.selector}}), (std::array<int32_t, 2>{2, kPlugFilePlaceHolder}));
  EXPECT_NE(host().outputPixels(), before);
  EXPECT_THAT(host().calls,
              ElementsAre(kNewData, kNewConfig, "GetFilterInfo", "ReleaseFilterInfo", "GetFrame 36 8x6 q1",
                          "MixAudio 256", "ReleaseFrame", "DisposePtr", "DisposePtr"));
  host().calls.clear();
  host().failures["GetFilterInfo"] = 17;
  p = host().params(kPlugFilePlaceHolder);
  EXPECT_EQ(call(p, kPlugFilePlaceHolder), 17);
  EXPECT_EQ(p.clientData, nullptr);
  EXPECT_THAT(host().calls, ElementsAre(kNewData, kNewConfig, "GetFilterInfo", "DisposePtr", "DisposePtr"));
}

TEST_F(BasicFxTest, CustomButtonAsksForTheFrameOfTheLastRenderedClip) {
  // Where the last frame step's clip starts, as each frame step keeps it.
  gMostRecentStartFrame = 40;
  // Without a frame the dialog cannot open: the button reports it and still
  // gives the frame back. (The dialog itself is tested on real windows.)
  host().failures["GetFrame"] = kPluginFailed;
  for (const auto& [mediaType, size] : {std::pair{1, "720x480"}, {2, "720x576"}, {3, "960x540"}, {7, "720x480"}}) {
    host().calls.clear();
    gPascalData->mediaType = static_cast<int16_t>(mediaType);
    _PluginParams p = host().params(kPlugCustomButtonClick);
    p.renderFrame = 3;
    EXPECT_EQ(call(p, kPlugCustomButtonClick), kPluginOK);
    EXPECT_THAT(host().calls, ElementsAre(std::string("GetFrame 43 ") + size + " q1", "ReleaseFrame"));
  }
  // A frame past the 32-bit range is never asked for, nor is an OK without
  // a frame taken for one.
  host().failures = {{"GetFrame buffer", kPluginOK}};
  for (const auto& [renderFrame, calls] :
       {std::pair{INT32_MAX, std::vector<std::string>{}}, {3, {"GetFrame 43 720x480 q1", "ReleaseFrame"}}}) {
    host().calls.clear();
    _PluginParams p = host().params(kPlugCustomButtonClick);
    p.renderFrame = renderFrame;
    EXPECT_EQ(call(p, kPlugCustomButtonClick), kPluginOK);
    EXPECT_THAT(host().calls, testing::ElementsAreArray(calls));
  }
}

}  // namespace
