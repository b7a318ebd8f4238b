#include "platform/pictures/graphics_importer.h"

#include <sys/stat.h>

#include <QImageReader>
#include <new>

#include "platform/pictures/image_decoding.h"

struct ComponentInstanceRecord {
  QString path;
};

namespace {

// Decodes the file's first image; nullptr when that fails.
CGImageRef decode(GraphicsImportComponent ci) {
  QImageReader reader(ci->path);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(true);
  return vmpictures::imageFromQImage(reader.read());
}

}  // namespace

OSErr GetGraphicsImporterForFile(const FSSpec* theFile, GraphicsImportComponent* gi) {
  if (gi == nullptr) return paramErr;
  *gi = nullptr;
  std::string path;
  if (!platformPathOfFSSpec(theFile, &path)) return paramErr;
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return fnfErr;
  QString file = QString::fromStdString(path);
  QImageReader probe(file);
  probe.setDecideFormatFromContent(true);
  if (!probe.canRead()) return cantFindHandler;
  *gi = new (std::nothrow) ComponentInstanceRecord{file};
  return *gi == nullptr ? memFullErr : noErr;
}

ComponentResult GraphicsImportGetAsPicture(GraphicsImportComponent ci, PicHandle* picture) {
  if (ci == nullptr || picture == nullptr) return paramErr;
  *picture = nullptr;
  CGImageRef image = decode(ci);
  if (image == nullptr) return cantFindHandler;
  *picture = platformNewPictureWithImage(image);
  CGImageRelease(image);
  return *picture == nullptr ? memFullErr : noErr;
}

ComponentResult GraphicsImportCreateCGImage(GraphicsImportComponent ci, CGImageRef* imageRef, UInt32) {
  if (ci == nullptr || imageRef == nullptr) return paramErr;
  *imageRef = decode(ci);
  return *imageRef == nullptr ? ComponentResult{cantFindHandler} : ComponentResult{noErr};
}

OSErr CloseComponent(ComponentInstance aComponentInstance) {
  if (aComponentInstance == nullptr) return paramErr;
  delete aComponentInstance;
  return noErr;
}
