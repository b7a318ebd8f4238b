#include "host/cli/settings_store.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host/media/stop_request.h"
#include "platform/files/files.h"
#include "platform/memory/memory.h"
#include "platform/resources/atomic_file.h"
#include "platform/resources/resources.h"
#include "plugin/core/data_handling.h"
#include "plugin/files/prefsloader.h"
#include "plugin/render/relrects.h"

namespace vmhost {

namespace {

std::string prefsFileName() {
  Str255 name;
  PrefsFileName(name);
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

// Opens a resource file for one piece of work and closes it again, leaving
// the resource chain's current file as it was.
class OpenResFile {
 public:
  OpenResFile(const std::string& path, SInt8 permission)
      : previous_(CurResFile()), refNum_(platformOpenResFileAtPath(path, permission)) {}
  ~OpenResFile() {
    if (refNum_ != kResFileNotOpened) CloseResFile(refNum_);
    UseResFile(previous_);
  }
  OpenResFile(const OpenResFile&) = delete;
  OpenResFile& operator=(const OpenResFile&) = delete;
  bool isOpen() const { return refNum_ != kResFileNotOpened; }
  short refNum() const { return refNum_; }

 private:
  short previous_, refNum_;
};

std::string fraction(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

}  // namespace

std::string storedSettingsPath() {
  short vRefNum = 0;
  long dirID = 0;
  std::string folder;
  if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID) != noErr ||
      !platformPathForDirID(dirID, &folder))
    return {};
  return (folder == "/" ? folder : folder + "/") + prefsFileName();
}

PrivatePreferences::PrivatePreferences(std::string folder)
    : folder_(std::move(folder)), file_(folder_ + "/" + prefsFileName()) {
  markUnfinished(folder_);
}

PrivatePreferences::~PrivatePreferences() {
  platformSetPreferencesFolder("");
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
  markFinished(folder_);
}

std::unique_ptr<PrivatePreferences> PrivatePreferences::open(const std::string& source, std::string& error) {
  std::vector<UInt8> bytes;
  const OSErr read = source.empty() ? OSErr{fnfErr} : platformReadWholeFile(source, &bytes);
  if (read != noErr && read != fnfErr) {
    error = source + ": cannot be read (" + std::strerror(errno) + ")";
    return nullptr;
  }
  std::error_code noTemp;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(noTemp);
  std::string folder = (temp / "velmorance-settings-XXXXXX").string();
  if (noTemp || mkdtemp(folder.data()) == nullptr) {
    error = "cannot make a folder for a copy of the settings in the temporary folder " +
            (noTemp ? "(TMPDIR is not a folder)" : temp.string() + " (" + std::strerror(errno) + ")");
    return nullptr;
  }
  std::unique_ptr<PrivatePreferences> copy(new PrivatePreferences(folder));
  FSSpec spec;
  bool copied = false;
  if (read == fnfErr) {
    if (platformFSSpecForPath(copy->file_, &spec) == fnfErr) FSpCreateResFile(&spec, cPrefsCreator, cPrefsFileType, 0);
    copied = ResError() == noErr;
  } else {
    copied = platformWriteWholeFileAtomically(copy->file_, bytes, true) == noErr;
  }
  if (!copied) {
    error = "cannot make a copy of " + source + " in " + folder;
    return nullptr;
  }
  if (!OpenResFile(copy->file_, fsRdPerm).isOpen()) {
    error = source + ": not a settings file (it is not a resource file)";
    return nullptr;
  }
  platformSetPreferencesFolder(folder);
  return copy;
}

bool PrivatePreferences::read(pluginDataRec& config) const {
  ResetConfig(&config, true);
  return ReadConfig(&config);
}

bool PrivatePreferences::store(pluginDataRec& config) { return SaveConfig(&config); }

bool PrivatePreferences::holdsRecord() const {
  OpenResFile file(file_, fsRdPerm);
  Handle record = file.isOpen() ? Get1Resource(cConfigResType, cConfigResID) : nullptr;
  if (record != nullptr) ReleaseResource(record);
  return record != nullptr;
}

bool PrivatePreferences::dropRecord() {
  OpenResFile file(file_, fsRdWrPerm);
  if (!file.isOpen()) return false;
  Handle record = Get1Resource(cConfigResType, cConfigResID);
  if (record == nullptr) return true;
  RemoveResource(record);
  if (ResError() != noErr) return false;
  DisposeHandle(record);
  UpdateResFile(file.refNum());
  return ResError() == noErr;
}

bool PrivatePreferences::commitTo(const std::string& target, std::string& error) const {
  std::vector<UInt8> bytes;
  errno = 0;
  if (platformReadWholeFile(file_, &bytes) == noErr && platformWriteWholeFileAtomically(target, bytes, false) == noErr)
    return true;
  error = target + ": cannot be written" + (errno != 0 ? " (" + std::string(std::strerror(errno)) + ")" : "") +
          "; nothing written";
  return false;
}

std::string settingsTarget(const Options& o) {
  return o.settings.empty() ? storedSettingsPath() : std::filesystem::absolute(o.settings).lexically_normal().string();
}

bool changesLook(const Options& o) {
  return o.strength || o.rect || o.mediaType || o.keepProportions || o.reset;
}

void applyLook(const Options& o, pluginDataRec& config) {
  if (o.reset) ResetConfig(&config, false);
  if (o.strength) config.sliders[1] = static_cast<int16_t>(*o.strength);
  if (o.rect) config.startRel = SetRelRect((*o.rect)[0], (*o.rect)[1], (*o.rect)[2], (*o.rect)[3]);
  if (o.mediaType) config.mediaType = static_cast<int16_t>(*o.mediaType);
  if (o.keepProportions) config.keepProps = *o.keepProportions;
}

std::unique_ptr<PrivatePreferences> prepareRunLook(const Options& o, std::string& error) {
  if (o.settings.empty() && !o.strength && !o.rect) return nullptr;
  const std::string source = settingsTarget(o);
  if (!o.settings.empty() && !std::filesystem::exists(source)) {
    error = "--settings " + o.settings + ": no such settings file";
    return nullptr;
  }
  auto copy = PrivatePreferences::open(source, error);
  if (!copy) return nullptr;
  pluginDataRec config{};
  if (!copy->read(config) && !o.settings.empty()) {
    error = source + ": holds no Velmorance settings";
    return nullptr;
  }
  applyLook(o, config);
  if (!copy->store(config)) {
    error = "cannot write the settings for this run into a copy of " + source;
    return nullptr;
  }
  return copy;
}

MediaFrame mediaFrame(int16_t mediaType) {
  switch (mediaType) {
    case 2: return {"pal", 720, 576};
    case 3: return {"hd", 960, 540};
    default: return {"ntsc", 720, 480};
  }
}

std::string describeSettings(const std::string& path, const std::string& state, const pluginDataRec& config) {
  const MediaFrame frame = mediaFrame(config.mediaType);
  const relRect& r = config.startRel;
  const Rect pixels = Rel2Rect(r, Rect{0, 0, static_cast<int16_t>(frame.height), static_cast<int16_t>(frame.width)});
  const std::string size = std::to_string(frame.width) + "x" + std::to_string(frame.height);
  const std::string mediaNote =
      config.mediaType >= 1 && config.mediaType <= 3 ? "" : " (stored as " + std::to_string(config.mediaType) + ")";
  return "settings:         " + path + (state.empty() ? "" : " " + state) + "\n" +
         "strength:         " + std::to_string(config.sliders[1]) + "\n" +
         "rectangle:        " + fraction(r.left) + "," + fraction(r.top) + "," + fraction(r.right) + "," +
         fraction(r.bottom) + " (left, top, right, bottom); pixels x " + std::to_string(pixels.left) + " to " +
         std::to_string(pixels.right) + ", y " + std::to_string(pixels.top) + " to " + std::to_string(pixels.bottom) +
         " of " + frame.name + " " + size + "\n" +
         "media type:       " + frame.name + " (" + size + ")" + mediaNote + "\n" +
         "keep proportions: " + (config.keepProps ? "yes" : "no") + "\n";
}

std::string describeSettingsFile(const std::string& path) {
  std::string error;
  pluginDataRec config{};
  ResetConfig(&config, true);
  if (path.empty()) return describeSettings("(none: no preferences folder)", "", config);
  std::string state;
  if (!std::filesystem::exists(path)) {
    state = "(not written yet: the defaults)";
  } else if (auto copy = PrivatePreferences::open(path, error); !copy) {
    // The text shows the path already.
    if (error.rfind(path + ": ", 0) == 0) error.erase(0, path.size() + 2);
    state = "(" + error + ": the defaults)";
  } else if (!copy->read(config)) {
    state = "(holds no valid settings: the defaults)";
  }
  return describeSettings(path, state, config);
}

std::string mediaShapeNote(int width, int height, int16_t mediaType, const std::string& settingsFile) {
  if (width <= 0 || height <= 0) return {};
  const double shape = std::log(double(width) / height);
  auto distance = [shape](const MediaFrame& f) { return std::abs(shape - std::log(double(f.width) / f.height)); };
  const MediaFrame shown = mediaFrame(mediaType);
  MediaFrame best = shown;
  for (int16_t type = 1; type <= 3; ++type)
    if (distance(mediaFrame(type)) < distance(best)) best = mediaFrame(type);
  if (distance(shown) <= std::log(1.05) || best.name == shown.name) return {};
  const bool wider = width * shown.height > height * shown.width;
  return "the settings window shows frames as " + std::string(shown.name) + " " + std::to_string(shown.width) + "x" +
         std::to_string(shown.height) + ", so this " + std::to_string(width) + "x" + std::to_string(height) +
         " clip looks " + (wider ? "squeezed" : "stretched") + " there; the media type " + best.name + " (" +
         std::to_string(best.width) + "x" + std::to_string(best.height) + ") fits it (velmorance settings " +
         (settingsFile.empty() ? "" : "--settings " + settingsFile + " ") + "--media-type " + best.name + ")";
}

}  // namespace vmhost
