#include "host/cli/options.h"

#include <cctype>
#include <charconv>
#include <cstdint>

namespace vmhost {

namespace {

enum class Kind { Flag, Count, Size, Path, Name, Number, Rate };

struct OptionSpec {
  const char* name;
  Kind kind;
  bool render, thumbnail, info, configure;
};

constexpr OptionSpec kSpecs[] = {
    {"--fade-in", Kind::Count, true, false, false, false}, {"--fade-out", Kind::Count, true, false, false, false},
    {"--start", Kind::Count, true, false, false, false},   {"--frames", Kind::Count, true, false, false, false},
    {"--size", Kind::Size, true, true, false, false},      {"--at", Kind::Count, false, true, false, true},
    {"--draft", Kind::Flag, true, false, false, false},    {"--lossless", Kind::Flag, true, false, false, false},
    {"--plugin", Kind::Path, true, true, true, true},      {"--quiet", Kind::Flag, true, true, true, false},
    {"--verbose", Kind::Flag, true, true, true, true},     {"--help", Kind::Flag, true, true, true, true},
    {"--overwrite", Kind::Flag, true, true, false, false}, {"--format", Kind::Name, true, false, false, false},
    {"--video-codec", Kind::Name, true, false, false, false}, {"--crf", Kind::Number, true, false, false, false},
    {"--preset", Kind::Name, true, false, false, false},   {"--pix-fmt", Kind::Name, true, false, false, false},
    {"--audio-codec", Kind::Name, true, false, false, false}, {"--audio-bitrate", Kind::Rate, true, false, false, false},
};

const char* commandName(Command c) {
  switch (c) {
    case Command::Render: return "render";
    case Command::Thumbnail: return "thumbnail";
    case Command::Info: return "info";
    case Command::Configure: return "configure";
    default: return "velmorance";
  }
}

bool appliesTo(const OptionSpec& spec, Command c) {
  return (c == Command::Render && spec.render) || (c == Command::Thumbnail && spec.thumbnail) ||
         (c == Command::Info && spec.info) || (c == Command::Configure && spec.configure);
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

bool applyOption(const OptionSpec& spec, const std::string& value, Options& o, std::string& error) {
  const std::string name = spec.name;
  if (spec.kind == Kind::Flag) {
    if (name == "--draft") o.draft = true;
    if (name == "--lossless") o.lossless = true;
    if (name == "--quiet") o.quiet = true;
    if (name == "--verbose") o.verbose = true;
    if (name == "--overwrite") o.overwrite = true;
    if (name == "--help") o.help = true;
    return true;
  }
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
    error = "no command given (render, thumbnail, info or configure; see velmorance --help)";
    return false;
  }
  const std::string& word = args[0];
  if (word == "--help" || word == "-h" || word == "help") {
    o.command = Command::Help;
    return true;
  }
  if (word == "render") o.command = Command::Render;
  else if (word == "thumbnail") o.command = Command::Thumbnail;
  else if (word == "info") o.command = Command::Info;
  else if (word == "configure") o.command = Command::Configure;
  else {
    error = "unknown command '" + word + "' (render, thumbnail, info or configure; see velmorance --help)";
    return false;
  }
  const std::string command = commandName(o.command);
  std::vector<std::string> positional;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i] == "-y" ? "--overwrite" : args[i];
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0 || arg == "--") {
      positional.push_back(arg);
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
  const size_t wanted = o.command == Command::Info ? 0 : o.command == Command::Configure ? 1 : 2;
  if (positional.size() != wanted) {
    if (wanted == 0)
      error = "info takes no file names ('" + positional[0] + "' given)";
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
             "  --overwrite, -y replace an existing output\n"
             "  --format NAME   container by FFmpeg's name (matroska, nut, mpegts, mp4, ...)\n"
             "  --video-codec NAME, --audio-codec NAME\n"
             "                  encoders by FFmpeg's names (libx265, prores_ks, libopus, ...)\n"
             "  --crf N         constant quality of the video encoder (lower is better)\n"
             "  --preset NAME   the video encoder's speed preset (ultrafast ... veryslow)\n"
             "  --pix-fmt NAME  the video encoder's pixel format (yuv420p, yuv422p10le, ...)\n"
             "  --audio-bitrate RATE  bits a second of the sound (192k)\n"
             "  --plugin PATH   plug-in bundle or module (default: the one installed with this program)\n"
             "  --quiet         no progress bar\n"
             "  --verbose       show FFmpeg's own messages\n";
    case Command::Thumbnail:
      return "usage: velmorance thumbnail INPUT OUTPUT.png [options]\n"
             "Writes the plug-in's placeholder picture for INPUT as a PNG.\n"
             "options:\n"
             "  --at N          frame of the input to show (default 0)\n"
             "  --size WxH      picture size (default: the input's)\n"
             "  --overwrite, -y replace an existing OUTPUT.png\n"
             "  --plugin PATH   plug-in bundle or module\n"
             "  --verbose       show FFmpeg's own messages\n";
    case Command::Info:
      return "usage: velmorance info [--plugin PATH]\n"
             "Prints what the plug-in tells a host about itself.\n";
    case Command::Configure:
      return "usage: velmorance configure INPUT [options]\n"
             "Opens the plug-in's settings window on a frame of INPUT: the strength slider, the\n"
             "rectangle on the preview (drag its body or corners; Shift keeps the shape, Alt keeps\n"
             "the centre) and a scrubber over the clip from that frame on. OK stores the settings in\n"
             "$XDG_CONFIG_HOME/zelph-Prefs (or ~/.config/zelph-Prefs) and every later render uses\n"
             "them; Cancel changes nothing. Needs a display (X11, Wayland or Xvfb).\n"
             "options:\n"
             "  --at N          frame of the input to open on (default 0)\n"
             "  --plugin PATH   plug-in bundle or module\n"
             "  --verbose       show FFmpeg's own messages\n";
    default:
      return "usage: velmorance COMMAND [arguments] [options]\n"
             "commands:\n"
             "  render INPUT OUTPUT       render a video or pictures through the plug-in\n"
             "  thumbnail INPUT OUT.png   write the plug-in's placeholder picture\n"
             "  info                      describe the plug-in\n"
             "  configure INPUT           set the effect up in its settings window\n"
             "Run 'velmorance COMMAND --help' for a command's options.\n";
  }
}

}  // namespace vmhost
