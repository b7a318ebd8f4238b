// The dialog as a host opens it: the built bundle loaded with dlopen and its
// `main` called with the custom-button selector while a QApplication exists.
#include <dlfcn.h>

#include <QApplication>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "platform/memory/memory.h"
#include "plugin/core/bridges/plugin_init.h"
#include "plugin/core/data_handling.h"
#include "plugin/files/prefsloader.h"
#include "tests/plugin/dialog/dialog_fixture.h"

namespace dialog_test {
namespace {

QWidget* VisibleWindow(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
  return nullptr;
}

TEST(BundleDialogTest, CustomButtonOpensTheDialogOnTheFrameAndOKStoresTheEdits) {
  EnsureApplication();
  // Start from the defaults, whatever other tests stored.
  pluginDataPtr defaults = nullptr;
  pNewConfig(defaults);
  InitMyPlugIn(&defaults);
  ResetConfig(defaults, true);
  ASSERT_TRUE(SaveConfig(defaults));
  pDestroyConfig(defaults);

  void* module = dlopen(VELMORANCE_BUNDLE_SO, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(nullptr, module) << dlerror();
  auto entry = reinterpret_cast<HYPluginEntry>(dlsym(module, HY_PLUGIN_ENTRY_SYMBOL));
  ASSERT_NE(nullptr, entry) << dlerror();

  FrameHost host;
  host.procs.NewPtrClear = NewPtrClear;
  host.procs.DisposePtr = DisposePtr;
  host.params.renderFrame = 5;
  bool opened = false;
  QTimer::singleShot(0, [&opened] {
    QWidget* dialog = VisibleWindow("configNTSC");
    opened = dialog != nullptr;
    if (dialog == nullptr) return;
    QTest::keyClick(dialog->findChild<QSlider*>("strength"), Qt::Key_PageUp);
    dialog->findChild<QPushButton*>("okButton")->click();
  });
  EXPECT_EQ(kPluginOK, entry(0, &host.params));
  EXPECT_TRUE(opened);
  EXPECT_EQ(std::vector<int32_t>{5}, host.requested);
  EXPECT_EQ(1, host.released);

  pluginDataRec stored{};
  ASSERT_TRUE(ReadConfig(&stored));
  EXPECT_EQ(27, stored.sliders[1]);
  EXPECT_EQ(1, stored.mediaType);
  // The module stays loaded (its Qt objects live in the process).
}

}  // namespace
}  // namespace dialog_test
