// The built bundle as a host sees it: loaded with dlopen, entered through
// its one exported function.
#include <dlfcn.h>
#include <elf.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/resources/resources.h"
#include "tests/plugin/glue/fake_host.h"

using ::testing::ElementsAre;

namespace {

// Names of the defined, visible functions in the library's dynamic symbol table.
std::vector<std::string> exportedFunctions(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::string> names;
  if (file.size() < sizeof(Elf64_Ehdr)) return names;
  Elf64_Ehdr header;
  std::memcpy(&header, file.data(), sizeof header);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64) return names;
  auto section = [&](size_t index) {
    Elf64_Shdr s;
    std::memcpy(&s, file.data() + header.e_shoff + index * header.e_shentsize, sizeof s);
    return s;
  };
  for (size_t i = 0; i < header.e_shnum; ++i) {
    const Elf64_Shdr symbols = section(i);
    if (symbols.sh_type != SHT_DYNSYM) continue;
    const Elf64_Shdr strings = section(symbols.sh_link);
    for (size_t k = 0; k < symbols.sh_size / sizeof(Elf64_Sym); ++k) {
      Elf64_Sym sym;
      std::memcpy(&sym, file.data() + symbols.sh_offset + k * sizeof sym, sizeof sym);
      if (ELF64_ST_TYPE(sym.st_info) == STT_FUNC && sym.st_shndx != SHN_UNDEF &&
          ELF64_ST_VISIBILITY(sym.st_other) == STV_DEFAULT)
        names.emplace_back(file.data() + strings.sh_offset + sym.st_name);
    }
  }
  return names;
}

std::string bundleString(short refNum, short list, short index) {
  UseResFile(refNum);
  Str255 text;
  GetIndString(text, list, index);
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

TEST(BundleLoadTest, MainIsTheOnlyExportAndAnswersTheHost) {
  EXPECT_THAT(exportedFunctions(VELMORANCE_BUNDLE_SO), ElementsAre("main"));

  char folder[] = "/tmp/vm-bundle-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  setenv("XDG_CONFIG_HOME", folder, 1);
  void* library = dlopen(VELMORANCE_BUNDLE_SO, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto entry = reinterpret_cast<HYPluginEntry>(dlsym(library, HY_PLUGIN_ENTRY_SYMBOL));
  ASSERT_NE(entry, nullptr) << dlerror();
  Dl_info where{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(entry), &where), 0);
  EXPECT_TRUE(std::filesystem::equivalent(where.dli_fname, VELMORANCE_BUNDLE_SO));
  EXPECT_EQ(dlsym(library, "EffectMain"), nullptr);
  EXPECT_EQ(dlsym(library, "_Z10EffectMainiP13_PluginParams"), nullptr);

  FakeHost host(8, 6);
  _PluginParams info = host.params(kPlugGetInfo);
  info.getInfo2.selectedFrames = 12;
  ASSERT_EQ(entry(0, &info), kPluginOK);
  EXPECT_EQ(info.getInfo.pluginType, kPluginFilterType);
  EXPECT_EQ(info.getInfo.pluginFlags, 0x1380u);
  EXPECT_EQ(info.getInfo.framesToBeRendered, 12);
  const short rsrc = platformOpenResFileAtPath(VELMORANCE_BUNDLE_RSRC, fsRdPerm);
  ASSERT_NE(rsrc, -1);
  EXPECT_EQ(info.getInfo2.group, bundleString(rsrc, 17000, 1));
  EXPECT_EQ(info.getInfo3.buttonTitle, bundleString(rsrc, 130, 1));
  EXPECT_EQ(info.getInfo2.filterSliders[2].label, bundleString(rsrc, 128, 3));
  EXPECT_FALSE(bundleString(rsrc, 128, 3).empty());
  CloseResFile(rsrc);
  // Start-up stored the configuration in the preferences folder.
  EXPECT_TRUE(std::filesystem::exists(std::string(folder) + "/zelph-Prefs"));

  host.calls.clear();
  _PluginParams render = host.params(kPlugInitialize);
  render.startFrame = 3;
  const auto before = host.outputPixels();
  EXPECT_EQ(entry(0, &render), kPluginOK);
  render.selector = kPlugDoFrame;
  EXPECT_EQ(entry(0, &render), kPluginOK);
  render.selector = kPlugTerminate;
  EXPECT_EQ(entry(0, &render), kPluginOK);
  EXPECT_EQ(render.clientData, nullptr);
  EXPECT_NE(host.outputPixels(), before);
  EXPECT_THAT(host.calls, ElementsAre(::testing::StartsWith("NewPtrClear"), ::testing::StartsWith("NewPtrClear"),
                                      "GetFilterInfo", "ReleaseFilterInfo", "GetFrame 3 8x6 q1", "MixAudio 256",
                                      "ReleaseFrame", "DisposePtr", "DisposePtr"));
  dlclose(library);
  std::filesystem::remove_all(folder);
}

}  // namespace
