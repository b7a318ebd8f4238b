// The effect's settings outside the plug-in: its stored configuration (the
// preferences file "zelph-Prefs") and settings files, which are copies of it.
// Records are read and written by the plug-in's own code (ReadConfig,
// SaveConfig), always on a private copy, so a user's file changes only when
// a command means to change it, and then all at once.
#pragma once

#include <memory>
#include <string>

#include "host/cli/options.h"
#include "plugin/core/plugin_defines.h"

namespace vmhost {

// The preferences file the plug-in reads at start-up in this process; empty
// when there is no Preferences folder.
std::string storedSettingsPath();

// A private folder holding a copy of one settings file as the preferences
// file. While it exists it is the Preferences folder of the whole process, so
// a plug-in loaded meanwhile starts from, and stores into, the copy. The
// folder goes when the object does.
class PrivatePreferences {
 public:
  // Copies `source` (an absolute path), or starts from an empty preferences
  // file when `source` is empty or does not exist. nullptr with `error`
  // naming `source` when it cannot be read or is not a resource file. One
  // copy at a time: the folder is the process's until this one goes.
  static std::unique_ptr<PrivatePreferences> open(const std::string& source, std::string& error);
  ~PrivatePreferences();
  PrivatePreferences(const PrivatePreferences&) = delete;
  PrivatePreferences& operator=(const PrivatePreferences&) = delete;

  // `config` reset to the defaults with the copy's record over them; false
  // (the defaults) when the copy holds no valid record.
  bool read(pluginDataRec& config) const;
  // Replaces the copy's record with `config`.
  bool store(pluginDataRec& config);
  // Whether the copy holds a configuration record, and taking it out: a
  // record that is back afterwards was stored by the plug-in.
  bool holdsRecord() const;
  bool dropRecord();
  // Replaces `target` with the copy in one step; `target` keeps its mode.
  bool commitTo(const std::string& target, std::string& error) const;

 private:
  explicit PrivatePreferences(std::string folder);
  std::string folder_, file_;
};

// The settings file a command works on: --settings FILE made absolute, or
// the stored configuration.
std::string settingsTarget(const Options& o);

// True when the options change the look (--strength, --rect, --media-type,
// --keep-proportions, --reset).
bool changesLook(const Options& o);
// Applies those options to `config`, --reset first.
void applyLook(const Options& o, pluginDataRec& config);

// The look for one render or thumbnail: without --settings, --strength or
// --rect, nullptr and the plug-in uses the stored configuration as it is.
// Otherwise a private copy of FILE (or the stored file) with the options
// applied, which the plug-in then reads; nullptr with `error` set when FILE
// is missing or holds no settings.
std::unique_ptr<PrivatePreferences> prepareRunLook(const Options& o, std::string& error);

// The configuration as people read it: the file, strength, rectangle in
// fractions and in pixels of the media type's frame, media type, keep
// proportions. `state` follows the file's path, e.g. "(not written yet:
// the defaults)".
std::string describeSettings(const std::string& path, const std::string& state, const pluginDataRec& config);
// The same for the settings file at `path` as the plug-in would find it:
// when it is missing, damaged or holds no settings, the defaults, saying so.
std::string describeSettingsFile(const std::string& path);

// The frame the settings window shows for a media type, and its name.
struct MediaFrame {
  const char* name;
  int width, height;
};
MediaFrame mediaFrame(int16_t mediaType);
// A note when frames of width x height are squeezed into the window's frame
// of `mediaType` (its shape differs by more than 5%), naming the type that
// fits best and the command that chooses it (for `settingsFile` when not
// empty); the empty text when the shapes agree or none fits better.
std::string mediaShapeNote(int width, int height, int16_t mediaType, const std::string& settingsFile);

}  // namespace vmhost
