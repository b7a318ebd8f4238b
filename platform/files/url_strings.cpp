#include "platform/files/url_strings.h"

#include <sys/stat.h>

#include <QUrl>
#include <map>
#include <mutex>

#include "platform/files/file_refs.h"

namespace {

// URLs have no room for their text, so it is kept here, one string per URL
// address; a new URL at a freed address replaces a stale text.
struct UrlTexts {
  std::mutex lock;
  std::map<CFURLRef, CFStringRef> byUrl;
};

UrlTexts& urlTexts() {
  static UrlTexts* instance = new UrlTexts;  // outlives every static URL
  return *instance;
}

std::string textOf(CFURLRef url) {
  QUrl file = QUrl::fromLocalFile(QString::fromStdString(platformPathOfURL(url)));
  std::string text = file.toString(QUrl::FullyEncoded).toStdString();
  if (CFURLHasDirectoryPath(url) && text.back() != '/') text.push_back('/');
  return text;
}

}  // namespace

CFStringRef CFURLGetString(CFURLRef anURL) {
  if (anURL == nullptr) return nullptr;
  std::string text = textOf(anURL);
  UrlTexts& texts = urlTexts();
  std::lock_guard<std::mutex> hold(texts.lock);
  CFStringRef& kept = texts.byUrl[anURL];
  if (kept != nullptr && CFStringToUTF8(kept) == text) return kept;
  if (kept != nullptr) CFRelease(kept);
  kept = CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8);
  return kept;
}

CFURLRef CFURLCreateWithString(CFAllocatorRef, CFStringRef URLString, CFURLRef baseURL) {
  if (URLString == nullptr || baseURL != nullptr) return nullptr;
  QString text = QString::fromStdString(CFStringToUTF8(URLString));
  QUrl url(text, QUrl::StrictMode);
  if (!url.isValid() || url.scheme() != "file" || (!url.host().isEmpty() && url.host() != "localhost")) return nullptr;
  std::string path = url.toLocalFile().toStdString();
  if (path.empty() || path[0] != '/') return nullptr;
  return platformCreateURLForPath(path, text.endsWith('/'));
}

CFURLRef CFURLCreateFromFSRef(CFAllocatorRef, const FSRef* fsRef) {
  std::string path = platformPathOfFSRef(fsRef);
  if (path.empty() || path[0] != '/') return nullptr;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return nullptr;  // a reference names an existing item
  return platformCreateURLForPath(path, S_ISDIR(info.st_mode));
}
