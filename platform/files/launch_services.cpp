#include "platform/files/launch_services.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QStringList>
#include <cstring>

#include "platform/files/file_refs.h"
#include "platform/files/url_strings.h"

namespace {

bool exists(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0;
}

std::string extensionOf(const std::string& path) {
  std::string leaf = path.substr(path.find_last_of('/') + 1);
  size_t dot = leaf.find_last_of('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == leaf.size()) return {};
  return leaf.substr(dot + 1);
}

LSItemInfoFlags basicFlags(const std::string& path) {
  struct stat link, info;
  LSItemInfoFlags flags = 0;
  if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) flags |= kLSItemInfoIsSymlink;
  if (stat(path.c_str(), &info) != 0) return flags;
  std::string ext = extensionOf(path);
  if (S_ISDIR(info.st_mode)) {
    flags |= kLSItemInfoIsContainer;
    if (ext == "bundle" || ext == "app") flags |= kLSItemInfoIsPackage;
    if (ext == "app") flags |= kLSItemInfoIsApplication;
  } else {
    flags |= kLSItemInfoIsPlainFile;
    if (access(path.c_str(), X_OK) == 0) flags |= kLSItemInfoIsApplication;
  }
  if (path.substr(path.find_last_of('/') + 1).rfind('.', 0) == 0) flags |= kLSItemInfoIsInvisible;
  return flags;
}

}  // namespace

OSStatus LSCopyItemInfoForRef(const FSRef* inItemRef, LSRequestedInfo inWhichInfo, LSItemInfoRecord* outItemInfo) {
  if (inItemRef == nullptr || outItemInfo == nullptr) return paramErr;
  std::memset(outItemInfo, 0, sizeof *outItemInfo);
  const std::string path = platformPathOfFSRef(inItemRef);
  if (!exists(path)) return fnfErr;
  if (inWhichInfo & kLSRequestBasicFlagsOnly) outItemInfo->flags = basicFlags(path);
  if (inWhichInfo & kLSRequestTypeCreator)
    platformGetFileTypeAndCreator(path.c_str(), &outItemInfo->filetype, &outItemInfo->creator);
  if (inWhichInfo & kLSRequestExtension) {
    std::string ext = extensionOf(path);
    if (!ext.empty())
      outItemInfo->extension = CFStringCreateWithCString(kCFAllocatorDefault, ext.c_str(), kCFStringEncodingUTF8);
  }
  return noErr;
}

OSStatus LSOpenCFURLRef(CFURLRef inURL, CFURLRef*) {
  if (inURL == nullptr) return paramErr;
  FSRef ref;
  if (!CFURLGetFSRef(inURL, &ref)) return fnfErr;
  return LSOpenFSRef(&ref, nullptr);
}

OSStatus LSOpenFromRefSpec(const LSLaunchFSRefSpec* inLaunchSpec, FSRef*) {
  if (inLaunchSpec == nullptr || (inLaunchSpec->numDocs > 0 && inLaunchSpec->itemRefs == nullptr)) return paramErr;
  QStringList documents;
  for (UInt32 i = 0; i < inLaunchSpec->numDocs; ++i) {
    std::string path = platformPathOfFSRef(&inLaunchSpec->itemRefs[i]);
    if (!exists(path)) return fnfErr;
    documents << QString::fromStdString(path);
  }
  if (inLaunchSpec->appRef == nullptr) {
    for (UInt32 i = 0; i < inLaunchSpec->numDocs; ++i) {
      OSStatus status = LSOpenFSRef(&inLaunchSpec->itemRefs[i], nullptr);
      if (status != noErr) return status;
    }
    return noErr;
  }
  const std::string app = platformPathOfFSRef(inLaunchSpec->appRef);
  struct stat info;
  if (stat(app.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || access(app.c_str(), X_OK) != 0)
    return kLSApplicationNotFoundErr;
  return QProcess::startDetached(QString::fromStdString(app), documents) ? OSStatus{noErr}
                                                                         : OSStatus{kLSApplicationNotFoundErr};
}
