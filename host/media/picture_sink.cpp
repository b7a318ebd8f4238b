// Picture output: one PNG, TIFF or JPEG, or one per frame when the name
// holds a number field. PNG and TIFF pixels are repacked by byte moves
// only, so they stay exact; JPEG takes full-range BT.601 YUV.
#include <cstdio>
#include <vector>

#include "host/media/ffmpeg_util.h"
#include "host/media/frame_sink.h"
#include "host/media/picture_convert.h"
#include "host/media/picture_sequence.h"
#include "host/media/pixel_pack.h"
#include "host/media/temp_file.h"

namespace vmhost {

namespace {

class PictureSink final : public FrameSink {
 public:
  bool open(const OutputSpec& spec, AVCodecID codecId, std::string& error) {
    spec_ = spec;
    pattern_ = isSequencePattern(spec.path);
    if (!pattern_ && spec.frameCount > 1) {
      error = spec.path + ": one picture cannot hold " + std::to_string(spec.frameCount) +
              " frames (name a sequence such as out_%04d" + spec.path.substr(spec.path.rfind('.')) +
              ", or render --frames 1)";
      return false;
    }
    // Every name the render will write is checked before the first frame.
    for (int64_t i = 0; pattern_ && i < spec.frameCount; ++i)
      if (error = refuseExisting(nameFor(i), spec.overwrite); !error.empty()) return false;
    const AVCodec* codec = avcodec_find_encoder(codecId);
    encoder_.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!encoder_) {
      error = std::string("this FFmpeg has no ") + avcodec_get_name(codecId) + " encoder";
      return false;
    }
    frame_ = allocFrame();
    packet_ = allocPacket();
    format_ = codecId == AV_CODEC_ID_MJPEG ? AV_PIX_FMT_YUVJ444P : spec.alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24;
    encoder_->width = spec.width;
    encoder_->height = spec.height;
    encoder_->pix_fmt = format_;
    encoder_->time_base = av_inv_q(spec.frameRate);
    encoder_->sample_aspect_ratio = spec.sampleAspect;
    if (codecId == AV_CODEC_ID_MJPEG) {
      // A picture-quality scale rather than a bit rate.
      encoder_->flags |= AV_CODEC_FLAG_QSCALE;
      encoder_->global_quality = FF_QP2LAMBDA * 2;
      encoder_->color_range = AVCOL_RANGE_JPEG;
    }
    int rc = avcodec_open2(encoder_.get(), codec, nullptr);
    frame_->format = format_;
    frame_->width = spec.width;
    frame_->height = spec.height;
    frame_->quality = encoder_->global_quality;
    if (rc >= 0) rc = av_frame_get_buffer(frame_.get(), 0);
    if (rc < 0) {
      error = std::string("cannot set up the ") + codec->name + " encoder (" + avErrorText(rc) + ")";
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
    if (av_frame_make_writable(frame_.get()) < 0) throw std::bad_alloc();
    if (!unpackArgb(argb, rowBytes, format_, frame_->data[0], frame_->linesize[0], spec_.width, spec_.height) &&
        !converter_.fromArgb(argb, rowBytes, ColourSpace{AVCOL_SPC_BT470BG, true}, *frame_, error))
      return false;
    frame_->pts = written_;
    int rc = avcodec_send_frame(encoder_.get(), frame_.get());
    std::vector<uint8_t> bytes;
    while (rc >= 0) {
      rc = avcodec_receive_packet(encoder_.get(), packet_.get());
      if (rc < 0) break;
      bytes.insert(bytes.end(), packet_->data, packet_->data + packet_->size);
      av_packet_unref(packet_.get());
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF && rc < 0) {
      error = "cannot encode a picture (" + avErrorText(rc) + ")";
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
  std::string nameFor(int64_t frame) const {
    return pattern_ ? sequenceName(spec_.path, frame + kFirstSequenceNumber) : spec_.path;
  }

  bool startFile(std::string& error) {
    TempFile file;
    const std::string name = nameFor(written_);
    if (!file.create(name, error)) return false;
    files_.push_back(std::move(file));
    finalNames_.push_back(name);
    return true;
  }

  OutputSpec spec_;
  bool pattern_ = false;
  AVPixelFormat format_ = AV_PIX_FMT_RGB24;
  CodecContextPtr encoder_;
  FramePtr frame_;
  PacketPtr packet_;
  PictureConverter converter_;
  std::vector<TempFile> files_;
  std::vector<std::string> finalNames_;
  int64_t written_ = 0;
};

}  // namespace

std::unique_ptr<FrameSink> openPictureSink(const OutputSpec& spec, AVCodecID codec, std::string& error) {
  auto sink = std::make_unique<PictureSink>();
  if (!sink->open(spec, codec, error)) return nullptr;
  return sink;
}

}  // namespace vmhost
