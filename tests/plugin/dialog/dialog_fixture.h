// The configuration dialog on real widgets (offscreen Qt) over the built
// bundle, with a host whose frames are recognisable by their index.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "plugin/core/plugin_defines.h"
#include "tests/platform/toolkit/panel_fixture.h"
#include "velmorance/host_interface.h"

namespace dialog_test {

using toolkit_test::Code;
using toolkit_test::Control;
using toolkit_test::Drag;
using toolkit_test::SendMouse;
using toolkit_test::Sides;
using toolkit_test::WidgetOf;

// A frame of width x height whose colours depend on the position and on
// `seed`, so frames of different indexes differ everywhere.
GrafPtr MakeTestFrame(int16_t width, int16_t height, int32_t seed);
// The pixel (x, y) of a buffer as 0x00RRGGBB.
uint32_t PixelAt(GrafPtr gw, int x, int y);

// The host side of GetFrame/ReleaseFrame: frames made on request, owned
// here until released.
struct FrameHost {
  FrameHost();
  ~FrameHost();
  HYProcs procs{};
  _PluginParams params{};
  std::vector<int32_t> requested;  // absolute frame numbers asked for
  std::vector<HYRefDVQuality> qualities;
  int released = 0;
  HYPluginResult getFrameResult = kPluginOK;
  GrafPtr held = nullptr;
  static FrameHost* current;
};

void EnsureApplication();
// The text of a label, button or edit control.
std::string TextOf(WindowRef window, const char* sig, SInt32 id);
// Clicks the button named `objectName` in the window.
void ClickCommand(WindowRef window, const char* objectName);
// The Qt object name of the window.
std::string WindowName(WindowRef window);

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Prepares the workspace as the custom button does (frame 0 of a clip of
  // `frames` frames), registers the control classes and opens the window of
  // config_->mediaType, bound and shown, without a modal loop.
  void OpenWindow(int32_t frames = 150);
  // The whole custom-button path (ConfigurePlugIn): each step runs in its own
  // turn of the dialog's event loop, the next one after the previous.
  void RunDialog(int32_t frames, std::vector<std::function<void()>> steps);
  // The preview control's bounds in the window.
  Rect PreviewBounds() const;

  pluginDataPtr config_ = nullptr;
  FrameHost host_;
  GrafPtr frame_ = nullptr;  // the frame the dialog opens on
  WindowRef window_ = nullptr;
  bool registered_ = false;
};

}  // namespace dialog_test
