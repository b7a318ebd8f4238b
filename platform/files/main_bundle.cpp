// The main bundle: the folder holding the running program, so a host
// application's resources live in <program folder>/Contents/Resources.
#include <unistd.h>

#include <climits>
#include <string>

#include "platform/bundles/cfbundle.h"
#include "platform/files/main_bundle.h"

CFBundleRef CFBundleGetMainBundle() {
  // Made once and kept for the process, as the real main bundle is.
  static CFBundleRef mainBundle = [] {
    char exe[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0) return CFBundleRef{nullptr};
    std::string path(exe, static_cast<size_t>(length));
    size_t slash = path.find_last_of('/');
    CFURLRef folder = platformCreateURLForPath(slash == 0 ? "/" : path.substr(0, slash), true);
    CFBundleRef bundle = folder == nullptr ? nullptr : CFBundleCreate(kCFAllocatorDefault, folder);
    if (folder != nullptr) CFRelease(folder);
    return bundle;
  }();
  return mainBundle;
}
