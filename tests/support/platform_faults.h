// Faults the tests inject into the platform libraries (memory running out,
// a file write cut short). Link the test-only library vmplatform_faults.
#pragma once

// The next `count` allocations (pointer, handle or pixel buffer) fail as if
// memory had run out.
void platformFailNextAllocations(int count);
// Every atomic file write fails with ioErr once `bytes` bytes of its
// temporary file are written, until a negative count turns this off.
void platformFailResourceWriteAfterBytes(long bytes);
