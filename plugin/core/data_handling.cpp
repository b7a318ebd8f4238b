#include "plugin/core/data_handling.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "plugin/common/alerts.h"
#include "plugin/common/numeric_helpers.h"
#include "plugin/core/globals.h"

void InitPascal() {}

void pGetConfigSize(uint32_t& theSize) { theSize = sizeof(pluginDataRec); }

void pNewConfig(pluginDataPtr& theData) {
  theData = nullptr;
  theData = reinterpret_cast<pluginDataPtr>(NewPtrClear(sizeof(pluginDataRec)));
  Assert(theData, "Unable to allocate new data structure in pNewConfig");
}

void pCopyConfig(pluginDataPtr source, pluginDataPtr dest) {
  if (source == nullptr || dest == nullptr) return;
  if (GetPtrSize(reinterpret_cast<Ptr>(source)) != GetPtrSize(reinterpret_cast<Ptr>(dest)))
    Terminate("Non-Matching Blocks", "The Size of Source and Dest do not match");
  std::memcpy(dest, source, sizeof(pluginDataRec));
  if (source->theRendered != nullptr) dest->theRendered = CGImageCreateCopy(source->theRendered);
  dest->theOriginalImage = nullptr;
}

void pUncopyConfig(pluginDataPtr theData) {
  Assert(theData, "Nil data in pUncopyConfig");
  if (theData->theRendered != nullptr) CGImageRelease(theData->theRendered);
  theData->theRendered = nullptr;
}

void pDestroyConfig(pluginDataPtr aConfig) {
  if (aConfig != nullptr) DisposePtr(reinterpret_cast<Ptr>(aConfig));
}

void ResetConfig(pluginDataPtr theConfig, bool fullInit) {
  InitRelRect(theConfig->startRel);
  InitRelRect(theConfig->endRel);
  theConfig->colors[1] = SetRGBColor(0, 0, -1);
  theConfig->colors[2] = SetRGBColor(-1, -1, -1);
  for (int i = 3; i <= cNumColors; ++i) theConfig->colors[i] = SetRGBColor(0, 0, 0);
  theConfig->sliders[1] = 17;
  for (int i = 2; i <= cNumSliders; ++i) theConfig->sliders[i] = 0;
  theConfig->frameStartColor = SetRGBColor(-1, 0, 0);
  theConfig->mediaType = 1;
  theConfig->keepProps = false;
  theConfig->twoColors = true;
  if (fullInit) {
    theConfig->theOriginalImage = nullptr;
    theConfig->theRendered = nullptr;
  }
  theConfig->sync = false;
  theConfig->outside = true;
  theConfig->clipActive = false;
}

int16_t GetMediaFormat(pluginDataPtr theData) { return theData == nullptr ? 1 : theData->mediaType; }

relRect GetCurrentRel() { return gConfigWorkSpace.theConfig->startRel; }

void PutCurrentRel(const relRect& theRel) { gConfigWorkSpace.theConfig->startRel = theRel; }
