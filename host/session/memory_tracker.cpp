#include "host/session/memory_tracker.h"

#include <new>
#include <unordered_map>

#include "platform/memory/memory.h"

namespace vmhost {

namespace {

struct Registry {
  std::unordered_map<Ptr, Size> blocks;
  size_t foreign = 0;
};

Registry& registry() {
  static Registry instance;
  return instance;
}

Ptr track(Ptr block, Size size) {
  if (block == nullptr) return nullptr;
  try {
    registry().blocks.emplace(block, size);
  } catch (const std::bad_alloc&) {
    ::DisposePtr(block);
    return nullptr;
  }
  return block;
}

}  // namespace

Ptr trackedNewPtr(Size size) { return track(::NewPtr(size), size); }
Ptr trackedNewPtrClear(Size size) { return track(::NewPtrClear(size), size); }

void trackedDisposePtr(Ptr block) {
  if (block == nullptr) return;
  auto& blocks = registry().blocks;
  auto it = blocks.find(block);
  if (it == blocks.end()) {
    ++registry().foreign;
    return;
  }
  blocks.erase(it);
  ::DisposePtr(block);
}

OutstandingBlocks outstandingBlocks() {
  OutstandingBlocks result;
  for (const auto& [block, size] : registry().blocks) {
    ++result.count;
    result.bytes += static_cast<size_t>(size);
  }
  return result;
}

size_t foreignDisposals() { return registry().foreign; }

std::string outstandingReport() {
  std::string text;
  const OutstandingBlocks held = outstandingBlocks();
  if (held.count > 0)
    text = "the plug-in still holds " + std::to_string(held.count) + (held.count == 1 ? " block (" : " blocks (") +
           std::to_string(held.bytes) + " bytes) from NewPtrClear";
  if (foreignDisposals() > 0)
    text += std::string(text.empty() ? "" : "; ") + "it gave DisposePtr " + std::to_string(foreignDisposals()) +
            " pointer(s) the host never handed out";
  return text;
}

}  // namespace vmhost
