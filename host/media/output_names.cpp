#include "host/media/output_names.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <utility>

#include "host/media/frame_sink.h"
#include "host/media/picture_sequence.h"

namespace vmhost {

std::vector<std::string> inputFiles(const std::string& input) {
  int64_t first = 0, count = 0;
  std::string ignored;
  if (!isSequencePattern(input) || !scanSequence(input, first, count, ignored) || count == 0) return {input};
  std::vector<std::string> names;
  for (int64_t i = 0; i < count; ++i) names.push_back(sequenceName(input, first + i));
  return names;
}

std::string checkOutputNames(const std::string& output, const std::string& format, int64_t frames,
                             const std::vector<std::string>& reads) {
  if (output == "-" || output == "null") return {};
  const bool sequence = format.empty() && isPictureOutput(output) && isSequencePattern(output);
  if (std::string problem = sequence ? sequencePatternProblem(output) : ""; !problem.empty()) return problem;
  std::vector<std::string> names;
  for (int64_t i = 0; i < (sequence ? frames : 1); ++i)
    names.push_back(sequence ? sequenceName(output, kFirstSequenceNumber + i) : output);

  std::map<std::pair<dev_t, ino_t>, std::string> read;
  for (const std::string& name : reads)
    if (struct stat info {}; stat(name.c_str(), &info) == 0) read.emplace(std::pair{info.st_dev, info.st_ino}, name);
  for (const std::string& name : names) {
    struct stat info {};
    if (stat(name.c_str(), &info) != 0) continue;
    if (S_ISDIR(info.st_mode)) return name + ": is a folder (give the output a file name)";
    const auto same = read.find({info.st_dev, info.st_ino});
    if (same != read.end())
      return name + ": the output would replace the input" + (same->second == name ? "" : " " + same->second);
  }
  // Numbers in the file names keep the names apart; one in a folder's name
  // may not ("d%d/../out.png"), nor may links between the folders.
  if (names.empty()) return {};
  const std::filesystem::path folder = std::filesystem::path(names.front()).parent_path();
  if (std::all_of(names.begin(), names.end(),
                  [&](const std::string& name) { return std::filesystem::path(name).parent_path() == folder; }))
    return {};
  std::set<std::filesystem::path> seen;
  for (const std::string& name : names) {
    std::error_code ignored;
    const std::filesystem::path file = std::filesystem::weakly_canonical(name, ignored);
    if (!seen.insert(file).second) return output + ": two frames would be written to one file, " + file.string();
  }
  return {};
}

}  // namespace vmhost
