#include "host/cli/options.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace vmhost {

namespace {

constexpr const char* kCommands = "render, thumbnail, info, configure or settings";

enum class Kind { Flag, Count, Size, Path, Name, Number, Rate, Look };

struct OptionSpec {
  const char* name;
  Kind kind;
  bool render, thumbnail, info, configure, settings = false;
};

constexpr OptionSpec kSpecs[] = {
    {"--fade-in", Kind::Count, true, false, false, false}, {"--fade-out", Kind::Count, true, false, false, false},
    {"--start", Kind::Count, true, false, false, false},   {"--frames", Kind::Count, true, false, false, false},
    {"--size", Kind::Size, true, true, false, false},      {"--at", Kind::Count, false, true, false, true},
    {"--draft", Kind::Flag, true, false, false, false},    {"--lossless", Kind::Flag, true, false, false, false},
    {"--plugin", Kind::Path, true, true, true, true},      {"--quiet", Kind::Flag, true, true, true, false},
    {"--verbose", Kind::Flag, true, true, true, true},     {"--help", Kind::Flag, true, true, true, true, true},
    {"--overwrite", Kind::Flag, true, true, false, false}, {"--format", Kind::Name, true, false, false, false},
    {"--video-codec", Kind::Name, true, false, false, false}, {"--crf", Kind::Number, true, false, false, false},
    {"--preset", Kind::Name, true, false, false, false},   {"--pix-fmt", Kind::Name, true, false, false, false},
    {"--audio-codec", Kind::Name, true, false, false, false}, {"--audio-bitrate", Kind::Rate, true, false, false, false},
    {"--settings", Kind::Look, true, true, false, true, true},
    {"--strength", Kind::Look, true, true, false, false, true},
    {"--rect", Kind::Look, true, true, false, false, true},
    {"--media-type", Kind::Look, false, false, false, false, true},
    {"--keep-proportions", Kind::Look, false, false, false, false, true},
    {"--reset", Kind::Flag, false, false, false, false, true},
};

const char* commandName(Command c) {
  switch (c) {
    case Command::Render: return "render";
    case Command::Thumbnail: return "thumbnail";
    case Command::Info: return "info";
    case Command::Configure: return "configure";
    case Command::Settings: return "settings";
    default: return "velmorance";
  }
}

bool appliesTo(const OptionSpec& spec, Command c) {
  return (c == Command::Render && spec.render) || (c == Command::Thumbnail && spec.thumbnail) ||
         (c == Command::Info && spec.info) || (c == Command::Configure && spec.configure) ||
         (c == Command::Settings && spec.settings);
}

bool parseCount(const std::string& text, int& value) {
  if (text.empty()) return false;
  int64_t parsed = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (ec != std::errc() || end != text.data() + text.size() || parsed < 0 || parsed > INT32_MAX) return false;
  value = static_cast<int>(parsed);
  return true;
}

// A decimal number of 0 or more, with an optional one-letter `suffix`.
bool parseDecimal(const std::string& text, double& value, char suffix = 0) {
  std::string digits = text;
  if (suffix != 0) {
    if (digits.empty() || digits.back() != suffix) return false;
    digits.pop_back();
  }
  if (digits.empty() || digits.find_first_not_of("0123456789.") != std::string::npos) return false;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return ec == std::errc() && end == digits.data() + digits.size() && value >= 0 && value < 1e9;
}

// "192k", "1.5M" or "128000" bits a second.
bool parseRate(const std::string& text, int64_t& rate) {
  double value = 0;
  const char last = text.empty() ? 0 : static_cast<char>(std::tolower(static_cast<unsigned char>(text.back())));
  const double scale = last == 'k' ? 1e3 : last == 'm' ? 1e6 : 1;
  if (!parseDecimal(scale == 1 ? text : text.substr(0, text.size() - 1), value) || value * scale < 1) return false;
  rate = static_cast<int64_t>(value * scale);
  return true;
}

bool parseSize(const std::string& text, Size2& size) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  int w = 0, h = 0;
  if (!parseCount(text.substr(0, x), w) || !parseCount(text.substr(x + 1), h)) return false;
  // Frame sizes travel as signed 16-bit values through the host interface.
  if (w < 1 || h < 1 || w > INT16_MAX || h > INT16_MAX) return false;
  size = Size2{w, h};
  return true;
}

