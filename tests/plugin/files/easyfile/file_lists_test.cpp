// File lists from descriptor lists, identifier conversions and type tests.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/files/uttypes.h"
#include "plugin/files/easyfile/file_conversions.h"
#include "tests/plugin/files/easyfile/easyfile_support.h"

namespace {

struct ListOwner {
  ListOwner() { EXPECT_EQ(AECreateList(nullptr, 0, false, &list), noErr); }
  ~ListOwner() { AEDisposeDesc(&list); }
  AEDescList list;
};

TEST(FileLists, SixFilesGiveCountSixAndTheFirstFour) {
  TempFolder folder;
  ListOwner owner;
  for (int i = 1; i <= 6; ++i) {
    FSSpec spec = SpecFor(folder.Write("f" + std::to_string(i), ""));
    ASSERT_EQ(AEPutPtr(&owner.list, 0, typeFSS, &spec, sizeof spec), noErr);
  }
  FileList files;
  std::memset(&files, 0xAB, sizeof files);
  ASSERT_EQ(AEDescListToFileList(owner.list, files), noErr);
  EXPECT_EQ(files.count, 6);
  for (int i = 0; i < cMaxFilesInList; ++i) {
    EXPECT_EQ(FromPString(files.spec[i].name), "f" + std::to_string(i + 1));
    EXPECT_EQ(files.spec[i].parID, platformDirIDForPath(folder.Path()));
  }
}

TEST(FileLists, AnItemThatIsNoSpecificationStopsTheList) {
  TempFolder folder;
  ListOwner owner;
  FSSpec spec = SpecFor(folder.Write("first", ""));
  AEPutPtr(&owner.list, 0, typeFSS, &spec, sizeof spec);
  AEPutPtr(&owner.list, 0, VM_FOURCC('T', 'E', 'X', 'T'), "text", 4);
  FileList files{};
  EXPECT_EQ(AEDescListToFileList(owner.list, files), errAECoercionFail);
  EXPECT_EQ(files.count, 1);

  AEDesc notAList{typeNull, nullptr};
  EXPECT_EQ(AEDescListToFileList(notAList, files), errAEWrongDataType);
  EXPECT_EQ(files.count, 0);
}

TEST(Conversions, SpecsReferencesAndUrlTextsAgree) {
  TempFolder folder;
  const std::string path = folder.Write("a b%.png", "");
  FSRef ref = RefFor(path);
  FSSpec spec = FSRef2FSSpec(ref);
  EXPECT_EQ(FromPString(spec.name), "a b%.png");
  FSRef back{};
  FSSpec2FSRef(spec, back);
  EXPECT_STREQ(back.path, path.c_str());

  const std::string url = "file://" + folder.Path() + "/a%20b%25.png";
  Str255 text;
  FSRef2Str255(ref, text);
  EXPECT_EQ(FromPString(text), url);
  CFStringRef fromSpec = FSSpec2CFString(spec);
  EXPECT_EQ(CFStringToUTF8(fromSpec), url);
  CFRelease(fromSpec);

  CFURLRef parsed = PString2URL(PString(url).data());
  ASSERT_NE(parsed, nullptr);
  EXPECT_EQ(platformPathOfURL(parsed), path);
  URL2Str255(parsed, text);
  EXPECT_EQ(FromPString(text), url);
  CFRelease(parsed);

  Str255 name;
  GetNameFromFSRef(ref, name);
  EXPECT_EQ(FromPString(name), "a b%.png");
}

TEST(Conversions, MissingFilesAndForeignUrlsGiveNothing) {
  TempFolder folder;
  FSSpec missing = SpecFor(folder.File("gone"));
  FSRef kept = RefFor("/kept");
  FSSpec2FSRef(missing, kept);
  EXPECT_STREQ(kept.path, "/kept");
  EXPECT_EQ(FSSpec2CFString(missing), nullptr);
  Str255 text = {3, 'o', 'l', 'd'};
  FSRef2Str255(RefFor(folder.File("gone")), text);
  EXPECT_EQ(text[0], 0);
  URL2Str255(nullptr, text);
  EXPECT_EQ(text[0], 0);
  for (const char* foreign : {"http://example.com/a.png", "a.png", "file://otherhost/a.png", ""})
    EXPECT_EQ(PString2URL(PString(foreign).data()), nullptr) << foreign;
  // A name too long for a specification gives the empty one.
  FSSpec tooLong = FSRef2FSSpec(RefFor(folder.Write(std::string(64, 'n'), "")));
  EXPECT_EQ(tooLong.name[0], 0);
  EXPECT_EQ(tooLong.parID, 0);
}

TEST(Conversions, FoldersAreContainers) {
  TempFolder folder;
  EXPECT_TRUE(IsFileAFolder(RefFor(folder.Path())));
  EXPECT_FALSE(IsFileAFolder(RefFor(folder.Write("plain", ""))));
  EXPECT_FALSE(IsFileAFolder(RefFor(folder.File("missing"))));
  Str255 text;
  FSRef2Str255(RefFor(folder.Path()), text);
  EXPECT_EQ(FromPString(text), "file://" + folder.Path() + "/");
}

struct ConformCase {
  const char* file;
  const char* uti;
  bool conforms;
};

void PrintTo(const ConformCase& c, std::ostream* out) { *out << c.file << " -> " << c.uti; }

class Conformance : public ::testing::TestWithParam<ConformCase> {};

TEST_P(Conformance, FollowsTheExtensionsTypeChain) {
  TempFolder folder;
  FSRef ref = RefFor(folder.Write(GetParam().file, ""));
  EXPECT_EQ(FileConformsTo(ref, PString(GetParam().uti).data()), GetParam().conforms);
}

INSTANTIATE_TEST_SUITE_P(
    Types, Conformance,
    ::testing::Values(ConformCase{"a.png", "public.png", true}, ConformCase{"a.png", "public.image", true},
                      ConformCase{"a.PNG", "public.data", true}, ConformCase{"a.png", "public.item", true},
                      ConformCase{"a.png", "public.jpeg", false}, ConformCase{"a.png", "public.text", false},
                      ConformCase{"a.jpeg", "public.jpeg", true}, ConformCase{"a.JPG", "public.image", true},
                      ConformCase{"a.tif", "public.image", true}, ConformCase{"a.gif", "com.compuserve.gif", true},
                      ConformCase{"a.bmp", "public.image", true}, ConformCase{"a.txt", "public.text", true},
                      ConformCase{"a.txt", "public.plain-text", true}, ConformCase{"a.txt", "public.image", false},
                      ConformCase{"a.pdf", "com.adobe.pdf", true}, ConformCase{"a.pdf", "public.content", true},
                      ConformCase{"a.pdf", "public.image", false}, ConformCase{"a.xyz", "public.data", true},
                      ConformCase{"a.xyz", "public.image", false}, ConformCase{"noextension", "public.data", true},
                      ConformCase{"noextension", "public.image", false}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Conformance, TypedFilesWithoutExtensionAreLookedUpByTheirCodeAsAnExtension) {
  TempFolder folder;
  FSSpec spec = SpecFor(folder.File("picture"));
  ASSERT_EQ(FSpCreate(&spec, VM_FOURCC('q', 'z', 't', ' '), VM_FOURCC('P', 'N', 'G', 'f'), smSystemScript), noErr);
  FSRef ref = RefFor(folder.File("picture"));
  EXPECT_TRUE(FileConformsTo(ref, PString("public.data").data()));
  EXPECT_FALSE(FileConformsTo(ref, PString("public.png").data()));
  EXPECT_FALSE(FileConformsTo(RefFor(folder.File("missing.png")), PString("public.png").data()));
}

TEST(Conformance, TypeCodesAndExtensionsGiveTheSameIdentifier) {
  CFStringRef fromCode = UTTypeCreatePreferredIdentifierForTag(kUTTagClassOSType, CFSTR("JPEG"), nullptr);
  CFStringRef fromExtension = UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, CFSTR("jpe"), nullptr);
  EXPECT_EQ(CFStringToUTF8(fromCode), "public.jpeg");
  EXPECT_EQ(CFStringToUTF8(fromExtension), "public.jpeg");
  CFStringRef notText =
      UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, CFSTR("png"), CFSTR("public.text"));
  EXPECT_EQ(CFStringToUTF8(notText), "dyn.velmorance.png");
  for (CFStringRef made : {fromCode, fromExtension, notText}) CFRelease(made);
}

}  // namespace
