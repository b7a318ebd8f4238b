#include "platform/memory/fault_injection.h"

#include <dlfcn.h>

namespace vmfaults {

namespace {

template <class Function>
Function programHook(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

bool shouldFailAllocation() {
  static const auto hook = programHook<bool (*)()>("vmFaultFailAllocation");
  return hook != nullptr && hook();
}

long resourceWriteLimit() {
  static const auto hook = programHook<long (*)()>("vmFaultResourceWriteLimit");
  return hook != nullptr ? hook() : -1;
}

}  // namespace vmfaults
