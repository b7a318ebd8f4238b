// The command line: which command, its arguments and options.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace vmhost {

enum class Command { None, Render, Thumbnail, Info, Configure, Settings, Help, Version };

struct Size2 {
  int width = 0;
  int height = 0;
};

struct Options {
  Command command = Command::None;
  bool help = false;  // --help given to a command
  std::string input;
  std::string output;
  int fadeIn = 0;
  int fadeOut = 0;
  double fadeInSeconds = -1;  // 0 or more: the fade was given in seconds ("1.5s")
  double fadeOutSeconds = -1;
  int start = 0;
  std::optional<int> frames;
  std::optional<Size2> size;
  int at = 0;
  bool draft = false;
  bool lossless = false;
  bool quiet = false;
  bool verbose = false;
  bool overwrite = false;  // --overwrite or -y: replace an existing output
  // The output's container for "-" (standard output), and its encoders.
  std::string format, videoCodec, preset, pixFmt, audioCodec;
  std::optional<double> crf;
  int64_t audioBitrate = 0;  // bits a second; 0: the encoder's default
  std::string plugin;  // empty: the bundle next to the program
  // The effect's look: a settings file, and values over it.
  std::string settings;                         // --settings FILE; empty: the stored configuration
  std::optional<int> strength;                  // 0 to 100
  std::optional<std::array<double, 4>> rect;    // left, top, right, bottom in fractions of the frame
  std::optional<int> mediaType;                 // 1 NTSC, 2 PAL, 3 HD
  std::optional<bool> keepProportions;
  bool reset = false;
};

// Parses argv[1..]. On a bad command line returns false with `error` set to
// a sentence naming the offending word.
bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

// The --help text of `command` (Command::None: the program's overview).
std::string usageText(Command command);

}  // namespace vmhost
