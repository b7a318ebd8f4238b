// Finds and loads the plug-in bundle and looks up its entry point.
#pragma once

#include <memory>
#include <string>

#include "velmorance/host_interface.h"

namespace vmhost {

// The bundle next to the running program: <dir of program>/../lib/velmorance/
// Velmorance.bundle, the same in the build tree and the install tree.
std::string defaultBundlePath();

// The loaded module. It stays loaded for the life of the process: the
// plug-in and the platform it links keep state that cannot be unloaded.
class PluginModule {
 public:
  // `path` is a bundle folder (its Contents/Linux/velmorance.so is loaded)
  // or a module file. On failure returns nullptr with `error` naming the
  // path and the reason.
  static std::unique_ptr<PluginModule> load(const std::string& path, std::string& error);

  // Calls `main`; a C++ exception escaping the plug-in becomes kPluginFailed.
  int32_t call(_PluginParams& params) const;
  const std::string& path() const { return path_; }

 private:
  PluginModule(std::string path, HYPluginEntry entry) : path_(std::move(path)), entry_(entry) {}
  std::string path_;
  HYPluginEntry entry_;
};

// "kPluginFailed (6)"; codes the interface does not name read "code 42".
std::string resultName(int32_t code);

}  // namespace vmhost
