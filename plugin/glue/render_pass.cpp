#include "plugin/glue/render_pass.h"

#include <algorithm>

#include "platform/memory/memory.h"
#include "plugin/core/data_handling.h"
#include "plugin/core/bridges/pascal_fx.h"
#include "plugin/glue/host_state.h"
#include "plugin/render/float_to_int.h"
#include "platform/quickdraw/quickdraw_owners.h"

namespace {

EffectData* dataOf(const _PluginParams* params) { return static_cast<EffectData*>(params->clientData); }

Rect movedToOrigin(Rect r) {
  OffsetRect(&r, static_cast<short>(-r.left), static_cast<short>(-r.top));
  return r;
}

// Fades never overlap: when both are set each may take at most half the clip.
void clampFades(EffectData& data, int32_t frameCount) {
  if (data.fadeInFrames != 0 && data.fadeOutFrames != 0) {
    data.fadeInFrames = std::min(data.fadeInFrames, frameCount / 2);
    data.fadeOutFrames = std::min(data.fadeOutFrames, frameCount / 2);
  } else if (data.fadeInFrames != 0) {
    data.fadeInFrames = std::min(data.fadeInFrames, frameCount);
  } else if (data.fadeOutFrames != 0) {
    data.fadeOutFrames = std::min(data.fadeOutFrames, frameCount);
  }
}

void releaseConfigCopy(_PluginParams* params, EffectData& data) {
  if (data.pascalData == nullptr) return;
  pUncopyConfig(data.pascalData);
  params->procs->DisposePtr(reinterpret_cast<Ptr>(data.pascalData));
  data.pascalData = nullptr;
}

}  // namespace

int16_t FadeOpacity(int32_t renderFrame, int32_t frameCount, int32_t fadeInFrames, int32_t fadeOutFrames) {
  double percent;
  if (fadeInFrames > 0 && renderFrame < fadeInFrames)
    percent = double(renderFrame) / fadeInFrames;
  else if (fadeOutFrames > 0 && renderFrame > int64_t{frameCount} - fadeOutFrames)
    percent = (double(frameCount) - renderFrame) / fadeOutFrames;
  else
    return -1;
  // Frames before the clip or past its end are covered fully by the
  // unprocessed frame rather than getting an opacity out of range.
  return static_cast<int16_t>(std::clamp(TruncToInt32(255.0 * (1.0 - percent)), 0, 255));
}

HYPluginResult EffectBegins(int16_t, _PluginParams* params) {
  HYProcs* procs = params->procs;
  if (params->clientData == nullptr) {
    params->clientData = procs->NewPtrClear(sizeof(EffectData));
    if (params->clientData == nullptr) return kPluginOutOfMemory;
  }
  EffectData& data = *dataOf(params);
  // A reused record may still hold the copy of an earlier render.
  releaseConfigCopy(params, data);

  uint32_t configSize = 0;
  pGetConfigSize(configSize);
  data.pascalData = reinterpret_cast<pluginDataPtr>(procs->NewPtrClear(static_cast<Size>(configSize)));
  if (data.pascalData == nullptr) return kPluginOutOfMemory;
  pCopyConfig(gPascalData, data.pascalData);
  data.effectSourceCount = 1;

  HYPluginFilterInfo* filterInfo = nullptr;
  const HYPluginResult result = procs->GetFilterInfo(params->instance, &filterInfo);
  if (filterInfo != nullptr) {
    data.fadeInFrames = filterInfo->fadeInFrames;
    data.fadeOutFrames = filterInfo->fadeOutFrames;
    std::copy(filterInfo->sliderValues, filterInfo->sliderValues + 3, data.sliderValues);
    procs->ReleaseFilterInfo(params->instance, filterInfo);
  } else {
    data.fadeInFrames = data.fadeOutFrames = 0;
    std::fill(data.sliderValues, data.sliderValues + 3, 0.0f);
  }
  clampFades(data, params->frameCount);
  data.effectGWorld = nullptr;
  return result;
}

