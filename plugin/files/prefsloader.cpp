#include "plugin/files/prefsloader.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "platform/files/files.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"

namespace {

static_assert(offsetof(configSaveRec, startRel) == 8 && offsetof(configSaveRec, endRel) == 40);
static_assert(offsetof(configSaveRec, colors) == 72 && offsetof(configSaveRec, sliders) == 108);
static_assert(offsetof(configSaveRec, frameStartColor) == 120 && offsetof(configSaveRec, frameEndColor) == 126);
static_assert(offsetof(configSaveRec, mediaType) == 132 && offsetof(configSaveRec, keepProps) == 134);
static_assert(offsetof(configSaveRec, twoColors) == 135 && offsetof(configSaveRec, miscString) == 136);

constexpr const char* kMiscString = "Config save for qz/t iMovie plug-in";
constexpr const char* kResourceName = "Config Settings";

void setPascal(unsigned char* out, const char* text) {
  const size_t length = std::strlen(text);
  out[0] = static_cast<unsigned char>(length);
  std::memcpy(out + 1, text, length);
}

bool isFinite(const relRect& r) {
  return std::isfinite(r.left) && std::isfinite(r.right) && std::isfinite(r.top) && std::isfinite(r.bottom);
}

// Opens the preferences file's resources and makes them current. Returns the
// file's reference number, or -1 when the folder or file is missing or
// cannot be opened. Never creates anything.
short openPrefsFile() {
  short vRefNum = 0;
  long dirID = 0;
  if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID) != noErr) return -1;
  Str255 name;
  PrefsFileName(name);
  FSSpec spec;
  if (FSMakeFSSpec(vRefNum, dirID, name, &spec) != noErr) return -1;
  const short refNum = FSpOpenResFile(&spec, fsCurPerm);
  if (refNum == -1 || ResError() != noErr) return -1;
  UseResFile(refNum);
  return refNum;
}

// Takes every stored record out of the current file, so that the one saved
// next is the only one: a damaged file may hold several, and the first would
// shadow it. False when one cannot be taken out (it then stays the file's).
bool removeStoredRecords() {
  for (;;) {
    Handle old = Get1Resource(cConfigResType, cConfigResID);
    if (old == nullptr) return ResError() == resNotFound;
    RemoveResource(old);
    if (ResError() != noErr) return false;
    DisposeHandle(old);
  }
}

}  // namespace

void PrefsFileName(Str255 name) {
  unsigned char text[64] = "zelph";
  std::strcat(reinterpret_cast<char*>(text), cPrefName);
  setPascal(name, reinterpret_cast<const char*>(text));
}

bool Config2Save(pluginDataPtr theConfig, Handle theSaveConfig) {
  if (theConfig == nullptr || theSaveConfig == nullptr || GetHandleSize(theSaveConfig) < Size{sizeof(configSaveRec)})
    return false;
  configSaveRec record{};
  record.sizeInBytes = sizeof(configSaveRec);
  record.version = cConfigSaveVersion;
  record.startRel = theConfig->startRel;
  record.endRel = theConfig->endRel;
  for (int i = 1; i <= cNumColors; ++i) record.colors[i - 1] = theConfig->colors[i];
  for (int i = 1; i <= cNumSliders; ++i) record.sliders[i - 1] = theConfig->sliders[i];
  record.frameStartColor = theConfig->frameStartColor;
  record.frameEndColor = theConfig->frameEndColor;
  record.mediaType = theConfig->mediaType;
  record.keepProps = theConfig->keepProps ? 1 : 0;
  record.twoColors = theConfig->twoColors ? 1 : 0;
  setPascal(record.miscString, kMiscString);
  std::memcpy(*theSaveConfig, &record, sizeof record);
  return true;
}

bool Save2Config(pluginDataPtr theConfig, Handle theSaveConfig) {
  if (theConfig == nullptr || theSaveConfig == nullptr) return false;
  if (GetHandleSize(theSaveConfig) < Size{sizeof(configSaveRec)}) return false;
  configSaveRec record;
  std::memcpy(&record, *theSaveConfig, sizeof record);
  if (record.sizeInBytes != sizeof(configSaveRec) || record.version != cConfigSaveVersion) return false;
  if (!isFinite(record.startRel) || !isFinite(record.endRel)) return false;
  theConfig->startRel = record.startRel;
  theConfig->endRel = record.endRel;
  for (int i = 1; i <= cNumColors; ++i) theConfig->colors[i] = record.colors[i - 1];
  for (int i = 1; i <= cNumSliders; ++i) theConfig->sliders[i] = record.sliders[i - 1];
  theConfig->frameStartColor = record.frameStartColor;
  theConfig->frameEndColor = record.frameEndColor;
  theConfig->mediaType = record.mediaType;
  theConfig->keepProps = record.keepProps != 0;
  theConfig->twoColors = record.twoColors != 0;
  return true;
}

bool SaveConfig(pluginDataPtr theConfig) {
  if (theConfig == nullptr) return false;
  Handle record = NewHandleClear(sizeof(configSaveRec));
  if (record == nullptr || !Config2Save(theConfig, record)) {
    DisposeHandle(record);
    return false;
  }
  const short previousFile = CurResFile();
  const short refNum = openPrefsFile();
  if (refNum == -1) {
    DisposeHandle(record);
    return false;
  }
  // The old records go and the new one comes in one write, so the file on
  // disk holds either all of the old or all of the new.
  bool changed = removeStoredRecords();
  if (changed) {
    Str255 name;
    setPascal(name, kResourceName);
    AddResource(record, cConfigResType, cConfigResID, name);
    changed = ResError() == noErr;
  }
  if (!changed) {
    DisposeHandle(record);  // refused (a read-only file), so still ours
  } else {
    UpdateResFile(refNum);
    if (ResError() == noErr) ReleaseResource(record);
  }
  // Closing tries a failed write once more; changes still unwritten then are
  // reported by the Resource Manager, and the file keeps its old contents.
  CloseResFile(refNum);
  const bool saved = changed && ResError() == noErr;
  UseResFile(previousFile);
  return saved;
}

bool ReadConfig(pluginDataPtr theConfig) {
  if (theConfig == nullptr) return false;
  const short previousFile = CurResFile();
  const short refNum = openPrefsFile();
  if (refNum == -1) return false;
  Handle record = Get1Resource(cConfigResType, cConfigResID);
  if (record != nullptr) DetachResource(record);
  CloseResFile(refNum);
  UseResFile(previousFile);
  if (record == nullptr) return false;
  const bool accepted = Save2Config(theConfig, record);
  DisposeHandle(record);
  return accepted;
}
