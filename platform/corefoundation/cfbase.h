// Reference counting shared by every Core Foundation stand-in object.
// Each object type starts with CFRuntimeBase; CFRetain and CFRelease work on
// any of them.
#pragma once

#include <atomic>
#include <memory>
#include <type_traits>

#include "platform/corefoundation/cftypes.h"
#include "platform/macos/export.h"

VM_API_BEGIN

struct CFRuntimeBase {
  // Called once when the last reference goes; deletes the whole object.
  void (*finalize)(CFRuntimeBase* self);
  std::atomic<long> references{1};
  // Objects made by CFSTR live for the whole process and ignore release.
  bool immortal = false;
};

// Returns `object`; nullptr is passed through.
CFTypeRef CFRetain(CFTypeRef object);
// Drops one reference; the object is finalized when none remain.
void CFRelease(CFTypeRef object);
long CFGetRetainCount(CFTypeRef object);

// Owns one reference to a Core Foundation object: CFOwner<CFStringRef>.
struct CFReleaser {
  void operator()(CFTypeRef object) const { CFRelease(object); }
};
template <class Ref>
using CFOwner = std::unique_ptr<std::remove_pointer_t<Ref>, CFReleaser>;

VM_API_END
