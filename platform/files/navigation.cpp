#include "platform/files/navigation.h"

#include <sys/stat.h>

#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <algorithm>
#include <cstring>

#include "platform/files/file_refs.h"
#include "platform/files/uttypes.h"
#include "platform/toolkit/toolkit_internal.h"

namespace {

QString textOf(const Str255 text) { return text[0] == 0 ? QString() : toolkit::fromMacRoman(text + 1, text[0]); }

std::string lowerExtension(const std::string& path) {
  std::string leaf = path.substr(path.find_last_of('/') + 1);
  size_t dot = leaf.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return {};
  std::string ext = leaf.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

// Folders always stay visible so the user can walk into them.
class TypeFilter : public QSortFilterProxyModel {
 public:
  explicit TypeFilter(const NavTypeList* types) : types_(types) {}

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (files == nullptr) return true;
    QModelIndex index = files->index(row, 0, parent);
    return files->isDir(index) || platformNavOffersFile(types_, files->filePath(index).toStdString());
  }

 private:
  const NavTypeList* types_;
};

OSErr startReply(NavReplyRecord* reply) {
  std::memset(reply, 0, sizeof *reply);
  return AECreateList(nullptr, 0, false, &reply->selection);
}

// A failed dialog leaves nothing to dispose of: callers commonly skip
// NavDisposeReply after an error.
OSErr failReply(NavReplyRecord* reply, OSErr err) {
  AEDisposeDesc(&reply->selection);
  return err;
}

void addSpec(NavReplyRecord* reply, const QString& path) {
  FSSpec spec;
  OSErr err = platformFSSpecForPath(path.toStdString(), &spec);
  if (err == noErr || err == fnfErr) AEPutPtr(&reply->selection, 0, typeFSS, &spec, sizeof spec);
}

QString titleFor(const NavDialogOptions* options, const char* fallback) {
  if (options != nullptr && options->windowTitle[0] != 0) return textOf(options->windowTitle);
  if (options != nullptr && options->message[0] != 0) return textOf(options->message);
  return QString::fromLatin1(fallback);
}

// A fresh reply and a GUI application to show the dialog in.
OSErr beginDialog(NavReplyRecord* reply) {
  if (reply == nullptr) return paramErr;
  const OSErr err = startReply(reply);
  if (err != noErr) return err;
  if (!toolkit::ensureApplication()) return failReply(reply, paramErr);
  return noErr;
}

void setUpDialog(QFileDialog& dialog, const NavDialogOptions* options, const char* fallbackTitle,
                 QFileDialog::AcceptMode mode) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setWindowTitle(titleFor(options, fallbackTitle));
  dialog.setAcceptMode(mode);
  if (options == nullptr) return;
  if (options->actionButtonLabel[0] != 0) dialog.setLabelText(QFileDialog::Accept, textOf(options->actionButtonLabel));
  if (options->cancelButtonLabel[0] != 0) dialog.setLabelText(QFileDialog::Reject, textOf(options->cancelButtonLabel));
}

}  // namespace

bool platformNavOffersFile(const NavTypeList* typeList, const std::string& path) {
  if (typeList == nullptr || typeList->osTypeCount <= 0) return true;
  OSType stored = 0;
  platformGetFileTypeAndCreator(path.c_str(), &stored, nullptr);
  const std::string ext = lowerExtension(path);
  for (short i = 0; i < typeList->osTypeCount; ++i) {
    OSType wanted = typeList->osType[i];
    if (stored != 0 && stored == wanted) return true;
    std::vector<std::string> extensions = platformExtensionsForOSType(wanted);
    if (!ext.empty() && std::find(extensions.begin(), extensions.end(), ext) != extensions.end()) return true;
  }
  return false;
}

OSErr NavGetDefaultDialogOptions(NavDialogOptions* dialogOptions) {
  if (dialogOptions == nullptr) return paramErr;
  std::memset(dialogOptions, 0, sizeof *dialogOptions);
  dialogOptions->dialogOptionFlags = kNavDefaultNavDlogOptions;
  return noErr;
}

OSErr NavGetFile(AEDesc*, NavReplyRecord* reply, NavDialogOptions* dialogOptions, NavEventUPP, NavPreviewUPP,
                 NavObjectFilterUPP, NavTypeListHandle typeList, void*) {
  if (OSErr err = beginDialog(reply); err != noErr) return err;
  QFileDialog dialog;
  setUpDialog(dialog, dialogOptions, "Open", QFileDialog::AcceptOpen);
  bool multiple = dialogOptions != nullptr && (dialogOptions->dialogOptionFlags & kNavAllowMultipleFiles);
  dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  const NavTypeList* types = typeList != nullptr ? *typeList : nullptr;
  if (types != nullptr && types->osTypeCount > 0) dialog.setProxyModel(new TypeFilter(types));
  if (dialog.exec() != QDialog::Accepted) return failReply(reply, userCanceledErr);
  for (const QString& path : dialog.selectedFiles()) addSpec(reply, path);
  reply->validRecord = true;
  return noErr;
}

OSErr NavPutFile(AEDesc*, NavReplyRecord* reply, NavDialogOptions* dialogOptions, NavEventUPP, OSType, OSType,
                 void*) {
  if (OSErr err = beginDialog(reply); err != noErr) return err;
  QFileDialog dialog;
  setUpDialog(dialog, dialogOptions, "Save", QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (dialogOptions != nullptr && dialogOptions->savedFileName[0] != 0)
    dialog.selectFile(textOf(dialogOptions->savedFileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return failReply(reply, userCanceledErr);
  const QString path = dialog.selectedFiles().first();
  struct stat info;
  reply->replacing = stat(path.toStdString().c_str(), &info) == 0;
  addSpec(reply, path);
  reply->validRecord = true;
  return noErr;
}

OSErr NavDisposeReply(NavReplyRecord* reply) {
  if (reply == nullptr) return paramErr;
  AEDisposeDesc(&reply->selection);
  reply->validRecord = false;
  return noErr;
}
