// The HYProcs slots a filter plug-in does not call. Each gives an honest
// answer, so a plug-in that tries one is told plainly what the host offers.
#include <algorithm>
#include <cstring>

#include "host/session/host_session.h"

namespace vmhost {

namespace {

char* pascalToC(unsigned char* text) {
  if (text == nullptr) return nullptr;
  const unsigned length = text[0];
  std::memmove(text, text + 1, length);
  text[length] = 0;
  return reinterpret_cast<char*>(text);
}

unsigned char* cToPascal(char* text) {
  if (text == nullptr) return nullptr;
  size_t length = std::strlen(text);
  if (length > 255) length = 255;
  std::memmove(text + 1, text, length);
  text[0] = static_cast<char>(length);
  return reinterpret_cast<unsigned char*>(text);
}

void pascalCopy(unsigned char* dst, const unsigned char* src) {
  if (dst != nullptr && src != nullptr) std::memmove(dst, src, size_t{src[0]} + 1);
}

char* cCopy(char* dst, const char* src) { return (dst == nullptr || src == nullptr) ? dst : std::strcpy(dst, src); }
size_t cLength(const char* text) { return text == nullptr ? 0 : std::strlen(text); }

HYPluginResult noLocalizedString(void*, int32_t, char* text, int32_t textSize) {
  if (text != nullptr && textSize > 0) text[0] = 0;
  return kPluginFailed;
}
HYPluginResult noAudioFrame(void*, int32_t, const int16_t** samples, int32_t* count, void** cookie) {
  if (samples != nullptr) *samples = nullptr;
  if (count != nullptr) *count = 0;
  if (cookie != nullptr) *cookie = nullptr;
  return kPluginFailed;
}
HYPluginResult releaseNothing(void*, void*) { return kPluginOK; }
HYPluginResult noSetClipInfo(void*, const HYClipInfo*) { return kPluginFailed; }

HYPluginResult fillRect(PixMapHandle dst, const Rect* rect, const RGBColor* color) {
  if (dst == nullptr || *dst == nullptr || rect == nullptr || color == nullptr) return kPluginBadParams;
  const PixMap& pm = **dst;
  const int left = std::max<int>(rect->left, pm.bounds.left), right = std::min<int>(rect->right, pm.bounds.right);
  const int top = std::max<int>(rect->top, pm.bounds.top), bottom = std::min<int>(rect->bottom, pm.bounds.bottom);
  const uint8_t pixel[4] = {255, static_cast<uint8_t>(color->red >> 8), static_cast<uint8_t>(color->green >> 8),
                            static_cast<uint8_t>(color->blue >> 8)};
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      std::memcpy(pm.baseAddr + static_cast<ptrdiff_t>(y - pm.bounds.top) * pm.rowBytes + (x - pm.bounds.left) * 4,
                  pixel, 4);
  return kPluginOK;
}

HYPluginResult noTextBounds(void*, const char*, int16_t, Rect* bounds) {
  if (bounds != nullptr) *bounds = Rect{0, 0, 0, 0};
  return kPluginFailed;
}
HYPluginResult noDrawText(PixMapHandle, const char*, int16_t, const Rect*, const RGBColor*) { return kPluginFailed; }
HYPluginResult noRecord(void*, void** info) {
  if (info != nullptr) *info = nullptr;
  return kPluginFailed;
}
int16_t noStringWidth(const char*, int16_t) { return 0; }
HYPluginResult noCGDrawText(void*, const char*, float, float, float) { return kPluginFailed; }
float noCGStringWidth(void*, const char*, float) { return 0; }

}  // namespace

void fillGeneralProcs(HYProcs& procs) {
  procs.ptocstr = pascalToC;
  procs.ctopstr = cToPascal;
  procs.pstrcpy = pascalCopy;
  procs.strcpy = cCopy;
  procs.strlen = cLength;
  procs.GetLocalizedString = noLocalizedString;
  procs.GetAudioFrame = noAudioFrame;
  procs.ReleaseAudioFrame = releaseNothing;
  procs.SetClipInfo = noSetClipInfo;
  procs.FillRect = fillRect;
  procs.TextBounds = noTextBounds;
  procs.DrawText = noDrawText;
  procs.GetTitleInfo = noRecord;
  procs.ReleaseTitleInfo = releaseNothing;
  procs.GetTransitionInfo = noRecord;
  procs.ReleaseTransitionInfo = releaseNothing;
  procs.StringWidth = noStringWidth;
  procs.CGDrawText = noCGDrawText;
  procs.CGStringWidth = noCGStringWidth;
}

}  // namespace vmhost
