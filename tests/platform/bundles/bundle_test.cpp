#include <dlfcn.h>

#include <gtest/gtest.h>

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

// A bundle folder `name`.bundle in `temp` with an Info.plist naming
// `identifier` and the executable `name`.
std::string makeFolder(const TempDir& temp, const std::string& name, const std::string& identifier) {
  const std::string folder = temp / (name + ".bundle");
  writeText(folder + "/Contents/Info.plist",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
            "<plist version=\"1.0\">\n<dict>\n"
            "  <key>CFBundleDocumentTypes</key>\n  <dict><key>CFBundleIdentifier</key><string>nested.wrong</string></dict>\n"
            "  <key>CFBundleExecutable</key>\n  <string>" + name + "</string>\n"
            "  <key>CFBundleIdentifier</key>\n  <string>" + identifier + "</string>\n"
            "  <key>CFBundleName</key>\n  <string>Fish &amp; Chips</string>\n"
            "  <key>LSRequiresCarbon</key>\n  <true/>\n"
            "  <key>CFBundleShortVersionString</key>\n  <string>3.0</string>\n"
            "</dict>\n</plist>\n");
  return folder;
}

std::string pathOf(CFURLRef url) {
  char buffer[4096];
  if (url == nullptr || !CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(buffer), sizeof buffer))
    return "(none)";
  return buffer;
}

CFBundleRef makeBundle(const std::string& folder) {
  CFOwner<CFURLRef> url(platformCreateURLForPath(folder, true));
  return CFBundleCreate(kCFAllocatorDefault, url.get());
}

std::string text(CFStringRef s) { return s == nullptr ? "(none)" : CFStringToUTF8(s); }

TEST(CFURL, KeepsAbsolutePathsOnly) {
  CFOwner<CFURLRef> url(
      CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR("/tmp/some folder/"), kCFURLPOSIXPathStyle, true));
  EXPECT_EQ("/tmp/some folder", pathOf(url.get()));
  CFOwner<CFStringRef> copied(CFURLCopyFileSystemPath(url.get(), kCFURLPOSIXPathStyle));
  EXPECT_EQ("/tmp/some folder", text(copied.get()));
  UInt8 small[16];
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(url.get(), true, small, sizeof small));  // 17 bytes with the zero
  EXPECT_EQ(nullptr, CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR("relative/x"), kCFURLPOSIXPathStyle, false));
}

