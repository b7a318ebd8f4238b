// The built bundle as a host sees it: loaded with dlopen, entered through
// its one exported function.
#include <dlfcn.h>
#include <elf.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "velmorance/host_interface.h"

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

// Hosts and the dialog's tests load the bundle and call it; here: a host
// sees `main` and nothing else, so the plug-in's copy of the platform never
// meets the host's.
TEST(BundleLoadTest, MainIsTheOnlyExport) {
  EXPECT_THAT(exportedFunctions(VELMORANCE_BUNDLE_SO), ElementsAre("main"));
  void* library = dlopen(VELMORANCE_BUNDLE_SO, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  void* entry = dlsym(library, HY_PLUGIN_ENTRY_SYMBOL);
  ASSERT_NE(entry, nullptr) << dlerror();
  Dl_info where{};
  ASSERT_NE(dladdr(entry, &where), 0);
  EXPECT_TRUE(std::filesystem::equivalent(where.dli_fname, VELMORANCE_BUNDLE_SO));
  EXPECT_EQ(dlsym(library, "EffectMain"), nullptr);
  dlclose(library);
}

}  // namespace
