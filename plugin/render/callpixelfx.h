// From a configuration to the pixels of one frame: the configured rectangle
// becomes pixels of the output buffer and the print is applied inside it.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw.h"
#include "plugin/core/plugin_defines.h"
#include "plugin/render/relrects.h"

// Linear interpolation from sourceRel at startFrameNum to targetRel at
// endFrameNum; before and after the range the end values hold.
relRect CalcTweenRel(int32_t startFrameNum, int32_t endFrameNum, int32_t currFrameNum, const relRect& sourceRel,
                     const relRect& targetRel);
// The render path: dest already holds the frame; the print is applied inside
// theConfig's startRel.
void DoPascalPixelEffect(GrafPtr source, GrafPtr dest, pluginDataPtr theConfig, int32_t currentFrameIndex,
                         int32_t maxFrames);
// The preview path: copies source into dest scaled to its size and applies
// the print from the dialog workspace's configuration.
void CallPixelEffect(GrafPtr source, GrafPtr dest);
void PixelDrive(GrafPtr source, GrafPtr dest, const Rect& theRect, pluginDataPtr theConfig, int32_t currentFrame,
                int32_t numFrames);
