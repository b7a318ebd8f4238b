// Faults a test program can inject into the platform. The program defines
// the C functions named below and exports them (the test-only library
// vmplatform_faults does); in any other program they are absent and nothing
// is made to fail. Internal to the platform libraries.
#pragma once

namespace vmfaults {

// True when the allocation being made should fail as if memory had run out:
// asks the program's vmFaultFailAllocation().
bool shouldFailAllocation();
// How many bytes of an atomic file write may be written before it fails, or
// -1: asks the program's vmFaultResourceWriteLimit().
long resourceWriteLimit();

}  // namespace vmfaults
