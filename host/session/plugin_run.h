// Talking to the loaded plug-in: the host's parameter block and the
// selectors in the order a host sends them.
#pragma once

#include <memory>
#include <string>

#include "host/media/argb_frame.h"
#include "host/session/host_session.h"
#include "platform/quickdraw/quickdraw_owners.h"
#include "host/session/plugin_loader.h"

namespace vmhost {

// The buffer the plug-in draws each output frame into: pixels the host
// owns, so that a finished frame goes to the encoder without a copy.
class OutputWorld {
 public:
  // Zeroed width x height pixels; throws std::bad_alloc when memory runs out.
  OutputWorld(int width, int height);
  GrafPort* world() { return world_.get(); }
  // Hands the pixels to `take`, which may swap them for a buffer of the same
  // size; the world then draws into whatever it left.
  template <typename Take>
  auto handOver(Take&& take) {
    auto result = take(pixels_);
    world_->portPixMap.baseAddr = reinterpret_cast<Ptr>(pixels_.data());
    return result;
  }

 private:
  ArgbFrame pixels_;
  GWorldOwner world_;
};

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
