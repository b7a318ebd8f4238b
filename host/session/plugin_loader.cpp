#include "host/session/plugin_loader.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace vmhost {

std::string defaultBundlePath() {
  char exe[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::string dir = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string(".");
  const size_t slash = dir.rfind('/');
  dir = slash == std::string::npos ? "." : dir.substr(0, slash);
  // The build tree keeps libraries in lib/; an install may use a
  // multiarch folder such as lib/x86_64-linux-gnu.
  std::string first;
  for (const char* libdir : {"lib", VELMORANCE_INSTALL_LIBDIR}) {
    const std::string bundle = dir + "/../" + libdir + "/velmorance/Velmorance.bundle";
    char resolved[PATH_MAX] = {};
    if (realpath(bundle.c_str(), resolved) != nullptr) return resolved;
    if (first.empty()) first = bundle;
  }
  return first;
}

std::unique_ptr<PluginModule> PluginModule::load(const std::string& path, std::string& error) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    error = path + ": no plug-in there (the bundle is missing; name one with --plugin)";
    return nullptr;
  }
  const std::string module = S_ISDIR(info.st_mode) ? path + "/Contents/Linux/velmorance.so" : path;
  if (S_ISDIR(info.st_mode) && access(module.c_str(), R_OK) != 0) {
    error = path + ": not a plug-in bundle (Contents/Linux/velmorance.so is missing)";
    return nullptr;
  }
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    error = module + ": cannot load the plug-in (" + (why ? why : "unknown reason") + ")";
    return nullptr;
  }
  dlerror();
  void* symbol = dlsym(handle, HY_PLUGIN_ENTRY_SYMBOL);
  const char* why = dlerror();
  if (symbol == nullptr || why != nullptr) {
    error = module + ": the plug-in exports no entry point \"main\"";
    return nullptr;
  }
  // The lookup must resolve inside the module itself, never to a `main` of
  // a library it depends on (or of this program).
  link_map* map = nullptr;
  Dl_info where{};
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || dladdr(symbol, &where) == 0 ||
      reinterpret_cast<ElfW(Addr)>(where.dli_fbase) != map->l_addr) {
    error = module + ": \"main\" does not come from the plug-in module itself";
    return nullptr;
  }
  return std::unique_ptr<PluginModule>(new PluginModule(module, reinterpret_cast<HYPluginEntry>(symbol)));
}

int32_t PluginModule::call(_PluginParams& params) const {
  try {
    return entry_(0, &params);
  } catch (...) {
    return kPluginFailed;
  }
}

std::string resultName(int32_t code) {
  const char* name = nullptr;
  switch (code) {
    case kPluginOK: name = "kPluginOK"; break;
    case kPluginBadParams: name = "kPluginBadParams"; break;
    case kPluginOutOfMemory: name = "kPluginOutOfMemory"; break;
    case kPluginFailed: name = "kPluginFailed"; break;
    case kPluginAppIsTooOld: name = "kPluginAppIsTooOld"; break;
    default: return "code " + std::to_string(code);
  }
  return std::string(name) + " (" + std::to_string(code) + ")";
}

}  // namespace vmhost
