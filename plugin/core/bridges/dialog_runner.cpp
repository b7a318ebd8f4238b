#include "plugin/core/bridges/dialog_runner.h"

#include "plugin/dialog/clip_control.h"
#include "plugin/dialog/color_control.h"
#include "plugin/dialog/config_dialog.h"
#include "plugin/dialog/picture_control.h"

// The control classes exist only while the dialog runs, so no other window
// can make instances of them.
void RunConfigurationDialog(pluginDataPtr theConfig) {
  RegisterColorBox();
  RegisterClipCtrl();
  RegisterPictureControl();
  DoConfig(theConfig);
  UnregisterClipCtrl();
  UnregisterColorBox();
  UnregisterPictureControl();
}
