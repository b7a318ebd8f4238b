// One instance of the frei0r filter: its frame size, its settings and the
// working buffer the print runs in. Everything an update touches belongs to
// the instance (the current port is the calling thread's), so hosts may
// update different instances on different threads at once.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "frei0r/filter_params.h"
#include "platform/quickdraw/quickdraw_owners.h"

namespace vmfrei0r {

// The opacity (0..255) at which the unprocessed frame covers the print for
// a mix of 0..1: the fade arithmetic of the render pass, with the mix as the
// fraction of the fade that has passed.
int CoverOpacity(double mix);

class PrintInstance {
 public:
  // nullptr when the size is 0 or more than a buffer holds (32767), or when
  // memory runs out.
  static std::unique_ptr<PrintInstance> Make(unsigned width, unsigned height, const FilterSettings& settings);

  FilterSettings& settings() { return settings_; }
  const FilterSettings& settings() const { return settings_; }

  // Renders `in` into `out`, both width x height RGBA8888 pixels (bytes red,
  // green, blue, alpha; rows width * 4 bytes apart): the print inside the
  // settings' rectangle, blended under the unprocessed frame by the mix, with
  // every alpha byte as `in` has it. `out` may be `in`.
  void Update(const uint32_t* in, uint32_t* out);

 private:
  PrintInstance(int width, int height, GWorldOwner frame, const FilterSettings& settings);

  int width_, height_;
  GWorldOwner frame_;         // the frame in the print's byte order
  std::vector<uint8_t> row_;  // one output row, so `out` may be `in`
  FilterSettings settings_;
};

}  // namespace vmfrei0r
