#include "platform/pictures/image_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <QImageReader>
#include <new>

#include "platform/corefoundation/cfbase.h"
#include "platform/pictures/image_decoding.h"

struct CGImageSource {
  CFRuntimeBase base;
  QString path;
  size_t count = 0;
};

namespace {

void finalizeSource(CFRuntimeBase* self) { delete reinterpret_cast<CGImageSource*>(self); }

bool readable(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char byte;
  bool ok = read(fd, &byte, 0) == 0;  // a folder fails here
  close(fd);
  return ok;
}

QImageReader* readerFor(const QString& path, QImageReader& reader) {
  reader.setFileName(path);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(true);
  return &reader;
}

}  // namespace

CGImageSourceRef CGImageSourceCreateWithURL(CFURLRef url, CGImageSourceOptions) {
  const std::string path = platformPathOfURL(url);
  if (path.empty() || !readable(path)) return nullptr;
  auto* source = new (std::nothrow) CGImageSource;
  if (source == nullptr) return nullptr;
  source->base.finalize = finalizeSource;
  source->path = QString::fromStdString(path);
  QImageReader reader;
  readerFor(source->path, reader);
  if (reader.canRead()) source->count = static_cast<size_t>(std::max(reader.imageCount(), 1));
  return source;
}

size_t CGImageSourceGetCount(CGImageSourceRef isrc) { return isrc == nullptr ? 0 : isrc->count; }

CGImageRef CGImageSourceCreateImageAtIndex(CGImageSourceRef isrc, size_t index, CGImageSourceOptions) {
  if (isrc == nullptr || index >= isrc->count) return nullptr;
  QImageReader reader;
  readerFor(isrc->path, reader);
  if (index > 0 && !reader.jumpToImage(static_cast<int>(index))) return nullptr;
  return vmpictures::imageFromQImage(reader.read());
}
