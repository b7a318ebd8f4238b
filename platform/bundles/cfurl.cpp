#include "platform/bundles/cfurl.h"

#include <cstring>
#include <new>

struct __CFURL {
  CFRuntimeBase base;
  std::string path;
  bool isDirectory = false;
};

namespace {
void finalizeURL(CFRuntimeBase* self) { delete reinterpret_cast<__CFURL*>(self); }
}  // namespace

CFURLRef platformCreateURLForPath(const std::string& absolutePath, bool isDirectory) {
  if (absolutePath.empty() || absolutePath[0] != '/') return nullptr;
  auto* url = new (std::nothrow) __CFURL;
  if (url == nullptr) return nullptr;
  url->base.finalize = finalizeURL;
  url->path = absolutePath;
  while (url->path.size() > 1 && url->path.back() == '/') url->path.pop_back();
  url->isDirectory = isDirectory;
  return url;
}

std::string platformPathOfURL(CFURLRef url) { return url == nullptr ? std::string() : url->path; }

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory) {
  if (filePath == nullptr || pathStyle != kCFURLPOSIXPathStyle) return nullptr;
  return platformCreateURLForPath(CFStringToUTF8(filePath), isDirectory != 0);
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle) {
  if (url == nullptr) return nullptr;
  return CFStringCreateWithCString(kCFAllocatorDefault, url->path.c_str(), kCFStringEncodingUTF8);
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen) {
  if (url == nullptr || buffer == nullptr || maxBufLen <= 0) return false;
  if (url->path.size() + 1 > static_cast<size_t>(maxBufLen)) return false;
  std::memcpy(buffer, url->path.c_str(), url->path.size() + 1);
  return true;
}

Boolean CFURLHasDirectoryPath(CFURLRef url) { return url != nullptr && url->isDirectory; }
