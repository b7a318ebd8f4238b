#include "platform/pictures/pictures.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

// A handle is the address of the master pointer kept beside the record.
struct PictureBlock {
  Picture* master;
  Picture record;
};

struct Recording {
  PicHandle picture = nullptr;
  GrafPtr port = nullptr;
};

Recording gRecording;  // QuickDraw records one picture at a time

PicHandle newPicture(const Rect& frame) {
  auto* block = new (std::nothrow) PictureBlock{};
  if (block == nullptr) return nullptr;
  block->record.picFrame = frame;
  block->master = &block->record;
  return &block->master;
}

// The port's pixels inside `frame` as a new image; outside the port's bounds
// the image is transparent black.
CGImageRef snapshot(GrafPtr port, const Rect& frame) {
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
  const PixMap& map = port->portPixMap;
  Rect inside;
  if (map.baseAddr != nullptr && SectRect(&frame, &map.bounds, &inside)) {
    const size_t rowBytes = static_cast<size_t>(inside.right - inside.left) * 4;
    for (int y = inside.top; y < inside.bottom; ++y) {
      const uint8_t* from = reinterpret_cast<const uint8_t*>(map.baseAddr) +
                            static_cast<ptrdiff_t>(y - map.bounds.top) * map.rowBytes +
                            static_cast<ptrdiff_t>(inside.left - map.bounds.left) * 4;
      uint8_t* to = pixels.data() + (static_cast<size_t>(y - frame.top) * width + (inside.left - frame.left)) * 4;
      std::memcpy(to, from, rowBytes);
    }
  }
  return CGImageCreateWithARGB(static_cast<size_t>(width), static_cast<size_t>(height), pixels.data(),
                               static_cast<size_t>(width) * 4);
}

uint8_t over(uint8_t source, uint8_t dest, uint8_t sourceAlpha) {
  return static_cast<uint8_t>(source + (dest * (255 - sourceAlpha) + 127) / 255);
}

}  // namespace

PicHandle OpenCPicture(const OpenCPicParams* newHeader) {
  GrafPtr port = nullptr;
  GetPort(&port);
  if (newHeader == nullptr || port == nullptr || gRecording.picture != nullptr || EmptyRect(&newHeader->srcRect))
    return nullptr;
  PicHandle picture = newPicture(newHeader->srcRect);
  if (picture != nullptr) gRecording = {picture, port};
  return picture;
}

void ClosePicture() {
  if (gRecording.picture == nullptr) return;
  Picture& record = **gRecording.picture;
  record.image = snapshot(gRecording.port, record.picFrame);
  gRecording = {};
}

void DrawPicture(PicHandle myPicture, const Rect* dstRect) {
  GrafPtr port = nullptr;
  GetPort(&port);
  if (myPicture == nullptr || *myPicture == nullptr || (*myPicture)->image == nullptr || dstRect == nullptr ||
      port == nullptr || EmptyRect(dstRect))
    return;
  CGImageRef image = (*myPicture)->image;
  const PixMap& map = port->portPixMap;
  Rect visible;
  if (map.baseAddr == nullptr || !SectRect(dstRect, &map.bounds, &visible) ||
      !SectRect(&visible, &port->clipRect, &visible))
    return;
  const long srcW = static_cast<long>(CGImageGetWidth(image)), srcH = static_cast<long>(CGImageGetHeight(image));
  const long dstW = dstRect->right - dstRect->left, dstH = dstRect->bottom - dstRect->top;
  const uint8_t* source = CGImageGetARGBData(image);
  const size_t sourceRow = CGImageGetBytesPerRow(image);
  for (int y = visible.top; y < visible.bottom; ++y) {
    const long sy = (y - dstRect->top) * srcH / dstH;
    uint8_t* to = reinterpret_cast<uint8_t*>(map.baseAddr) + static_cast<ptrdiff_t>(y - map.bounds.top) * map.rowBytes;
    for (int x = visible.left; x < visible.right; ++x) {
      const long sx = (x - dstRect->left) * srcW / dstW;
      const uint8_t* s = source + static_cast<size_t>(sy) * sourceRow + static_cast<size_t>(sx) * 4;
      uint8_t* d = to + static_cast<ptrdiff_t>(x - map.bounds.left) * 4;
      for (int c = 0; c < 4; ++c) d[c] = over(s[c], d[c], s[0]);
    }
  }
}

void KillPicture(PicHandle myPicture) {
  if (myPicture == nullptr) return;
  if (gRecording.picture == myPicture) gRecording = {};
  auto* block = reinterpret_cast<PictureBlock*>(reinterpret_cast<char*>(myPicture) - offsetof(PictureBlock, master));
  CGImageRelease(block->record.image);
  delete block;
}

PicHandle platformNewPictureWithImage(CGImageRef image) {
  if (image == nullptr) return nullptr;
  Rect frame = {0, 0, static_cast<int16_t>(CGImageGetHeight(image)), static_cast<int16_t>(CGImageGetWidth(image))};
  PicHandle picture = newPicture(frame);
  if (picture != nullptr) (*picture)->image = CGImageRetain(image);
  return picture;
}
