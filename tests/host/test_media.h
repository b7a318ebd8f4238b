// Test helpers: a scratch folder, small media made with the ffmpeg command,
// running the velmorance program, and reading pictures back as bytes.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/platform/files/temp_dir.h"

namespace vmtest {

// A fresh folder, removed with everything in it at destruction.
using ScratchDir = TempDir;
inline std::string readText(const std::string& path) {
  const auto bytes = readBytes(path);
  return {bytes.begin(), bytes.end()};
}

// `text` with every '$' replaced by `dir`, for tables of command lines.
std::string expand(const std::string& text, const std::string& dir);

// Runs `ffmpeg -v error -y <args>`; true when it succeeded.
bool ffmpeg(const std::string& args);

struct RunResult {
  bool exited = false;  // false: killed by a signal (a crash)
  int status = -1;
  std::string err;  // standard error
  std::string out;  // standard output
};
// Runs a shell command line with `env` (e.g. "FAKE_FAIL_FRAME=2 ") in front.
RunResult runShell(const std::string& commandLine, const std::string& env = "");
// Success when the run exited with status 0; else its status and standard error.
testing::AssertionResult succeeded(const RunResult& run);

#ifdef FAKE_PLUGIN
// Runs the velmorance program with `args` and the test plug-in.
inline RunResult runFake(const std::string& args, const std::string& env = "") {
  return runShell(std::string(VELMORANCE_BIN) + " " + args + " --plugin " + FAKE_PLUGIN, env);
}
#endif

// A file's bytes and inode: equal only while it is neither changed nor
// replaced (every write of a settings file replaces it).
struct FileState {
  std::vector<uint8_t> bytes;
  ino_t inode = 0;
  bool operator==(const FileState&) const = default;
};
FileState stateOf(const std::string& path);

// Every entry under `dir` by its name there (folders end in '/'), with the
// bytes of the regular files: what a run may not have changed.
std::map<std::string, std::vector<uint8_t>> folderContents(const std::string& dir);

// Decodes a picture or video with ffmpeg into raw rgb24 bytes (all frames,
// each once, whatever their times); `options` go before the output, such
// as an accurate scaler's flags.
std::vector<uint8_t> decodeRgb(const std::string& path, const std::string& options = "");
// ffprobe's answer to `query` (e.g. "-show_entries stream=codec_name") on
// `path`, as CSV lines without section names.
std::string probe(const std::string& path, const std::string& query);
// Decodes the audio of a file into interleaved signed 16-bit stereo samples
// at 48 kHz.
std::vector<int16_t> decodeAudio(const std::string& path);

// Writes width x height rgb24 `pixels` as a PNG, or several such frames as a
// numbered sequence (`path` a pattern such as "in_%03d.png").
bool writePng(const std::string& path, const std::vector<uint8_t>& pixels, int width, int height);
// Seeded pseudo-random bytes.
std::vector<uint8_t> randomBytes(size_t count, uint32_t seed);

}  // namespace vmtest
