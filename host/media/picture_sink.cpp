// Picture output: one PNG, TIFF or JPEG, or one per frame when the name
// holds a number field. PNG and TIFF pixels are repacked by byte moves
// only, so they stay exact; JPEG takes full-range BT.601 YUV.
#include <cstdio>
#include <vector>

#include "host/media/encode_queue.h"
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
  ~PictureSink() override { queue_.reset(); }  // its thread uses everything below

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
    // Pictures are independent: the encoder works on several at once.
    encoder_->thread_count = 0;
    const int rc = avcodec_open2(encoder_.get(), codec, nullptr);
    if (rc < 0) {
      error = std::string("cannot set up the ") + codec->name + " encoder (" + avErrorText(rc) + ")";
      return false;
    }
    // The first file is made now so an unwritable folder fails early.
    if (!startFile(0, error)) return false;
    queue_ = std::make_unique<EncodeQueue>(
        [this](const EncodeQueue::Job& job, std::string& why) { return encodeFrame(job.pixels, why); });
    return true;
  }

  bool write(ArgbFrame& frame, const float*, int64_t, std::string& error) override {
    if (!pattern_ && submitted_ > 0) {
      error = spec_.path + ": one picture cannot hold more than one frame";
      return false;
    }
    ++submitted_;
    return queue_->push(frame, nullptr, 0, 0, error);
  }

  bool finish(std::string& error) override {
    // The queue's thread is idle once drained; the encoder's last pictures
    // come out here.
    if (!queue_->drain(error) || !encode(nullptr, error)) return false;
    if (written_ == 0) {
      error = spec_.path + ": no frame was rendered";
      return false;
    }
    for (TempFile& file : files_)
      if (!file.commit(error)) return false;
    return true;
  }

 private:
  std::string nameFor(int64_t frame) const {
    return pattern_ ? sequenceName(spec_.path, frame + kFirstSequenceNumber) : spec_.path;
  }

  bool startFile(int64_t frame, std::string& error) {
    TempFile file;
    const std::string name = nameFor(frame);
    if (!file.create(name, error)) return false;
    files_.push_back(std::move(file));
    finalNames_.push_back(name);
    return true;
  }

  // A picture the encoder holds no more, to convert the next frame into.
  AVFrame* freePicture() {
    for (FramePtr& picture : pictures_)
      if (av_frame_is_writable(picture.get())) return picture.get();
    FramePtr picture = allocFrame();
    picture->format = format_;
    picture->width = spec_.width;
    picture->height = spec_.height;
    picture->quality = encoder_->global_quality;
    if (av_frame_get_buffer(picture.get(), 0) < 0) throw std::bad_alloc();
    pictures_.push_back(std::move(picture));
    return pictures_.back().get();
  }

  // Converts one frame and hands it to the encoder (queue thread).
  bool encodeFrame(const ArgbFrame& argb, std::string& error) {
    const int64_t frame = sent_++;
    if (frame > 0 && !startFile(frame, error)) return false;
    AVFrame* picture = freePicture();
    if (!unpackArgb(argb.data(), argb.rowBytes(), format_, picture->data[0], picture->linesize[0], spec_.width,
                    spec_.height) &&
        !converter_.fromArgb(argb.data(), argb.rowBytes(), ColourSpace{AVCOL_SPC_BT470BG, true}, *picture, error))
      return false;
    picture->pts = frame;
    return encode(picture, error);
  }

  // Sends one picture (nullptr: the end) and writes every picture that comes
  // out to the file of its frame.
  bool encode(const AVFrame* picture, std::string& error) {
    int rc = avcodec_send_frame(encoder_.get(), picture);
    while (rc >= 0) {
      rc = avcodec_receive_packet(encoder_.get(), packet_.get());
      if (rc < 0) break;
      const auto frame = static_cast<size_t>(packet_->pts);
      std::FILE* file = frame < files_.size() ? std::fopen(files_[frame].path().c_str(), "wb") : nullptr;
      const auto size = static_cast<size_t>(packet_->size);
      const bool ok = file != nullptr && std::fwrite(packet_->data, 1, size, file) == size;
      av_packet_unref(packet_.get());
      if (file != nullptr && std::fclose(file) != 0) file = nullptr;
      if (!ok || file == nullptr) {
        error = (frame < finalNames_.size() ? finalNames_[frame] : spec_.path) + ": cannot write the picture";
        return false;
      }
      ++written_;
    }
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    error = "cannot encode a picture (" + avErrorText(rc) + ")";
    return false;
  }

  OutputSpec spec_;
  bool pattern_ = false;
  AVPixelFormat format_ = AV_PIX_FMT_RGB24;
  CodecContextPtr encoder_;
  std::vector<FramePtr> pictures_;  // the encoder may hold several at once
  PacketPtr packet_;
  PictureConverter converter_;
  std::vector<TempFile> files_;  // one a frame sent, made on the queue's thread after the first
  std::vector<std::string> finalNames_;
  int64_t submitted_ = 0;  // frames given to the queue
  int64_t sent_ = 0;       // frames given to the encoder
  int64_t written_ = 0;    // pictures written
  // Last, so its thread stops before anything it uses is freed.
  std::unique_ptr<EncodeQueue> queue_;
};

}  // namespace

std::unique_ptr<FrameSink> openPictureSink(const OutputSpec& spec, AVCodecID codec, std::string& error) {
  auto sink = std::make_unique<PictureSink>();
  if (!sink->open(spec, codec, error)) return nullptr;
  return sink;
}

}  // namespace vmhost
