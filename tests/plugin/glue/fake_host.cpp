#include "tests/plugin/glue/fake_host.h"

#include <cstring>

#include "platform/memory/memory.h"

FakeHost* FakeHost::current = nullptr;

namespace {

int cookieToken;
void* const kCookie = &cookieToken;

FakeHost& host() { return *FakeHost::current; }

// Logs `entry`, marking a call that came with another instance or cookie.
void log(std::string entry, void* instance = FakeHost::current, void* cookie = kCookie) {
  if (instance != FakeHost::current) entry += " (wrong instance)";
  if (cookie != kCookie) entry += " (wrong cookie)";
  host().calls.push_back(std::move(entry));
}

HYPluginResult resultOf(const char* name) {
  auto it = host().failures.find(name);
  return it == host().failures.end() ? HYPluginResult{kPluginOK} : it->second;
}

Ptr newPtrClear(Size size) {
  log("NewPtrClear " + std::to_string(size));
  if (host().failNewPtrClearAt >= 0 && host().failNewPtrClearAt-- == 0) return nullptr;
  return NewPtrClear(size);
}

void disposePtr(Ptr block) {
  log(block != nullptr ? "DisposePtr" : "DisposePtr null");
  DisposePtr(block);
}

HYPluginResult getFrame(void* instance, int32_t index, GWorldPtr* frame, int16_t width, int16_t height,
                        HYRefDVQuality quality, int16_t* volume, void** cookie) {
  log("GetFrame " + std::to_string(index) + " " + std::to_string(width) + "x" + std::to_string(height) + " q" +
          std::to_string(quality),
      instance);
  const HYPluginResult result = resultOf("GetFrame");
  *frame = result == kPluginOK ? host().source : nullptr;
  *volume = 256;
  *cookie = kCookie;
  return result;
}

HYPluginResult releaseFrame(void* instance, void* cookie) {
  log("ReleaseFrame", instance, cookie);
  return resultOf("ReleaseFrame");
}

HYPluginResult getFilterInfo(void* instance, HYPluginFilterInfo** info) {
  log("GetFilterInfo", instance);
  *info = host().deliverFilterInfo ? &host().filterInfo : nullptr;
  return resultOf("GetFilterInfo");
}

HYPluginResult releaseFilterInfo(void* instance, HYPluginFilterInfo* info) {
  log(info == &host().filterInfo ? "ReleaseFilterInfo" : "ReleaseFilterInfo (wrong info)", instance);
  return resultOf("ReleaseFilterInfo");
}

std::string rectText(const Rect* r) {
  return std::to_string(r->left) + "," + std::to_string(r->top) + "," + std::to_string(r->right) + "," +
         std::to_string(r->bottom);
}

HYPluginResult blit(PixMapHandle src, PixMapHandle dst, const Rect* srcRect, const Rect* dstRect, int16_t opacity) {
  std::string entry = "Blit " + rectText(srcRect) + " " + rectText(dstRect);
  if (dst != GetGWorldPixMap(host().output)) entry += " (not onto the output)";
  if (src == GetGWorldPixMap(host().output) || src == GetGWorldPixMap(host().source)) entry += " (not a copy)";
  log(entry);
  host().blitOpacities.push_back(opacity);
  return resultOf("Blit");
}

HYPluginResult mixAudio(void* instance, void* cookie, int16_t volume) {
  log("MixAudio " + std::to_string(volume), instance, cookie);
  return resultOf("MixAudio");
}

GWorldPtr patterned(short width, short height, uint32_t seed) {
  GWorldPtr world = nullptr;
  const Rect bounds{0, 0, height, width};
  NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0);
  PixMapHandle pixels = GetGWorldPixMap(world);
  for (short y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(GetPixBaseAddr(pixels) + y * GetPixRowBytes(pixels));
    for (short x = 0; x < width; ++x) row[x] = 0xFF000000u | ((seed + 37u * x + 91u * y) * 2654435761u >> 8);
  }
  return world;
}

}  // namespace

FakeHost::FakeHost(short width, short height)
    : source(patterned(width, height, 1)), output(patterned(width, height, 7)) {
  current = this;
  procs.NewPtrClear = newPtrClear;
  procs.DisposePtr = disposePtr;
  procs.GetFrame = getFrame;
  procs.ReleaseFrame = releaseFrame;
  procs.GetFilterInfo = getFilterInfo;
  procs.ReleaseFilterInfo = releaseFilterInfo;
  procs.Blit = blit;
  procs.MixAudio = mixAudio;
}

FakeHost::~FakeHost() {
  DisposeGWorld(source);
  DisposeGWorld(output);
  current = nullptr;
}

_PluginParams FakeHost::params(HYPluginSelector selector) {
  _PluginParams p{};
  p.interfaceVersion = 4;
  p.instance = this;
  p.selector = selector;
  p.procs = &procs;
  p.frame = output;
  GetPortBounds(output, &p.frameRect);
  p.frameCount = 1;
  return p;
}

std::vector<uint32_t> FakeHost::outputPixels() const {
  Rect bounds{};
  GetPortBounds(output, &bounds);
  PixMapHandle pixels = GetGWorldPixMap(output);
  std::vector<uint32_t> all;
  for (int y = 0; y < bounds.bottom - bounds.top; ++y) {
    auto* row = reinterpret_cast<const uint32_t*>(GetPixBaseAddr(pixels) + y * GetPixRowBytes(pixels));
    all.insert(all.end(), row, row + (bounds.right - bounds.left));
  }
  return all;
}
