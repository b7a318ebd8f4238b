// Numbered picture sequences named by a pattern with one number field, as
// FFmpeg's picture reader and writer take them: in_%04d.png is in_0001.png,
// in_0002.png, ...
#pragma once

#include <cstdint>
#include <string>

namespace vmhost {

bool isSequencePattern(const std::string& path);
// Why `pattern` cannot name a sequence although it holds a number field (a
// field wider than 18 digits, more than FFmpeg reads back); else empty.
std::string sequencePatternProblem(const std::string& pattern);

// Written sequences are numbered from 1, as FFmpeg numbers them.
inline constexpr int64_t kFirstSequenceNumber = 1;

// The name of picture `number`; empty when `pattern` has no single number
// field.
std::string sequenceName(const std::string& pattern, int64_t number);

// Finds the pictures of an input sequence in their folder: `first` is the
// lowest number and `count` how many follow on from it. A number missing in
// between is refused ("in_0005.png is missing (the sequence runs
// 0001–0009)"), and so is a field too wide. No matching picture at all
// gives count 0 and no error.
bool scanSequence(const std::string& pattern, int64_t& first, int64_t& count, std::string& error);

}  // namespace vmhost
