#include "tests/host/test_media.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace vmtest {

ScratchDir::ScratchDir() {
  char pattern[] = "/tmp/vmhost-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  dir_ = made != nullptr ? made : "/tmp";
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  if (dir_ != "/tmp") std::filesystem::remove_all(dir_, ignored);
}

std::string expand(const std::string& text, const std::string& dir) {
  std::string out;
  for (char c : text) out += c == '$' ? dir : std::string(1, c);
  return out;
}

bool ffmpeg(const std::string& args) {
  const int rc = std::system(("ffmpeg -nostdin -hide_banner -v error -y " + args).c_str());
  return rc == 0;
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::map<std::string, std::vector<uint8_t>> folderContents(const std::string& dir) {
  std::map<std::string, std::vector<uint8_t>> contents;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    const std::string name = std::filesystem::relative(entry.path(), dir).string();
    if (entry.is_directory() && !entry.is_symlink()) contents[name + "/"];
    else contents[name] = entry.is_regular_file() ? readFile(entry.path()) : std::vector<uint8_t>{};
  }
  return contents;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool fileExists(const std::string& path) { return std::filesystem::exists(path); }

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
  const auto out = readFile(outName), err = readFile(errName);
  result.out.assign(out.begin(), out.end());
  result.err.assign(err.begin(), err.end());
  std::remove(outName);
  std::remove(errName);
  return result;
}

std::vector<uint8_t> decodeRgb(const std::string& path, const std::string& options) {
  const std::string raw = path + ".rgb";
  if (!ffmpeg("-i '" + path + "' -fps_mode passthrough " + options + " -f rawvideo -pix_fmt rgb24 '" + raw + "'"))
    return {};
  auto bytes = readFile(raw);
  std::remove(raw.c_str());
  return bytes;
}

std::vector<int16_t> decodeAudio(const std::string& path) {
  const std::string raw = path + ".pcm";
  if (!ffmpeg("-i '" + path + "' -vn -f s16le -ac 2 -ar 48000 '" + raw + "'")) return {};
  const auto bytes = readFile(raw);
  std::remove(raw.c_str());
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return samples;
}

std::string probe(const std::string& path, const std::string& query) {
  return runShell("ffprobe -v error " + query + " -of csv=p=0 '" + path + "'").out;
}

bool setDisplayRotation(const std::string& path, int degrees, int width, int height) {
  auto bytes = readFile(path);
  const std::string box = "tkhd";
  const auto at = std::search(bytes.begin(), bytes.end(), box.begin(), box.end());
  if (at == bytes.end()) return false;
  // The matrix of a version 0 track header, in 16.16 and 2.30 fixed point.
  struct Matrix {
    int a, b, c, d, x, y;
  };
  const Matrix m = degrees == 90    ? Matrix{0, 1, -1, 0, height, 0}
                   : degrees == 180 ? Matrix{-1, 0, 0, -1, width, height}
                                    : Matrix{0, -1, 1, 0, 0, width};
  const uint32_t values[9] = {uint32_t(m.a) << 16, uint32_t(m.b) << 16, 0, uint32_t(m.c) << 16, uint32_t(m.d) << 16,
                              0, uint32_t(m.x) << 16, uint32_t(m.y) << 16, 1u << 30};
  size_t offset = static_cast<size_t>(at - bytes.begin()) + 4 + 4 + 20 + 16;
  for (uint32_t v : values)
    for (int shift = 24; shift >= 0; shift -= 8) bytes[offset++] = static_cast<uint8_t>(v >> shift);
  writeFile(path, bytes);
  return true;
}

bool writePng(const std::string& path, const std::vector<uint8_t>& pixels, int width, int height) {
  const std::string raw = path + ".rgb";
  writeFile(raw, pixels);
  const bool ok = ffmpeg("-f rawvideo -pix_fmt rgb24 -s " + std::to_string(width) + "x" + std::to_string(height) +
                         " -i '" + raw + "' -frames:v 1 '" + path + "'");
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
