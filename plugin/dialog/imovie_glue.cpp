#include "plugin/dialog/imovie_glue.h"

#include "plugin/render/offscreen_buffers.h"

HYRefDVQuality FrameFetchQuality(const _PluginParams& params, int16_t height) {
  return (params.proxyOnly && height < 260) ? kDVLowQuality : kDVHighQuality;
}

int16_t GetFrameIntoGW(GrafPtr theGW, _PluginParams* params, int32_t frameIndex, int16_t disposeAfterUse) {
  if (theGW == nullptr || params == nullptr || params->procs == nullptr) return -1;
  const Rect frameRect = CarbonGetPortBounds(theGW);
  const int16_t width = static_cast<int16_t>(frameRect.right - frameRect.left);
  const int16_t height = static_cast<int16_t>(frameRect.bottom - frameRect.top);
  // Summed in 64 bits so a start frame near the limit cannot wrap around.
  const int64_t absolute = int64_t{frameIndex} + params->startFrame;
  if (absolute < 0 || absolute > INT32_MAX) return -1;

  GWorldPtr theClip = nullptr;
  int16_t volume = 0;
  void* frameCookie = nullptr;
  int16_t result = params->procs->GetFrame(params->instance, static_cast<int32_t>(absolute), &theClip, width, height,
                                           FrameFetchQuality(*params, height), &volume, &frameCookie);
  if (theClip == nullptr) return result;
  {
    PixMapHandle clipPixels = GetGWorldPixMap(theClip);
    const GWorldFlags clipState = GetPixelsState(clipPixels);
    LockPixels(clipPixels);
    const Rect tempRect = CarbonGetPortBounds(theClip);
    CopyBits(GetPortBitMapForCopyBits(theClip), GetPortBitMapForCopyBits(theGW), &tempRect, &frameRect, srcCopy,
             nullptr);
    SetPixelsState(clipPixels, clipState);
  }
  result = params->procs->ReleaseFrame(params->instance, frameCookie);
  // The delivered buffer stays the host's: it goes with ReleaseFrame, so it is
  // never disposed of here (disposing of it too would free it twice).
  (void)disposeAfterUse;
  return result;
}
