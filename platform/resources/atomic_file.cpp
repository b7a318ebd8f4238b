#include "platform/resources/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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
    return false;
  }
  return writeAll(fd, bytes.data(), bytes.size());
}

mode_t newFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

void syncFolder(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

}  // namespace

OSErr platformReadWholeFile(const std::string& path, std::vector<UInt8>* bytes) {
  bytes->clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? fnfErr : ioErr;
  UInt8 buffer[65536];
  ssize_t got;
  while ((got = read(fd, buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      close(fd);
      bytes->clear();
      return ioErr;
    }
    bytes->insert(bytes->end(), buffer, buffer + got);
  }
  close(fd);
  return noErr;
}

OSErr platformWriteWholeFileAtomically(const std::string& path, const std::vector<UInt8>& bytes, bool mustNotExist) {
  struct stat existing;
  const bool exists = stat(path.c_str(), &existing) == 0;
  if (exists && mustNotExist) return dupFNErr;
  if (exists && !S_ISREG(existing.st_mode)) return ioErr;

  TempFile temp(path);
  if (!temp.valid()) return errno == ENOENT ? fnfErr : ioErr;
  const mode_t mode = exists ? (existing.st_mode & 07777) : newFileMode();
  if (fchmod(temp.fd(), mode) != 0 || !writeContents(temp.fd(), bytes) || fsync(temp.fd()) != 0 || !temp.closeFile())
    return ioErr;
  if (mustNotExist) {
    // link() refuses to replace a file made since the check above.
    if (link(temp.path().c_str(), path.c_str()) != 0) return errno == EEXIST ? dupFNErr : ioErr;
  } else if (rename(temp.path().c_str(), path.c_str()) != 0) {
    return ioErr;
  }
  if (!mustNotExist) temp.keep();
  syncFolder(path);
  return noErr;
}
