// The toolkit's ties to the Qt application: text conversion for controls,
// standard alerts as message boxes once a QApplication exists, and opening
// documents with the desktop.
#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <cstring>

#include "platform/alerts/alert_presenter.h"
#include "platform/bundles/cfurl.h"
#include "platform/strings/encodings.h"
#include "platform/toolkit/toolkit_internal.h"

namespace toolkit {

QString fromMacRoman(const void* bytes, size_t length) {
  QString text;
  text.reserve(static_cast<qsizetype>(length));
  const auto* b = static_cast<const uint8_t*>(bytes);
  for (size_t i = 0; i < length; ++i) text.append(QChar(vmstrings::macRomanToUnicode(b[i])));
  return text;
}

std::string toMacRoman(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(text.size()));
  for (QChar ch : text) {
    uint8_t byte = '?';  // characters without a Mac OS Roman form
    vmstrings::unicodeToMacRoman(ch.unicode(), byte);
    bytes.push_back(static_cast<char>(byte));
  }
  return bytes;
}

namespace {

QMessageBox::Icon iconFor(AlertType kind) {
  switch (kind) {
    case kAlertStopAlert: return QMessageBox::Critical;
    case kAlertCautionAlert: return QMessageBox::Warning;
    case kAlertNoteAlert: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// Shows alerts as QMessageBox while a QApplication exists; otherwise (a
// batch run, or after the application is gone) the console answers, so a
// render never waits for a click.
class MessageBoxPresenter : public AlertPresenter {
 public:
  DialogItemIndex present(const StandardAlert& alert) override {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
      return platformConsoleAlertPresenter().present(alert);
    QMessageBox box;
    box.setIcon(iconFor(alert.kind));
    box.setText(QString::fromStdString(alert.headline));
    box.setInformativeText(QString::fromStdString(alert.explanation));
    std::vector<std::pair<QPushButton*, DialogItemIndex>> buttons;
    for (const AlertButton& b : alert.buttons) {
      QMessageBox::ButtonRole role = QMessageBox::DestructiveRole;
      if (b.item == alert.cancelItem)
        role = QMessageBox::RejectRole;
      else if (b.item == kAlertStdAlertHelpButton)
        role = QMessageBox::HelpRole;
      else if (b.item == alert.defaultItem)
        role = QMessageBox::AcceptRole;
      QPushButton* button = box.addButton(QString::fromStdString(b.title), role);
      buttons.emplace_back(button, b.item);
      if (b.item == alert.defaultItem) box.setDefaultButton(button);
      if (b.item == alert.cancelItem) box.setEscapeButton(button);
    }
    box.exec();
    for (auto& [button, item] : buttons)
      if (box.clickedButton() == button) return item;
    return alert.cancelItem != 0 ? alert.cancelItem : alert.defaultItem;
  }
};

MessageBoxPresenter gMessageBoxPresenter;

void uninstallPresenter() {
  if (platformAlertPresenter() == &gMessageBoxPresenter) platformSetAlertPresenter(nullptr);
}

void installPresenter() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
  platformSetAlertPresenter(&gMessageBoxPresenter);
  qAddPostRoutine(uninstallPresenter);
}

}  // namespace
}  // namespace toolkit

// Runs when any QCoreApplication is constructed, ours or the host's.
static void vmInstallAlertPresenter() { toolkit::installPresenter(); }
Q_COREAPP_STARTUP_FUNCTION(vmInstallAlertPresenter)

Boolean CFURLGetFSRef(CFURLRef url, FSRef* outRef) {
  if (url == nullptr || outRef == nullptr) return false;
  const std::string path = platformPathOfURL(url);
  if (path.empty() || path.size() >= sizeof outRef->path || !QFileInfo::exists(QString::fromStdString(path)))
    return false;
  std::memcpy(outRef->path, path.c_str(), path.size() + 1);
  return true;
}

OSStatus LSOpenFSRef(const FSRef* ref, FSRef*) {
  if (ref == nullptr) return paramErr;
  const QString path = QString::fromUtf8(ref->path);
  if (!QFileInfo::exists(path)) return fnfErr;
  // The desktop is reached through the GUI application.
  if (!toolkit::ensureApplication()) return kLSUnknownErr;
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return kLSApplicationNotFoundErr;
  return noErr;
}
