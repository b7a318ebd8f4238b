// Runs the built resource compiler and reads its output back.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <map>

#include "platform/resources/resource_format.h"
#include "tests/platform/files/temp_dir.h"

namespace {

// Compiles `source` to `output`: the exit code and what went to stderr.
std::pair<int, std::string> compile(const TempDir& temp, const std::string& source, const std::string& output) {
  const int status = std::system(("'" VM_REZC "' '" + source + "' '" + output + "' 2> '" + temp / "err" + "'").c_str());
  const auto err = readBytes(temp / "err");
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(err.begin(), err.end())};
}

// The compiled file's resources.
std::vector<ResourceRecord> resourcesOf(const std::string& path) {
  ResourceFileImage image;
  EXPECT_EQ(noErr, parseResourceFile(readBytes(path), &image));
  return image.resources;
}

// A string list's count and strings.
std::pair<int, std::vector<std::string>> stringsOf(const ResourceRecord& list) {
  std::vector<std::string> strings;
  for (size_t at = 2; at < list.data.size() && at + 1 + list.data[at] <= list.data.size(); at += 1 + list.data[at])
    strings.emplace_back(list.data.begin() + at + 1, list.data.begin() + at + 1 + list.data[at]);
  return {list.data.size() < 2 ? -1 : list.data[0] << 8 | list.data[1], strings};
}

TEST(Rezc, CompilesStringListsToMacRoman) {
  TempDir temp;
  const std::string source =
      "# comment\n\nSTR# 128   \"Caf\xC3\xA9 names\" {\n  \"plain\"\n"
      "  \"caf\xC3\xA9 \\\"quoted\\\" \\\\ \xE2\x80\xA6\"\n  \"\"\n}\nSTR# -5 {\n}\n";
  writeBytes(temp / "in.r", {source.begin(), source.end()});
  const auto [exitCode, errors] = compile(temp, temp / "in.r", temp / "out.rsrc");
  ASSERT_EQ(0, exitCode) << errors;
  const auto resources = resourcesOf(temp / "out.rsrc");
  ASSERT_EQ(2u, resources.size());
  EXPECT_EQ(128, resources[0].id);
  EXPECT_EQ("Caf\x8E names", resources[0].name);
  EXPECT_EQ(stringsOf(resources[0]),
            (std::pair<int, std::vector<std::string>>{3, {"plain", "caf\x8E \"quoted\" \\ \xC9", ""}}));
  EXPECT_EQ((ResourceRecord{VM_FOURCC('S', 'T', 'R', '#'), -5, false, "", 0, {0, 0}}), resources[1]);
}

TEST(Rezc, ReportsTheFileAndLineAndLeavesTheOutputAlone) {
  const std::pair<std::string, const char*> cases[] = {
      {"STR# 1 {\n  \"ok\"\n  \"\xE6\x97\xA5\"\n}\n", ":3: text has a character without a Mac OS Roman form"},
      {"STR# 1 {\n  not quoted\n}\n", ":2: expected a quoted string"},
      {"# c\nSTR# 99999 {\n}\n", ":2: bad resource ID '99999'"},
      {"TEXT 1 {\n}\n", ":1: unknown resource type 'TEXT'"},
      {"STR# 1 {\n}\nSTR# 1 {\n}\n", ":3: resource STR# 1 defined twice"},
      {"STR# 1 {\n  \"a\"\n", ":2: missing '}'"},
      {"STR# 1 {\n  \"bad \\n escape\"\n}\n", ":2: unknown escape"},
      {"STR# 1 {\n  \"\xFF\"\n}\n", ":2: text is not valid UTF-8"},
      {"STR# 1 {\n  \"" + std::string(256, 'a') + "\"\n}\n", ":2: text is longer than 255 characters"},
  };
  for (const auto& [source, message] : cases) {
    TempDir temp;
    writeBytes(temp / "bad.r", {source.begin(), source.end()});
    writeBytes(temp / "out.rsrc", {1, 2, 3});
    const auto [exitCode, errors] = compile(temp, temp / "bad.r", temp / "out.rsrc");
    EXPECT_NE(0, exitCode) << message;
    EXPECT_NE(std::string::npos, errors.find(temp / "bad.r" + message)) << errors;
    EXPECT_EQ(std::vector<unsigned char>({1, 2, 3}), readBytes(temp / "out.rsrc")) << message;
    EXPECT_EQ(3u, temp.entries().size()) << message;  // bad.r, out.rsrc, err
  }
}

// Each list holds its number of strings, none empty, none longer than the
// host's field less its zero.
TEST(Rezc, ThePlugInsTextsFitTheHostsFields) {
  TempDir temp;
  const auto [exitCode, errors] = compile(temp, VM_PLUGIN_RESOURCES "/velmorance.r", temp / "v.rsrc");
  ASSERT_EQ(0, exitCode) << errors;
  std::map<int, std::pair<int, std::vector<std::string>>> lists;
  for (const ResourceRecord& r : resourcesOf(temp / "v.rsrc")) lists[r.id] = stringsOf(r);
  const std::array<int, 3> limits[] = {{128, 3, 127}, {129, 6, 127}, {130, 1, 31}, {17000, 1, 127}};
  for (const auto& [list, count, limit] : limits) {
    EXPECT_EQ(count, lists[list].first) << list;
    EXPECT_EQ(count, static_cast<int>(lists[list].second.size())) << list;
    for (const std::string& text : lists[list].second) {
      EXPECT_FALSE(text.empty()) << list;
      EXPECT_LE(static_cast<int>(text.size()), limit) << list;
    }
  }
}

}  // namespace
