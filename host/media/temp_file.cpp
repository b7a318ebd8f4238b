#include "host/media/temp_file.h"

#include "host/media/stop_request.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace vmhost {

TempFile::~TempFile() { discard(); }

TempFile::TempFile(TempFile&& other) noexcept
    : path_(std::exchange(other.path_, {})), finalPath_(std::exchange(other.finalPath_, {})) {}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
  if (this != &other) {
    discard();
    path_ = std::exchange(other.path_, {});
    finalPath_ = std::exchange(other.finalPath_, {});
  }
  return *this;
}

void TempFile::discard() {
  if (!path_.empty()) {
    ::unlink(path_.c_str());
    markFinished(path_);
  }
  path_.clear();
}

bool TempFile::create(const std::string& finalPath, std::string& error) {
  discard();
  const size_t slash = finalPath.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : finalPath.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
  if (name.empty()) {
    error = finalPath + ": not a file name";
    return false;
  }
  const size_t dot = name.rfind('.');
  const std::string ext = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
  std::string pattern = dir + "." + name.substr(0, name.size() - ext.size()) + ".partial-XXXXXX" + ext;
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = ::mkstemps(buffer.data(), static_cast<int>(ext.size()));
  if (fd < 0) {
    error = finalPath + ": cannot write there (" + std::strerror(errno) + ")";
    return false;
  }
  // mkstemps makes the file private (0600); the finished output gets the
  // permissions any new file of the user's gets.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  ::close(fd);
  path_ = buffer.data();
  finalPath_ = finalPath;
  markUnfinished(path_);
  return true;
}

bool TempFile::commit(std::string& error) {
  if (path_.empty()) {
    error = finalPath_ + ": nothing was written";
    return false;
  }
  if (std::rename(path_.c_str(), finalPath_.c_str()) != 0) {
    error = finalPath_ + ": cannot put the finished file in place (" + std::strerror(errno) + ")";
    return false;
  }
  markFinished(path_);
  path_.clear();
  return true;
}

}  // namespace vmhost
