#include "host/media/frame_cache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace vmhost {

namespace {

constexpr const char* kHeader = "velmorance frame times 1";
constexpr size_t kMostFrames = 100'000'000;

// What identifies one stream of one version of a file; empty for anything
// but a plain file.
std::string identity(const std::string& path, int stream) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  std::ostringstream key;
  key << info.st_dev << ' ' << info.st_ino << ' ' << info.st_size << ' ' << info.st_mtim.tv_sec << ' '
      << info.st_mtim.tv_nsec << ' ' << stream;
  return key.str();
}

std::string cacheFile(const std::string& key) {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  std::string folder = xdg != nullptr && *xdg != 0     ? std::string(xdg) + "/velmorance"
                       : home != nullptr && *home != 0 ? std::string(home) + "/.cache/velmorance"
                                                       : "";
  if (folder.empty() || key.empty()) return {};
  char name[32];
  std::snprintf(name, sizeof name, "/frames-%016zx", std::hash<std::string>{}(key));
  return folder + name;
}

}  // namespace

bool loadFrameTimes(const std::string& path, int stream, FrameTimes& times) {
  const std::string key = identity(path, stream);
  const std::string file = cacheFile(key);
  std::ifstream in(file);
  std::string header, stored;
  if (file.empty() || !std::getline(in, header) || !std::getline(in, stored) || header != kHeader || stored != key)
    return false;
  size_t count = 0;
  in >> times.timeBase.num >> times.timeBase.den >> times.end >> count;
  if (!in || times.timeBase.num <= 0 || times.timeBase.den <= 0 || count == 0 || count > kMostFrames) return false;
  // Each time is stored as its step from the one before.
  times.pts.resize(count);
  int64_t previous = 0;
  for (int64_t& pts : times.pts) {
    int64_t step = 0;
    in >> step;
    pts = previous + step;
    previous = pts;
  }
  return static_cast<bool>(in);
}

void saveFrameTimes(const std::string& path, int stream, const FrameTimes& times) {
  const std::string key = identity(path, stream);
  const std::string file = cacheFile(key);
  if (file.empty()) return;
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
  // Written aside and renamed, so a reader never sees half a file.
  const std::string partial = file + ".partial-" + std::to_string(getpid());
  {
    std::ofstream out(partial);
    out << kHeader << '\n' << key << '\n' << times.timeBase.num << ' ' << times.timeBase.den << ' ' << times.end << ' '
        << times.pts.size() << '\n';
    int64_t previous = 0;
    for (int64_t pts : times.pts) {
      out << pts - previous << '\n';
      previous = pts;
    }
    if (!out.flush()) {
      out.close();
      std::filesystem::remove(partial, ignored);
      return;
    }
  }
  std::filesystem::rename(partial, file, ignored);
  if (ignored) std::filesystem::remove(partial, ignored);
}

}  // namespace vmhost
