#include "host/media/stream_decoder.h"

namespace vmhost {

std::unique_ptr<StreamDecoder> StreamDecoder::open(const std::string& path, AVMediaType type, std::string& error) {
  error.clear();
  std::unique_ptr<StreamDecoder> decoder(new StreamDecoder());
  decoder->input_ = openInput(path, error, &decoder->sequenceFrames_);
  if (!decoder->input_) return nullptr;
  const int index = av_find_best_stream(decoder->input_.get(), type, -1, -1, nullptr, 0);
  if (index < 0) return nullptr;
  decoder->stream_ = keepOnlyStream(decoder->input_.get(), index);
  std::string why;
  decoder->decoder_ = openDecoder(decoder->stream_, why);
  if (!decoder->decoder_) {
    error = path + ": " + (type == AVMEDIA_TYPE_AUDIO ? "audio: " : "") + why;
    return nullptr;
  }
  decoder->packet_ = allocPacket();
  return decoder;
}

namespace {

// Decoders report bad packets with many codes, some of them their own;
// only running out of memory is no fault of the packet.
bool isFatal(int rc) { return rc == AVERROR(ENOMEM); }

}  // namespace

bool StreamDecoder::next(AVFrame* frame, std::string& error) {
  for (;;) {
    int rc = avcodec_receive_frame(decoder_.get(), frame);
    if (rc == 0) return true;
    if (rc == AVERROR_EOF || (rc == AVERROR(EAGAIN) && draining_)) {
      ended_ = true;
      return false;
    }
    if (rc != AVERROR(EAGAIN)) {
      if (isFatal(rc)) {
        error = avErrorText(rc);
        return false;
      }
      // Decoders that read packets late report their damage here.
      damaged_.insert(lastPacket_);
      if (draining_) {
        ended_ = true;
        return false;
      }
      continue;
    }
    rc = av_read_frame(input_.get(), packet_.get());
    if (rc == AVERROR_EXIT) {
      error = "stopped";
      return false;
    }
    if (rc < 0) {
      // End of file (or a truncated one): drain what the decoder still holds.
      draining_ = true;
      avcodec_send_packet(decoder_.get(), nullptr);
      continue;
    }
    if (packet_->stream_index == stream_->index) {
      lastPacket_ = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->pos;
      rc = avcodec_send_packet(decoder_.get(), packet_.get());
      if (rc < 0 && rc != AVERROR(EAGAIN)) {
        if (isFatal(rc)) {
          av_packet_unref(packet_.get());
          error = avErrorText(rc);
          return false;
        }
        damaged_.insert(lastPacket_);
      }
    }
    av_packet_unref(packet_.get());
  }
}

bool StreamDecoder::seek(int64_t timestamp, std::string& error) {
  int rc = av_seek_frame(input_.get(), stream_->index, timestamp, AVSEEK_FLAG_BACKWARD);
  if (rc < 0) rc = av_seek_frame(input_.get(), stream_->index, INT64_MIN, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
  if (rc < 0) rc = avformat_seek_file(input_.get(), -1, INT64_MIN, 0, 0, 0);
  if (rc < 0) {
    error = "cannot seek (" + avErrorText(rc) + ")";
    return false;
  }
  avcodec_flush_buffers(decoder_.get());
  draining_ = false;
  ended_ = false;
  return true;
}

}  // namespace vmhost
