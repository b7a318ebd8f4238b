#include "plugin/render/callpixelfx.h"

#include "plugin/core/globals.h"
#include "plugin/render/offscreen_buffers.h"
#include "plugin/render/pixeleffect.h"

relRect CalcTweenRel(int32_t startFrameNum, int32_t endFrameNum, int32_t currFrameNum, const relRect& sourceRel,
                     const relRect& targetRel) {
  if (currFrameNum < startFrameNum) return sourceRel;
  if (currFrameNum > endFrameNum) return targetRel;
  const double frames = double(endFrameNum) - startFrameNum;
  const double k = double(currFrameNum) - startFrameNum;
  auto tween = [&](double from, double to) { return from + (k * (to - from)) / frames; };
  return relRect{tween(sourceRel.left, targetRel.left), tween(sourceRel.right, targetRel.right),
                 tween(sourceRel.top, targetRel.top), tween(sourceRel.bottom, targetRel.bottom)};
}

void DoPascalPixelEffect(GrafPtr source, GrafPtr dest, pluginDataPtr theConfig, int32_t currentFrameIndex,
                         int32_t maxFrames) {
  const Rect theRect = GetPortRect(dest);
  const Rect theFrame = Rel2Rect(theConfig->startRel, theRect);
  PixelDrive(source, dest, theFrame, theConfig, currentFrameIndex, maxFrames);
}

void CallPixelEffect(GrafPtr source, GrafPtr dest) {
  const Rect theRect = GetPortRect(dest);
  Source2Target(source, dest);
  const Rect theFrame = Rel2Rect(gConfigWorkSpace.theConfig->startRel, theRect);
  PixelDrive(source, dest, theFrame, gConfigWorkSpace.theConfig, gConfigWorkSpace.currFrameIndex,
             gConfigWorkSpace.maxFrameIndex);
}

void PixelDrive(GrafPtr source, GrafPtr dest, const Rect& theRect, pluginDataPtr theConfig, int32_t currentFrame,
                int32_t numFrames) {
  ThePixelEffect(source, dest, theRect, true, theConfig, currentFrame, numFrames);
}
