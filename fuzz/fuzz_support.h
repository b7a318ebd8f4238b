// What the fuzz targets share: a failed check stops the run, so libFuzzer
// keeps the input that broke it.
#pragma once

#include <cstdlib>

#include "platform/resources/resource_format.h"

inline void require(bool holds) {
  if (!holds) std::abort();
}

inline ResourceFileImage parsedOrEmpty(const std::vector<UInt8>& bytes, bool* parsed = nullptr) {
  ResourceFileImage image;
  const bool ok = parseResourceFile(bytes, &image) == noErr;
  if (parsed != nullptr) *parsed = ok;
  return image;
}
