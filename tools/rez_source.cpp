// Source format, one item a line (UTF-8; leading and trailing blanks ignored):
//
//   # a comment               blank lines and lines starting with '#' are skipped
//   STR# 128 "Slider labels" {
//     "Strength"              one quoted string a line, in list order
//   }
//
// A resource opens with its four-character type, its ID (-32768..32767) and
// an optional quoted name, then '{' at the end of the line; it closes with a
// line holding only '}'. Only 'STR#' (string lists) is understood. Inside
// quotes, \" stands for a quote and \\ for a backslash. Every text is stored
// in Mac OS Roman and must have a form there and fit in 255 characters. A
// type and ID may appear once.
#include "tools/rez_source.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "platform/strings/cfstring.h"

namespace {

const ResType kStringListType = VM_FOURCC('S', 'T', 'R', '#');

std::string trim(const std::string& line) {
  size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  size_t last = line.find_last_not_of(" \t\r");
  return line.substr(first, last - first + 1);
}

// Reads a quoted string starting at text[*at] == '"'; *at moves past it.
bool readQuoted(const std::string& text, size_t* at, std::string* out, std::string* problem) {
  out->clear();
  for (size_t i = *at + 1; i < text.size(); ++i) {
    char ch = text[i];
    if (ch == '"') {
      *at = i + 1;
      return true;
    }
    if (ch == '\\') {
      if (i + 1 >= text.size() || (text[i + 1] != '"' && text[i + 1] != '\\')) {
        *problem = "unknown escape (only \\\" and \\\\ are allowed)";
        return false;
      }
      ch = text[++i];
    }
    *out += ch;
  }
  *problem = "missing closing quote";
  return false;
}

// UTF-8 to Mac OS Roman, at most 255 characters.
bool toMacRoman(const std::string& utf8, std::string* roman, std::string* problem) {
  CFStringRef text = CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(utf8.data()),
                                             static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8, false);
  if (text == nullptr) return *problem = "text is not valid UTF-8", false;
  Str255 converted;
  bool ok = CFStringGetPascalString(text, converted, sizeof converted, kCFStringEncodingMacRoman);
  CFIndex length = CFStringGetLength(text);
  CFRelease(text);
  if (!ok) {
    *problem = length > 255 ? "text is longer than 255 characters" : "text has a character without a Mac OS Roman form";
    return false;
  }
  roman->assign(reinterpret_cast<const char*>(converted + 1), converted[0]);
  return true;
}

struct Parser {
  const std::string& fileName;
  ResourceFileImage* image;
  std::string* error;
  int lineNumber = 0;
  ResourceRecord* open = nullptr;  // the resource being filled
  int count = 0;

  bool fail(const std::string& message) {
    *error = fileName + ":" + std::to_string(lineNumber) + ": " + message;
    return false;
  }

  bool header(const std::string& line) {
    if (line.size() < 4 || line.back() != '{') return fail("expected 'TYPE ID [\"name\"] {'");
    std::istringstream words(line.substr(0, line.size() - 1));
    std::string type, id;
    words >> type >> id;
    if (type != "STR#") return fail("unknown resource type '" + type + "' (only STR# is supported)");
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(id.c_str(), &end, 10);
    if (id.empty() || *end != '\0' || errno != 0 || value < -32768 || value > 32767)
      return fail("bad resource ID '" + id + "'");
    ResourceRecord record;
    record.type = kStringListType;
    record.id = static_cast<SInt16>(value);
    for (const ResourceRecord& other : image->resources)
      if (other.type == record.type && other.id == record.id) return fail("resource STR# " + id + " defined twice");
    std::string rest;
    std::getline(words, rest);
    rest = trim(rest);
    if (!rest.empty()) {
      std::string name, problem;
      size_t at = 0;
      if (rest[0] != '"') return fail("expected a quoted name or '{' after the ID");
      if (!readQuoted(rest, &at, &name, &problem)) return fail(problem);
      if (!trim(rest.substr(at)).empty()) return fail("unexpected text after the name");
      if (!toMacRoman(name, &record.name, &problem)) return fail(problem);
      record.hasName = !record.name.empty();
    }
    record.data = {0, 0};
    image->resources.push_back(std::move(record));
    open = &image->resources.back();
    count = 0;
    return true;
  }

  bool item(const std::string& line) {
    std::string text, roman, problem;
    size_t at = 0;
    if (line[0] != '"') return fail("expected a quoted string or '}'");
    if (!readQuoted(line, &at, &text, &problem)) return fail(problem);
    if (at != line.size()) return fail("unexpected text after the string");
    if (!toMacRoman(text, &roman, &problem)) return fail(problem);
    if (count == 32767) return fail("too many strings in one list");
    ++count;
    open->data[0] = static_cast<UInt8>(count >> 8);
    open->data[1] = static_cast<UInt8>(count);
    open->data.push_back(static_cast<UInt8>(roman.size()));
    open->data.insert(open->data.end(), roman.begin(), roman.end());
    return true;
  }

  bool line(const std::string& raw) {
    ++lineNumber;
    std::string text = trim(raw);
    if (text.empty() || text[0] == '#') return true;
    if (open == nullptr) return header(text);
    if (text == "}") {
      open = nullptr;
      return true;
    }
    return item(text);
  }
};

}  // namespace

bool parseRezSource(const std::string& fileName, const std::string& text, ResourceFileImage* image,
                    std::string* error) {
  Parser parser{fileName, image, error};
  std::istringstream lines(text);
  std::string raw;
  while (std::getline(lines, raw))
    if (!parser.line(raw)) return false;
  if (parser.open != nullptr) {
    *error = fileName + ":" + std::to_string(parser.lineNumber) + ": missing '}' at the end of the file";
    return false;
  }
  return true;
}