HYPluginResult EffectDrives(int16_t, _PluginParams* params) {
  EffectData* data = dataOf(params);
  if (data == nullptr) return kPluginBadParams;
  HYProcs* procs = params->procs;
  PortSaver savedPort;
  SetGWorld(params->frame, nullptr);

  const Rect& frameRect = params->frameRect;
  const int16_t width = static_cast<int16_t>(frameRect.right - frameRect.left);
  const int16_t height = static_cast<int16_t>(frameRect.bottom - frameRect.top);
  const int64_t frame = int64_t{params->startFrame} + params->renderFrame;
  gMostRecentStartFrame = params->startFrame;
  gMostRecentFrameCount = params->frameCount;
  if (frame < 0 || frame > INT32_MAX) return kPluginOK;

  const HYRefDVQuality quality = params->proxyOnly && height <= 259 ? kDVLowQuality : kDVHighQuality;
  GWorldPtr gWorldBefore = nullptr;
  int16_t volume = 0;
  void* cookie = nullptr;
  HYPluginResult result = procs->GetFrame(params->instance, static_cast<int32_t>(frame), &gWorldBefore, width,
                                          height, quality, &volume, &cookie);
  // A host that answers OK without a frame has not delivered one.
  if (result == kPluginOK && gWorldBefore == nullptr) result = kPluginFailed;
  GWorldPtr gWorldOriginal = nullptr;
  bool fadeCopyFailed = false;
  if (result == kPluginOK) {
    const Rect srcRect = movedToOrigin(frameRect);
    const int16_t opacity =
        FadeOpacity(params->renderFrame, params->frameCount, data->fadeInFrames, data->fadeOutFrames);
    if (opacity >= 0) {
      const QDErr status = NewGWorld(&gWorldOriginal, 32, &srcRect, nullptr, nullptr, 0);
      if (status != noErr || gWorldOriginal == nullptr) {
        fadeCopyFailed = true;
      } else {
        PixMapLock lock(GetGWorldPixMap(gWorldOriginal));
        CopyBits(GetPortBitMapForCopyBits(gWorldBefore), GetPortBitMapForCopyBits(gWorldOriginal), &srcRect,
                 &srcRect, srcCopy, nullptr);
      }
    }
    if (!fadeCopyFailed) {
      result = ApplyEffect(gWorldBefore, params);
      // Blend only over a frame the effect really produced, so a failed
      // effect is reported rather than hidden behind the blend's result.
      if (gWorldOriginal != nullptr && result == kPluginOK) {
        Rect beforeRect{};
        GetPortBounds(gWorldBefore, &beforeRect);
        PixMapLock lockOriginal(GetGWorldPixMap(gWorldOriginal));
        PixMapLock lockFrame(GetGWorldPixMap(params->frame));
        result = procs->Blit(GetGWorldPixMap(gWorldOriginal), GetGWorldPixMap(params->frame), &beforeRect,
                             &frameRect, opacity);
      }
      if (result == kPluginOK && !params->proxyOnly) result = procs->MixAudio(params->instance, cookie, 256);
    }
  }
  const HYPluginResult released = procs->ReleaseFrame(params->instance, cookie);
  if (result == kPluginOK) result = released;
  DisposeGWorld(gWorldOriginal);
  if (result == kPluginOK && fadeCopyFailed) result = kPluginFailed;
  return result;
}

HYPluginResult ApplyEffect(GWorldPtr sourceFrame, _PluginParams* params) {
  EffectData* data = dataOf(params);
  Rect srcRect{};
  GetPortBounds(sourceFrame, &srcRect);
  srcRect = movedToOrigin(srcRect);
  PixelsStateRestorer sourceState(GetGWorldPixMap(sourceFrame));
  LockPixels(GetGWorldPixMap(sourceFrame));

  const QDErr status = NewGWorld(&data->effectGWorld, 32, &srcRect, nullptr, nullptr, 0);
  if (status == noErr && data->effectGWorld != nullptr) {
    PixelsStateRestorer workState(GetGWorldPixMap(data->effectGWorld));
    LockPixels(GetGWorldPixMap(data->effectGWorld));
    CopyBits(GetPortBitMapForCopyBits(sourceFrame), GetPortBitMapForCopyBits(data->effectGWorld), &srcRect, &srcRect,
             srcCopy, nullptr);
    ApplyLineArtEffect(sourceFrame, data->effectGWorld, params);
    PixelsStateRestorer frameState(GetGWorldPixMap(params->frame));
    LockPixels(GetGWorldPixMap(params->frame));
    CopyBits(GetPortBitMapForCopyBits(data->effectGWorld), GetPortBitMapForCopyBits(params->frame), &srcRect,
             &params->frameRect, srcCopy, nullptr);
  }
  DisposeGWorld(data->effectGWorld);
  data->effectGWorld = nullptr;
  if (status == noErr) return kPluginOK;
  return status == memFullErr ? kPluginOutOfMemory : kPluginFailed;
}

void ApplyLineArtEffect(GWorldPtr sourceFrame, GWorldPtr targetFrame, _PluginParams* params) {
  const EffectData* data = dataOf(params);
  PortSaver savedPort;
  SetGWorld(targetFrame, nullptr);
  int16_t opacity = 0;
  DoEffect(data->pascalData, params, sourceFrame, targetFrame, params->renderFrame, data->fadeInFrames,
           data->fadeOutFrames, params->frameCount, data->sliderValues[0], data->sliderValues[1],
           data->sliderValues[2], opacity);
}

HYPluginResult EffectEnds(int16_t, _PluginParams* params) {
  EffectData* data = dataOf(params);
  if (data == nullptr) return kPluginOK;
  DisposeGWorld(data->effectGWorld);
  data->effectGWorld = nullptr;
  releaseConfigCopy(params, *data);
  params->procs->DisposePtr(static_cast<Ptr>(params->clientData));
  params->clientData = nullptr;
  return kPluginOK;
}
