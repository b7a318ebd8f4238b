#include "tests/support/platform_faults.h"

namespace {

int gFailingAllocations = 0;
long gWriteLimit = -1;

}  // namespace

// Looked up by the platform libraries in the running program.
extern "C" __attribute__((visibility("default"), used)) bool vmFaultFailAllocation() {
  if (gFailingAllocations <= 0) return false;
  --gFailingAllocations;
  return true;
}

extern "C" __attribute__((visibility("default"), used)) long vmFaultResourceWriteLimit() { return gWriteLimit; }

void platformFailNextAllocations(int count) { gFailingAllocations = count; }
void platformFailResourceWriteAfterBytes(long bytes) { gWriteLimit = bytes; }
