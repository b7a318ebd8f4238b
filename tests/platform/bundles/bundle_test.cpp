#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/bundles/cfbundle.h"
#include "platform/resources/resources.h"
#include "tests/platform/files/temp_dir.h"

namespace {

namespace fs = std::filesystem;

void writeText(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  writeBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::string plist(const std::string& identifier, const std::string& executable) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">\n<dict>\n"
         "  <key>CFBundleDocumentTypes</key>\n  <dict><key>CFBundleIdentifier</key><string>nested.wrong</string></dict>\n"
         "  <key>CFBundleExecutable</key>\n  <string>" + executable + "</string>\n"
         "  <key>CFBundleIdentifier</key>\n  <string>" + identifier + "</string>\n"
         "  <key>CFBundleName</key>\n  <string>Fish &amp; Chips</string>\n"
         "  <key>LSRequiresCarbon</key>\n  <true/>\n"
         "  <key>CFBundleShortVersionString</key>\n  <string>3.0</string>\n"
         "</dict>\n</plist>\n";
}

std::string pathOf(CFURLRef url) {
  char buffer[4096];
  if (url == nullptr || !CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(buffer), sizeof buffer))
    return "(none)";
  return buffer;
}

CFBundleRef makeBundle(const std::string& folder) {
  CFURLRef url = platformCreateURLForPath(folder, true);
  CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url);
  CFRelease(url);
  return bundle;
}

std::string text(CFStringRef s) { return s == nullptr ? "(none)" : CFStringToUTF8(s); }

TEST(CFURL, KeepsAbsolutePathsOnly) {
  CFURLRef url = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR("/tmp/some folder/"), kCFURLPOSIXPathStyle, true);
  EXPECT_EQ("/tmp/some folder", pathOf(url));
  CFStringRef copied = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  EXPECT_EQ("/tmp/some folder", text(copied));
  UInt8 small[16];
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, small, sizeof small));  // 17 bytes with the zero
  CFRelease(copied);
  CFRelease(url);
  EXPECT_EQ(nullptr, CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR("relative/x"), kCFURLPOSIXPathStyle, false));
}

TEST(CFBundle, FoundByIdentifierWhileAlive) {
  TempDir temp;
  std::string folder = temp / "Fish.bundle";
  writeText(folder + "/Contents/Info.plist", plist("com.example.fish", "Fish"));
  CFBundleRef bundle = makeBundle(folder);
  ASSERT_NE(nullptr, bundle);
  EXPECT_EQ(bundle, CFBundleGetBundleWithIdentifier(CFSTR("com.example.fish")));
  EXPECT_EQ(nullptr, CFBundleGetBundleWithIdentifier(CFSTR("nested.wrong")));
  EXPECT_EQ("com.example.fish", text(CFBundleGetIdentifier(bundle)));
  EXPECT_EQ("Fish & Chips", text(CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("CFBundleName"))));
  EXPECT_EQ("3.0", text(CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("CFBundleShortVersionString"))));
  EXPECT_EQ(bundle, makeBundle(folder + "/"));  // one bundle per folder
  EXPECT_EQ(2, CFGetRetainCount(bundle));
  CFRelease(bundle);
  CFRelease(bundle);
  EXPECT_EQ(nullptr, CFBundleGetBundleWithIdentifier(CFSTR("com.example.fish")));
  EXPECT_EQ(nullptr, makeBundle(temp / "Missing.bundle"));
}

TEST(CFBundle, CopiesResourceURLsOfFilesThatExist) {
  TempDir temp;
  std::string folder = temp / "Fish.bundle";
  std::string resources = folder + "/Contents/Resources";
  writeText(folder + "/Contents/Info.plist", plist("com.example.fish2", "Fish"));
  writeText(resources + "/manual.pdf", "%PDF");
  writeText(resources + "/README", "r");
  writeText(resources + "/velmorance.nib/objects.xib", "x");
  writeText(resources + "/English.lproj/help.pdf", "%PDF");
  CFBundleRef bundle = makeBundle(folder);
  ASSERT_NE(nullptr, bundle);
  const struct {
    CFStringRef name, type, subDir;
    std::string expected;
  } cases[] = {
      {CFSTR("manual"), CFSTR("pdf"), nullptr, resources + "/manual.pdf"},
      {CFSTR("README"), nullptr, nullptr, resources + "/README"},
      {CFSTR("README"), CFSTR(""), nullptr, resources + "/README"},
      {CFSTR("velmorance"), CFSTR("nib"), nullptr, resources + "/velmorance.nib"},
      {CFSTR("help"), CFSTR("pdf"), CFSTR("English.lproj"), resources + "/English.lproj/help.pdf"},
      {CFSTR("help"), CFSTR("pdf"), nullptr, "(none)"},
      {CFSTR("manual"), CFSTR("txt"), nullptr, "(none)"},
  };
  for (const auto& c : cases) {
    CFURLRef url = CFBundleCopyResourceURL(bundle, c.name, c.type, c.subDir);
    EXPECT_EQ(c.expected, pathOf(url)) << text(c.name) << "." << text(c.type);
    if (url != nullptr) CFRelease(url);
  }
  CFURLRef dir = CFBundleCopyResourcesDirectoryURL(bundle);
  EXPECT_EQ(resources, pathOf(dir));
  CFRelease(dir);
  CFRelease(bundle);
}

