// The built bundle as a host sees it: loaded with dlopen, entered through
// its one exported function.
#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "velmorance/host_interface.h"

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
