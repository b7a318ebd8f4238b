// State the host glue keeps for the life of the loaded module.
#pragma once

#include <cstdint>

#include "plugin/core/plugin_defines.h"

// The configuration core's one-time start has run.
extern bool gPascalInited;
// The master configuration: every render copies it, the dialog edits it.
// Allocated through the host on first use and never released.
extern pluginDataPtr gPascalData;
// startFrame and frameCount of the most recent frame step, so the dialog
// opens on the clip rendered last.
extern int32_t gMostRecentStartFrame;
extern int32_t gMostRecentFrameCount;