TEST(CFBundle, OpensItsResourceMapReadOnly) {
  TempDir temp;
  std::string folder = temp / "Fish.bundle";
  writeText(folder + "/Contents/Info.plist", plist("com.example.fish3", "Fish"));
  ResourceFileImage image;
  ResourceRecord list;
  list.type = VM_FOURCC('S', 'T', 'R', '#');
  list.id = 130;
  list.data = {0, 1, 2, 'O', 'K'};
  image.resources.push_back(list);
  std::vector<UInt8> bytes;
  ASSERT_TRUE(serializeResourceFile(image, &bytes));
  fs::create_directories(folder + "/Contents/Resources");
  writeBytes(folder + "/Contents/Resources/Fish.rsrc", bytes);

  CFBundleRef bundle = makeBundle(folder);
  short ref = CFBundleOpenBundleResourceMap(bundle);
  ASSERT_NE(kResFileNotOpened, ref);
  EXPECT_EQ(ref, CurResFile());
  Str255 title;
  GetIndString(title, 130, 1);
  EXPECT_EQ(0, std::memcmp(title, "\x02OK", 3));
  ChangedResource(Get1Resource(VM_FOURCC('S', 'T', 'R', '#'), 130));
  EXPECT_EQ(wrPermErr, ResError());
  CFBundleCloseBundleResourceMap(bundle, ref);
  EXPECT_EQ(kResFileNotOpened, CurResFile());
  CFRelease(bundle);
}

TEST(CFBundle, FindsAndCallsAnAlreadyLoadedExecutable) {
  TempDir temp;
  std::string folder = temp / "Probe.bundle";
  writeText(folder + "/Contents/Info.plist", plist("com.example.probe", "Probe"));
  fs::create_directories(folder + "/Contents/Linux");
  fs::copy_file(VM_PROBE_MODULE, folder + "/Contents/Linux/Probe.so");
  // The host loads the code itself; the plug-in then looks its bundle up.
  void* code = dlopen((folder + "/Contents/Linux/Probe.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(nullptr, code) << dlerror();

  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR("com.example.probe"));
  ASSERT_NE(nullptr, bundle);
  EXPECT_TRUE(CFBundleIsExecutableLoaded(bundle));
  auto answer = reinterpret_cast<int (*)()>(CFBundleGetFunctionPointerForName(bundle, CFSTR("vmProbeAnswer")));
  ASSERT_NE(nullptr, answer);
  EXPECT_EQ(42, answer());
  EXPECT_EQ(nullptr, CFBundleGetFunctionPointerForName(bundle, CFSTR("noSuchFunction")));
  CFURLRef url = CFBundleCopyBundleURL(bundle);
  EXPECT_EQ(folder, pathOf(url));
  CFRelease(url);
}

TEST(CFBundle, LoadsItsExecutableOnDemand) {
  TempDir temp;
  std::string good = temp / "Good.bundle", bad = temp / "Bad.bundle";
  writeText(good + "/Contents/Info.plist", plist("com.example.good", "Good"));
  writeText(bad + "/Contents/Info.plist", plist("com.example.bad", "Bad"));
  fs::create_directories(good + "/Contents/Linux");
  fs::copy_file(VM_PROBE_MODULE, good + "/Contents/Linux/Good.so");
  CFBundleRef goodBundle = makeBundle(good), badBundle = makeBundle(bad);
  EXPECT_FALSE(CFBundleIsExecutableLoaded(goodBundle));
  auto answer = reinterpret_cast<int (*)()>(CFBundleGetFunctionPointerForName(goodBundle, CFSTR("vmProbeAnswer")));
  ASSERT_NE(nullptr, answer);
  EXPECT_EQ(42, answer());
  EXPECT_FALSE(CFBundleLoadExecutable(badBundle));
  EXPECT_EQ(nullptr, CFBundleGetFunctionPointerForName(badBundle, CFSTR("vmProbeAnswer")));
  CFRelease(goodBundle);
  CFRelease(badBundle);
}

}  // namespace
