// Creating, resetting, copying and releasing configuration records.
#pragma once

#include <cstdint>

#include "plugin/core/plugin_defines.h"

// The one-time start of the configuration core; nothing to do in this effect.
void InitPascal();
void pGetConfigSize(uint32_t& theSize);
// A new zero-filled record from NewPtrClear; stops with an alert when memory
// has run out.
void pNewConfig(pluginDataPtr& theData);
// Copies source into dest (both NewPtrClear blocks of the same size); the
// copy owns its own rendered image and no original image. Blocks of
// different sizes stop the process with an alert.
void pCopyConfig(pluginDataPtr source, pluginDataPtr dest);
// Releases what pCopyConfig made; the block itself stays the caller's.
void pUncopyConfig(pluginDataPtr theData);
void pDestroyConfig(pluginDataPtr aConfig);
// Every field to its default; the image references only when fullInit (they
// are dropped, not released). frameEndColor is left as it is.
void ResetConfig(pluginDataPtr theConfig, bool fullInit);
// The record's mediaType, or 1 without a record.
int16_t GetMediaFormat(pluginDataPtr theData);
// The rectangle the dialog edits: always startRel in this effect.
relRect GetCurrentRel();
void PutCurrentRel(const relRect& theRel);
