#include "host/media/picture_sequence.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <vector>

namespace vmhost {

namespace {

// A pattern split at its number field ("%d" or "%0Nd"; "%%" is a percent
// sign).
struct Pattern {
  std::string prefix, suffix;
  size_t digits = 0;
  std::string field;  // as written: "%04d"
};

// Numbers of up to 18 digits fit in 64 bits whatever they are.
constexpr size_t kMaxDigits = 18;

bool splitPattern(const std::string& text, Pattern& pattern) {
  bool found = false;
  std::string* part = &pattern.prefix;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *part += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '%') {
      *part += '%';
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
    if (found || j >= text.size() || text[j] != 'd') return false;
    const std::string width = text.substr(i + 1, j - i - 1);
    const size_t first = std::min(width.find_first_not_of('0'), width.size());
    pattern.digits = width.size() - first > 3 ? SIZE_MAX : width.empty() ? 0 : std::stoul(width);
    pattern.field = text.substr(i, j - i + 1);
    found = true;
    part = &pattern.suffix;
    i = j;
  }
  return found;
}

std::string number(int64_t value, size_t digits) {
  std::string text = std::to_string(value);
  if (text.size() < digits) text.insert(0, digits - text.size(), '0');
  return text;
}

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

bool isSequencePattern(const std::string& path) {
  Pattern pattern;
  return splitPattern(path, pattern);
}

std::string sequencePatternProblem(const std::string& text) {
  Pattern pattern;
  if (!splitPattern(text, pattern) || pattern.digits <= kMaxDigits) return {};
  return text + ": the number field " + pattern.field + " is wider than " + std::to_string(kMaxDigits) + " digits";
}

std::string sequenceName(const std::string& text, int64_t value) {
  Pattern pattern;
  if (!splitPattern(text, pattern)) return {};
  return pattern.prefix + number(value, pattern.digits) + pattern.suffix;
}

bool scanSequence(const std::string& text, int64_t& first, int64_t& count, std::string& error) {
  first = count = 0;
  Pattern pattern;
  if (!splitPattern(text, pattern)) return true;
  if (error = sequencePatternProblem(text); !error.empty()) return false;
  const size_t slash = pattern.prefix.rfind('/');
  if (pattern.suffix.find('/') != std::string::npos) return true;  // a numbered folder: FFmpeg's own business
  const std::string folder = slash == std::string::npos ? "." : pattern.prefix.substr(0, slash + 1);
  const std::string head = slash == std::string::npos ? pattern.prefix : pattern.prefix.substr(slash + 1);
  std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
  if (!dir) return true;
  std::vector<int64_t> numbers;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name.size() <= head.size() + pattern.suffix.size() || name.compare(0, head.size(), head) != 0 ||
        !name.ends_with(pattern.suffix))
      continue;
    const std::string digits = name.substr(head.size(), name.size() - head.size() - pattern.suffix.size());
    if (digits.size() > kMaxDigits || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    const int64_t value = std::stoll(digits);
    if (number(value, pattern.digits) == digits) numbers.push_back(value);
  }
  if (numbers.empty()) return true;
  std::sort(numbers.begin(), numbers.end());
  for (size_t i = 1; i < numbers.size(); ++i)
    if (numbers[i] != numbers[i - 1] + 1) {
      error = sequenceName(text, numbers[i - 1] + 1) + " is missing (the sequence runs " +
              number(numbers.front(), pattern.digits) + "\u2013" + number(numbers.back(), pattern.digits) + ")";
      return false;
    }
  first = numbers.front();
  count = static_cast<int64_t>(numbers.size());
  return true;
}

}  // namespace vmhost
