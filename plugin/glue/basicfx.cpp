#include "plugin/glue/basicfx.h"

#include <string>

#include "plugin/common/alerts.h"
#include "plugin/common/string_conversions.h"
#include "plugin/core/bridges/plugin_init.h"
#include "plugin/core/data_handling.h"
#include "plugin/core/bridges/pascal_fx.h"
#include "plugin/glue/bundle_strings.h"
#include "plugin/glue/host_state.h"
#include "plugin/glue/render_pass.h"
#include "platform/quickdraw/quickdraw_owners.h"

namespace {

constexpr short kSliderLabelList = 128;
constexpr short kSliderEndLabelList = 129;
constexpr short kButtonTitleList = 130;
constexpr short kGroupNameList = 17000;
constexpr int kSliderCount = 3;
constexpr float kSliderDefault = 0.5f;

struct FrameSize {
  int16_t width;
  int16_t height;
};

FrameSize DialogFrameSize(int16_t mediaFormat) {
  switch (mediaFormat) {
    case 2: return {720, 576};
    case 3: return {960, 540};
    default: return {720, 480};
  }
}

}  // namespace

int32_t EffectMain(int32_t which, _PluginParams* params) {
  if (params == nullptr || params->procs == nullptr) return kPluginBadParams;
  if (params->interfaceVersion <= 3) return kPluginAppIsTooOld;
  if (!gPascalInited) {
    InitPascal();
    gPascalInited = true;
  }
  if (gPascalData == nullptr) {
    uint32_t size = 0;
    pGetConfigSize(size);
    gPascalData = reinterpret_cast<pluginDataPtr>(params->procs->NewPtrClear(static_cast<Size>(size)));
    InitMyPlugIn(&gPascalData);
  }
  const int16_t selector = static_cast<int16_t>(which);
  switch (params->selector) {
    case kPlugGetInfo: return EffectGetInfos(selector, params);
    case kPlugInitialize: return EffectBegins(selector, params);
    case kPlugFilePlaceHolder: return MakeEffectPlaceHolders(selector, params);
    case kPlugDoFrame: return EffectDrives(selector, params);
    case kPlugTerminate: return EffectEnds(selector, params);
    case kPlugCustomButtonClick: return CustomButtons(selector, params);
    default: return kPluginOK;
  }
}

HYPluginResult EffectGetInfos(int16_t which, _PluginParams* params) {
  HYPluginGetInfo& info = params->getInfo;
  info.pluginType = kPluginFilterType;
  info.framesToBeRendered = 0;
  info.takeFromClipBefore = 0;
  info.takeFromClipAfter = 0;
  info.minSpeedFrames = 0;
  info.maxSpeedFrames = 0;
  info.mustTakeFromSingleClips = false;
  info.pluginFlags |= 0x380;
  params->getInfo2.baseMemoryNeeded = 50000;
  SetFilterParamInfos(which, params);
  return kPluginOK;
}

void SetFilterParamInfos(int16_t, _PluginParams* params) {
  HYPluginGetInfo& info = params->getInfo;
  HY2PluginGetInfo& info2 = params->getInfo2;
  info.takeFromClipBefore = 0;
  info.takeFromClipAfter = info2.selectedFrames;
  info.framesToBeRendered = info2.selectedFrames;
  for (int idx = 0; idx < kSliderCount; ++idx) {
    HYPluginFilterSliderInfo& slider = info2.filterSliders[idx];
    slider.defaultValue = kSliderDefault;
    CopyBundleString(kSliderLabelList, static_cast<short>(idx + 1), slider.label, sizeof slider.label);
    CopyBundleString(kSliderEndLabelList, static_cast<short>(2 * idx + 1), slider.minLabel, sizeof slider.minLabel);
    CopyBundleString(kSliderEndLabelList, static_cast<short>(2 * idx + 2), slider.maxLabel, sizeof slider.maxLabel);
  }
  info.pluginFlags |= 0x1000;
  CopyBundleString(kButtonTitleList, 1, params->getInfo3.buttonTitle, sizeof params->getInfo3.buttonTitle);
  CopyBundleString(kGroupNameList, 1, info2.group, sizeof info2.group);
}

HYPluginResult MakeEffectPlaceHolders(int16_t which, _PluginParams* params) {
  PortSaver savedPort;
  SetGWorld(params->frame, nullptr);
  _PluginParams newParams = *params;
  // The private render attaches and releases its own client data.
  newParams.clientData = nullptr;
  newParams.renderFrame = newParams.getInfo.bestThumbOffset;
  newParams.selector = kPlugInitialize;
  const HYPluginResult result = EffectBegins(which, &newParams);
  if (result == kPluginOK) {
    newParams.selector = kPlugDoFrame;
    (void)EffectDrives(which, &newParams);
  }
  // A begin step that failed after attaching its data is ended too, so
  // nothing it made is left behind.
  if (result == kPluginOK || newParams.clientData != nullptr) {
    newParams.selector = kPlugTerminate;
    (void)EffectEnds(which, &newParams);
  }
  return result;
}

HYPluginResult CustomButtons(int16_t, _PluginParams* params) {
  // The sum is taken in 64 bits: a frame past the 32-bit range is one the
  // host cannot deliver.
  const int64_t frame = int64_t{params->renderFrame} + gMostRecentStartFrame;
  const bool frameInRange = frame >= INT32_MIN && frame <= INT32_MAX;
  const FrameSize size = DialogFrameSize(GetMediaFormat(gPascalData));
  GWorldPtr theGW = nullptr;
  int16_t volume = 0;
  void* cookie = nullptr;
  HYPluginResult result = kPluginFailed;
  if (frameInRange)
    result = params->procs->GetFrame(params->instance, static_cast<int32_t>(frame), &theGW, size.width, size.height,
                                     kDVHighQuality, &volume, &cookie);
  if (result == kPluginOK && theGW != nullptr) {
    ConfigurePlugIn(gPascalData, theGW, params, static_cast<int32_t>(frame), gMostRecentFrameCount);
  } else {
    // The dialog needs a frame to work on; say why it does not open.
    std::string description = "The host could not deliver frame " + std::to_string(frame);
    description += " of the clip, so the settings cannot be shown.";
    StandardStop("Cannot open the settings", description);
  }
  if (frameInRange) params->procs->ReleaseFrame(params->instance, cookie);
  return kPluginOK;
}
