#pragma once
// Frame-sized pixel moves. A buffer larger than the caches is written with
// streaming stores, which skip reading each destination line from memory
// before overwriting it; smaller ones stay in cache for the next step.
#include <cstddef>

namespace qd {

// Whether a pass writing `bytes` in all should bypass the caches.
bool writesPastCache(size_t bytes);

// Copies `length` bytes; the ranges must not overlap. `streaming` as from
// writesPastCache for the whole pass the row belongs to.
void copyPixelRow(void* dst, const void* src, size_t length, bool streaming);

// Zeroes `length` bytes.
void clearPixels(void* dst, size_t length, bool streaming);

// Orders streaming stores before what follows; call once after a pass.
void finishStreaming();

}  // namespace qd