// "L,T,R,B": four fractions of the frame, left < right and top < bottom.
bool parseRect(const std::string& text, std::array<double, 4>& rect, std::string& error) {
  const std::string option = "--rect '" + text + "'";
  size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t comma = i < 3 ? text.find(',', at) : text.size();
    const char* first = text.data() + at;
    const char* last = text.data() + (comma == std::string::npos ? text.size() : comma);
    auto [end, ec] = std::from_chars(first, last, rect[i]);
    if (comma == std::string::npos || first == last || ec != std::errc() || end != last || !std::isfinite(rect[i])) {
      error = option + " is not four fractions L,T,R,B (left, top, right, bottom) such as 0,0,0.5,1";
      return false;
    }
    if (rect[i] < 0.0 || rect[i] > 1.0) {
      error = option + ": " + std::string(first, last) +
              " is outside 0 to 1 (fractions of the frame's width and height)";
      return false;
    }
    at = comma + 1;
  }
  if (rect[0] >= rect[2] || rect[1] >= rect[3]) {
    error = option + ": " + (rect[0] >= rect[2] ? "left is not less than right" : "top is not less than bottom");
    return false;
  }
  return true;
}

bool applyLookOption(const std::string& name, const std::string& value, Options& o, std::string& error) {
  const std::string quoted = name + " '" + value + "'";
  if (name == "--settings") {
    o.settings = value;
    if (value.empty()) error = "--settings needs a file name";
  } else if (name == "--strength") {
    int strength = 0;
    if (parseCount(value, strength) && strength <= 100) o.strength = strength;
    else error = quoted + " is not a strength from 0 to 100";
  } else if (name == "--rect") {
    std::array<double, 4> rect{};
    if (parseRect(value, rect, error)) o.rect = rect;
  } else if (name == "--media-type") {
    const int type = value == "ntsc" ? 1 : value == "pal" ? 2 : value == "hd" ? 3 : 0;
    if (type != 0) o.mediaType = type;
    else error = quoted + " is not ntsc, pal or hd";
  } else if (value == "yes" || value == "no") {
    o.keepProportions = value == "yes";
  } else {
    error = quoted + " is not yes or no";
  }
  return error.empty();
}

bool applyOption(const OptionSpec& spec, const std::string& value, Options& o, std::string& error) {
  const std::string name = spec.name;
  if (spec.kind == Kind::Flag) {
    if (name == "--draft") o.draft = true;
    if (name == "--lossless") o.lossless = true;
    if (name == "--quiet") o.quiet = true;
    if (name == "--verbose") o.verbose = true;
    if (name == "--overwrite") o.overwrite = true;
    if (name == "--help") o.help = true;
    if (name == "--reset") o.reset = true;
    return true;
  }
  if (spec.kind == Kind::Look) return applyLookOption(name, value, o, error);
  if (spec.kind == Kind::Path || spec.kind == Kind::Name) {
    if (value.empty()) {
      error = name + (spec.kind == Kind::Path ? " needs a path" : " needs a name");
      return false;
    }
    std::string* field = name == "--plugin"        ? &o.plugin
                         : name == "--format"      ? &o.format
                         : name == "--video-codec" ? &o.videoCodec
                         : name == "--preset"      ? &o.preset
                         : name == "--pix-fmt"     ? &o.pixFmt
                                                   : &o.audioCodec;
    *field = value;
    return true;
  }
  if (spec.kind == Kind::Number) {
    double number = 0;
    if (!parseDecimal(value, number)) {
      error = name + " '" + value + "' is not a number (0 or more)";
      return false;
    }
    o.crf = number;
    return true;
  }
  if (spec.kind == Kind::Rate) {
    if (!parseRate(value, o.audioBitrate)) {
      error = name + " '" + value + "' is not a bit rate such as 192k or 128000";
      return false;
    }
    return true;
  }
  if (spec.kind == Kind::Size) {
    Size2 size;
    if (!parseSize(value, size)) {
      error = name + " '" + value + "' is not a size such as 640x360 (1 to 32767 each way)";
      return false;
    }
    o.size = size;
    return true;
  }
  // Fades also take seconds: "1.5s".
  double seconds = 0;
  if ((name == "--fade-in" || name == "--fade-out") && parseDecimal(value, seconds, 's')) {
    (name == "--fade-in" ? o.fadeInSeconds : o.fadeOutSeconds) = seconds;
    return true;
  }
  int count = 0;
  if (!parseCount(value, count)) {
    const bool fade = name == "--fade-in" || name == "--fade-out";
    error = name + " '" + value + "' is not a whole number of frames (0 or more" +
            (fade ? ") or seconds such as 1.5s" : ")");
    return false;
  }
  if (name == "--fade-in") o.fadeIn = count;
  if (name == "--fade-out") o.fadeOut = count;
  if (name == "--start") o.start = count;
  if (name == "--frames") o.frames = count;
  if (name == "--at") o.at = count;
  return true;
}

}  // namespace

