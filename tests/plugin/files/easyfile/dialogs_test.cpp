// The open and save dialogs, answered from the test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "platform/files/navigation.h"
#include "platform/strings/text_utils.h"
#include "tests/plugin/files/easyfile/easyfile_support.h"

namespace {

constexpr OSType kPNG = VM_FOURCC('P', 'N', 'G', 'f');

// What `dialog` shows: its title, whether a filter hides files, and "one
// file" for an open dialog or the proposed name for a save dialog.
std::string Shown(QFileDialog* dialog) {
  QString text = dialog->windowTitle() + (dialog->proxyModel() != nullptr ? ", filtered" : ", every file");
  if (dialog->acceptMode() == QFileDialog::AcceptSave)
    text += ", save as " + QFileInfo(dialog->selectedFiles().value(0)).fileName();
  else
    text += dialog->fileMode() == QFileDialog::ExistingFile ? ", one file" : ", several files";
  return text.toStdString();
}

// Notes what `dialog` shows, then chooses `path` (cancels when it is empty);
// false while the dialog is not ready for that.
bool Answered(QFileDialog* dialog, const std::string& path, std::string* shown) {
  if (shown->empty()) *shown = Shown(dialog);
  if (path.empty()) {
    dialog->reject();
    return true;
  }
  // Typed into the name field: selecting through the folder view would wait
  // for the view's background loading.
  auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
  if (name == nullptr) return false;
  name->setText(QString::fromStdString(path));
  static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, checks included
  return !dialog->isVisible();
}

// Answers the next modal file dialog as soon as it shows, and again every
// 10 ms until that succeeds (the dialog loads its folder in the background).
void Answer(const std::string& path, std::string* shown) {
  shown->clear();
  if (QApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "easyfile_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives for the test process
  }
  auto* poll = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(poll, &QTimer::timeout, [poll, tries, path, shown] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (++*tries < 500 && (dialog == nullptr || !Answered(dialog, path, shown))) return;
    poll->stop();
    poll->deleteLater();
  });
  poll->start(10);
}

// "****" offers every file, another type only files of that type; one file
// only, even when several were asked for. A cancel gives false and leaves
// the specification.
TEST(Dialogs, ShowTheirTitleAndFilterAndReturnTheChoice) {
  TempDir folder;
  const std::string notes = Write(folder, "notes.xyz", "text"), png = Write(folder, "shot.PNG", "");
  constexpr OSType kCreator = VM_FOURCC('q', 'z', 't', ' '), kPrefs = VM_FOURCC('P', 'r', 'e', 'f');
  FSSpec chosen{};
  bool replacing = true;
  const struct {
    std::string answer;
    std::function<bool()> run;
    const char* shown;
    const char* chosen;  // "" when the call returns false
  } cases[] = {
      {notes, [&] { return EasyNavGetFile(PString("Pick one").data(), cAnyFileType, cAnyFileType, true, chosen); },
       "Pick one, every file, one file", "notes.xyz"},
      {png, [&] { return EasyNavGetFile(PString("Pictures").data(), kPNG, kCreator, false, chosen); },
       "Pictures, filtered, one file", "shot.PNG"},
      {"", [&] { return EasyNavGetFile(PString("Pick").data(), cAnyFileType, cAnyFileType, false, chosen); },
       "Pick, every file, one file", ""},
      {folder / "saved.cfg",
       [&] {
         return EasyNavPutFile(PString("Save the settings").data(), PString("Untitled").data(), kPrefs, kCreator,
                               chosen, replacing);
       },
       "Save the settings, every file, save as Untitled", "saved.cfg"},
      {"", [&] { return EasyNavPutFile(PString("Save").data(), PString("x").data(), 0, 0, chosen, replacing); },
       "Save, every file, save as x", ""},
  };
  for (const auto& c : cases) {
    std::string shown;
    Answer(c.answer, &shown);
    chosen.parID = 1234;
    pstringAssign(chosen.name, "before");
    EXPECT_EQ(c.run(), *c.chosen != 0) << c.shown;
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(FromPString(chosen.name), *c.chosen ? c.chosen : "before");
    EXPECT_EQ(chosen.parID, *c.chosen ? platformDirIDForPath(folder.path()) : 1234) << c.shown;
  }
  EXPECT_FALSE(replacing);

  EXPECT_TRUE(platformNavOffersFile(nullptr, notes));
  NavTypeList pngOnly{0, 0, 1, {kPNG}};
  EXPECT_TRUE(platformNavOffersFile(&pngOnly, png));
  EXPECT_FALSE(platformNavOffersFile(&pngOnly, notes));
  EXPECT_FALSE(platformNavOffersFile(&pngOnly, Write(folder, "photo.jpg", "")));
  FSSpec untitled = SpecFor(folder / "untitled");
  FSpCreate(&untitled, 0, kPNG, smSystemScript);
  OSType stored = 0;
  platformGetFileTypeAndCreator((folder / "untitled").c_str(), &stored, nullptr);
  EXPECT_EQ(platformNavOffersFile(&pngOnly, folder / "untitled"), stored == kPNG);
}

TEST(LoadPictureFile, AsksForAnyFileAndReadsThePicture) {
  TempDir folder;
  const std::string path = folder / "red.png";
  QImage red(2, 3, QImage::Format_RGB32);
  red.fill(qRgb(255, 0, 0));
  ASSERT_TRUE(red.save(QString::fromStdString(path)));
  std::string shown;
  Answer(path, &shown);
  Str255 name;
  PicHandle picture = LoadPictureFile(name);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(FromPString(name), "red.png");
  EXPECT_EQ(shown, "Choose Picture, every file, one file");
  EXPECT_EQ((std::array{(*picture)->picFrame.right, (*picture)->picFrame.bottom}), (std::array<int16_t, 2>{2, 3}));
  KillPicture(picture);

  Answer("", &shown);
  EXPECT_EQ(LoadPictureFile(name), nullptr);
  EXPECT_EQ(FromPString(name), "Dummy");
}

}  // namespace
