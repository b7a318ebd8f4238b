// A small filter plug-in for testing the host: it inverts red, green and
// blue, blends the unprocessed frame back during fades with the opacities of
// the real effect, mixes audio unless drafting, and fails on request:
// FAKE_FAIL_FRAME=N makes kPlugDoFrame return kPluginFailed for render frame N.
// FAKE_SIGNAL=S FAKE_SIGNAL_AT=WHEN sends the process signal S (a number),
// as a user or the system would, WHEN it is at: "info" (describing itself),
// "placeholder" (the thumbnail) or N (render frame N); "N+hang" then never
// returns, as a plug-in stuck in a loop.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/quickdraw/quickdraw.h"
#include "velmorance/host_interface.h"

extern "C++" int32_t FakeMain(int32_t, _PluginParams*) __asm__("main") __attribute__((visibility("default")));

namespace {

void signalAt(const char* when) {
  const char *signal = std::getenv("FAKE_SIGNAL"), *at = std::getenv("FAKE_SIGNAL_AT");
  const std::string where = at == nullptr ? "" : at;
  if (signal == nullptr || where.substr(0, where.find('+')) != when) return;
  std::raise(std::atoi(signal));
  while (where.ends_with("+hang")) pause();
}

HYPluginResult getInfo(_PluginParams* p) {
  signalAt("info");
  p->getInfo.pluginType = kPluginFilterType;
  p->getInfo.pluginFlags |= 0x1380;
  p->getInfo.framesToBeRendered = p->getInfo2.selectedFrames;
  p->getInfo2.baseMemoryNeeded = 1234;
  std::snprintf(p->getInfo2.group, sizeof p->getInfo2.group, "Fake effects");
  HYPluginFilterSliderInfo& s = p->getInfo2.filterSliders[0];
  std::snprintf(s.label, sizeof s.label, "Amount");
  std::snprintf(s.minLabel, sizeof s.minLabel, "low");
  std::snprintf(s.maxLabel, sizeof s.maxLabel, "high");
  s.defaultValue = 0.5f;
  std::snprintf(p->getInfo3.buttonTitle, sizeof p->getInfo3.buttonTitle, "Set up");
  return kPluginOK;
}

HYPluginResult begin(_PluginParams* p) {
  // The fades, kept for the frames.
  auto* data = reinterpret_cast<HYPluginFilterInfo*>(p->procs->NewPtrClear(sizeof(HYPluginFilterInfo)));
  if (data == nullptr) return kPluginOutOfMemory;
  p->clientData = data;
  HYPluginFilterInfo* info = nullptr;
  const HYPluginResult result = p->procs->GetFilterInfo(p->instance, &info);
  if (info != nullptr) {
    *data = *info;
    p->procs->ReleaseFilterInfo(p->instance, info);
  }
  return result;
}

HYPluginResult end(_PluginParams* p) {
  if (p->clientData != nullptr) p->procs->DisposePtr(static_cast<Ptr>(p->clientData));
  p->clientData = nullptr;
  return kPluginOK;
}

HYPluginResult drive(_PluginParams* p) {
  auto* data = static_cast<HYPluginFilterInfo*>(p->clientData);
  if (data == nullptr) return kPluginBadParams;
  if (const char* failAt = std::getenv("FAKE_FAIL_FRAME"); failAt && std::atoi(failAt) == p->renderFrame)
    return kPluginFailed;
  signalAt(std::to_string(p->renderFrame).c_str());
  const Rect& r = p->frameRect;
  const int16_t width = r.right - r.left, height = r.bottom - r.top;
  const HYRefDVQuality quality = (p->proxyOnly && height <= 259) ? kDVLowQuality : kDVHighQuality;
  GWorldPtr source = nullptr;
  int16_t volume = 0;
  void* cookie = nullptr;
  HYPluginResult result =
      p->procs->GetFrame(p->instance, p->startFrame + p->renderFrame, &source, width, height, quality, &volume, &cookie);
  if (result == kPluginOK) {
    const PixMap &in = source->portPixMap, &out = p->frame->portPixMap;
    for (int y = 0; y < height; ++y) {
      const uint8_t* s = reinterpret_cast<const uint8_t*>(in.baseAddr) + y * in.rowBytes;
      uint8_t* d = reinterpret_cast<uint8_t*>(out.baseAddr) + (y + r.top) * out.rowBytes + r.left * 4;
      for (int x = 0; x < width * 4; x += 4) {
        d[x] = s[x];
        for (int c = 1; c < 4; ++c) d[x + c] = static_cast<uint8_t>(255 - s[x + c]);
      }
    }
    const int32_t f = p->renderFrame, n = p->frameCount;
    const int32_t fadeIn = data->fadeInFrames, fadeOut = data->fadeOutFrames;
    if (f < fadeIn || (fadeOut != 0 && f > n - fadeOut)) {
      const double percent = f < fadeIn ? double(f) / fadeIn : double(n - f) / fadeOut;
      const auto opacity = static_cast<int16_t>(255 * (1 - percent));
      const Rect srcRect{0, 0, height, width};
      result = p->procs->Blit(&source->pixMapMaster, &p->frame->pixMapMaster, &srcRect, &r, opacity);
    }
    if (result == kPluginOK && !p->proxyOnly) result = p->procs->MixAudio(p->instance, cookie, 256);
  }
  const HYPluginResult released = p->procs->ReleaseFrame(p->instance, cookie);
  return result == kPluginOK ? released : result;
}

HYPluginResult placeholder(_PluginParams* p) {
  signalAt("placeholder");
  _PluginParams copy = *p;
  copy.clientData = nullptr;
  copy.renderFrame = copy.getInfo.bestThumbOffset;
  const HYPluginResult result = begin(&copy);
  if (result == kPluginOK) {
    drive(&copy);
    end(&copy);
  }
  return result;
}

}  // namespace

int32_t FakeMain(int32_t, _PluginParams* p) {
  if (p == nullptr) return kPluginBadParams;
  if (p->interfaceVersion <= 3) return kPluginAppIsTooOld;
  switch (p->selector) {
    case kPlugGetInfo: return getInfo(p);
    case kPlugInitialize: return begin(p);
    case kPlugDoFrame: return drive(p);
    case kPlugTerminate: return end(p);
    case kPlugFilePlaceHolder: return placeholder(p);
    default: return kPluginOK;
  }
}