bool parseOptions(const std::vector<std::string>& args, Options& o, std::string& error) {
  o = Options{};
  if (args.empty()) {
    error = "no command given (" + std::string(kCommands) + "; see velmorance --help)";
    return false;
  }
  const std::string& word = args[0];
  if (word == "--help" || word == "-h" || word == "help") {
    o.command = Command::Help;
    return true;
  }
  if (word == "--version") {
    o.command = Command::Version;
    return true;
  }
  if (word == "render") o.command = Command::Render;
  else if (word == "thumbnail") o.command = Command::Thumbnail;
  else if (word == "info") o.command = Command::Info;
  else if (word == "configure") o.command = Command::Configure;
  else if (word == "settings") o.command = Command::Settings;
  else {
    error = "unknown command '" + word + "' (" + kCommands + "; see velmorance --help)";
    return false;
  }
  const std::string command = commandName(o.command);
  std::vector<std::string> positional;
  bool optionsEnded = false;  // after "--" every word is a file name
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--" && !optionsEnded) {
      optionsEnded = true;
      continue;
    }
    const std::string arg = args[i] == "-h" ? "--help" : args[i] == "-y" ? "--overwrite" : args[i];
    if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      positional.push_back(args[i]);
      continue;
    }
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& s : kSpecs)
      if (name == s.name && appliesTo(s, o.command)) spec = &s;
    if (spec == nullptr) {
      error = "unknown option '" + name + "' for " + command + " (see velmorance " + command + " --help)";
      return false;
    }
    std::string value;
    if (spec->kind != Kind::Flag) {
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
      } else if (i + 1 < args.size() && args[i + 1].compare(0, 2, "--") != 0) {
        value = args[++i];
      } else {
        error = name + " needs a value";
        return false;
      }
    } else if (eq != std::string::npos) {
      error = name + " takes no value";
      return false;
    }
    if (!applyOption(*spec, value, o, error)) return false;
  }
  if (o.help) return true;
  const size_t wanted =
      o.command == Command::Info || o.command == Command::Settings ? 0 : o.command == Command::Configure ? 1 : 2;
  if (positional.size() != wanted) {
    if (wanted == 0)
      error = command + " takes no file names ('" + positional[0] + "' given)";
    else if (wanted == 1)
      error = positional.empty() ? "configure needs an INPUT (see velmorance configure --help)"
                                 : "configure: unexpected argument '" + positional[1] + "'";
    else if (positional.size() < wanted)
      error = command + " needs " + (positional.empty() ? "an INPUT and an OUTPUT" : "an OUTPUT after the INPUT") +
              " (see velmorance " + command + " --help)";
    else
      error = command + ": unexpected argument '" + positional[2] + "'";
    return false;
  }
  if (wanted >= 1) o.input = positional[0];
  if (wanted == 2) o.output = positional[1];
  return true;
}

namespace {

// The options of the look, in the help of the commands that take them.
const std::string kRectOption =
    "  --rect L,T,R,B  the rectangle the effect covers, as fractions of the frame's width\n"
    "                  and height (left, top, right, bottom); 0,0,1,1 is the whole frame\n";
const std::string kRunLook =
    "the look for this run (the stored settings are not changed):\n"
    "  --settings FILE a settings file (a copy of zelph-Prefs, see velmorance settings) instead\n"
    "                  of the stored settings\n"
    "  --strength N    strength of the print, 0 to 100\n" +
    kRectOption;

}  // namespace