// One bundle per folder, found by its own identifier (not a nested one)
// while alive; its Info.plist values, the resources that exist and its
// resource map.
TEST(CFBundle, InfoAndResourceURLs) {
  TempDir temp;
  const std::string folder = makeFolder(temp, "Fish", "com.example.fish"), resources = folder + "/Contents/Resources";
  for (const char* file : {"/manual.pdf", "/README", "/velmorance.nib/objects.xib", "/English.lproj/help.pdf"})
    writeText(resources + file, "x");
  std::vector<UInt8> map;
  const ResType list = VM_FOURCC('S', 'T', 'R', '#');
  ASSERT_TRUE(serializeResourceFile({0, {}, {{list, 130, false, "", 0, {0, 1, 2, 'O', 'K'}}}}, &map));
  writeBytes(resources + "/Fish.rsrc", map);
  CFBundleRef bundle = makeBundle(folder);
  ASSERT_NE(nullptr, bundle);
  EXPECT_EQ(bundle, CFBundleGetBundleWithIdentifier(CFSTR("com.example.fish")));
  EXPECT_EQ(nullptr, CFBundleGetBundleWithIdentifier(CFSTR("nested.wrong")));
  EXPECT_EQ("com.example.fish", text(CFBundleGetIdentifier(bundle)));
  EXPECT_EQ("Fish & Chips", text(CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("CFBundleName"))));
  EXPECT_EQ("3.0", text(CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("CFBundleShortVersionString"))));
  EXPECT_EQ(bundle, makeBundle(folder + "/"));
  EXPECT_EQ(2, CFGetRetainCount(bundle));
  CFRelease(bundle);

  // Name, type, folder: the resource's path.
  const std::tuple<CFStringRef, CFStringRef, CFStringRef, std::string> cases[] = {
      {CFSTR("manual"), CFSTR("pdf"), nullptr, resources + "/manual.pdf"},
      {CFSTR("README"), nullptr, nullptr, resources + "/README"},
      {CFSTR("README"), CFSTR(""), nullptr, resources + "/README"},
      {CFSTR("velmorance"), CFSTR("nib"), nullptr, resources + "/velmorance.nib"},
      {CFSTR("help"), CFSTR("pdf"), CFSTR("English.lproj"), resources + "/English.lproj/help.pdf"},
      {CFSTR("help"), CFSTR("pdf"), nullptr, "(none)"},
      {CFSTR("manual"), CFSTR("txt"), nullptr, "(none)"},
  };
  for (const auto& [name, type, subDir, expected] : cases) {
    CFOwner<CFURLRef> url(CFBundleCopyResourceURL(bundle, name, type, subDir));
    EXPECT_EQ(expected, pathOf(url.get())) << text(name) << "." << text(type);
  }
  CFOwner<CFURLRef> dir(CFBundleCopyResourcesDirectoryURL(bundle));
  EXPECT_EQ(resources, pathOf(dir.get()));
  // The bundle's resource map opens read-only: its list is there, and
  // cannot be changed.
  short ref = CFBundleOpenBundleResourceMap(bundle);
  ASSERT_NE(kResFileNotOpened, ref);
  EXPECT_EQ(ref, CurResFile());
  ASSERT_NE(nullptr, Get1Resource(list, 130));
  ChangedResource(Get1Resource(list, 130));
  EXPECT_EQ(wrPermErr, ResError());
  CFBundleCloseBundleResourceMap(bundle, ref);
  EXPECT_EQ(kResFileNotOpened, CurResFile());
  CFRelease(bundle);
  EXPECT_EQ(nullptr, CFBundleGetBundleWithIdentifier(CFSTR("com.example.fish")));
  EXPECT_EQ(nullptr, makeBundle(temp / "Missing.bundle"));
}

// Code the host loaded itself is found through the bundle; other bundles
// load theirs on demand, or fail without one.
TEST(CFBundle, FindsOrLoadsItsExecutable) {
  TempDir temp;
  const std::string probe = makeFolder(temp, "Probe", "com.example.probe"), good = makeFolder(temp, "Good", "com.example.good");
  for (const std::string& folder : {probe, good}) {
    fs::create_directories(folder + "/Contents/Linux");
    fs::copy_file(VM_PROBE_MODULE, folder + "/Contents/Linux/" + fs::path(folder).stem().string() + ".so");
  }
  void* code = dlopen((probe + "/Contents/Linux/Probe.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(nullptr, code) << dlerror();
  CFBundleRef loaded = CFBundleGetBundleWithIdentifier(CFSTR("com.example.probe"));
  ASSERT_NE(nullptr, loaded);
  EXPECT_TRUE(CFBundleIsExecutableLoaded(loaded));
  CFOwner<CFURLRef> url(CFBundleCopyBundleURL(loaded));
  EXPECT_EQ(probe, pathOf(url.get()));
  CFBundleRef onDemand = makeBundle(good), bad = makeBundle(makeFolder(temp, "Bad", "com.example.bad"));
  EXPECT_FALSE(CFBundleIsExecutableLoaded(onDemand));
  for (CFBundleRef bundle : {loaded, onDemand}) {
    auto answer = reinterpret_cast<int (*)()>(CFBundleGetFunctionPointerForName(bundle, CFSTR("vmProbeAnswer")));
    ASSERT_NE(nullptr, answer);
    EXPECT_EQ(42, answer());
    EXPECT_EQ(nullptr, CFBundleGetFunctionPointerForName(bundle, CFSTR("noSuchFunction")));
  }
  EXPECT_FALSE(CFBundleLoadExecutable(bad));
  EXPECT_EQ(nullptr, CFBundleGetFunctionPointerForName(bad, CFSTR("vmProbeAnswer")));
  CFRelease(onDemand);
  CFRelease(bad);
}

}  // namespace
