#include "platform/files/file_refs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/strings/cfstring.h"

namespace {

// Type and creator, most significant byte first, as the Finder kept them.
constexpr char kTypeAttribute[] = "user.velmorance.type-creator";

struct OpenFiles {
  std::mutex lock;
  std::map<short, int> descriptors;
  short next = 1;
};

OpenFiles& openFiles() {
  static OpenFiles instance;
  return instance;
}

int descriptorFor(short refNum) {
  OpenFiles& files = openFiles();
  std::lock_guard<std::mutex> hold(files.lock);
  auto found = files.descriptors.find(refNum);
  return found == files.descriptors.end() ? -1 : found->second;
}

OSErr errorFromErrno() {
  switch (errno) {
    case ENOENT: case ENOTDIR: return fnfErr;
    case EEXIST: return dupFNErr;
    case EACCES: case EPERM: case EROFS: return wrPermErr;
    case EMFILE: case ENFILE: return tmfoErr;
    default: return ioErr;
  }
}

void putCode(uint8_t* bytes, OSType code) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(code >> (24 - 8 * i));
}

OSType getCode(const uint8_t* bytes) {
  return (OSType(bytes[0]) << 24) | (OSType(bytes[1]) << 16) | (OSType(bytes[2]) << 8) | OSType(bytes[3]);
}

std::string folderPathForID(long dirID, bool* known) {
  if (dirID == fsRtDirID) {
    *known = true;
    return std::string(1, '/');
  }
  std::string path;
  *known = platformPathForDirID(dirID, &path);
  return path;
}

long idForFolder(const std::string& path) { return path == "/" ? long{fsRtDirID} : platformDirIDForPath(path); }

}  // namespace

std::string platformPathOfFSRef(const FSRef* ref) {
  if (ref == nullptr) return {};
  return std::string(ref->path, strnlen(ref->path, sizeof ref->path));
}

bool platformFSRefForPath(const std::string& path, FSRef* ref) {
  if (ref == nullptr || path.empty() || path.size() >= sizeof ref->path) return false;
  std::memcpy(ref->path, path.c_str(), path.size() + 1);
  return true;
}

OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef) {
  std::string path;
  if (newRef == nullptr || !platformPathOfFSSpec(source, &path)) return paramErr;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return fnfErr;
  return platformFSRefForPath(path, newRef) ? noErr : paramErr;
}

OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                       HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef) {
  if (ref == nullptr || whichInfo != kFSCatInfoNone || catalogInfo != nullptr || outName != nullptr ||
      parentRef != nullptr)
    return paramErr;
  if (fsSpec == nullptr) return noErr;
  return platformFSSpecForPath(platformPathOfFSRef(ref), fsSpec);
}

OSErr FSpDelete(const FSSpec* spec) {
  std::string path;
  if (!platformPathOfFSSpec(spec, &path)) return paramErr;
  return remove(path.c_str()) == 0 ? OSErr{noErr} : errorFromErrno();
}

OSErr FSpCreate(const FSSpec* spec, OSType creator, OSType fileType, short) {
  std::string path;
  if (!platformPathOfFSSpec(spec, &path)) return paramErr;
  int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
  if (fd < 0) return errorFromErrno();
  close(fd);
  uint8_t codes[8];
  putCode(codes, fileType);
  putCode(codes + 4, creator);
  // A file system without user attributes keeps the file but not its type.
  setxattr(path.c_str(), kTypeAttribute, codes, sizeof codes, 0);
  return noErr;
}

OSErr platformGetFileTypeAndCreator(const char* path, OSType* fileType, OSType* creator) {
  if (path == nullptr) return paramErr;
  struct stat info;
  if (stat(path, &info) != 0) return fnfErr;
  uint8_t codes[8] = {0};
  if (getxattr(path, kTypeAttribute, codes, sizeof codes) != static_cast<ssize_t>(sizeof codes))
    std::memset(codes, 0, sizeof codes);
  if (fileType != nullptr) *fileType = getCode(codes);
  if (creator != nullptr) *creator = getCode(codes + 4);
  return noErr;
}

