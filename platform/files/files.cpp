#include "platform/files/files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/strings/cfstring.h"

namespace {

// Folder ids start above the classic fsRtDirID (2) so no id looks special.
struct FolderRegistry {
  std::mutex lock;
  std::map<std::string, long> idsByPath;
  std::vector<std::string> pathsById;  // index = id - kFirstId
  static constexpr long kFirstId = 100;
};

FolderRegistry& registry() {
  static FolderRegistry instance;
  return instance;
}

// Drops trailing slashes so one folder has one id.
std::string normalisedFolder(const std::string& path) {
  std::string result = path;
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

bool isDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// mkdir -p with mode 0700 for every folder made; umask does not narrow it.
bool makeFolderTree(const std::string& path) {
  if (isDirectory(path)) return true;
  size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !makeFolderTree(path.substr(0, slash))) return false;
  if (mkdir(path.c_str(), 0700) == 0) return chmod(path.c_str(), 0700) == 0;
  return errno == EEXIST && isDirectory(path);
}

struct PreferencesOverride {
  std::mutex lock;
  std::string folder;
};

PreferencesOverride& preferencesOverride() {
  static PreferencesOverride instance;
  return instance;
}

std::string preferencesFolder() {
  {
    PreferencesOverride& chosen = preferencesOverride();
    std::lock_guard<std::mutex> hold(chosen.lock);
    if (!chosen.folder.empty()) return chosen.folder;
  }
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return normalisedFolder(config);
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return normalisedFolder(home) + "/.config";
  return {};
}

bool validLeafName(ConstStr255Param name) {
  if (name == nullptr || name[0] == 0 || name[0] > 63) return false;
  std::string text(reinterpret_cast<const char*>(name + 1), name[0]);
  return text != "." && text != ".." && text.find('/') == std::string::npos &&
         text.find('\0') == std::string::npos;
}

}  // namespace

long platformDirIDForPath(const std::string& absolutePath) {
  if (absolutePath.empty() || absolutePath[0] != '/') return 0;
  std::string path = normalisedFolder(absolutePath);
  FolderRegistry& folders = registry();
  std::lock_guard<std::mutex> hold(folders.lock);
  auto found = folders.idsByPath.find(path);
  if (found != folders.idsByPath.end()) return found->second;
  long id = FolderRegistry::kFirstId + static_cast<long>(folders.pathsById.size());
  folders.pathsById.push_back(path);
  folders.idsByPath.emplace(path, id);
  return id;
}

bool platformPathForDirID(long dirID, std::string* path) {
  FolderRegistry& folders = registry();
  std::lock_guard<std::mutex> hold(folders.lock);
  long index = dirID - FolderRegistry::kFirstId;
  if (index < 0 || index >= static_cast<long>(folders.pathsById.size())) return false;
  if (path != nullptr) *path = folders.pathsById[static_cast<size_t>(index)];
  return true;
}

bool platformPathOfFSSpec(const FSSpec* spec, std::string* path) {
  std::string folder;
  if (spec == nullptr || !validLeafName(spec->name) || !platformPathForDirID(spec->parID, &folder)) return false;
  CFStringRef name = CFStringCreateWithPascalString(kCFAllocatorDefault, spec->name, kCFStringEncodingMacRoman);
  if (name == nullptr) return false;
  std::string leaf = CFStringToUTF8(name);
  CFRelease(name);
  if (path != nullptr) *path = (folder == "/" ? folder : folder + "/") + leaf;
  return true;
}

OSErr FSMakeFSSpec(short vRefNum, long dirID, ConstStr255Param name, FSSpec* spec) {
  if (spec == nullptr) return paramErr;
  std::memset(spec, 0, sizeof *spec);
  if (!platformPathForDirID(dirID, nullptr)) return dirNFErr;
  if (!validLeafName(name)) return bdNamErr;
  spec->vRefNum = vRefNum == 0 ? static_cast<short>(kVelmoranceVolume) : vRefNum;
  spec->parID = dirID;
  std::memcpy(spec->name, name, static_cast<size_t>(name[0]) + 1);
  std::string path;
  if (!platformPathOfFSSpec(spec, &path)) return bdNamErr;
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? noErr : fnfErr;
}

OSErr platformFSSpecForPath(const std::string& absolutePath, FSSpec* spec) {
  size_t slash = absolutePath.find_last_of('/');
  if (absolutePath.empty() || absolutePath[0] != '/' || slash + 1 >= absolutePath.size()) return bdNamErr;
  std::string folder = slash == 0 ? "/" : absolutePath.substr(0, slash);
  CFStringRef leaf = CFStringCreateWithCString(kCFAllocatorDefault, absolutePath.c_str() + slash + 1,
                                               kCFStringEncodingUTF8);
  Str255 name = {0};
  bool converted = leaf != nullptr && CFStringGetPascalString(leaf, name, sizeof name, kCFStringEncodingMacRoman);
  if (leaf != nullptr) CFRelease(leaf);
  if (!converted) return bdNamErr;
  return FSMakeFSSpec(kVelmoranceVolume, platformDirIDForPath(folder), name, spec);
}

bool platformSetPreferencesFolder(const std::string& absolutePath) {
  if (!absolutePath.empty() && absolutePath[0] != '/') return false;
  PreferencesOverride& chosen = preferencesOverride();
  std::lock_guard<std::mutex> hold(chosen.lock);
  chosen.folder = absolutePath.empty() ? std::string() : normalisedFolder(absolutePath);
  return true;
}

OSErr FindFolder(short vRefNum, OSType folderType, Boolean /*createFolder*/, short* foundVRefNum, long* foundDirID) {
  if (vRefNum != kOnSystemDisk && vRefNum != kVelmoranceVolume) return fnfErr;
  if (folderType != kPreferencesFolderType) return fnfErr;
  std::string folder = preferencesFolder();
  if (folder.empty() || !makeFolderTree(folder)) return fnfErr;
  if (foundVRefNum != nullptr) *foundVRefNum = kVelmoranceVolume;
  if (foundDirID != nullptr) *foundDirID = platformDirIDForPath(folder);
  return noErr;
}
