// The built bundle's dynamic symbol table, as a host's dlsym sees it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using ::testing::ElementsAre;

namespace {

// Names of the functions the library defines in its dynamic symbol table,
// as nm lists them ("address type name" a line).
std::vector<std::string> exportedFunctions(const char* path) {
  std::unique_ptr<FILE, int (*)(FILE*)> nm(popen(("nm -D --defined-only " + std::string(path)).c_str(), "r"), pclose);
  std::vector<std::string> names;
  char type = 0, name[256];
  while (nm != nullptr && fscanf(nm.get(), "%*s %c %255s", &type, name) == 2)
    if (type == 'T' || type == 'W' || type == 'i') names.emplace_back(name);
  return names;
}

// A host sees `main` and nothing else, so the plug-in's copy of the platform
// never meets the host's. (Loading it with dlopen and finding `main` in it is
// what the velmorance program does in every run of the real bundle.)
TEST(BundleLoadTest, MainIsTheOnlyExport) {
  EXPECT_THAT(exportedFunctions(VELMORANCE_BUNDLE_SO), ElementsAre("main"));
}

}  // namespace
