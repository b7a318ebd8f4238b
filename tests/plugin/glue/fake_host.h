// A host for tests: fills HYProcs with recorders that log every call with its
// arguments, hand out buffers made here and return injected failure codes;
// and the shared set-up of the host glue tests. The dialog's tests use it too.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugin/core/data_handling.h"
#include "plugin/glue/basicfx.h"
#include "plugin/glue/host_state.h"
#include "plugin/glue/render_pass.h"
#include "tests/platform/files/temp_dir.h"
#include "tests/support/gworld_fixture.h"
#include "velmorance/host_interface.h"

// The host calls that allocate a render block and a configuration copy.
inline const std::string kNewData = "NewPtrClear " + std::to_string(sizeof(EffectData)),
                         kNewConfig = "NewPtrClear " + std::to_string(sizeof(pluginDataRec));

// Paints a frame whose colours depend on the position and on `seed`, so
// frames of different indexes differ everywhere: (x, y) of a w x h frame is
// (255 x / w, 255 y / h, 53 seed + 20), each cut to a byte.
void PaintTestFrame(GrafPtr frame, int32_t seed);

class FakeHost {
 public:
  // The frames GetFrame delivers and the output buffer, both width x height.
  FakeHost(short width, short height);
  ~FakeHost() { current = current == this ? nullptr : current; }
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
  // What GetFilterInfo delivers, unless it is made to fail.
  HYPluginFilterInfo filterInfo{{0.25f, 0.5f, 0.75f}, 0, 0};
  // Opacity of every Blit, in order.
  std::vector<int> blitOpacities;
  // The frame GetFrame delivers, painted for the index asked for.
  GWorldOwner source, output;

  // The output buffer's bytes, for before/after comparisons.
  std::vector<uint8_t> outputPixels() const;
  static FakeHost* current;
};

// A fake host, a private preferences folder and a master configuration
// that exists before the first selector.
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", prefs_.path().c_str(), 1);  // the plug-in's preferences for this test only
    if (gPascalData == nullptr) {
      pNewConfig(gPascalData);
      ResetConfig(gPascalData, true);
    }
    saved_ = *gPascalData;
    host_ = std::make_unique<FakeHost>(8, 6);
  }
  void TearDown() override {
    host_.reset();
    *gPascalData = saved_;
  }
  static HYPluginResult call(_PluginParams& p, HYPluginSelector selector) {
    p.selector = selector;
    return static_cast<HYPluginResult>(EffectMain(0, &p));
  }
  FakeHost& host() { return *host_; }

  std::unique_ptr<FakeHost> host_;
  TempDir prefs_;
  pluginDataRec saved_{};
};
