// Saves the current port and device and puts them back when it goes out of
// scope, so every drawing routine leaves the port as it found it.
#pragma once

#include "platform/quickdraw/quickdraw.h"

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
