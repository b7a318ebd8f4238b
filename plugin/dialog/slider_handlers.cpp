#include "plugin/dialog/slider_handlers.h"

#include <string>

#include "plugin/common/alerts.h"
#include "plugin/core/globals.h"
#include "plugin/dialog/carbonmacros.h"
#include "plugin/dialog/imovie_glue.h"
#include "plugin/render/callpixelfx.h"
#include "plugin/render/cg/line_effect.h"

namespace {

constexpr OSType kSliderSig = VM_FOURCC('S', 'l', 'd', 'r');
constexpr OSType kLegendSig = VM_FOURCC('L', 'g', 'n', 'd');
constexpr OSType kLabelSig = VM_FOURCC('L', 'a', 'b', 'l');
constexpr OSType kClipSliderSig = VM_FOURCC('C', 'l', 'p', 'S');
constexpr OSType kClipTextSig = VM_FOURCC('C', 'l', 'p', 'M');

void SliderAction(int16_t n, ControlRef theControl, bool withLineArt) {
  pluginDataPtr theConfig = gConfigWorkSpace.theConfig;
  if (theConfig == nullptr) return;
  const SInt32 v = GetControl32BitValue(theControl);
  theConfig->sliders[n] = static_cast<int16_t>(v);
  SetSliderLegend(gConfigWorkSpace.theWindow, n, v);
  if (withLineArt) RenderLineArt(theConfig);
  RerenderAndBlit();
}

}  // namespace

void SetClipPositionText(WindowPtr theWindow, int32_t thePosition) {
  const std::string text = std::to_string(thePosition) + "/" + std::to_string(gConfigWorkSpace.maxFrameIndex);
  SimpleSetControlText(theWindow, kClipTextSig, 1, text);
}

void SetSliderLegend(WindowPtr theWindow, int16_t theSlider, int32_t theValue) {
  SimpleSetControlText(theWindow, kLegendSig, theSlider, std::to_string(theValue) + "%");
}

void SetupSliders(WindowPtr theWindow) {
  pluginDataPtr theConfig = gConfigWorkSpace.theConfig;
  ControlRef s = SimpleGetControlByID(theWindow, kSliderSig, 1);
  Assert(s, "Cannot access slider 1");
  gConfigWorkSpace.sliders[1] = s;
  SetControlAction(s, NewControlActionUPP(Slider1Action));
  SetControl32BitValue(s, theConfig->sliders[1]);
  SetSliderLegend(theWindow, 1, theConfig->sliders[1]);

  for (int16_t n = 2; n <= cNumSliders; ++n) {
    s = SimpleGetControlByID(theWindow, kSliderSig, n);
    Assert(s, "Cannot access slider " + std::to_string(n));
    gConfigWorkSpace.sliders[n] = s;
    SimpleHideControl(theWindow, kSliderSig, n);
    SimpleHideControl(theWindow, kLegendSig, n);
    SimpleHideControl(theWindow, kLabelSig, n);
  }

  s = SimpleGetControlByID(theWindow, kClipSliderSig, 1);
  Assert(s, "Cannot access clip slider");
  gConfigWorkSpace.clipSlider = s;
  SetControlAction(s, NewControlActionUPP(ClipSliderAction));
  // The range first, so the position is not clamped by the layout's range.
  SetControl32BitMinimum(s, 0);
  SetControl32BitMaximum(s, gConfigWorkSpace.maxFrameIndex);
  SetControl32BitValue(s, gConfigWorkSpace.currFrameIndex);
  SetClipPositionText(theWindow, gConfigWorkSpace.currFrameIndex);
}

void Slider1Action(ControlRef theControl, ControlPartCode) { SliderAction(1, theControl, true); }
void Slider2Action(ControlRef theControl, ControlPartCode) { SliderAction(2, theControl, false); }
void Slider3Action(ControlRef theControl, ControlPartCode) { SliderAction(3, theControl, false); }
void Slider4Action(ControlRef theControl, ControlPartCode) { SliderAction(4, theControl, false); }
void Slider5Action(ControlRef theControl, ControlPartCode) { SliderAction(5, theControl, false); }
void Slider6Action(ControlRef theControl, ControlPartCode) { SliderAction(6, theControl, false); }

void ClipSliderAction(ControlRef theControl, ControlPartCode) {
  const SInt32 v = GetControl32BitValue(theControl);
  gConfigWorkSpace.currFrameIndex = v;
  SetClipPositionText(gConfigWorkSpace.theWindow, v);
  AccessRenderAndBlit(v);
}

void RerenderAndBlit() {
  if (gConfigWorkSpace.sourceClip == nullptr || gConfigWorkSpace.theFXClip == nullptr) return;
  CallPixelEffect(gConfigWorkSpace.sourceClip, gConfigWorkSpace.theFXClip);
  ControlRef theFrameCtrl = gConfigWorkSpace.theFrameCtrl;
  if (theFrameCtrl == nullptr) return;
  // A change of value is what makes the preview control draw again.
  SetControl32BitValue(theFrameCtrl, GetControl32BitValue(theFrameCtrl) != 0 ? 0 : 1);
}

void AccessRenderAndBlit(int32_t theVal) {
  GetFrameIntoGW(gConfigWorkSpace.sourceClip, static_cast<_PluginParams*>(gConfigWorkSpace.iMovieParams),
                 theVal + gConfigWorkSpace.minFrameIndex, cUseDisposeGWinSlider);
  RerenderAndBlit();
}
