// The configuration dialog on real widgets (offscreen Qt) over the built
// bundle, with a host whose frames are recognisable by their index.
#pragma once

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QTimer>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/bundles/cfurl.h"
#include "platform/corefoundation/cfbase.h"
#include "platform/memory/memory.h"
#include "platform/toolkit/qt_access.h"
#include "plugin/core/bridges/pascal_fx.h"
#include "plugin/core/globals.h"
#include "plugin/dialog/carbonmacros.h"
#include "plugin/dialog/config_dialog.h"
#include "plugin/render/offscreen_buffers.h"
#include "tests/platform/toolkit/panel_fixture.h"
#include "tests/plugin/glue/fake_host.h"

namespace dialog_test {

using toolkit_test::Control;
using toolkit_test::Drag;
using toolkit_test::WidgetOf;

// The pixel (x, y) of a buffer, in its own coordinates, as 0x00RRGGBB.
inline uint32_t RgbAt(GrafPtr gw, int x, int y) {
  const pixRec& p = *::PixelAt(gw, x - gw->portPixMap.bounds.left, y - gw->portPixMap.bounds.top);
  return uint32_t{p.red} << 16 | uint32_t{p.green} << 8 | p.blue;
}

// The application, and the built bundle the dialog's windows come from.
inline void EnsureApplication() {
  toolkit_test::EnsureApplication();
  static CFBundleRef bundle =
      CFBundleCreate(nullptr, CFOwner<CFURLRef>(platformCreateURLForPath(VELMORANCE_BUNDLE_DIR, true)).get());
  ASSERT_NE(nullptr, bundle);
}

// The text of a label, button or edit control.
inline std::string TextOf(WindowRef window, const char* sig, SInt32 id) {
  Str255 text;
  GetEditTextFromControl(window, toolkit_test::Code(sig), static_cast<SInt16>(id), text);
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

// The record (rectangle left, top, right, bottom, media type, keep
// proportions, two colours, strength), then what the window shows (strength,
// keep, two colours, scrubber, legend and frame counter).
inline std::string State() {
  const pluginDataRec& c = *gConfigWorkSpace.theConfig;
  std::ostringstream s;
  s << c.startRel.left << ',' << c.startRel.top << ',' << c.startRel.right << ',' << c.startRel.bottom << ' '
    << c.mediaType << ' ' << int{c.keepProps} << ' ' << int{c.twoColors} << ' ' << c.sliders[1] << " |";
  for (const auto& [sig, id] : {std::pair{"Sldr", 1}, {"Keep", 1}, {"2col", 0}, {"ClpS", 1}})
    s << ' ' << GetControl32BitValue(Control(lgTheWindow, sig, id));
  s << ' ' << TextOf(lgTheWindow, "Lgnd", 1) << ' ' << TextOf(lgTheWindow, "ClpM", 1);
  return s.str();
}

// Clicks the button named `objectName` in the window.
inline void ClickCommand(WindowRef window, const char* objectName) {
  ToolkitWindowWidget(window)->findChild<QAbstractButton*>(objectName)->click();
}

// Runs `blocking` (a call with an event loop of its own) while each step runs
// in its own turn of that loop, queued once the previous one is done so a
// step's own nested loops (a drag) do not run the next early. A step still
// queued when `blocking` returns dies with `context`.
inline void InTurns(const std::vector<std::function<void()>>& steps, const std::function<void()>& blocking) {
  QObject context;
  size_t next = 0;
  std::function<void()> run = [&] {
    steps[next++]();
    if (next < steps.size()) QTimer::singleShot(0, &context, run);
  };
  if (!steps.empty()) QTimer::singleShot(0, &context, run);
  blocking();
}

// Each test has its own preferences folder, so tests run side by side never
// share a preferences file.
class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", prefs_.path().c_str(), 1);
    EnsureApplication();
    ResetConfig(config_, true);
    PaintTestFrame(frame_.get(), 0);
  }
  // The whole custom-button path (ConfigurePlugIn) on frame 0 of a clip of
  // `frames` frames, with `steps` in turns.
  void RunDialog(int32_t frames, std::vector<std::function<void()>> steps) {
    InTurns(steps, [&] { ConfigurePlugIn(config_, frame_.get(), &params_, 0, frames); });
  }
  // `body` in the running dialog, then Cancel: a step of its own, so it runs
  // even when `body` stopped at a failed assertion.
  void InDialog(int32_t frames, const std::function<void()>& body) {
    RunDialog(frames, {body, [] { ClickCommand(lgTheWindow, "cancelButton"); }});
  }
  // The preview control's bounds in the window.
  Rect PreviewBounds() const { return GetControlBox(gConfigWorkSpace.theFrameCtrl); }

  TempDir prefs_;
  std::unique_ptr<pluginDataRec, decltype(&pDestroyConfig)> owned_{
      reinterpret_cast<pluginDataPtr>(NewPtrClear(sizeof(pluginDataRec))), pDestroyConfig};
  pluginDataPtr config_ = owned_.get();
  FakeHost host_{720, 480};
  _PluginParams params_ = host_.params(kPlugCustomButtonClick);
  GWorldOwner frame_ = MakeWorld(720, 480);  // the frame the dialog opens on
};

}  // namespace dialog_test
