#include "platform/bundles/cfbundle.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <map>
#include <new>
#include <string>
#include <vector>

#include "platform/bundles/info_plist.h"
#include "platform/resources/resources.h"

struct __CFBundle {
  CFRuntimeBase base;
  std::string path;  // the Name.bundle folder
  std::map<std::string, CFStringRef> info;
  void* code = nullptr;
};

namespace {

// Every live bundle, so that one folder has one bundle and look-ups by
// identifier find them. Bundles found among loaded objects are held here for
// the life of the process. Never destroyed, so it outlives every bundle.
std::vector<__CFBundle*>& liveBundles() {
  static auto* bundles = new std::vector<__CFBundle*>;
  return *bundles;
}

bool exists(const std::string& path, bool mustBeFolder) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && (!mustBeFolder || S_ISDIR(info.st_mode));
}

void finalizeBundle(CFRuntimeBase* self) {
  auto* bundle = reinterpret_cast<__CFBundle*>(self);
  std::erase(liveBundles(), bundle);
  for (auto& [key, value] : bundle->info) CFRelease(value);
  delete bundle;  // loaded code is never unloaded
}

std::string infoString(CFBundleRef bundle, const char* key) {
  auto found = bundle->info.find(key);
  return found == bundle->info.end() ? std::string() : CFStringToUTF8(found->second);
}

std::string executablePath(CFBundleRef bundle) {
  std::string name = infoString(bundle, "CFBundleExecutable");
  if (name.empty() || name.find('/') != std::string::npos) return {};
  return bundle->path + "/Contents/Linux/" + name + ".so";
}

__CFBundle* bundleForFolder(const std::string& folder) {
  for (__CFBundle* bundle : liveBundles())
    if (bundle->path == folder) return bundle;
  if (!exists(folder, true)) return nullptr;
  auto* bundle = new (std::nothrow) __CFBundle;
  if (bundle == nullptr) return nullptr;
  bundle->base.finalize = finalizeBundle;
  bundle->path = folder;
  std::map<std::string, std::string> strings;
  if (readPlistStrings(folder + "/Contents/Info.plist", &strings)) {
    for (const auto& [key, value] : strings) {
      CFStringRef text = CFStringCreateWithCString(kCFAllocatorDefault, value.c_str(), kCFStringEncodingUTF8);
      if (text != nullptr) bundle->info.emplace(key, text);
    }
  }
  liveBundles().push_back(bundle);
  return bundle;
}

// The bundle folder of a loaded object's path: the part before
// "/Contents/Linux/" when it ends in ".bundle".
std::string bundleFolderOfObject(const char* objectPath) {
  if (objectPath == nullptr) return {};
  std::string path = objectPath;
  size_t marker = path.rfind("/Contents/Linux/");
  if (marker == std::string::npos || path[0] != '/') return {};
  std::string folder = path.substr(0, marker);
  const std::string suffix = ".bundle";
  if (folder.size() <= suffix.size() || folder.compare(folder.size() - suffix.size(), suffix.size(), suffix) != 0)
    return {};
  return folder;
}

struct LoadedObject {
  std::string folder;
  std::string path;
};

int collectBundleObject(struct dl_phdr_info* info, size_t, void* objects) {
  std::string folder = bundleFolderOfObject(info->dlpi_name);
  if (!folder.empty()) static_cast<std::vector<LoadedObject>*>(objects)->push_back({folder, info->dlpi_name});
  return 0;
}

void discoverLoadedBundles() {
  std::vector<LoadedObject> objects;
  dl_iterate_phdr(collectBundleObject, &objects);
  for (const LoadedObject& object : objects) {
    bool known = false;
    for (__CFBundle* bundle : liveBundles()) known = known || bundle->path == object.folder;
    if (known) continue;
    __CFBundle* bundle = bundleForFolder(object.folder);  // the registry keeps this reference
    // Its code is already in the process; take a handle on it for dlsym.
    if (bundle != nullptr && executablePath(bundle) == object.path)
      bundle->code = dlopen(object.path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  }
}

CFBundleRef findByIdentifier(const std::string& identifier) {
  for (__CFBundle* bundle : liveBundles())
    if (infoString(bundle, "CFBundleIdentifier") == identifier) return bundle;
  return nullptr;
}

}  // namespace

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
  std::string folder = platformPathOfURL(bundleURL);
  if (folder.empty()) return nullptr;
  for (__CFBundle* bundle : liveBundles())
    if (bundle->path == folder) return static_cast<CFBundleRef>(const_cast<void*>(CFRetain(bundle)));
  return bundleForFolder(folder);
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
  if (bundleID == nullptr) return nullptr;
  const std::string identifier = CFStringToUTF8(bundleID);
  if (identifier.empty()) return nullptr;
  if (CFBundleRef bundle = findByIdentifier(identifier)) return bundle;
  discoverLoadedBundles();
  return findByIdentifier(identifier);
}

CFStringRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
  if (bundle == nullptr || key == nullptr) return nullptr;
  auto found = bundle->info.find(CFStringToUTF8(key));
  return found == bundle->info.end() ? nullptr : found->second;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
  return CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("CFBundleIdentifier"));
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
  return bundle == nullptr ? nullptr : platformCreateURLForPath(bundle->path, true);
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle) {
  return bundle == nullptr ? nullptr : platformCreateURLForPath(bundle->path + "/Contents/Resources", true);
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName) {
  if (bundle == nullptr || resourceName == nullptr) return nullptr;
  std::string name = CFStringToUTF8(resourceName);
  std::string type = resourceType == nullptr ? std::string() : CFStringToUTF8(resourceType);
  std::string subDir = subDirName == nullptr ? std::string() : CFStringToUTF8(subDirName);
  if (name.empty()) return nullptr;
  std::string path = bundle->path + "/Contents/Resources/";
  if (!subDir.empty()) path += subDir + "/";
  path += type.empty() ? name : name + "." + type;
  if (!exists(path, false)) return nullptr;
  return platformCreateURLForPath(path, exists(path, true));
}

short CFBundleOpenBundleResourceMap(CFBundleRef bundle) {
  if (bundle == nullptr) return kResFileNotOpened;
  std::string name = infoString(bundle, "CFBundleExecutable");
  if (name.empty() || name.find('/') != std::string::npos) return kResFileNotOpened;
  return platformOpenResFileAtPath(bundle->path + "/Contents/Resources/" + name + ".rsrc", fsRdPerm);
}

void CFBundleCloseBundleResourceMap(CFBundleRef bundle, short refNum) {
  if (bundle != nullptr && refNum != kResFileNotOpened) CloseResFile(refNum);
}

Boolean CFBundleLoadExecutable(CFBundleRef bundle) {
  if (bundle == nullptr) return false;
  if (bundle->code != nullptr) return true;
  std::string path = executablePath(bundle);
  if (path.empty()) return false;
  bundle->code = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  return bundle->code != nullptr;
}

Boolean CFBundleIsExecutableLoaded(CFBundleRef bundle) { return bundle != nullptr && bundle->code != nullptr; }

void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName) {
  if (functionName == nullptr || !CFBundleLoadExecutable(bundle)) return nullptr;
  return dlsym(bundle->code, CFStringToUTF8(functionName).c_str());
}
