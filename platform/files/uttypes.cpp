#include "platform/files/uttypes.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

struct TypeRow {
  const char* identifier;
  const char* parents[2];
  const char* extensions[3];
  OSType codes[2];
};

constexpr TypeRow kTypes[] = {
    {"public.item", {}, {}, {}},
    {"public.content", {}, {}, {}},
    {"public.composite-content", {"public.content"}, {}, {}},
    {"public.data", {"public.item"}, {}, {}},
    {"public.directory", {"public.item"}, {}, {}},
    {"public.folder", {"public.directory"}, {}, {}},
    {"public.image", {"public.data", "public.content"}, {}, {}},
    {"public.png", {"public.image"}, {"png"}, {VM_FOURCC('P', 'N', 'G', 'f')}},
    {"public.jpeg", {"public.image"}, {"jpg", "jpeg", "jpe"}, {VM_FOURCC('J', 'P', 'E', 'G')}},
    {"public.tiff", {"public.image"}, {"tif", "tiff"}, {VM_FOURCC('T', 'I', 'F', 'F')}},
    {"com.compuserve.gif", {"public.image"}, {"gif"}, {VM_FOURCC('G', 'I', 'F', 'f')}},
    {"com.microsoft.bmp", {"public.image"}, {"bmp"}, {VM_FOURCC('B', 'M', 'P', 'f'), VM_FOURCC('B', 'M', 'P', ' ')}},
    {"com.apple.pict", {"public.image"}, {"pict", "pct"}, {VM_FOURCC('P', 'I', 'C', 'T')}},
    {"public.text", {"public.data", "public.content"}, {}, {}},
    {"public.plain-text", {"public.text"}, {"txt", "text"}, {VM_FOURCC('T', 'E', 'X', 'T')}},
    {"com.adobe.pdf", {"public.data", "public.composite-content"}, {"pdf"}, {VM_FOURCC('P', 'D', 'F', ' ')}},
};

constexpr char kDynamicPrefix[] = "dyn.velmorance.";

const TypeRow* rowFor(const std::string& identifier) {
  for (const TypeRow& row : kTypes)
    if (identifier == row.identifier) return &row;
  return nullptr;
}

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

bool conforms(const std::string& uti, const std::string& target, int depth) {
  if (uti == target) return true;
  if (depth > 8) return false;
  if (uti.rfind(kDynamicPrefix, 0) == 0) return conforms("public.data", target, depth + 1);
  const TypeRow* row = rowFor(uti);
  if (row == nullptr) return false;
  for (const char* parent : row->parents)
    if (parent != nullptr && conforms(parent, target, depth + 1)) return true;
  return false;
}

std::string codeText(OSType code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text.push_back(static_cast<char>((code >> shift) & 0xFF));
  return text;
}

}  // namespace

CFStringRef UTTypeCreatePreferredIdentifierForTag(CFStringRef inTagClass, CFStringRef inTag,
                                                  CFStringRef inConformingToUTI) {
  if (inTagClass == nullptr || inTag == nullptr) return nullptr;
  const std::string tagClass = CFStringToUTF8(inTagClass);
  const bool byExtension = tagClass == "public.filename-extension";
  if (!byExtension && tagClass != "com.apple.ostype") return nullptr;
  const std::string tag = CFStringToUTF8(inTag);
  std::string found;
  for (const TypeRow& row : kTypes) {
    bool match = false;
    if (byExtension) {
      for (const char* ext : row.extensions) match = match || (ext != nullptr && lowered(tag) == ext);
    } else {
      for (OSType code : row.codes) match = match || (code != 0 && codeText(code) == tag);
    }
    if (match) {
      found = row.identifier;
      break;
    }
  }
  const std::string wanted = inConformingToUTI == nullptr ? std::string() : CFStringToUTF8(inConformingToUTI);
  if (found.empty() || (!wanted.empty() && !conforms(found, wanted, 0))) found = kDynamicPrefix + tag;
  return CFStringCreateWithCString(kCFAllocatorDefault, found.c_str(), kCFStringEncodingUTF8);
}

Boolean UTTypeConformsTo(CFStringRef inUTI, CFStringRef inConformsToUTI) {
  if (inUTI == nullptr || inConformsToUTI == nullptr) return false;
  return conforms(CFStringToUTF8(inUTI), CFStringToUTF8(inConformsToUTI), 0);
}

CFStringRef UTCreateStringForOSType(OSType inOSType) {
  unsigned char text[5] = {4};
  for (int i = 0; i < 4; ++i) text[1 + i] = static_cast<unsigned char>(inOSType >> (24 - 8 * i));
  return CFStringCreateWithPascalString(kCFAllocatorDefault, text, kCFStringEncodingMacRoman);
}

std::vector<std::string> platformExtensionsForOSType(OSType fileType) {
  std::vector<std::string> result;
  for (const TypeRow& row : kTypes)
    for (OSType code : row.codes)
      if (code != 0 && code == fileType)
        for (const char* ext : row.extensions)
          if (ext != nullptr) result.emplace_back(ext);
  return result;
}