OSErr FSpOpenDF(const FSSpec* spec, SInt8 permission, short* refNum) {
  std::string path;
  if (refNum == nullptr) return paramErr;
  *refNum = 0;
  if (!platformPathOfFSSpec(spec, &path)) return paramErr;
  int flags = permission == fsRdPerm ? O_RDONLY : permission == fsWrPerm ? O_WRONLY : O_RDWR;
  int fd = open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0 && permission == fsCurPerm) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errorFromErrno();
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    return fnfErr;
  }
  OpenFiles& files = openFiles();
  std::lock_guard<std::mutex> hold(files.lock);
  for (int tries = 0; tries < 32767; ++tries) {
    short candidate = files.next;
    files.next = files.next == 32767 ? 1 : static_cast<short>(files.next + 1);
    if (files.descriptors.emplace(candidate, fd).second) {
      *refNum = candidate;
      return noErr;
    }
  }
  close(fd);
  return tmfoErr;
}

OSErr SetFPos(short refNum, short posMode, long posOff) {
  int fd = descriptorFor(refNum);
  if (fd < 0) return rfNumErr;
  int whence = posMode == fsFromLEOF ? SEEK_END : posMode == fsFromMark || posMode == fsAtMark ? SEEK_CUR : SEEK_SET;
  if (posMode == fsAtMark) posOff = 0;
  return lseek(fd, posOff, whence) < 0 ? OSErr{posErr} : OSErr{noErr};
}

OSErr GetFPos(short refNum, long* filePos) {
  int fd = descriptorFor(refNum);
  if (fd < 0) return rfNumErr;
  off_t at = lseek(fd, 0, SEEK_CUR);
  if (at < 0) return ioErr;
  if (filePos != nullptr) *filePos = static_cast<long>(at);
  return noErr;
}

OSErr FSWrite(short refNum, long* count, const void* buffer) {
  int fd = descriptorFor(refNum);
  if (fd < 0) return rfNumErr;
  if (count == nullptr || *count < 0 || (buffer == nullptr && *count > 0)) return paramErr;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  long done = 0;
  while (done < *count) {
    ssize_t wrote = write(fd, bytes + done, static_cast<size_t>(*count - done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      OSErr err = errno == EBADF ? OSErr{wrPermErr} : OSErr{ioErr};
      *count = done;
      return err;
    }
    done += wrote;
  }
  return noErr;
}

OSErr FSRead(short refNum, long* count, void* buffer) {
  int fd = descriptorFor(refNum);
  if (fd < 0) return rfNumErr;
  if (count == nullptr || *count < 0 || (buffer == nullptr && *count > 0)) return paramErr;
  auto* bytes = static_cast<uint8_t*>(buffer);
  long done = 0;
  while (done < *count) {
    ssize_t got = read(fd, bytes + done, static_cast<size_t>(*count - done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *count = done;
      return ioErr;
    }
    if (got == 0) break;
    done += got;
  }
  bool shortRead = done < *count;
  *count = done;
  return shortRead ? eofErr : noErr;
}

OSErr FSClose(short refNum) {
  OpenFiles& files = openFiles();
  int fd;
  {
    std::lock_guard<std::mutex> hold(files.lock);
    auto found = files.descriptors.find(refNum);
    if (found == files.descriptors.end()) return rfNumErr;
    fd = found->second;
    files.descriptors.erase(found);
  }
  return close(fd) == 0 ? noErr : ioErr;
}

OSErr PBGetCatInfoSync(CInfoPBPtr pb) {
  if (pb == nullptr) return paramErr;
  if (pb->ioFDirIndex != -1) return pb->ioResult = paramErr;
  bool known = false;
  std::string folder = folderPathForID(pb->ioDrDirID, &known);
  if (!known) return pb->ioResult = dirNFErr;
  std::string name = kVelmoranceVolumeName;
  long parent = fsRtParID;
  if (folder != "/") {
    size_t slash = folder.find_last_of('/');
    name = folder.substr(slash + 1);
    parent = idForFolder(slash == 0 ? "/" : folder.substr(0, slash));
  }
  if (pb->ioNamePtr != nullptr) {
    CFStringRef text = CFStringCreateWithCString(kCFAllocatorDefault, name.c_str(), kCFStringEncodingUTF8);
    Str255 converted = {0};
    bool ok = text != nullptr && CFStringGetPascalString(text, converted, sizeof converted, kCFStringEncodingMacRoman);
    if (text != nullptr) CFRelease(text);
    if (!ok) return pb->ioResult = bdNamErr;
    std::memcpy(pb->ioNamePtr, converted, static_cast<size_t>(converted[0]) + 1);
  }
  if (folder == "/") pb->ioDrDirID = fsRtDirID;
  pb->ioDrParID = parent;
  return pb->ioResult = noErr;
}
