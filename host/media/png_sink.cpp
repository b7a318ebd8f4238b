// PNG output: one picture, or one per frame when the name holds a printf
// pattern. Pixels are repacked by byte moves only, so they stay exact.
#include <cstdio>
#include <vector>

#include "host/media/ffmpeg_util.h"
#include "host/media/frame_sink.h"
#include "host/media/pixel_pack.h"
#include "host/media/temp_file.h"

namespace vmhost {

namespace {

// ffmpeg numbers picture sequences from 1; so does this.
constexpr int kFirstNumber = 1;

class PngSink final : public FrameSink {
 public:
  bool open(const OutputSpec& spec, std::string& error) {
    spec_ = spec;
    pattern_ = spec.path.find('%') != std::string::npos;
    if (pattern_ && !nameFor(0, error)) return false;
    if (!pattern_ && spec.frameCount > 1) {
      error = spec.path + ": one picture cannot hold " + std::to_string(spec.frameCount) +
              " frames (name a sequence such as out_%04d.png, or render --frames 1)";
      return false;
    }
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    encoder_.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!encoder_ || !frame_ || !packet_) {
      error = "cannot set up the PNG encoder";
      return false;
    }
    format_ = spec.alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24;
    encoder_->width = spec.width;
    encoder_->height = spec.height;
    encoder_->pix_fmt = format_;
    encoder_->time_base = av_inv_q(spec.frameRate);
    int rc = avcodec_open2(encoder_.get(), codec, nullptr);
    frame_->format = format_;
    frame_->width = spec.width;
    frame_->height = spec.height;
    if (rc >= 0) rc = av_frame_get_buffer(frame_.get(), 0);
    if (rc < 0) {
      error = "cannot set up the PNG encoder (" + avErrorText(rc) + ")";
      return false;
    }
    // The first file is made now so an unwritable folder fails early.
    return startFile(error);
  }

  bool write(const uint8_t* argb, int rowBytes, const float*, int64_t, std::string& error) override {
    if (!pattern_ && written_ > 0) {
      error = spec_.path + ": one picture cannot hold more than one frame";
      return false;
    }
    if (written_ > 0 && !startFile(error)) return false;
    int rc = av_frame_make_writable(frame_.get());
    if (rc < 0) {
      error = "out of memory";
      return false;
    }
    unpackArgb(argb, rowBytes, format_, frame_->data[0], frame_->linesize[0], spec_.width, spec_.height);
    frame_->pts = written_;
    rc = avcodec_send_frame(encoder_.get(), frame_.get());
    std::vector<uint8_t> bytes;
    while (rc >= 0) {
      rc = avcodec_receive_packet(encoder_.get(), packet_.get());
      if (rc < 0) break;
      bytes.insert(bytes.end(), packet_->data, packet_->data + packet_->size);
      av_packet_unref(packet_.get());
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF && rc < 0) {
      error = "cannot encode a PNG (" + avErrorText(rc) + ")";
      return false;
    }
    std::FILE* file = std::fopen(files_.back().path().c_str(), "wb");
    const bool ok = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr && std::fclose(file) != 0) file = nullptr;
    if (!ok || file == nullptr) {
      error = finalNames_.back() + ": cannot write the picture";
      return false;
    }
    ++written_;
    return true;
  }

  bool finish(std::string& error) override {
    if (written_ == 0) {
      error = spec_.path + ": no frame was rendered";
      return false;
    }
    // The last file made is still empty when fewer frames came than planned.
    if (files_.size() > static_cast<size_t>(written_)) files_.pop_back();
    for (TempFile& file : files_)
      if (!file.commit(error)) return false;
    return true;
  }

 private:
  bool nameFor(int64_t frame, std::string& error) {
    char name[4096];
    if (av_get_frame_filename2(name, sizeof name, spec_.path.c_str(), static_cast<int>(frame + kFirstNumber), 0) <
        0) {
      error = spec_.path + ": not a picture sequence pattern (use one number field such as %04d)";
      return false;
    }
    lastName_ = name;
    return true;
  }

  bool startFile(std::string& error) {
    if (pattern_) {
      if (!nameFor(written_, error)) return false;
    } else {
      lastName_ = spec_.path;
    }
    TempFile file;
    if (!file.create(lastName_, error)) return false;
    files_.push_back(std::move(file));
    finalNames_.push_back(lastName_);
    return true;
  }

  OutputSpec spec_;
  bool pattern_ = false;
  AVPixelFormat format_ = AV_PIX_FMT_RGB24;
  CodecContextPtr encoder_;
  FramePtr frame_;
  PacketPtr packet_;
  std::vector<TempFile> files_;
  std::vector<std::string> finalNames_;
  std::string lastName_;
  int64_t written_ = 0;
};

}  // namespace

std::unique_ptr<FrameSink> openPngSink(const OutputSpec& spec, std::string& error) {
  auto sink = std::make_unique<PngSink>();
  if (!sink->open(spec, error)) return nullptr;
  return sink;
}

}  // namespace vmhost
