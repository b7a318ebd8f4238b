// Talking to the loaded plug-in: the host's parameter block and the
// selectors in the order a host sends them.
#pragma once

#include <memory>
#include <string>

#include "host/session/host_session.h"
#include "platform/quickdraw/quickdraw_owners.h"
#include "host/session/plugin_loader.h"

namespace vmhost {

// A zeroed 32-bit buffer of width x height, or nullptr.
GWorldOwner makeOutputWorld(int width, int height);

class PluginRun {
 public:
  PluginRun(const PluginModule& module, HostSession& session);

  _PluginParams& params() { return params_; }

  // kPlugGetInfo with `selectedFrames` frames selected.
  int32_t getInfo(int32_t selectedFrames);
  // Points the block at the output buffer (its whole area is the frame rect).
  void setOutput(GrafPort* frame);
  int32_t call(HYPluginSelector selector);

  // "the plug-in returned kPluginFailed (6): GetFrame: frame 9 is outside...",
  // adding the host's reason when one of its callbacks failed.
  std::string describe(int32_t result) const;

 private:
  const PluginModule& module_;
  HostSession& session_;
  _PluginParams params_{};
};

// Opens the module named by --plugin, or the bundle next to the program.
std::unique_ptr<PluginModule> loadPlugin(const std::string& pluginOption, std::string& error);

}  // namespace vmhost
