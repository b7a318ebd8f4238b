#include "platform/corefoundation/cfbase.h"

namespace {
CFRuntimeBase* baseOf(CFTypeRef object) { return const_cast<CFRuntimeBase*>(static_cast<const CFRuntimeBase*>(object)); }
}  // namespace

CFTypeRef CFRetain(CFTypeRef object) {
  if (object != nullptr && !baseOf(object)->immortal) ++baseOf(object)->references;
  return object;
}

void CFRelease(CFTypeRef object) {
  if (object == nullptr) return;
  CFRuntimeBase* base = baseOf(object);
  if (base->immortal) return;
  if (--base->references == 0 && base->finalize != nullptr) base->finalize(base);
}

long CFGetRetainCount(CFTypeRef object) { return object == nullptr ? 0 : baseOf(object)->references.load(); }
