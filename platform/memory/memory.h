// Memory Manager stand-in: pointer blocks that know their own size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/macos/types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

// Allocates a block of `size` bytes; NewPtrClear zero-fills it. Returns
// nullptr when memory runs out (MemError() then reports memFullErr). The
// caller owns the block and gives it back with DisposePtr.
Ptr NewPtr(Size size);
Ptr NewPtrClear(Size size);
// Releases a block from NewPtr/NewPtrClear; nullptr is ignored.
void DisposePtr(Ptr p);
// The size asked for when the block was made; 0 for nullptr.
Size GetPtrSize(Ptr p);
OSErr MemError();
void BlockMoveData(const void* src, void* dst, Size count);

// Handles: a master pointer to a block. The lock state calls exist so code
// written for a moving heap reads naturally; blocks never move here.
Handle NewHandle(Size size);
Handle NewHandleClear(Size size);
void DisposeHandle(Handle h);
Size GetHandleSize(Handle h);
SInt8 HGetState(Handle h);
void HSetState(Handle h, SInt8 state);
void HLock(Handle h);
void HUnlock(Handle h);
void MoveHHi(Handle h);

VM_API_END
