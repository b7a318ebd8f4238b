#include "tests/plugin/glue/fake_host.h"

#include "platform/memory/memory.h"

FakeHost* FakeHost::current = nullptr;

namespace {

int cookieToken;
void* const kCookie = &cookieToken;

FakeHost& host() { return *FakeHost::current; }

// Logs `entry`, marking a call that came with another instance or cookie,
// and answers the failure injected for the callback it names.
HYPluginResult record(std::string entry, void* instance = FakeHost::current, void* cookie = kCookie) {
  const auto failure = host().failures.find(entry.substr(0, entry.find(' ')));
  if (instance != FakeHost::current) entry += " (wrong instance)";
  if (cookie != kCookie) entry += " (wrong cookie)";
  host().calls.push_back(std::move(entry));
  return failure == host().failures.end() ? HYPluginResult{kPluginOK} : failure->second;
}

std::string rectText(const Rect* r) {
  return std::to_string(r->left) + "," + std::to_string(r->top) + "," + std::to_string(r->right) + "," +
         std::to_string(r->bottom);
}

}  // namespace

void PaintTestFrame(GrafPtr frame, int32_t seed) {
  Rect b{};
  GetPortBounds(frame, &b);
  for (int y = 0; y < b.bottom; ++y)
    for (int x = 0; x < b.right; ++x)
      *PixelAt(frame, x, y) =
          pixRec{0xFF, uint8_t(x * 255 / b.right), uint8_t(y * 255 / b.bottom), uint8_t(seed * 53 + 20)};
}

FakeHost::FakeHost(short width, short height) : source(MakeWorld(width, height)), output(MakeWorld(width, height)) {
  FillRandom(output.get(), 7);
  current = this;
  procs.NewPtrClear = [](Size size) {
    record("NewPtrClear " + std::to_string(size));
    return host().failNewPtrClearAt >= 0 && host().failNewPtrClearAt-- == 0 ? nullptr : NewPtrClear(size);
  };
  procs.DisposePtr = [](Ptr block) {
    record(block != nullptr ? "DisposePtr" : "DisposePtr null");
    DisposePtr(block);
  };
  procs.GetFrame = [](void* instance, int32_t index, GWorldPtr* frame, int16_t width, int16_t height,
                      HYRefDVQuality quality, int16_t* volume, void** cookie) {
    const HYPluginResult result = record("GetFrame " + std::to_string(index) + " " + std::to_string(width) + "x" +
                                             std::to_string(height) + " q" + std::to_string(quality),
                                         instance);
    // "GetFrame buffer" among the failures: OK is answered without a frame.
    const bool delivered = result == kPluginOK && !host().failures.count("GetFrame buffer");
    if (delivered) PaintTestFrame(host().source.get(), index);
    *frame = delivered ? host().source.get() : nullptr;
    *volume = 256;
    *cookie = kCookie;
    return result;
  };
  procs.ReleaseFrame = [](void* instance, void* cookie) {
    FillRandom(host().source.get(), 1);  // the released frame's pixels are no longer the frame's
    return record("ReleaseFrame", instance, cookie);
  };
  procs.GetFilterInfo = [](void* instance, HYPluginFilterInfo** info) {
    const HYPluginResult result = record("GetFilterInfo", instance);
    *info = result == kPluginOK ? &host().filterInfo : nullptr;
    return result;
  };
  procs.ReleaseFilterInfo = [](void* instance, HYPluginFilterInfo* info) {
    return record(info == &host().filterInfo ? "ReleaseFilterInfo" : "ReleaseFilterInfo (wrong info)", instance);
  };
  procs.Blit = [](PixMapHandle src, PixMapHandle dst, const Rect* srcRect, const Rect* dstRect, int16_t opacity) {
    std::string entry = "Blit " + rectText(srcRect) + " " + rectText(dstRect);
    if (dst != GetGWorldPixMap(host().output.get())) entry += " (not onto the output)";
    if (src == GetGWorldPixMap(host().output.get()) || src == GetGWorldPixMap(host().source.get()))
      entry += " (not a copy)";
    host().blitOpacities.push_back(opacity);
    return record(entry);
  };
  procs.MixAudio = [](void* instance, void* cookie, int16_t volume) {
    return record("MixAudio " + std::to_string(volume), instance, cookie);
  };
}

_PluginParams FakeHost::params(HYPluginSelector selector) {
  _PluginParams p{};
  p.interfaceVersion = 4;
  p.instance = this;
  p.selector = selector;
  p.procs = &procs;
  p.frame = output.get();
  GetPortBounds(output.get(), &p.frameRect);
  p.frameCount = 1;
  return p;
}

std::vector<uint8_t> FakeHost::outputPixels() const {
  Rect bounds{};
  GetPortBounds(output.get(), &bounds);
  const auto* base = reinterpret_cast<const uint8_t*>(PixelAt(output.get(), 0, 0));
  return {base, base + GetPixRowBytes(GetGWorldPixMap(output.get())) * (bounds.bottom - bounds.top)};
}
