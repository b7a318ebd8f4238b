// EasyFile: data-fork primitives, colon-separated paths, file lists,
// identifier conversions, type tests, opening a document in a chosen
// program, pictures and images loaded from files, URLs and the main bundle,
// and the open and save dialogs answered from the test.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QTimer>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "platform/files/navigation.h"
#include "plugin/files/easyfile/easy_file.h"
#include "plugin/files/easyfile/file_conversions.h"
#include "tests/platform/files/temp_dir.h"
#include "tests/support/gworld_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Writes the bytes to a new file in `folder` and returns its path.
std::string Write(const TempDir& folder, const std::string& name, const std::string& bytes) {
  writeBytes(folder / name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
  return folder / name;
}

// A short string of the text, and the text of a short string.
std::vector<unsigned char> PString(const std::string& text) {
  std::vector<unsigned char> result(1 + text.size(), static_cast<unsigned char>(text.size()));
  std::copy(text.begin(), text.end(), result.begin() + 1);
  return result;
}
std::string FromPString(const unsigned char* text) { return {reinterpret_cast<const char*>(text + 1), text[0]}; }

// The short string `fill` writes after `given`, as text.
template <typename... Args, typename... Given>
std::string TextOf(void (*fill)(Args...), const Given&... given) {
  Str255 text{};
  fill(given..., text);
  return FromPString(text);
}

// An FSSpec's folder and name, "parID:name".
std::string Named(const FSSpec& spec) { return std::to_string(spec.parID) + ":" + FromPString(spec.name); }

FSSpec SpecFor(const std::string& path) {
  FSSpec spec{};
  platformFSSpecForPath(path, &spec);  // fnfErr for a missing file, whose spec is still filled in
  return spec;
}
FSRef RefFor(const std::string& path) {
  FSRef ref{};
  platformFSRefForPath(path, &ref);
  return ref;
}

// A text written over a file of "123456", rewritten or opened: its bytes
// without the length byte, a line ending in a carriage return that a
// 255-character text loses its last character to. A missing file opens as no
// reference and is not made by writing.
TEST(FilePrimitives, WriteTheTextsBytesOverTheFile) {
  constexpr OSType kText = VM_FOURCC('T', 'E', 'X', 'T'), kCreator = VM_FOURCC('q', 'z', 't', ' ');
  const std::string k255(255, 'x');
  // Rewritten, the text, as a line, the file after.
  const std::tuple<bool, std::string, bool, std::string> cases[] = {{true, "abc", true, "abc\r"},
                                                                    {true, k255, true, std::string(254, 'x') + "\r"},
                                                                    {true, "", false, ""},
                                                                    {true, k255, false, k255},
                                                                    {false, "ab", true, "ab\r456"}};
  TempDir folder;
  const std::string path = folder / "out.txt";
  for (const auto& [rewrite, text, line, expected] : cases) {
    Write(folder, "out.txt", "123456");
    short refNum = 0;
    rewrite ? pspRewrite(refNum, SpecFor(path), kText, kCreator) : pspPascalOpenFile(refNum, SpecFor(path));
    ASSERT_NE(refNum, 0);
    (line ? FileWriteLn : FileWrite)(refNum, PString(text).data());
    ASSERT_EQ(FSClose(refNum), noErr);
    EXPECT_EQ(readBytes(path), Bytes(expected.begin(), expected.end())) << text.size() << (line ? " line" : "");
  }
  short refNum = 77;
  pspPascalOpenFile(refNum, SpecFor(folder / "missing"));
  EXPECT_EQ(refNum, 0);
  FileWriteLn(refNum, PString("abc").data());
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
  OSType type = 0, creator = 0;  // type 0: no user extended attributes on /tmp
  ASSERT_EQ(platformGetFileTypeAndCreator(path.c_str(), &type, &creator), noErr);
  EXPECT_TRUE(type == 0 || (type == kText && creator == kCreator)) << type << " " << creator;
}

// Colon-separated paths ("Velmorance:" then every folder with ":", cut to
// 255 characters), the current folder's name (the volume's at the root), and
// one file's FSSpec, FSRef, URL and their texts. A missing file,
// a foreign URL or a name too long for an FSSpec gives nothing, and a
// reference that cannot be had is left as it was.
TEST(Paths, NameFoldersAndFilesAlikeOrGiveNothing) {
  TempDir folder;
  std::string deep = folder / "Work", colons = "Velmorance:";
  for (int i = 0; i < 5; ++i) deep += "/" + std::string(60, char('a' + i));
  std::filesystem::create_directories(deep);
  for (const auto& part : std::filesystem::path(deep).relative_path()) colons += part.string() + ":";
  const std::string path = Write(folder, "a b%.png", ""), url = "file://" + folder.path() + "/a%20b%25.png";
  const FSRef ref = RefFor(path);
  CFOwner<CFURLRef> parsed(PString2URL(PString(url).data()));
  ASSERT_NE(parsed, nullptr);
  FSRef back{}, kept = ref;
  FSSpec2FSRef(FSRef2FSSpec(ref), back);
  FSSpec2FSRef(SpecFor(folder / "gone"), kept);
  CFOwner<CFStringRef> text(FSSpec2CFString(SpecFor(path)));
  const auto saved = std::filesystem::current_path();
  std::filesystem::current_path(folder / "Work");
  std::string appDirs = TextOf(GetAppDirName);
  std::filesystem::current_path("/");
  appDirs += TextOf(GetAppDirName);
  std::filesystem::current_path(saved);
  const std::pair<std::string, std::string> cases[] = {
      {TextOf(GetFullPath, 99, kVelmoranceVolume), ""},  // no such folder
      {TextOf(GetFullPath, platformDirIDForPath("/tmp"), kVelmoranceVolume), "Velmorance:tmp:"},
      {TextOf(GetFullPath, platformDirIDForPath(deep), kVelmoranceVolume), colons.substr(0, 255)},
      {appDirs, "Work:Velmorance:"},
      {Named(FSRef2FSSpec(ref)), std::to_string(platformDirIDForPath(folder.path())) + ":a b%.png"},
      {TextOf(GetNameFromFSRef, ref), "a b%.png"},
      {back.path, path},
      {platformPathOfURL(parsed.get()), path},
      {TextOf(FSRef2Str255, ref), url},
      {TextOf(URL2Str255, parsed.get()), url},
      {CFStringToUTF8(text.get()), url},
      {kept.path, path},
      {TextOf(FSRef2Str255, RefFor(folder / "gone")), ""},
      {Named(FSRef2FSSpec(RefFor(Write(folder, std::string(64, 'n'), "")))), "0:"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.first, c.second) << "row " << &c - cases;
  EXPECT_EQ(FSSpec2CFString(SpecFor(folder / "gone")), nullptr);
  for (const char* foreign : {"http://example.com/a.png", "a.png", "file://otherhost/a.png", ""})
    EXPECT_EQ(PString2URL(PString(foreign).data()), nullptr) << foreign;
  EXPECT_TRUE(IsFileAFolder(RefFor(folder.path())) && !IsFileAFolder(ref) && !IsFileAFolder(RefFor(folder / "gone")));
}

// Six files give the count 6 and the first four; an item that is no
// FSSpec stops the list with the count so far; no list, no files.
TEST(FileLists, CountAllKeepTheFirstFourAndStopAtAForeignItem) {
  TempDir folder;
  AEDescList list{}, mixed{};
  std::unique_ptr<AEDescList, decltype(&AEDisposeDesc)> ownList(&list, AEDisposeDesc), ownMixed(&mixed, AEDisposeDesc);
  ASSERT_TRUE(AECreateList(nullptr, 0, false, &list) == noErr && AECreateList(nullptr, 0, false, &mixed) == noErr);
  for (int i = 1; i <= 6; ++i) {
    FSSpec spec = SpecFor(Write(folder, "f" + std::to_string(i), ""));
    ASSERT_EQ(AEPutPtr(&list, 0, typeFSS, &spec, sizeof spec), noErr);
    if (i == 1) AEPutPtr(&mixed, 0, typeFSS, &spec, sizeof spec);
  }
  AEPutPtr(&mixed, 0, VM_FOURCC('T', 'E', 'X', 'T'), "text", 4);
  FileList files;
  ASSERT_EQ(AEDescListToFileList(list, files), noErr);
  EXPECT_EQ(files.count, 6);
  for (int i = 0; i < cMaxFilesInList; ++i)
    EXPECT_EQ(Named(files.spec[i]), Named(SpecFor(folder / ("f" + std::to_string(i + 1)))));
  EXPECT_EQ(AEDescListToFileList(mixed, files), errAECoercionFail);
  EXPECT_EQ(files.count, 1);
  EXPECT_EQ(AEDescListToFileList(AEDesc{typeNull, nullptr}, files), errAEWrongDataType);
  EXPECT_EQ(files.count, 0);
}

// A file conforms to a type by its extension's type chain, in any case; a
// typed file without extension is looked up by its type code taken as an
// extension. A program is started with the document's path; what is no
// program, or no document, is refused.
TEST(Launching, TypesFollowTheExtensionsChainAndProgramsGetTheDocumentsPath) {
  TempDir folder;
  FSSpec typed = SpecFor(folder / "picture");
  ASSERT_EQ(FSpCreate(&typed, VM_FOURCC('q', 'z', 't', ' '), VM_FOURCC('P', 'N', 'G', 'f'), smSystemScript), noErr);
  const std::tuple<std::string, const char*, bool> types[] = {
      {"a.PNG", "public.data", true},         {"a.png", "public.jpeg", false},  {"a.JPG", "public.image", true},
      {"a.txt", "public.plain-text", true},   {"a.txt", "public.image", false}, {"a.pdf", "public.content", true},
      {"a.xyz", "public.data", true},         {"a.xyz", "public.image", false}, {"noextension", "public.data", true},
      {"noextension", "public.image", false}, {"picture", "public.data", true}, {"picture", "public.png", false}};
  for (const auto& [file, uti, conforms] : types) {
    const std::string path = file == "picture" ? folder / file : Write(folder, file, "");
    EXPECT_EQ(FileConformsTo(RefFor(path), PString(uti).data()), conforms) << file << " " << uti;
  }
  EXPECT_FALSE(FileConformsTo(RefFor(folder / "missing.png"), PString("public.png").data()));

  const std::string document = Write(folder, "doc.txt", "hello"), marker = folder / "opened";
  const std::string app =
      Write(folder, "viewer.sh",
            "#!/bin/sh\nprintf '%s' \"$1\" > '" + marker + ".tmp' && mv '" + marker + ".tmp' '" + marker + "'\n");
  ASSERT_EQ(chmod(app.c_str(), 0700), 0);
  const FSRef appRef = RefFor(app), notAProgram = RefFor(Write(folder, "plain.sh", ""));
  const std::tuple<FSRef, const FSRef*, OSStatus> cases[] = {
      {RefFor(document), &appRef, noErr},
      {RefFor(document), &notAProgram, kLSApplicationNotFoundErr},
      {RefFor(folder / "missing.txt"), &notAProgram, fnfErr},
      {RefFor(folder / "missing.txt"), nullptr, fnfErr}};
  for (const auto& [doc, program, status] : cases)
    EXPECT_EQ(OpenDocumentInSpecificApp(doc, program), status) << doc.path;
  for (int i = 0; i < 500 && access(marker.c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(readBytes(marker), Bytes(document.begin(), document.end()));
}

// Answers the next modal file dialog: types `path` into its name field and
// accepts, or cancels when `path` is empty. Tries every 10 ms until that
// closes it (the dialog loads its folder in the background). `shown` gets its
// title, whether a filter hides files, and "one file" (else "several files")
// or the name a save dialog proposes.
void Answer(const std::string& path, std::string* shown) {
  static int argc = 1;
  static char* argv[] = {const_cast<char*>("easyfile_test"), nullptr};
  if (QApplication::instance() == nullptr) new QApplication(argc, argv);  // lives for the test process
  shown->clear();
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [=, tries = 0]() mutable {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    auto* name = dialog != nullptr ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
    if (name != nullptr && shown->empty())
      *shown = (dialog->windowTitle() + (dialog->proxyModel() != nullptr ? ", filtered" : ", every file") +
                (dialog->acceptMode() == QFileDialog::AcceptSave
                     ? ", save as " + QFileInfo(dialog->selectedFiles().value(0)).fileName()
                     : (dialog->fileMode() == QFileDialog::ExistingFile ? ", one file" : ", several files")))
                   .toStdString();
    if (name != nullptr) name->setText(QString::fromStdString(path));
    if (name != nullptr) path.empty() ? dialog->reject() : static_cast<QDialog*>(dialog)->accept();  // with its checks
    if ((name == nullptr || dialog->isVisible()) && ++tries < 500) return;
    poll->stop();
    poll->deleteLater();
  });
  poll->start(10);
}

// 4 x 2 pixels: opaque colours, one half-transparent and one clear pixel.
const QRgb kSample[8] = {qRgba(255, 0, 0, 255), qRgba(0, 255, 0, 255), qRgba(0, 0, 255, 255),    qRgba(10, 20, 30, 255),
                         qRgba(255, 0, 0, 128), qRgba(0, 0, 0, 0),     qRgba(200, 100, 50, 255), qRgba(90, 60, 30, 64)};

// The sample's A, R, G, B bytes premultiplied, and drawn over white
// (c + 255 - alpha).
const Bytes kPlain = {255, 255, 0, 0, 255, 0, 255, 0, 255, 0,   0,   255, 255, 10, 20, 30,
                      128, 128, 0, 0, 0,   0, 0,   0, 255, 200, 100, 50,  64,  23, 15, 8};
const Bytes kOnWhite = {255, 255, 0,   0,   255, 0,   255, 0,   255, 0,   0,   255, 255, 10,  20,  30,
                        255, 255, 127, 127, 255, 255, 255, 255, 255, 200, 100, 50,  255, 214, 206, 199};

// The bytes of an image (rows of A, R, G, B), a picture's image or a
// buffer's pixels, released after; none for nullptr.
Bytes Read(CGImageRef image) {
  const uint8_t* data = image != nullptr ? CGImageGetARGBData(image) : nullptr;
  Bytes bytes(data, data + (image != nullptr ? CGImageGetBytesPerRow(image) * CGImageGetHeight(image) : 0));
  CGImageRelease(image);
  return bytes;
}
Bytes Read(PicHandle picture) {
  if (picture == nullptr) return {};
  const Bytes bytes = Read(CGImageRetain((*picture)->image));
  KillPicture(picture);
  return bytes;
}
Bytes Read(GrafPtr world) {
  GWorldOwner owner(world);
  Rect b{};
  if (world != nullptr) GetPortBounds(world, &b);
  Bytes bytes(b.right * b.bottom * 4);
  for (int i = 0; i < b.right * b.bottom; ++i) std::memcpy(&bytes[i * 4], PixelAt(world, i % b.right, i / b.right), 4);
  return bytes;
}

// Every loader gives the sample's pixels (on white where it draws); the
// scaled one shrinks by whole factors. Bundle resources come from the test
// program's folder. What cannot be read gives nothing, the name "Dummy",
// and the port as it was.
TEST(PictureLoading, EveryLoaderGivesTheFilesPixelsOrNothing) {
  TempDir folder;
  const std::string path = folder / "sample.png";
  const std::string resources = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Contents/Resources";
  std::filesystem::create_directories(resources + "/art");
  QImage sample(reinterpret_cast<const uchar*>(kSample), 4, 2, QImage::Format_ARGB32);
  for (const std::string& copy : {path, resources + "/art/logo.png", resources + "/badge.png"})
    ASSERT_TRUE(sample.save(QString::fromStdString(copy), "png"));
  const FSSpec spec = SpecFor(path);
  const FSRef ref = RefFor(path), text = RefFor(Write(folder, "text.png", "garbage")), missing = RefFor(folder / "no");
  CFOwner<CFURLRef> url(platformCreateURLForPath(path, false)), textUrl(platformCreateURLForPath(text.path, false));
  GWorldOwner mine = MakeWorld(1, 1);
  SetGWorld(mine.get(), nullptr);
  Str255 name, missingName, chosenName;
  std::string shown;
  const std::tuple<const char*, std::function<Bytes()>, Bytes> cases[] = {
      {"FSS", [&] { return Read(GetCGImageFromFSS(spec)); }, kPlain},
      {"URL QT", [&] { return Read(GetCGImageFromURLUsingQT(url.get())); }, kPlain},
      {"URL CG", [&] { return Read(GetCGImageFromURLUsingCG(url.get())); }, kPlain},
      {"FSRef CG", [&] { return Read(GetCGImageFromFSRefUsingCG(ref)); }, kPlain},
      {"FSS CG", [&] { return Read(GetCGImageFromFSSUsingCG(spec)); }, kPlain},
      {"bundle image", [&] { return Read(GetCGImageFromBundle("logo", "png", "art")); }, kPlain},
      {"bundle picture", [&] { return Read(LoadPictureFromBundle("badge", "png")); }, kPlain},
      {"picture", [&] { return Read(ReadPictureFromFSS(spec, name)); }, kPlain},
      {"URL picture", [&] { return Read(GetPictFromURLUsingCG(url.get())); }, kOnWhite},
      {"scaled", [&] { return Read(GetScaledGWImageFromFSRef(ref, 2, 1)); },
       Bytes{255, 255, 0, 0, 255, 0, 0, 255, 255, 255, 127, 127, 255, 200, 100, 50}},
      {"scaled by 0", [&] { return Read(GetScaledGWImageFromFSRef(ref, 0, 1)); }, {}},
      {"scaled past the size", [&] { return Read(GetScaledGWImageFromFSRef(ref, 5, 1)); }, {}},
      {"scaled garbage", [&] { return Read(GetScaledGWImageFromFSRef(text, 1, 1)); }, {}},
      {"URL picture of garbage", [&] { return Read(GetPictFromURLUsingCG(textUrl.get())); }, {}},
      {"picture only in art/", [&] { return Read(LoadPictureFromBundle("logo", "png")); }, {}},
      {"bundle image missing", [&] { return Read(GetCGImageFromBundle("missing", "png", nullptr)); }, {}},
      {"missing picture", [&] { return Read(ReadPictureFromFSRef(missing, missingName)); }, {}},
      {"chosen picture", [&] { return Answer(path, &shown), Read(LoadPictureFile(chosenName)); }, kPlain},
      {"no picture chosen", [&] { return Answer("", &shown), Read(LoadPictureFile(missingName)); }, {}},
  };
  for (const auto& [what, load, expected] : cases) EXPECT_EQ(load(), expected) << what;
  EXPECT_EQ(FromPString(name) + " " + FromPString(chosenName) + " " + FromPString(missingName),
            "sample.png sample.png Dummy");
  EXPECT_EQ(shown, "Choose Picture, every file, one file");
  CGrafPtr current = nullptr;
  GetGWorld(&current, nullptr);
  EXPECT_EQ(current, mine.get());
  SetGWorld(nullptr, nullptr);
  std::filesystem::remove_all(std::filesystem::path(resources).parent_path());
}

// "****" offers every file, another type only files of that type; one file
// only, even when several were asked for. A cancel gives false and leaves
// the FSSpec as it was.
TEST(Dialogs, ShowTheirTitleAndFilterAndReturnTheChoice) {
  constexpr OSType kPNG = VM_FOURCC('P', 'N', 'G', 'f'), kCreator = VM_FOURCC('q', 'z', 't', ' ');
  TempDir folder;
  const std::string notes = Write(folder, "notes.xyz", "text"), png = Write(folder, "shot.PNG", "");
  // Answer, message, the name a save dialog proposes (none: an open dialog),
  // type, several files, then what the dialog shows and the file chosen ("":
  // cancelled).
  const std::tuple<std::string, const char*, const char*, OSType, bool, const char*, const char*> cases[] = {
      {notes, "Pick one", nullptr, cAnyFileType, true, "Pick one, every file, one file", "notes.xyz"},
      {png, "Pictures", nullptr, kPNG, false, "Pictures, filtered, one file", "shot.PNG"},
      {"", "Pick", nullptr, cAnyFileType, false, "Pick, every file, one file", ""},
      {folder / "saved.cfg", "Save the settings", "Untitled", VM_FOURCC('P', 'r', 'e', 'f'), false,
       "Save the settings, every file, save as Untitled", "saved.cfg"},
      {"", "Save", "x", 0, false, "Save, every file, save as x", ""},
  };
  bool replacing = true;
  for (const auto& [answer, message, saveAs, type, several, expected, chosenName] : cases) {
    std::string shown;
    Answer(answer, &shown);
    FSSpec chosen{0, 1234, {6, 'b', 'e', 'f', 'o', 'r', 'e'}};
    EXPECT_EQ(saveAs != nullptr
                  ? EasyNavPutFile(PString(message).data(), PString(saveAs).data(), type, kCreator, chosen, replacing)
                  : EasyNavGetFile(PString(message).data(), type, kCreator, several, chosen),
              *chosenName != 0);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(Named(chosen), *chosenName != 0 ? Named(SpecFor(folder / chosenName)) : "1234:before") << expected;
  }
  EXPECT_FALSE(replacing);
  // A dialog for PNG pictures offers those and no other files.
  const NavTypeList pngOnly{0, 0, 1, {kPNG}};
  EXPECT_TRUE(platformNavOffersFile(nullptr, notes) && platformNavOffersFile(&pngOnly, png) &&
              !platformNavOffersFile(&pngOnly, notes));
}

}  // namespace
