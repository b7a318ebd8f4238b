#include "platform/bundles/info_plist.h"

#include <fstream>
#include <sstream>

namespace {

std::string decodeEntities(const std::string& text) {
  static const std::pair<const char*, char> kEntities[] = {
      {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [name, ch] : kEntities) {
      if (text.compare(i, std::char_traits<char>::length(name), name) == 0) {
        out += ch;
        i += std::char_traits<char>::length(name);
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

// The next tag from `at`: its name (with a leading '/' for a closing tag,
// a trailing '/' for an empty one) and the position after it.
bool nextTag(const std::string& xml, size_t* at, std::string* name, size_t* tagStart) {
  for (;;) {
    size_t open = xml.find('<', *at);
    if (open == std::string::npos) return false;
    size_t close = xml.find('>', open);
    if (close == std::string::npos) return false;
    *at = close + 1;
    char first = open + 1 < xml.size() ? xml[open + 1] : '\0';
    if (first == '?' || first == '!') continue;  // declarations, doctype, comments
    std::string body = xml.substr(open + 1, close - open - 1);
    size_t space = body.find_first_of(" \t\r\n");
    *name = body.substr(0, space);
    if (space != std::string::npos && !body.empty() && body.back() == '/') *name += '/';
    *tagStart = open;
    return true;
  }
}

}  // namespace

bool readPlistStrings(const std::string& path, std::map<std::string, std::string>* strings) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::stringstream content;
  content << file.rdbuf();
  const std::string xml = content.str();

  size_t at = 0, tagStart = 0;
  std::string tag, pendingKey;
  int depth = 0;  // dictionary nesting; 1 is the top level
  bool sawDict = false;
  while (nextTag(xml, &at, &tag, &tagStart)) {
    if (tag == "dict") {
      ++depth;
      sawDict = true;
    } else if (tag == "/dict") {
      if (--depth <= 0) break;
    } else if (depth == 1 && (tag == "key" || tag == "string")) {
      size_t end = xml.find("</" + tag + ">", at);
      if (end == std::string::npos) return false;
      std::string text = decodeEntities(xml.substr(at, end - at));
      at = end;
      if (tag == "key") {
        pendingKey = text;
        continue;
      }
      if (!pendingKey.empty()) (*strings)[pendingKey] = text;
    } else if (depth == 1 && tag == "string/" && !pendingKey.empty()) {
      (*strings)[pendingKey] = "";
    }
    if (depth == 1 && tag != "dict" && tag != "/key" && tag != "/string") pendingKey.clear();
  }
  return sawDict;
}
