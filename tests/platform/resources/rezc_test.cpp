// Runs the built resource compiler and reads its output back through the
// Resource Manager.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstring>

#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "tests/platform/files/temp_dir.h"

namespace {

struct CompileResult {
  int exitCode;
  std::string errors;
};

CompileResult compile(const TempDir& temp, const std::string& source, const std::string& output) {
  std::string command = std::string("'") + VM_REZC + "' '" + source + "' '" + output + "' 2> '" + (temp / "err") + "'";
  int status = std::system(command.c_str());
  auto err = readBytes(temp / "err");
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(err.begin(), err.end())};
}

std::string indString(short list, short index) {
  Str255 text;
  GetIndString(text, list, index);
  return std::string(reinterpret_cast<char*>(text + 1), text[0]);
}

void writeText(const std::string& path, const std::string& text) {
  writeBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

TEST(Rezc, CompilesStringListsToMacRoman) {
  TempDir temp;
  writeText(temp / "in.r",
            "# comment\n"
            "\n"
            "STR# 128   \"Caf\xC3\xA9 names\" {\n"
            "  \"plain\"\n"
            "  \"caf\xC3\xA9 \\\"quoted\\\" \\\\ \xE2\x80\xA6\"\n"
            "  \"\"\n"
            "}\n"
            "STR# -5 {\n"
            "}\n");
  CompileResult run = compile(temp, temp / "in.r", temp / "out.rsrc");
  ASSERT_EQ(0, run.exitCode) << run.errors;

  short ref = platformOpenResFileAtPath(temp / "out.rsrc", fsRdPerm);
  ASSERT_NE(kResFileNotOpened, ref);
  EXPECT_EQ("plain", indString(128, 1));
  EXPECT_EQ("caf\x8E \"quoted\" \\ \xC9", indString(128, 2));
  EXPECT_EQ("", indString(128, 3));
  EXPECT_EQ("", indString(128, 4));
  Handle list = Get1Resource(VM_FOURCC('S', 'T', 'R', '#'), 128);
  ASSERT_NE(nullptr, list);
  Str255 name;
  GetResInfo(list, nullptr, nullptr, name);
  EXPECT_EQ("Caf\x8E names", std::string(reinterpret_cast<char*>(name + 1), name[0]));
  Handle empty = Get1Resource(VM_FOURCC('S', 'T', 'R', '#'), -5);
  ASSERT_NE(nullptr, empty);
  EXPECT_EQ(2, GetHandleSize(empty));
  EXPECT_EQ(0, (*empty)[0] | (*empty)[1]);
  CloseResFile(ref);
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
    writeText(temp / "bad.r", source);
    writeBytes(temp / "out.rsrc", {1, 2, 3});
    CompileResult run = compile(temp, temp / "bad.r", temp / "out.rsrc");
    EXPECT_NE(0, run.exitCode) << message;
    EXPECT_NE(std::string::npos, run.errors.find(temp / "bad.r" + message)) << run.errors;
    EXPECT_EQ(std::vector<unsigned char>({1, 2, 3}), readBytes(temp / "out.rsrc")) << message;
    EXPECT_EQ(3u, temp.entries().size()) << message;  // bad.r, out.rsrc, err
  }
}

TEST(Rezc, ThePlugInsTextsFitTheHostsFields) {
  TempDir temp;
  CompileResult run = compile(temp, VM_PLUGIN_RESOURCES "/velmorance.r", temp / "v.rsrc");
  ASSERT_EQ(0, run.exitCode) << run.errors;
  short ref = platformOpenResFileAtPath(temp / "v.rsrc", fsRdPerm);
  ASSERT_NE(kResFileNotOpened, ref);
  // List, number of strings, longest allowed (the host's field less its zero).
  const struct {
    short list;
    short count;
    size_t limit;
  } lists[] = {{128, 3, 127}, {129, 6, 127}, {130, 1, 31}, {17000, 1, 127}};
  for (const auto& l : lists) {
    Handle h = Get1Resource(VM_FOURCC('S', 'T', 'R', '#'), l.list);
    ASSERT_NE(nullptr, h) << l.list;
    EXPECT_EQ(l.count, ((*h)[0] << 8) | static_cast<UInt8>((*h)[1])) << l.list;
    for (short i = 1; i <= l.count; ++i) {
      std::string text = indString(l.list, i);
      EXPECT_FALSE(text.empty()) << l.list << "/" << i;
      EXPECT_LE(text.size(), l.limit) << l.list << "/" << i;
    }
  }
  CloseResFile(ref);
}

}  // namespace
