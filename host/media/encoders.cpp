#include "host/media/encoders.h"

#include <algorithm>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/opt.h>
}

namespace vmhost {

namespace {

struct Defaults {
  const char* container;
  const char* video;
  const char* audio;  // nullptr: the container holds no sound
};

constexpr Defaults kDefaults[] = {
    {"mp4", "libx264", "aac"},        {"mov", "libx264", "aac"},         {"matroska", "libx264", "aac"},
    {"avi", "libx264", "aac"},        {"mpegts", "libx264", "aac"},      {"webm", "libvpx-vp9", "libopus"},
    {"gif", "gif", nullptr},
};

const Defaults* defaultsFor(const AVOutputFormat* format) {
  for (const Defaults& d : kDefaults)
    if (std::strcmp(d.container, format->name) == 0) return &d;
  return nullptr;
}

const char* typeName(AVMediaType type) { return type == AVMEDIA_TYPE_VIDEO ? "video" : "audio"; }

// The encoder `option` names (or the default), checked against the container.
const AVCodec* findEncoder(const AVOutputFormat* format, AVMediaType type, const std::string& named,
                           const char* fallback, AVCodecID muxerDefault, const std::string& output,
                           std::string& error) {
  const std::string option = type == AVMEDIA_TYPE_VIDEO ? "--video-codec" : "--audio-codec";
  const AVCodec* codec = nullptr;
  if (!named.empty()) {
    codec = avcodec_find_encoder_by_name(named.c_str());
    if (codec == nullptr || codec->type != type) {
      error = option + " " + named + ": this FFmpeg has no " + typeName(type) + " encoder of that name";
      return nullptr;
    }
  } else if (fallback != nullptr) {
    codec = avcodec_find_encoder_by_name(fallback);
    if (codec == nullptr) {
      error = std::string("this FFmpeg has no ") + fallback + " encoder (choose one with " + option + ")";
      return nullptr;
    }
  } else {
    codec = avcodec_find_encoder(muxerDefault);
    if (codec == nullptr) {
      error = output + ": this FFmpeg has no encoder for the container's " + typeName(type) + " (choose one with " +
              option + ")";
      return nullptr;
    }
  }
  if (avformat_query_codec(format, codec->id, FF_COMPLIANCE_NORMAL) == 0) {
    error = output + ": the " + format->name + " container cannot hold " + avcodec_get_name(codec->id) + " " +
            typeName(type) + (named.empty() ? "" : " (choose another " + option + ")");
    return nullptr;
  }
  return codec;
}

bool isRgbLike(AVPixelFormat format) {
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
  return d == nullptr || (d->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) || d->nb_components < 3;
}

bool isPlain420(AVPixelFormat format) {
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
  return d != nullptr && d->comp[0].depth == 8 && d->log2_chroma_w == 1 && d->log2_chroma_h == 1;
}

// The old full-range formats: the range travels in the colour tags instead.
bool isJpegFormat(AVPixelFormat format) {
  return format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P ||
         format == AV_PIX_FMT_YUVJ440P || format == AV_PIX_FMT_YUVJ411P;
}

bool hasOption(const AVCodecContext* enc, const char* name) {
  return enc->priv_data != nullptr &&
         av_opt_find(const_cast<void*>(enc->priv_data), name, nullptr, 0, AV_OPT_SEARCH_CHILDREN) != nullptr;
}

}  // namespace

const AVCodec* findVideoEncoder(const AVOutputFormat* format, const EncoderChoice& choice, const std::string& output,
                                std::string& error) {
  const Defaults* d = defaultsFor(format);
  const char* fallback = choice.lossless ? "ffv1" : d != nullptr ? d->video : nullptr;
  return findEncoder(format, AVMEDIA_TYPE_VIDEO, choice.videoCodec, fallback, format->video_codec, output, error);
}

const AVCodec* findAudioEncoder(const AVOutputFormat* format, const EncoderChoice& choice, const std::string& output,
                                std::string& error) {
  error.clear();
  const Defaults* d = defaultsFor(format);
  if (format->audio_codec == AV_CODEC_ID_NONE || (d != nullptr && d->audio == nullptr)) {
    if (!choice.audioCodec.empty())
      error = "--audio-codec " + choice.audioCodec + ": the " + format->name + " container holds no sound";
    return nullptr;
  }
  const char* fallback = choice.lossless ? "flac" : d != nullptr ? d->audio : nullptr;
  return findEncoder(format, AVMEDIA_TYPE_AUDIO, choice.audioCodec, fallback, format->audio_codec, output, error);
}

AVPixelFormat pickPixelFormat(const AVCodec* codec, AVPixelFormat source, bool alpha, const std::string& requested,
                              std::string& error) {
  std::vector<AVPixelFormat> usable;
  for (const AVPixelFormat* f = codec->pix_fmts; f != nullptr && *f != AV_PIX_FMT_NONE; ++f)
    if (!isJpegFormat(*f) || codec->id == AV_CODEC_ID_MJPEG) usable.push_back(*f);
  if (!requested.empty()) {
    const AVPixelFormat wanted = av_get_pix_fmt(requested.c_str());
    if (wanted == AV_PIX_FMT_NONE) {
      error = "--pix-fmt " + requested + ": FFmpeg knows no such pixel format";
      return AV_PIX_FMT_NONE;
    }
    if (!usable.empty() && std::find(usable.begin(), usable.end(), wanted) == usable.end()) {
      std::string list;
      for (AVPixelFormat f : usable) list += (list.empty() ? "" : ", ") + std::string(av_get_pix_fmt_name(f));
      error = "--pix-fmt " + requested + ": the " + codec->name + " encoder takes " + list;
      return AV_PIX_FMT_NONE;
    }
    return wanted;
  }
  if (usable.empty()) return AV_PIX_FMT_YUV420P;
  const bool takes420 = std::find(usable.begin(), usable.end(), AV_PIX_FMT_YUV420P) != usable.end();
  if (takes420 && !alpha && (isRgbLike(source) || isPlain420(source))) return AV_PIX_FMT_YUV420P;
  usable.push_back(AV_PIX_FMT_NONE);
  const AVPixelFormat best = avcodec_find_best_pix_fmt_of_list(usable.data(), source == AV_PIX_FMT_NONE
                                                                                   ? AV_PIX_FMT_ARGB
                                                                                   : source,
                                                               alpha, nullptr);
  return best == AV_PIX_FMT_NONE ? usable.front() : best;
}

bool videoOptions(const AVCodec* codec, const EncoderChoice& choice, AVCodecContext* enc, DictionaryPtr& options,
                  std::string& error) {
  // Constant quality, as libx264 works by default; VP9 otherwise aims at a
  // low bit rate.
  if (std::strcmp(codec->name, "libvpx-vp9") == 0) {
    setOption(options, "crf", "32");
    setOption(options, "row-mt", "1");
    enc->bit_rate = 0;
  }
  if (choice.crf) {
    if (!hasOption(enc, "crf")) {
      error = std::string("--crf: the ") + codec->name + " encoder has no constant-quality setting";
      return false;
    }
    setOption(options, "crf", std::to_string(*choice.crf));
  }
  if (!choice.preset.empty()) {
    if (!hasOption(enc, "preset")) {
      error = std::string("--preset: the ") + codec->name + " encoder has no presets";
      return false;
    }
    setOption(options, "preset", choice.preset);
  }
  // x265 writes its own report on standard error; FFmpeg's log decides.
  if (std::strcmp(codec->name, "libx265") == 0 && av_log_get_level() < AV_LOG_INFO)
    setOption(options, "x265-params", "log-level=error");
  // A picture-quality scale rather than the default 200 kb/s for JPEG frames.
  if (codec->id == AV_CODEC_ID_MJPEG) {
    enc->flags |= AV_CODEC_FLAG_QSCALE;
    enc->global_quality = FF_QP2LAMBDA * 2;
  }
  return true;
}

}  // namespace vmhost
