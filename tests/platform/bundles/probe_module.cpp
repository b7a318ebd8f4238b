// A stand-in bundle executable for the bundle tests.
extern "C" __attribute__((visibility("default"))) int vmProbeAnswer() { return 42; }
