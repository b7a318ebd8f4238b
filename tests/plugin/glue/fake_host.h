// A host for tests: fills HYProcs with recorders that log every call with its
// arguments, hand out buffers made here and return injected failure codes.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/support/gworld_fixture.h"
#include "velmorance/host_interface.h"

class FakeHost {
 public:
  // The pixels GetFrame delivers and the output buffer, both width x height.
  FakeHost(short width, short height);
  ~FakeHost() {
    if (current == this) current = nullptr;
  }
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // A block for a selector call: interface version 4, frameRect covering the
  // output buffer.
  _PluginParams params(HYPluginSelector selector);

  HYProcs procs{};
  // Calls in order, e.g. "GetFrame 12 8x4 q1"; see fake_host.cpp for each.
  std::vector<std::string> calls;
  // Result a callback returns instead of kPluginOK, by callback name.
  std::map<std::string, HYPluginResult> failures;
  // The NewPtrClear call (0 = the next one) that returns no block; -1 none.
  int failNewPtrClearAt = -1;
  // What GetFilterInfo delivers; with deliverFilterInfo false it gives none.
  HYPluginFilterInfo filterInfo{{0.25f, 0.5f, 0.75f}, 0, 0};
  bool deliverFilterInfo = true;
  // Opacity of every Blit, in order.
  std::vector<int> blitOpacities;
  GWorldOwner source, output;

  // The output buffer's bytes, for before/after comparisons.
  std::vector<uint8_t> outputPixels() const;
  static FakeHost* current;
};

// Text `index` of the string list `list` in the open resource file `refNum`.
std::string BundleString(short refNum, short list, short index);
