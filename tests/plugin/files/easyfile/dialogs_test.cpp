// The open and save dialogs, answered from the test.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>

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

// Chooses `path` (or cancels when it is empty) and notes what was shown.
void Answer(const std::string& path, Seen* seen) {
  AnswerNextFileDialog([path, seen](QFileDialog* dialog) {
    seen->title = dialog->windowTitle();
    seen->mode = dialog->fileMode();
    seen->acceptMode = dialog->acceptMode();
    seen->filtered = dialog->proxyModel() != nullptr;
    if (seen->proposed.isEmpty()) seen->proposed = dialog->selectedFiles();
    if (path.empty()) {
      dialog->reject();
      return true;
    }
    // Typed into the name field: selecting through the folder view would
    // wait for the view's background loading.
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (name == nullptr) return false;
    name->setText(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, checks included
    return !dialog->isVisible();
  });
}

TEST(OpenDialog, TheAnyTypeCodeOffersEveryFile) {
  TempFolder folder;
  const std::string notes = folder.Write("notes.xyz", "text");
  Seen seen;
  Answer(notes, &seen);
  FSSpec chosen{};
  ASSERT_TRUE(EasyNavGetFile(PString("Pick one").data(), cAnyFileType, cAnyFileType, true, chosen));
  EXPECT_EQ(FromPString(chosen.name), "notes.xyz");
  EXPECT_EQ(chosen.parID, platformDirIDForPath(folder.Path()));
  EXPECT_EQ(seen.title, "Pick one");
  EXPECT_FALSE(seen.filtered);
  // One file only, even when several were asked for.
  EXPECT_EQ(seen.mode, QFileDialog::ExistingFile);
  EXPECT_TRUE(platformNavOffersFile(nullptr, notes));
}

TEST(OpenDialog, AnotherTypeOffersOnlyFilesOfThatType) {
  TempFolder folder;
  const std::string png = folder.Write("shot.PNG", "");
  Seen seen;
  Answer(png, &seen);
  FSSpec chosen{};
  ASSERT_TRUE(EasyNavGetFile(PString("Pictures").data(), kPNG, VM_FOURCC('q', 'z', 't', ' '), false, chosen));
  EXPECT_EQ(FromPString(chosen.name), "shot.PNG");
  EXPECT_TRUE(seen.filtered);

  NavTypeList pngOnly{0, 0, 1, {kPNG}};
  EXPECT_TRUE(platformNavOffersFile(&pngOnly, png));
  EXPECT_FALSE(platformNavOffersFile(&pngOnly, folder.Write("notes.txt", "")));
  EXPECT_FALSE(platformNavOffersFile(&pngOnly, folder.Write("photo.jpg", "")));
  FSSpec typed = SpecFor(folder.File("untitled"));
  FSpCreate(&typed, 0, kPNG, smSystemScript);
  OSType stored = 0;
  platformGetFileTypeAndCreator(folder.File("untitled").c_str(), &stored, nullptr);
  EXPECT_EQ(platformNavOffersFile(&pngOnly, folder.File("untitled")), stored == kPNG);
}

TEST(SaveDialog, ProposesTheDefaultNameAndReturnsTheChosenPlace) {
  TempFolder folder;
  Seen seen;
  Answer(folder.File("saved.cfg"), &seen);
  FSSpec spec{};
  bool replacing = true;
  ASSERT_TRUE(EasyNavPutFile(PString("Save the settings").data(), PString("Untitled").data(),
                             VM_FOURCC('P', 'r', 'e', 'f'), VM_FOURCC('q', 'z', 't', ' '), spec, replacing));
  EXPECT_EQ(FromPString(spec.name), "saved.cfg");
  EXPECT_EQ(spec.parID, platformDirIDForPath(folder.Path()));
  EXPECT_FALSE(replacing);
  EXPECT_EQ(seen.acceptMode, QFileDialog::AcceptSave);
  EXPECT_EQ(seen.title, "Save the settings");
  ASSERT_EQ(seen.proposed.size(), 1);
  EXPECT_TRUE(seen.proposed.first().endsWith("/Untitled"));
}

TEST(Dialogs, CancelGivesFalseAndLeavesTheSpec) {
  Seen seen;
  Answer("", &seen);
  FSSpec chosen{};
  chosen.parID = 1234;
  EXPECT_FALSE(EasyNavGetFile(PString("Pick").data(), cAnyFileType, cAnyFileType, false, chosen));
  EXPECT_EQ(chosen.parID, 1234);
  Answer("", &seen);
  bool replacing = false;
  EXPECT_FALSE(EasyNavPutFile(PString("Save").data(), PString("x").data(), 0, 0, chosen, replacing));
}

TEST(LoadPictureFile, AsksForAnyFileAndReadsThePicture) {
  TempFolder folder;
  const std::string path = folder.File("red.png");
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
  EXPECT_EQ((*picture)->picFrame.right, 2);
  EXPECT_EQ((*picture)->picFrame.bottom, 3);
  KillPicture(picture);

  Answer("", &seen);
  EXPECT_EQ(LoadPictureFile(name), nullptr);
  EXPECT_EQ(FromPString(name), "Dummy");
}

}  // namespace
