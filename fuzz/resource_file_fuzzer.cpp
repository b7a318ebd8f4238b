// Any bytes through the resource file reader. A file it accepts holds no more
// data than its own length, and writes back into a file that reads as the
// same resources and writes back to the same bytes; a file it refuses leaves
// nothing behind.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<UInt8> bytes(data, data + size);
  bool parsed = false;
  const ResourceFileImage image = parsedOrEmpty(bytes, &parsed);
  require(parsed || image == ResourceFileImage{});
  if (!parsed) return 0;
  size_t held = 0;
  for (const ResourceRecord& record : image.resources) held += record.data.size() + 4;
  require(held <= size);

  std::vector<UInt8> written, rewritten;
  // Names shared in the input may not fit the name list once written apart.
  if (!serializeResourceFile(image, &written)) return 0;
  bool reparsed = false;
  const ResourceFileImage again = parsedOrEmpty(written, &reparsed);
  require(reparsed && again == image);
  require(serializeResourceFile(again, &rewritten) && rewritten == written);
  return 0;
}
