#include "tests/plugin/dialog/dialog_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/bundles/cfbundle.h"
#include "platform/bundles/cfurl.h"
#include "platform/corefoundation/cfbase.h"
#include "platform/toolkit/qt_access.h"
#include "plugin/core/bridges/pascal_fx.h"
#include "plugin/core/data_handling.h"
#include "plugin/core/globals.h"
#include "plugin/dialog/carbonmacros.h"
#include "plugin/dialog/clip_control.h"
#include "plugin/dialog/color_control.h"
#include "plugin/dialog/config_dialog.h"
#include "plugin/dialog/picture_control.h"
#include "plugin/dialog/window_helpers.h"
#include "plugin/render/callpixelfx.h"
#include "plugin/render/offscreen_buffers.h"

namespace dialog_test {

FrameHost* FrameHost::current = nullptr;

GrafPtr MakeTestFrame(int16_t width, int16_t height, int32_t seed) {
  GrafPtr gw = AllocateGWorld(width, height);
  const PixMap& pm = gw->portPixMap;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t argb[] = {0xFF, uint8_t(x * 255 / width), uint8_t(y * 255 / height), uint8_t(seed * 53 + 20)};
      std::memcpy(reinterpret_cast<uint8_t*>(pm.baseAddr) + y * pm.rowBytes + x * 4, argb, 4);
    }
  return gw;
}

uint32_t PixelAt(GrafPtr gw, int x, int y) {
  const PixMap& pm = gw->portPixMap;
  const auto* p =
      reinterpret_cast<const uint8_t*>(pm.baseAddr) + (y - pm.bounds.top) * pm.rowBytes + (x - pm.bounds.left) * 4;
  return uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

namespace {

HYPluginResult GetFrame(void*, int32_t frameIndex, GWorldPtr* frame, int16_t width, int16_t height,
                        HYRefDVQuality quality, int16_t* volume, void** cookie) {
  FrameHost* host = FrameHost::current;
  host->requested.push_back(frameIndex);
  host->qualities.push_back(quality);
  *volume = 256;
  if (host->getFrameResult != kPluginOK) return host->getFrameResult;
  DisposeGWorld(host->held);
  *cookie = *frame = host->held = MakeTestFrame(width, height, frameIndex);
  return kPluginOK;
}

// The host owns its frames: a released one is gone.
HYPluginResult ReleaseFrame(void*, void* cookie) {
  FrameHost* host = FrameHost::current;
  ++host->released;
  if (cookie == host->held) DisposeGWorld(std::exchange(host->held, nullptr));
  return kPluginOK;
}

}  // namespace

FrameHost::FrameHost() {
  current = this;
  procs.GetFrame = GetFrame;
  procs.ReleaseFrame = ReleaseFrame;
  params.interfaceVersion = 4;
  params.instance = this;
  params.procs = &procs;
  params.selector = kPlugCustomButtonClick;
}

FrameHost::~FrameHost() {
  DisposeGWorld(held);
  current = nullptr;
}

void EnsureApplication() {
  toolkit_test::EnsureApplication();
  static CFBundleRef bundle = [] {
    CFURLRef url = platformCreateURLForPath(VELMORANCE_BUNDLE_DIR, true);
    CFBundleRef b = CFBundleCreate(nullptr, url);
    CFRelease(url);
    return b;
  }();
  ASSERT_NE(nullptr, bundle);
}

std::string TextOf(WindowRef window, const char* sig, SInt32 id) {
  Str255 text;
  GetEditTextFromControl(window, Code(sig), static_cast<SInt16>(id), text);
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

void ClickCommand(WindowRef window, const char* objectName) {
  auto* button = ToolkitWindowWidget(window)->findChild<QAbstractButton*>(objectName);
  ASSERT_NE(nullptr, button) << objectName;
  button->click();
}

std::string WindowName(WindowRef window) { return ToolkitWindowWidget(window)->objectName().toStdString(); }

// Each test runs in its own process; each process gets its own preferences
// folder under the one the build names, so tests run side by side never
// share a preferences file.
void UseOwnPreferencesFolder() {
  static const bool done = [] {
    const char* base = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path root = base != nullptr && *base == '/' ? base : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(root);
    std::string folder = (root / "run-XXXXXX").string();
    return mkdtemp(folder.data()) != nullptr && setenv("XDG_CONFIG_HOME", folder.c_str(), 1) == 0;
  }();
  ASSERT_TRUE(done);
}

void DialogTest::SetUp() {
  UseOwnPreferencesFolder();
  EnsureApplication();
  pNewConfig(config_);
  ResetConfig(config_, true);
  frame_ = MakeTestFrame(720, 480, 0);
}

void DialogTest::TearDown() {
  if (window_ != nullptr) DisposeWindow(window_);
  window_ = nullptr;
  lgTheWindow = nullptr;
  if (registered_) {
    UnregisterClipCtrl();
    UnregisterColorBox();
    UnregisterPictureControl();
  }
  if (gConfigWorkSpace.theFXClip != nullptr) DisposeGWorld(gConfigWorkSpace.theFXClip);
  gConfigWorkSpace = pluginWorkSpace{};
  DisposeGWorld(frame_);
  pDestroyConfig(config_);
}

void DialogTest::OpenWindow(int32_t frames) {
  gTheConfig = config_;
  gConfigWorkSpace = pluginWorkSpace{};
  gConfigWorkSpace.theConfig = config_;
  gConfigWorkSpace.sourceClip = frame_;
  gConfigWorkSpace.iMovieParams = &host_.params;
  gConfigWorkSpace.maxFrameIndex = frames - 1;
  gConfigWorkSpace.activeRel = 1;
  gConfigWorkSpace.theFXClip = AllocateRectGWorld(GetPortRect(frame_));
  CallPixelEffect(frame_, gConfigWorkSpace.theFXClip);
  RegisterColorBox();
  RegisterClipCtrl();
  RegisterPictureControl();
  registered_ = true;
  window_ = OpenNibWindowFromCFBundle(cMyBundleID, cMyPluginName, ConfigWindowName(config_->mediaType));
  ASSERT_NE(nullptr, window_);
  lgTheWindow = window_;
  const EventTypeSpec commands[] = {{kEventClassCommand, kEventCommandProcess}};
  InstallEventHandler(GetWindowEventTarget(window_), TheDialogHandler, 1, commands, window_, nullptr);
  SetupDialog(window_, config_);
  ShowWindow(window_);
}

void DialogTest::RunDialog(int32_t frames, std::vector<std::function<void()>> steps) {
  QObject context;  // a step still queued when the dialog ends dies with it
  size_t next = 0;
  // The next step is queued only once the previous one is done, so a step's
  // own nested loops (a drag) do not run it early.
  std::function<void()> run = [&] {
    steps[next++]();
    if (next < steps.size()) QTimer::singleShot(0, &context, run);
  };
  if (!steps.empty()) QTimer::singleShot(0, &context, run);
  ConfigurePlugIn(config_, frame_, &host_.params, 0, frames);
}

Rect DialogTest::PreviewBounds() const { return GetControlBox(gConfigWorkSpace.theFrameCtrl); }

}  // namespace dialog_test
