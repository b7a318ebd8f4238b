#include "host/media/argb_frame.h"

#include <cstring>
#include <new>

namespace vmhost {

ArgbFrame::ArgbFrame(int width, int height)
    : width_(width), height_(height), rowBytes_((width * 4 + 63) / 64 * 64) {
  const size_t bytes = static_cast<size_t>(rowBytes_) * static_cast<size_t>(height > 0 ? height : 1);
  pixels_.reset(static_cast<uint8_t*>(std::aligned_alloc(64, bytes)));
  if (!pixels_) throw std::bad_alloc();
  std::memset(pixels_.get(), 0, bytes);
}

}  // namespace vmhost
