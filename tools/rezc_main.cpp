// velmorance-rezc INPUT OUTPUT: compiles a resource source (format described
// in rez_source.cpp) into a resource file, replacing OUTPUT atomically.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/resources/atomic_file.h"
#include "tools/rez_source.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: velmorance-rezc INPUT OUTPUT\n");
    return 2;
  }
  std::ifstream input(argv[1], std::ios::binary);
  if (!input) {
    std::fprintf(stderr, "velmorance-rezc: cannot read %s\n", argv[1]);
    return 1;
  }
  std::stringstream text;
  text << input.rdbuf();
  ResourceFileImage image;
  std::string error;
  if (!parseRezSource(argv[1], text.str(), &image, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::vector<UInt8> bytes;
  if (!serializeResourceFile(image, &bytes)) {
    std::fprintf(stderr, "velmorance-rezc: %s: resources too large for a resource file\n", argv[1]);
    return 1;
  }
  OSErr err = platformWriteWholeFileAtomically(argv[2], bytes, false);
  if (err != noErr) {
    std::fprintf(stderr, "velmorance-rezc: cannot write %s (error %d)\n", argv[2], err);
    return 1;
  }
  return 0;
}
