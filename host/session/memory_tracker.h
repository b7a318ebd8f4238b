// The host's NewPtrClear and DisposePtr for the plug-in: blocks come from
// the platform's memory manager and are tracked, so a block the plug-in
// never gives back can be reported and a foreign pointer is never freed.
#pragma once

#include <cstddef>
#include <string>

#include "platform/macos/types.h"

namespace vmhost {

// HYProcs slots (no instance argument, so the record of blocks is global).
Ptr trackedNewPtr(Size size);
Ptr trackedNewPtrClear(Size size);
// Ignores nullptr; a pointer the host did not hand out is left alone and
// counted (see foreignDisposals).
void trackedDisposePtr(Ptr block);

struct OutstandingBlocks {
  size_t count = 0;
  size_t bytes = 0;
};
OutstandingBlocks outstandingBlocks();
size_t foreignDisposals();

// A line such as "the plug-in still holds 2 blocks (1040 bytes)", or empty
// when it holds none.
std::string outstandingReport();

}  // namespace vmhost
