// File lists from descriptor lists, identifier conversions and type tests.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/files/uttypes.h"
#include "plugin/files/easyfile/file_conversions.h"
#include "tests/plugin/files/easyfile/easyfile_support.h"

namespace {

// Six files give the count 6 and the first four; an item that is no file
// specification stops the list with the count so far.
TEST(FileLists, CountAllKeepTheFirstFourAndStopAtAForeignItem) {
  TempDir folder;
  AEDescList list, mixed;
  ASSERT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
  ASSERT_EQ(AECreateList(nullptr, 0, false, &mixed), noErr);
  for (int i = 1; i <= 6; ++i) {
    FSSpec spec = SpecFor(Write(folder, "f" + std::to_string(i), ""));
    ASSERT_EQ(AEPutPtr(&list, 0, typeFSS, &spec, sizeof spec), noErr);
    if (i == 1) AEPutPtr(&mixed, 0, typeFSS, &spec, sizeof spec);
  }
  AEPutPtr(&mixed, 0, VM_FOURCC('T', 'E', 'X', 'T'), "text", 4);
  FileList files;
  std::memset(&files, 0xAB, sizeof files);
  ASSERT_EQ(AEDescListToFileList(list, files), noErr);
  EXPECT_EQ(files.count, 6);
  for (int i = 0; i < cMaxFilesInList; ++i) {
    EXPECT_EQ(FromPString(files.spec[i].name), "f" + std::to_string(i + 1));
    EXPECT_EQ(files.spec[i].parID, platformDirIDForPath(folder.path()));
  }
  EXPECT_EQ(AEDescListToFileList(mixed, files), errAECoercionFail);
  EXPECT_EQ(files.count, 1);
  AEDesc notAList{typeNull, nullptr};
  EXPECT_EQ(AEDescListToFileList(notAList, files), errAEWrongDataType);
  EXPECT_EQ(files.count, 0);
  AEDisposeDesc(&list);
  AEDisposeDesc(&mixed);
}

TEST(Conversions, SpecsReferencesAndUrlTextsAgree) {
  TempDir folder;
  const std::string path = Write(folder, "a b%.png", "");
  FSRef ref = RefFor(path), back{};
  FSSpec spec = FSRef2FSSpec(ref);
  EXPECT_EQ(FromPString(spec.name), "a b%.png");
  FSSpec2FSRef(spec, back);
  EXPECT_STREQ(back.path, path.c_str());
  Str255 text;
  GetNameFromFSRef(ref, text);
  EXPECT_EQ(FromPString(text), "a b%.png");

  const std::string url = "file://" + folder.path() + "/a%20b%25.png";
  FSRef2Str255(ref, text);
  EXPECT_EQ(FromPString(text), url);
  CFOwner<CFStringRef> fromSpec(FSSpec2CFString(spec));
  EXPECT_EQ(CFStringToUTF8(fromSpec.get()), url);
  CFOwner<CFURLRef> parsed(PString2URL(PString(url).data()));
  ASSERT_NE(parsed, nullptr);
  EXPECT_EQ(platformPathOfURL(parsed.get()), path);
  URL2Str255(parsed.get(), text);
  EXPECT_EQ(FromPString(text), url);
  FSRef2Str255(RefFor(folder.path()), text);
  EXPECT_EQ(FromPString(text), "file://" + folder.path() + "/");
  EXPECT_TRUE(IsFileAFolder(RefFor(folder.path())));
  EXPECT_FALSE(IsFileAFolder(ref));
  EXPECT_FALSE(IsFileAFolder(RefFor(folder / "missing")));
}

TEST(Conversions, MissingFilesAndForeignUrlsGiveNothing) {
  TempDir folder;
  FSSpec missing = SpecFor(folder / "gone");
  FSRef kept = RefFor("/kept");
  FSSpec2FSRef(missing, kept);
  EXPECT_STREQ(kept.path, "/kept");
  EXPECT_EQ(FSSpec2CFString(missing), nullptr);
  Str255 text = {3, 'o', 'l', 'd'};
  FSRef2Str255(RefFor(folder / "gone"), text);
  EXPECT_EQ(text[0], 0);
  URL2Str255(nullptr, text);
  EXPECT_EQ(text[0], 0);
  for (const char* foreign : {"http://example.com/a.png", "a.png", "file://otherhost/a.png", ""})
    EXPECT_EQ(PString2URL(PString(foreign).data()), nullptr) << foreign;
  // A name too long for a specification gives the empty one.
  FSSpec tooLong = FSRef2FSSpec(RefFor(Write(folder, std::string(64, 'n'), "")));
  EXPECT_EQ(tooLong.name[0], 0);
  EXPECT_EQ(tooLong.parID, 0);
}

// By the extension's type chain; a typed file without extension is looked
// up by its type code taken as an extension.
TEST(Conformance, FollowsTheExtensionsTypeChain) {
  const struct {
    const char* file;
    const char* uti;
    bool conforms;
  } cases[] = {{"a.png", "public.image", true},      {"a.PNG", "public.data", true},
               {"a.png", "public.jpeg", false},      {"a.JPG", "public.image", true},
               {"a.tif", "public.image", true},      {"a.gif", "com.compuserve.gif", true},
               {"a.bmp", "public.image", true},      {"a.txt", "public.plain-text", true},
               {"a.txt", "public.image", false},     {"a.pdf", "public.content", true},
               {"a.pdf", "public.image", false},     {"a.xyz", "public.data", true},
               {"a.xyz", "public.image", false},     {"a.png", "public.item", true},
               {"noextension", "public.data", true}, {"noextension", "public.image", false}};
  TempDir folder;
  for (const auto& c : cases)
    EXPECT_EQ(FileConformsTo(RefFor(Write(folder, c.file, "")), PString(c.uti).data()), c.conforms)
        << c.file << " " << c.uti;
  FSSpec spec = SpecFor(folder / "picture");
  ASSERT_EQ(FSpCreate(&spec, VM_FOURCC('q', 'z', 't', ' '), VM_FOURCC('P', 'N', 'G', 'f'), smSystemScript), noErr);
  EXPECT_TRUE(FileConformsTo(RefFor(folder / "picture"), PString("public.data").data()));
  EXPECT_FALSE(FileConformsTo(RefFor(folder / "picture"), PString("public.png").data()));
  EXPECT_FALSE(FileConformsTo(RefFor(folder / "missing.png"), PString("public.png").data()));

  // Type codes and extensions name the same identifier.
  CFOwner<CFStringRef> fromCode(UTTypeCreatePreferredIdentifierForTag(kUTTagClassOSType, CFSTR("JPEG"), nullptr));
  CFOwner<CFStringRef> fromExtension(
      UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, CFSTR("jpe"), nullptr));
  CFOwner<CFStringRef> notText(
      UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, CFSTR("png"), CFSTR("public.text")));
  EXPECT_EQ(CFStringToUTF8(fromCode.get()), "public.jpeg");
  EXPECT_EQ(CFStringToUTF8(fromExtension.get()), "public.jpeg");
  EXPECT_EQ(CFStringToUTF8(notText.get()), "dyn.velmorance.png");
}

}  // namespace
