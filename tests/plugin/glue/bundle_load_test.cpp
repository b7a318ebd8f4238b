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

template <typename T>
T Read(const std::vector<char>& file, size_t offset) {
  T value;
  std::memcpy(&value, file.data() + offset, sizeof value);
  return value;
}

// Names of the defined, visible functions in the library's dynamic symbol table.
std::vector<std::string> exportedFunctions(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::string> names;
  if (file.size() < sizeof(Elf64_Ehdr) || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0 ||
      file[EI_CLASS] != ELFCLASS64)
    return names;
  const auto header = Read<Elf64_Ehdr>(file, 0);
  for (size_t i = 0; i < header.e_shnum; ++i) {
    const auto symbols = Read<Elf64_Shdr>(file, header.e_shoff + i * header.e_shentsize);
    const auto strings = Read<Elf64_Shdr>(file, header.e_shoff + symbols.sh_link * header.e_shentsize);
    for (size_t k = 0; symbols.sh_type == SHT_DYNSYM && k < symbols.sh_size / sizeof(Elf64_Sym); ++k) {
      const auto sym = Read<Elf64_Sym>(file, symbols.sh_offset + k * sizeof(Elf64_Sym));
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
