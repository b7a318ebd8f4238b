#include "host/media/frame_sink.h"

#include <algorithm>
#include <cctype>

namespace vmhost {

namespace {

class NullSink final : public FrameSink {
 public:
  bool write(const uint8_t*, int, const float*, int64_t, std::string&) override { return true; }
  bool finish(std::string&) override { return true; }
};

std::string lowerExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

}  // namespace

std::unique_ptr<FrameSink> openFrameSink(const OutputSpec& spec, std::string& error) {
  if (spec.path == "null") return std::make_unique<NullSink>();
  const std::string ext = lowerExtension(spec.path);
  if (ext == ".png") return openPngSink(spec, error);
  if (ext == ".mp4" || ext == ".mov" || ext == ".mkv") {
    if (spec.lossless && ext != ".mkv") {
      error = spec.path + ": lossless output is written as .mkv (or .png)";
      return nullptr;
    }
    return openMovieSink(spec, error);
  }
  error = spec.path + ": unknown output type '" + (ext.empty() ? "(no extension)" : ext) +
          "' (use .mp4, .mov, .mkv or .png)";
  return nullptr;
}

}  // namespace vmhost
