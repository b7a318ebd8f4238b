#include "tests/host/test_media.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <random>

namespace vmtest {

std::string expand(const std::string& text, const std::string& dir) {
  std::string out;
  for (char c : text) out += c == '$' ? dir : std::string(1, c);
  return out;
}

bool ffmpeg(const std::string& args) {
  return std::system(("ffmpeg -nostdin -hide_banner -v error -y " + args).c_str()) == 0;
}

FileState stateOf(const std::string& path) {
  struct stat info {};
  return {readBytes(path), stat(path.c_str(), &info) == 0 ? info.st_ino : 0};
}

std::map<std::string, std::vector<uint8_t>> folderContents(const std::string& dir) {
  std::map<std::string, std::vector<uint8_t>> contents;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    const std::string name = std::filesystem::relative(entry.path(), dir).string();
    if (entry.is_directory() && !entry.is_symlink()) contents[name + "/"];
    else contents[name] = entry.is_regular_file() ? readBytes(entry.path()) : std::vector<uint8_t>{};
  }
  return contents;
}

RunResult runShell(const std::string& commandLine, const std::string& env) {
  char outName[] = "/tmp/vmhost-out-XXXXXX";
  char errName[] = "/tmp/vmhost-err-XXXXXX";
  const int outFd = mkstemp(outName);
  const int errFd = mkstemp(errName);
  RunResult result;
  if (outFd < 0 || errFd < 0) return result;
  const int rc = std::system((env + commandLine + " >" + outName + " 2>" + errName + " </dev/null").c_str());
  result.exited = rc != -1 && WIFEXITED(rc);
  result.status = result.exited ? WEXITSTATUS(rc) : -1;
  result.out = readText(outName);
  result.err = readText(errName);
  std::remove(outName);
  std::remove(errName);
  return result;
}

testing::AssertionResult succeeded(const RunResult& run) {
  if (run.exited && run.status == 0) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "status " << run.status << ":\n" << run.err;
}

using Bytes = std::vector<uint8_t>;

// What ffmpeg writes of `path` with the output `options`, from a file next to it.
static Bytes decoded(const std::string& path, const std::string& options) {
  const std::string raw = path + ".raw";
  const auto bytes = ffmpeg("-i '" + path + "' " + options + " '" + raw + "'") ? readBytes(raw) : Bytes{};
  std::remove(raw.c_str());
  return bytes;
}

std::vector<uint8_t> decodeRgb(const std::string& path, const std::string& options) {
  return decoded(path, "-fps_mode passthrough " + options + " -f rawvideo -pix_fmt rgb24");
}

std::vector<int16_t> decodeAudio(const std::string& path) {
  const auto bytes = decoded(path, "-vn -f s16le -ac 2 -ar 48000");
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return samples;
}

std::string probe(const std::string& path, const std::string& query) {
  return runShell("ffprobe -v error " + query + " -of csv=p=0 '" + path + "'").out;
}

bool writePng(const std::string& path, const std::vector<uint8_t>& pixels, int width, int height) {
  const std::string raw = path + ".rgb";
  writeBytes(raw, pixels);
  const bool ok = ffmpeg("-f rawvideo -pix_fmt rgb24 -s " + std::to_string(width) + "x" + std::to_string(height) +
                         " -i '" + raw + "' '" + path + "'");
  std::remove(raw.c_str());
  return ok;
}

std::vector<uint8_t> randomBytes(size_t count, uint32_t seed) {
  std::mt19937 generator(seed);
  std::vector<uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<uint8_t>(generator() >> 24);
  return bytes;
}

}  // namespace vmtest
