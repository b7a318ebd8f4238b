// Which encoders a movie output uses and how they are set: each container's
// defaults, or the user's choice checked against what FFmpeg has and what
// the container can hold.
#pragma once

#include <string>

#include "host/media/ffmpeg_util.h"
#include "host/media/frame_sink.h"

namespace vmhost {

// The video encoder for `format`: the one `choice` names, or the
// container's default (H.264; VP9 for WebM; GIF; FFV1 when lossless).
// `output` names the file in messages.
const AVCodec* findVideoEncoder(const AVOutputFormat* format, const EncoderChoice& choice, const std::string& output,
                                std::string& error);
// The audio encoder likewise (AAC; Opus for WebM; FLAC when lossless).
// Returns nullptr with `error` empty for a container that holds no sound.
const AVCodec* findAudioEncoder(const AVOutputFormat* format, const EncoderChoice& choice, const std::string& output,
                                std::string& error);

// The pixel format `codec` encodes in: the one asked for by name, else
// yuv420p for 8-bit 4:2:0 and RGB sources where the encoder takes it, else
// the nearest to `source` (keeping alpha when `alpha` and the encoder can).
AVPixelFormat pickPixelFormat(const AVCodec* codec, AVPixelFormat source, bool alpha, const std::string& requested,
                              std::string& error);

// Adds to `options` the encoder's private options for --crf and --preset,
// and the defaults some encoders need for a sensible picture.
bool videoOptions(const AVCodec* codec, const EncoderChoice& choice, AVCodecContext* enc, DictionaryPtr& options,
                  std::string& error);

}  // namespace vmhost