std::string usageText(Command command) {
  switch (command) {
    case Command::Render:
      return "usage: velmorance render INPUT OUTPUT [options]\n"
             "Renders INPUT (a video, a picture or a numbered picture sequence such as in_%04d.png)\n"
             "through the plug-in into OUTPUT, whose extension picks the container:\n"
             "  .mp4 .mov .mkv .avi .ts  H.264 video, AAC audio\n"
             "  .webm                    VP9 video, Opus audio\n"
             "  .gif                     an animated GIF (no sound)\n"
             "  .mkv --lossless          FFV1 video, FLAC audio\n"
             "  .png .tif .jpg           one picture, or a sequence when the name holds a number\n"
             "                           field (out_%04d.png)\n"
             "  -                        standard output, in the container --format names\n"
             "  null                     render without writing anything (for timing)\n"
             "Movies keep the input's other streams (audio, subtitles, attachments), chapters and\n"
             "tags, its timing, pixel shape and colour tags.\n"
             "options:\n"
             "  --fade-in N     the effect fades in over the first N frames (or N seconds: 1.5s)\n"
             "  --fade-out N    the effect fades out over the last N frames (or seconds)\n"
             "  --start N       first input frame to render (default 0)\n"
             "  --frames N      number of frames (default: to the end of the input)\n"
             "  --size WxH      output size (default: the input's)\n"
             "  --draft         draft render: low-quality frames when small, and a silent sound track\n"
             "  --lossless      lossless output (.mkv or .png)\n"
             "  --overwrite, -y replace an existing output (never a file the render reads)\n"
             "  --format NAME   container by FFmpeg's name (matroska, nut, mpegts, mp4, ...)\n"
             "  --video-codec NAME, --audio-codec NAME\n"
             "                  encoders by FFmpeg's names (libx265, prores_ks, libopus, ...)\n"
             "  --crf N         constant quality of the video encoder (lower is better)\n"
             "  --preset NAME   the video encoder's speed preset (ultrafast ... veryslow)\n"
             "  --pix-fmt NAME  the video encoder's pixel format (yuv420p, yuv422p10le, ...)\n"
             "  --audio-bitrate RATE  bits a second of the sound (192k)\n"
             "  --plugin PATH   plug-in bundle or module (default: the one installed with this program)\n"
             "  --quiet         no progress bar\n"
             "  --verbose       show FFmpeg's own messages\n" +
             kRunLook;
    case Command::Thumbnail:
      return "usage: velmorance thumbnail INPUT OUTPUT.png [options]\n"
             "Writes the plug-in's placeholder picture for INPUT as a PNG.\n"
             "options:\n"
             "  --at N          frame of the input to show (default 0)\n"
             "  --size WxH      picture size (default: the input's)\n"
             "  --overwrite, -y replace an existing OUTPUT.png\n"
             "  --plugin PATH   plug-in bundle or module\n"
             "  --verbose       show FFmpeg's own messages\n" +
             kRunLook;
    case Command::Info:
      return "usage: velmorance info [--plugin PATH]\n"
             "Prints the effect's stored settings (the file, strength, rectangle, media type, keep\n"
             "proportions), then what the plug-in tells a host about itself.\n";
    case Command::Configure:
      return "usage: velmorance configure INPUT [options]\n"
             "Opens the plug-in's settings window on a frame of INPUT: the strength slider, the\n"
             "rectangle on the preview (drag its body or corners; Shift keeps the shape, Alt keeps\n"
             "the centre) and a scrubber over the clip from that frame on. OK stores the settings in\n"
             "$XDG_CONFIG_HOME/zelph-Prefs (or ~/.config/zelph-Prefs) and every later render uses\n"
             "them; Cancel changes nothing. Needs a display (X11, Wayland or Xvfb).\n"
             "Exit status: 0 after OK, 2 after Cancel, 1 on an error, 128 + N after signal N (the\n"
             "window closes as by Cancel).\n"
             "options:\n"
             "  --at N          frame of the input to open on (default 0)\n"
             "  --settings FILE edit the settings file FILE instead of the stored settings (made\n"
             "                  when missing)\n"
             "  --plugin PATH   plug-in bundle or module\n"
             "  --verbose       show FFmpeg's own messages\n";
    case Command::Settings:
      return "usage: velmorance settings [options]\n"
             "Prints the effect's stored settings, or changes them without a window and prints the\n"
             "result. Every later render uses them, as after OK in velmorance configure.\n"
             "options:\n"
             "  --settings FILE work on the settings file FILE instead (made when missing); render,\n"
             "                  thumbnail and configure take it with --settings too\n"
             "  --strength N    strength of the print, 0 to 100 (default 17)\n" +
             kRectOption +
             "  --media-type T  the frame the settings window shows: ntsc (720x480), pal (720x576)\n"
             "                  or hd (960x540)\n"
             "  --keep-proportions yes|no  whether dragging a corner keeps the rectangle's shape\n"
             "  --reset         back to the defaults first (strength 17, the whole frame, ntsc, not kept)\n";
    default:
      return "usage: velmorance COMMAND [arguments] [options]\n"
             "commands:\n"
             "  render INPUT OUTPUT       render a video or pictures through the plug-in\n"
             "  thumbnail INPUT OUT.png   write the plug-in's placeholder picture\n"
             "  info                      show the stored settings and describe the plug-in\n"
             "  configure INPUT           set the effect up in its settings window\n"
             "  settings                  show or change the effect's settings without a window\n"
             "Run 'velmorance COMMAND --help' (or -h) for a command's options; velmorance --version\n"
             "prints the version. Options end at --: the words after it are file names.\n"
             "A stop signal (Ctrl-C, SIGTERM, SIGHUP) ends any command, removes what it was writing and\n"
             "exits with 128 + the signal's number (130, 143, 129).\n";
  }
}

}  // namespace vmhost
