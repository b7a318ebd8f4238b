// Shared set-up of the host glue tests: a fake host, a private preferences
// folder and a master configuration that exists before the first selector.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "plugin/core/data_handling.h"
#include "plugin/glue/basicfx.h"
#include "plugin/glue/host_state.h"
#include "tests/plugin/glue/fake_host.h"

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/vm-glue-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    prefsFolder_ = folder;
    setenv("XDG_CONFIG_HOME", folder, 1);
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
    std::filesystem::remove_all(prefsFolder_);
  }
  static HYPluginResult call(_PluginParams& p, HYPluginSelector selector) {
    p.selector = selector;
    return static_cast<HYPluginResult>(EffectMain(0, &p));
  }
  FakeHost& host() { return *host_; }

  std::unique_ptr<FakeHost> host_;
  std::filesystem::path prefsFolder_;
  pluginDataRec saved_{};
};
