#include "platform/resources/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/memory/fault_injection.h"

namespace {

// Closes the descriptor and, unless released, removes the temporary file.
class TempFile {
 public:
  explicit TempFile(std::string folderAndPrefix) : path_(std::move(folderAndPrefix) + ".vmtmp-XXXXXX") {
    fd_ = mkstemp(path_.data());
    created_ = fd_ >= 0;
  }
  ~TempFile() {
    closeFile();
    if (created_ && !kept_) unlink(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool valid() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  bool closeFile() {
    if (fd_ < 0) return true;
    bool ok = close(fd_) == 0;
    fd_ = -1;
    return ok;
  }
  void keep() { kept_ = true; }

 private:
  std::string path_;
  int fd_ = -1;
  bool created_ = false;
  bool kept_ = false;
};

// An open descriptor, closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool writeAll(int fd, const UInt8* data, size_t count) {
  while (count > 0) {
    ssize_t written = write(fd, data, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    count -= static_cast<size_t>(written);
  }
  return true;
}

// Applies the test hook: writes only the allowed prefix and reports failure.
bool writeContents(int fd, const std::vector<UInt8>& bytes) {
  const long failAfter = vmfaults::resourceWriteLimit();
  if (failAfter >= 0 && static_cast<size_t>(failAfter) < bytes.size() + 1) {
    writeAll(fd, bytes.data(), static_cast<size_t>(failAfter));
    errno = EIO;
    return false;
  }
  return writeAll(fd, bytes.data(), bytes.size());
}

mode_t newFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

std::string folderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

void syncFolder(const std::string& path) {
  int fd = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

// Follows symbolic links to the path a write lands on, which need not exist
// yet. False, with errno set, when the links go round or cannot be read.
bool followLinks(std::string* path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info;
    if (lstat(path->c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    std::string target(PATH_MAX, '\0');
    const ssize_t length = readlink(path->c_str(), target.data(), target.size());
    if (length < 0) return false;
    if (static_cast<size_t>(length) == target.size()) return errno = ENAMETOOLONG, false;
    target.resize(static_cast<size_t>(length));
    *path = target[0] == '/' ? target : folderOf(*path) + "/" + target;
  }
  errno = ELOOP;
  return false;
}

}  // namespace

OSErr platformReadWholeFile(const std::string& path, std::vector<UInt8>* bytes) {
  bytes->clear();
  // Non-blocking, so that a pipe with no writer cannot hold the open.
  Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) return errno == ENOENT || errno == ENOTDIR ? fnfErr : ioErr;
  struct stat info;
  if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return ioErr;
  if (static_cast<uint64_t>(info.st_size) > kMaxResourceFileSize) return mapReadErr;
  bytes->reserve(static_cast<size_t>(info.st_size));
  UInt8 buffer[65536];
  for (;;) {
    const ssize_t got = read(file.get(), buffer, sizeof buffer);
    if (got == 0) return noErr;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return bytes->clear(), ioErr;
    // The file may have grown since it was measured.
    if (bytes->size() + static_cast<size_t>(got) > kMaxResourceFileSize) return bytes->clear(), mapReadErr;
    bytes->insert(bytes->end(), buffer, buffer + got);
  }
}

OSErr platformWriteWholeFileAtomically(const std::string& path, const std::vector<UInt8>& bytes, bool mustNotExist,
                                       std::string* reason) {
  auto fail = [reason](OSErr err, const char* why) {
    if (reason != nullptr) *reason = why;
    return err;
  };
  std::string target = path;
  if (!followLinks(&target)) return fail(ioErr, std::strerror(errno));
  struct stat existing;
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (exists && mustNotExist) return fail(dupFNErr, std::strerror(EEXIST));
  if (exists && !S_ISREG(existing.st_mode)) return fail(ioErr, "not a regular file");

  TempFile temp(target);
  if (!temp.valid()) return fail(errno == ENOENT ? fnfErr : ioErr, std::strerror(errno));
  const mode_t mode = exists ? (existing.st_mode & 07777) : newFileMode();
  if (fchmod(temp.fd(), mode) != 0 || !writeContents(temp.fd(), bytes) || fsync(temp.fd()) != 0 || !temp.closeFile())
    return fail(ioErr, std::strerror(errno));
  if (mustNotExist) {
    // link() refuses to replace a file made since the check above.
    if (link(temp.path().c_str(), target.c_str()) != 0)
      return fail(errno == EEXIST ? dupFNErr : ioErr, std::strerror(errno));
  } else if (rename(temp.path().c_str(), target.c_str()) != 0) {
    return fail(ioErr, std::strerror(errno));
  }
  if (!mustNotExist) temp.keep();
  syncFolder(target);
  return noErr;
}
