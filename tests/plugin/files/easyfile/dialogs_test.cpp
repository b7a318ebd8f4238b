// The open and save dialogs, answered from the test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QTimer>
#include <array>
#include <memory>

#include "platform/files/navigation.h"
#include "tests/plugin/files/easyfile/easyfile_support.h"

namespace {

constexpr OSType kPNG = VM_FOURCC('P', 'N', 'G', 'f');

struct Seen {
  QString title;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
  bool filtered = false;
  QStringList proposed;
};

// Notes what `dialog` shows, then chooses `path` (cancels when it is empty);
// false while the dialog is not ready for that.
bool Answered(QFileDialog* dialog, const std::string& path, Seen* seen) {
  seen->title = dialog->windowTitle();
  seen->mode = dialog->fileMode();
  seen->acceptMode = dialog->acceptMode();
  seen->filtered = dialog->proxyModel() != nullptr;
  if (seen->proposed.isEmpty()) seen->proposed = dialog->selectedFiles();
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
void Answer(const std::string& path, Seen* seen) {
  if (QApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "easyfile_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives for the test process
  }
  auto* poll = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(poll, &QTimer::timeout, [poll, tries, path, seen] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (++*tries < 500 && (dialog == nullptr || !Answered(dialog, path, seen))) return;
    poll->stop();
    poll->deleteLater();
  });
  poll->start(10);
}

// "****" offers every file, another type only files of that type; one file
// only, even when several were asked for; a cancel gives false and leaves
// the specification.
TEST(OpenDialog, TheAnyTypeCodeOffersEveryFileAndAnotherTypeOnlyItsOwn) {
  TempDir folder;
  const std::string notes = Write(folder, "notes.xyz", "text"), png = Write(folder, "shot.PNG", "");
  Seen seen, typed;
  Answer(notes, &seen);
  FSSpec chosen{};
  ASSERT_TRUE(EasyNavGetFile(PString("Pick one").data(), cAnyFileType, cAnyFileType, true, chosen));
  EXPECT_EQ(FromPString(chosen.name), "notes.xyz");
  EXPECT_EQ(chosen.parID, platformDirIDForPath(folder.path()));
  EXPECT_EQ(seen.title, "Pick one");
  EXPECT_FALSE(seen.filtered);
  EXPECT_EQ(seen.mode, QFileDialog::ExistingFile);
  EXPECT_TRUE(platformNavOffersFile(nullptr, notes));

  Answer(png, &typed);
  ASSERT_TRUE(EasyNavGetFile(PString("Pictures").data(), kPNG, VM_FOURCC('q', 'z', 't', ' '), false, chosen));
  EXPECT_EQ(FromPString(chosen.name), "shot.PNG");
  EXPECT_TRUE(typed.filtered);
  NavTypeList pngOnly{0, 0, 1, {kPNG}};
  EXPECT_TRUE(platformNavOffersFile(&pngOnly, png));
  EXPECT_FALSE(platformNavOffersFile(&pngOnly, notes));
  EXPECT_FALSE(platformNavOffersFile(&pngOnly, Write(folder, "photo.jpg", "")));
  FSSpec untitled = SpecFor(folder / "untitled");
  FSpCreate(&untitled, 0, kPNG, smSystemScript);
  OSType stored = 0;
  platformGetFileTypeAndCreator((folder / "untitled").c_str(), &stored, nullptr);
  EXPECT_EQ(platformNavOffersFile(&pngOnly, folder / "untitled"), stored == kPNG);

  Answer("", &seen);
  chosen.parID = 1234;
  EXPECT_FALSE(EasyNavGetFile(PString("Pick").data(), cAnyFileType, cAnyFileType, false, chosen));
  EXPECT_EQ(chosen.parID, 1234);
}

TEST(SaveDialog, ProposesTheDefaultNameAndReturnsTheChosenPlace) {
  TempDir folder;
  Seen seen;
  Answer(folder / "saved.cfg", &seen);
  FSSpec spec{};
  bool replacing = true;
  ASSERT_TRUE(EasyNavPutFile(PString("Save the settings").data(), PString("Untitled").data(),
                             VM_FOURCC('P', 'r', 'e', 'f'), VM_FOURCC('q', 'z', 't', ' '), spec, replacing));
  EXPECT_EQ(FromPString(spec.name), "saved.cfg");
  EXPECT_EQ(spec.parID, platformDirIDForPath(folder.path()));
  EXPECT_FALSE(replacing);
  EXPECT_EQ(seen.acceptMode, QFileDialog::AcceptSave);
  EXPECT_EQ(seen.title, "Save the settings");
  ASSERT_EQ(seen.proposed.size(), 1);
  EXPECT_TRUE(seen.proposed.first().endsWith("/Untitled"));
  Answer("", &seen);
  EXPECT_FALSE(EasyNavPutFile(PString("Save").data(), PString("x").data(), 0, 0, spec, replacing));
}

TEST(LoadPictureFile, AsksForAnyFileAndReadsThePicture) {
  TempDir folder;
  const std::string path = folder / "red.png";
  QImage red(2, 3, QImage::Format_RGB32);
  red.fill(qRgb(255, 0, 0));
  ASSERT_TRUE(red.save(QString::fromStdString(path)));
  Seen seen;
  Answer(path, &seen);
  Str255 name;
  PicHandle picture = LoadPictureFile(name);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(FromPString(name), "red.png");
  EXPECT_EQ(seen.title, "Choose Picture");
  EXPECT_FALSE(seen.filtered);
  EXPECT_EQ((std::array{(*picture)->picFrame.right, (*picture)->picFrame.bottom}), (std::array<int16_t, 2>{2, 3}));
  KillPicture(picture);

  Answer("", &seen);
  EXPECT_EQ(LoadPictureFile(name), nullptr);
  EXPECT_EQ(FromPString(name), "Dummy");
}

}  // namespace
