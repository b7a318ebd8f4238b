// One frame of 32-bit ARGB rows in memory of its own, which moves from the
// render to the encoder without a copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace vmhost {

class ArgbFrame {
 public:
  ArgbFrame() = default;
  // Zeroed width x height pixels, every row starting on a 64-byte boundary.
  // Throws std::bad_alloc when memory runs out.
  ArgbFrame(int width, int height);

  uint8_t* data() { return pixels_.get(); }
  const uint8_t* data() const { return pixels_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  int rowBytes() const { return rowBytes_; }
  bool sameSize(const ArgbFrame& other) const { return width_ == other.width_ && height_ == other.height_; }

 private:
  struct Free {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  std::unique_ptr<uint8_t, Free> pixels_;
  int width_ = 0, height_ = 0, rowBytes_ = 0;
};

}  // namespace vmhost
