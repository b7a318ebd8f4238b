// The built bundle as a host sees it: loaded with dlopen, entered through
// its one exported function.
#include <dlfcn.h>
#include <elf.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
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

// Renders through the loaded bundle are checked end to end by the host's
// tests; here: what the library shows a host, and that it finds its own
// resources when loaded privately.
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

  FakeHost host(8, 6);
  _PluginParams info = host.params(kPlugGetInfo);
  info.getInfo2.selectedFrames = 12;
  ASSERT_EQ(entry(0, &info), kPluginOK);
  EXPECT_EQ((std::array<long, 3>{info.getInfo.pluginType, info.getInfo.pluginFlags, info.getInfo.framesToBeRendered}),
            (std::array<long, 3>{kPluginFilterType, 0x1380, 12}));
  const short rsrc = platformOpenResFileAtPath(VELMORANCE_BUNDLE_RSRC, fsRdPerm);
  ASSERT_NE(rsrc, -1);
  EXPECT_EQ(info.getInfo2.group, BundleString(rsrc, 17000, 1));
  EXPECT_FALSE(BundleString(rsrc, 17000, 1).empty());
  CloseResFile(rsrc);
  dlclose(library);
  std::filesystem::remove_all(folder);
}

}  // namespace
