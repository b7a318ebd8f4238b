#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define VM_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define VM_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define VM_POISON(p, n) ((void)(p), (void)(n))
#define VM_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

#include "platform/memory/fault_injection.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/bulk_pixels.h"
#include "platform/quickdraw/port_state.h"
#include "platform/quickdraw/quickdraw.h"

namespace {

// Rows are padded past 4 * width to the next multiple of 64 bytes, always
// leaving some padding, so code that assumes rowBytes == 4 * width fails in
// tests instead of in the field.
int32_t paddedRowBytes(int32_t width) { return ((width * 4 + 64) / 64) * 64; }

// The pixels of disposed large buffers, kept for the next buffer of the same
// size: a render makes and disposes of frame-sized buffers every frame, and
// fresh memory from the system costs a page fault every 4 KB. A few blocks
// at most, so memory held back stays within what a frame step uses at once.
class StoragePool {
 public:
  static constexpr size_t kSmallest = 64 * 1024;
  static constexpr size_t kBlocks = 2;

  Ptr take(size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = kept_.begin(); it != kept_.end(); ++it)
      if (it->bytes == bytes) {
        const Ptr storage = it->storage;
        kept_.erase(it);
        VM_UNPOISON(storage, bytes);
        return storage;
      }
    return nullptr;
  }

  void give(Ptr storage, size_t bytes) {
    if (storage == nullptr) return;
    if (bytes < kSmallest) return std::free(storage);
    Ptr oldest = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (kept_.size() == kBlocks) {
        oldest = kept_.front().storage;
        VM_UNPOISON(oldest, kept_.front().bytes);
        kept_.erase(kept_.begin());
      }
      VM_POISON(storage, bytes);  // a disposed buffer stays unreadable
      kept_.push_back({storage, bytes});
    }
    std::free(oldest);
  }

 private:
  struct Block {
    Ptr storage;
    size_t bytes;
  };
  std::mutex mutex_;
  std::vector<Block> kept_;
};

// Never destroyed: buffers may be disposed of by other objects' destructors
// at exit.
StoragePool& storagePool() {
  static StoragePool* pool = new StoragePool;
  return *pool;
}

GWorldPtr makePort(const Rect& bounds, Ptr pixels, int32_t rowBytes, Ptr storage) {
  auto* port = new (std::nothrow) GrafPort{};
  if (port == nullptr) return nullptr;
  port->portPixMap.baseAddr = pixels;
  port->portPixMap.rowBytes = rowBytes;
  port->portPixMap.bounds = bounds;
  port->portPixMap.pixelSize = 32;
  port->portPixMap.pixelsState = 0;
  port->pixMapMaster = &port->portPixMap;
  port->pixelStorage = storage;
  qd::initPortState(port);
  return port;
}

}  // namespace

QDErr NewGWorld(GWorldPtr* offscreen, short pixelDepth, const Rect* bounds, CTabHandle, GDHandle, GWorldFlags) {
  if (offscreen == nullptr) return paramErr;
  *offscreen = nullptr;
  if (bounds == nullptr || (pixelDepth != 32 && pixelDepth != 0)) return paramErr;
  const int32_t width = int32_t{bounds->right} - bounds->left;
  const int32_t height = int32_t{bounds->bottom} - bounds->top;
  if (width < 0 || height < 0) return paramErr;
  if (vmfaults::shouldFailAllocation()) return memFullErr;

  const int32_t rowBytes = paddedRowBytes(width);
  // At least one row, so even an empty buffer has a valid base address.
  const size_t bytes = static_cast<size_t>(rowBytes) * static_cast<size_t>(height > 0 ? height : 1);
  // 64-byte alignment keeps every row start aligned for wide loads.
  Ptr storage = storagePool().take(bytes);
  if (storage == nullptr) storage = static_cast<Ptr>(std::aligned_alloc(64, bytes));
  if (storage == nullptr) return memFullErr;
  const bool streaming = qd::writesPastCache(bytes);
  qd::clearPixels(storage, bytes, streaming);
  if (streaming) qd::finishStreaming();
  GWorldPtr port = makePort(*bounds, storage, rowBytes, storage);
  if (port == nullptr) {
    storagePool().give(storage, bytes);
    return memFullErr;
  }
  port->pixelStorageSize = static_cast<Size>(bytes);
  *offscreen = port;
  return noErr;
}

QDErr NewGWorldFromPtr(GWorldPtr* offscreen, const Rect* bounds, Ptr pixels, int32_t rowBytes) {
  if (offscreen == nullptr) return paramErr;
  *offscreen = nullptr;
  if (bounds == nullptr || pixels == nullptr || rowBytes < 4 * (int32_t{bounds->right} - bounds->left))
    return paramErr;
  GWorldPtr port = makePort(*bounds, pixels, rowBytes, nullptr);
  if (port == nullptr) return memFullErr;
  *offscreen = port;
  return noErr;
}

void DisposeGWorld(GWorldPtr world) {
  if (world == nullptr) return;
  qd::forgetPort(world);
  storagePool().give(world->pixelStorage, static_cast<size_t>(world->pixelStorageSize));
  delete world;
}

PixMapHandle GetGWorldPixMap(GWorldPtr world) { return world == nullptr ? nullptr : &world->pixMapMaster; }
PixMapHandle GetPortPixMap(CGrafPtr port) { return GetGWorldPixMap(port); }

GWorldFlags GetPixelsState(PixMapHandle pm) { return pm == nullptr ? 0 : (*pm)->pixelsState; }

void SetPixelsState(PixMapHandle pm, GWorldFlags state) {
  if (pm != nullptr) (*pm)->pixelsState = state;
}

Boolean LockPixels(PixMapHandle pm) {
  if (pm == nullptr) return false;
  (*pm)->pixelsState |= pixelsLocked;
  return true;
}

void UnlockPixels(PixMapHandle pm) {
  if (pm != nullptr) (*pm)->pixelsState &= ~static_cast<uint32_t>(pixelsLocked);
}

Ptr GetPixBaseAddr(PixMapHandle pm) { return pm == nullptr ? nullptr : (*pm)->baseAddr; }
int32_t GetPixRowBytes(PixMapHandle pm) { return pm == nullptr ? 0 : (*pm)->rowBytes; }
int16_t GetPixDepth(PixMapHandle pm) { return pm == nullptr ? 0 : (*pm)->pixelSize; }

Rect* GetPixBounds(PixMapHandle pm, Rect* bounds) {
  if (pm != nullptr && bounds != nullptr) *bounds = (*pm)->bounds;
  return bounds;
}
