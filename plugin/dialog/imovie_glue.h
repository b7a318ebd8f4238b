// The configuration dialog's frame fetch: another frame of the clip from the
// host, scaled into an existing buffer.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw.h"
#include "velmorance/host_interface.h"

// Asks the host for frame frameIndex + params->startFrame at theGW's size and
// copies it, scaled, over the whole of theGW. Returns the host's result of
// the last call made (GetFrame when it delivered nothing, else
// ReleaseFrame), or -1 without calling the host when the frame number is
// negative. With disposeAfterUse > 0 the delivered buffer is disposed of here
// once released, as the host hands each fetch over.
int16_t GetFrameIntoGW(GrafPtr theGW, _PluginParams* params, int32_t frameIndex, int16_t disposeAfterUse);
// The quality asked for: low only for proxy renders under 260 lines.
HYRefDVQuality FrameFetchQuality(const _PluginParams& params, int16_t height);
