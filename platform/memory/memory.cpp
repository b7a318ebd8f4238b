#include "platform/memory/memory.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/memory/fault_injection.h"

namespace {

// Each block carries its size in a header in front of the caller's bytes,
// padded so that the caller's bytes keep the allocator's alignment.
struct alignas(std::max_align_t) BlockHeader {
  Size size;
};

OSErr gMemError = noErr;

BlockHeader* headerOf(Ptr p) { return reinterpret_cast<BlockHeader*>(p) - 1; }

Ptr allocateBlock(Size size, bool clear) {
  if (size < 0 || vmfaults::shouldFailAllocation()) {
    gMemError = size < 0 ? paramErr : memFullErr;
    return nullptr;
  }
  void* raw = clear ? std::calloc(1, sizeof(BlockHeader) + static_cast<size_t>(size))
                    : std::malloc(sizeof(BlockHeader) + static_cast<size_t>(size));
  if (raw == nullptr) {
    gMemError = memFullErr;
    return nullptr;
  }
  auto* header = static_cast<BlockHeader*>(raw);
  header->size = size;
  gMemError = noErr;
  return reinterpret_cast<Ptr>(header + 1);
}

}  // namespace

Ptr NewPtr(Size size) { return allocateBlock(size, false); }
Ptr NewPtrClear(Size size) { return allocateBlock(size, true); }

void DisposePtr(Ptr p) {
  if (p != nullptr) std::free(headerOf(p));
}

Size GetPtrSize(Ptr p) { return p == nullptr ? 0 : headerOf(p)->size; }

OSErr MemError() { return gMemError; }

void BlockMoveData(const void* src, void* dst, Size count) {
  if (count > 0) std::memmove(dst, src, static_cast<size_t>(count));
}

Handle NewHandle(Size size) {
  Ptr block = NewPtr(size);
  if (block == nullptr) return nullptr;
  auto* master = new (std::nothrow) Ptr(block);
  if (master == nullptr) {
    DisposePtr(block);
    gMemError = memFullErr;
  }
  return master;
}

Handle NewHandleClear(Size size) {
  Handle h = NewHandle(size);
  if (h != nullptr) std::memset(*h, 0, static_cast<size_t>(size));
  return h;
}

void DisposeHandle(Handle h) {
  if (h == nullptr) return;
  DisposePtr(*h);
  delete h;
}

Size GetHandleSize(Handle h) { return h == nullptr ? 0 : GetPtrSize(*h); }
SInt8 HGetState(Handle) { return 0; }
void HSetState(Handle, SInt8) {}
void HLock(Handle) {}
void HUnlock(Handle) {}
void MoveHHi(Handle) {}
