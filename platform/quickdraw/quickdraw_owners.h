// Scoped owners for QuickDraw state. Each puts back, or disposes of, what it
// holds when it goes out of scope, so an early return leaves nothing behind.
#pragma once

#include <memory>

#include "platform/memory/memory.h"
#include "platform/quickdraw/quickdraw.h"

// Saves the current port and device; puts them back.
class PortSaver {
 public:
  PortSaver() { GetGWorld(&port_, &device_); }
  ~PortSaver() { SetGWorld(port_, device_); }
  PortSaver(const PortSaver&) = delete;
  PortSaver& operator=(const PortSaver&) = delete;

 private:
  CGrafPtr port_ = nullptr;
  GDHandle device_ = nullptr;
};

// Puts a pixel map's pixel state (locked or not) back to `state`, by default
// the state it has now.
class PixelsStateRestorer {
 public:
  explicit PixelsStateRestorer(PixMapHandle pixels) : PixelsStateRestorer(pixels, GetPixelsState(pixels)) {}
  PixelsStateRestorer(PixMapHandle pixels, GWorldFlags state) : pixels_(pixels), state_(state) {}
  ~PixelsStateRestorer() { SetPixelsState(pixels_, state_); }
  PixelsStateRestorer(const PixelsStateRestorer&) = delete;
  PixelsStateRestorer& operator=(const PixelsStateRestorer&) = delete;

 private:
  PixMapHandle pixels_;
  GWorldFlags state_;
};

// Locks a pixel map's handle and pixels for a copy; puts both states back.
class PixMapLock {
 public:
  explicit PixMapLock(PixMapHandle pixels)
      : pixels_(pixels), handleState_(HGetState(reinterpret_cast<Handle>(pixels))), pixelsState_(pixels) {
    MoveHHi(reinterpret_cast<Handle>(pixels));
    HLock(reinterpret_cast<Handle>(pixels));
    LockPixels(pixels);
  }
  ~PixMapLock() { HSetState(reinterpret_cast<Handle>(pixels_), handleState_); }
  PixMapLock(const PixMapLock&) = delete;
  PixMapLock& operator=(const PixMapLock&) = delete;

 private:
  PixMapHandle pixels_;
  SInt8 handleState_;
  PixelsStateRestorer pixelsState_;
};

// Owns an offscreen buffer made by NewGWorld.
struct GWorldDisposer {
  void operator()(GWorldPtr world) const { DisposeGWorld(world); }
};
using GWorldOwner = std::unique_ptr<GrafPort, GWorldDisposer>;
