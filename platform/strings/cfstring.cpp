#include "platform/strings/cfstring.h"

#include <cstring>
#include <mutex>
#include <new>
#include <string_view>
#include <unordered_map>

#include "platform/strings/encodings.h"

// The record behind CFStringRef: immutable UTF-16 text, so lengths count as
// Core Foundation counts them.
struct __CFString : CFRuntimeBase {
  std::u16string text;
};

namespace {

void finalizeString(CFRuntimeBase* self) { delete static_cast<__CFString*>(self); }

CFStringRef makeString(std::u16string&& text) {
  auto* str = new (std::nothrow) __CFString;
  if (str == nullptr) return nullptr;
  str->finalize = finalizeString;
  str->text = std::move(text);
  return str;
}

CFStringRef createFromBytes(const uint8_t* bytes, size_t count, CFStringEncoding encoding) {
  try {
    std::u16string text;
    if (!vmstrings::decodeBytes(bytes, count, encoding, text)) return nullptr;
    return makeString(std::move(text));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool encode(CFStringRef str, CFStringEncoding encoding, std::string& out) {
  if (str == nullptr) return false;
  try {
    return vmstrings::encodeText(str->text, encoding, out);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
  if (cStr == nullptr) return nullptr;
  return createFromBytes(reinterpret_cast<const uint8_t*>(cStr), std::strlen(cStr), encoding);
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param pStr, CFStringEncoding encoding) {
  if (pStr == nullptr) return nullptr;
  return createFromBytes(pStr + 1, pStr[0], encoding);
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes, CFStringEncoding encoding,
                                    Boolean isExternalRepresentation) {
  if (numBytes < 0 || (bytes == nullptr && numBytes > 0)) return nullptr;
  size_t count = static_cast<size_t>(numBytes);
  // An external UTF-8 representation may start with a byte order mark.
  if (isExternalRepresentation && encoding == kCFStringEncodingUTF8 && count >= 3 && bytes[0] == 0xEF &&
      bytes[1] == 0xBB && bytes[2] == 0xBF) {
    bytes += 3;
    count -= 3;
  }
  return createFromBytes(bytes, count, encoding);
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef str) {
  // Strings never change, so a copy can share the original.
  return static_cast<CFStringRef>(CFRetain(str));
}

CFStringRef __CFStringMakeConstantString(const char* utf8) {
  static std::mutex lock;
  // Deliberately never destroyed: literals must outlive every static object.
  static auto* interned = new std::unordered_map<std::string, __CFString*>;
  if (utf8 == nullptr) return nullptr;
  try {
    std::lock_guard<std::mutex> guard(lock);
    const std::string key(utf8);
    auto found = interned->find(key);
    if (found != interned->end()) return found->second;
    std::u16string text;
    const auto* bytes = reinterpret_cast<const uint8_t*>(key.data());
    // A literal that is not UTF-8 is taken byte for byte as Mac OS Roman.
    if (!vmstrings::decodeBytes(bytes, key.size(), kCFStringEncodingUTF8, text))
      vmstrings::decodeBytes(bytes, key.size(), kCFStringEncodingMacRoman, text);
    auto* str = new __CFString;
    str->text = std::move(text);
    str->immortal = true;
    interned->emplace(key, str);
    return str;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

CFIndex CFStringGetLength(CFStringRef str) { return str == nullptr ? 0 : static_cast<CFIndex>(str->text.size()); }

Boolean CFStringGetPascalString(CFStringRef str, StringPtr buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  if (buffer == nullptr || bufferSize < 1) return false;
  std::string bytes;
  if (!encode(str, encoding, bytes)) return false;
  if (bytes.size() > 255 || static_cast<CFIndex>(bytes.size()) + 1 > bufferSize) return false;
  buffer[0] = static_cast<unsigned char>(bytes.size());
  std::memcpy(buffer + 1, bytes.data(), bytes.size());
  return true;
}

Boolean CFStringGetCString(CFStringRef str, char* buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  if (buffer == nullptr || bufferSize < 1) return false;
  std::string bytes;
  if (!encode(str, encoding, bytes)) return false;
  if (static_cast<CFIndex>(bytes.size()) + 1 > bufferSize) return false;
  std::memcpy(buffer, bytes.data(), bytes.size());
  buffer[bytes.size()] = '\0';
  return true;
}

Boolean CFStringCompareEqual(CFStringRef a, CFStringRef b) {
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return false;
  return a->text == b->text;
}

std::string CFStringToUTF8(CFStringRef str) {
  std::string bytes;
  if (!encode(str, kCFStringEncodingUTF8, bytes)) return {};
  return bytes;
}
