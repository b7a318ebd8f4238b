#include "host/media/frame_sink.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "host/media/picture_sequence.h"

namespace vmhost {

namespace {

class NullSink final : public FrameSink {
 public:
  bool write(ArgbFrame&, const float*, int64_t, std::string&) override { return true; }
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

AVCodecID pictureCodec(const std::string& ext) {
  if (ext == ".png") return AV_CODEC_ID_PNG;
  if (ext == ".tif" || ext == ".tiff") return AV_CODEC_ID_TIFF;
  if (ext == ".jpg" || ext == ".jpeg") return AV_CODEC_ID_MJPEG;
  return AV_CODEC_ID_NONE;
}

constexpr const char* kKnownOutputs = "use .mp4, .mov, .mkv, .webm, .avi, .ts, .gif, or .png, .tif, .jpg pictures";

}  // namespace

bool isPictureOutput(const std::string& path) { return pictureCodec(lowerExtension(path)) != AV_CODEC_ID_NONE; }

std::string refuseExisting(const std::string& path, bool overwrite) {
  struct stat info {};
  if (overwrite || stat(path.c_str(), &info) != 0) return {};
  return path + " exists (add --overwrite to replace it)";
}

std::unique_ptr<FrameSink> openFrameSink(const OutputSpec& spec, std::string& error) {
  if (spec.path == "null") return std::make_unique<NullSink>();
  const bool toStdout = spec.path == "-";
  if (!toStdout && !isSequencePattern(spec.path)) {
    if (error = refuseExisting(spec.path, spec.overwrite); !error.empty()) return nullptr;
  }
  const std::string ext = lowerExtension(spec.path);
  const AVCodecID picture = spec.format.empty() ? pictureCodec(ext) : AV_CODEC_ID_NONE;
  if (picture != AV_CODEC_ID_NONE) {
    if (spec.encoders.lossless && picture == AV_CODEC_ID_MJPEG) {
      error = spec.path + ": lossless output is written as .mkv (or .png)";
      return nullptr;
    }
    return openPictureSink(spec, picture, error);
  }
  if (toStdout && spec.format.empty()) {
    error = "-: name the container for standard output with --format (matroska, nut, mpegts, ...)";
    return nullptr;
  }
  // A container named by --format is taken by its name alone.
  const AVOutputFormat* format = spec.format.empty() ? av_guess_format(nullptr, spec.path.c_str(), nullptr)
                                                     : av_guess_format(spec.format.c_str(), nullptr, nullptr);
  if (!spec.format.empty() && format == nullptr) {
    error = "--format " + spec.format + ": FFmpeg knows no such container";
    return nullptr;
  }
  // Containers for sound (whose video is a cover picture) or for still
  // pictures alone are not outputs of a render.
  if (format == nullptr || format->video_codec == AV_CODEC_ID_NONE || format->video_codec == AV_CODEC_ID_PNG ||
      (format->flags & AVFMT_NOFILE)) {
    error = spec.path + ": unknown output type '" + (ext.empty() ? "(no extension)" : ext) + "' (" + kKnownOutputs +
            ")";
    return nullptr;
  }
  if (spec.encoders.lossless && std::string(format->name) != "matroska") {
    error = spec.path + ": lossless output is written as .mkv (or .png)";
    return nullptr;
  }
  return openMovieSink(spec, format, error);
}

}  // namespace vmhost
