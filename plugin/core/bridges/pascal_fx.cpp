#include "plugin/core/bridges/pascal_fx.h"

#include "plugin/common/alerts.h"
#include "plugin/core/bridges/dialog_runner.h"
#include "plugin/core/globals.h"
#include "plugin/render/callpixelfx.h"
#include "plugin/render/offscreen_buffers.h"
#include "platform/quickdraw/quickdraw_owners.h"

void DoEffect(pluginDataPtr myConfig, void*, GrafPtr theSource, GrafPtr theTarget, int32_t currentFrameIndex,
              int32_t, int32_t, int32_t totalFrames, double, double, double, int16_t&) {
  Assert(myConfig, "uninited theData in Plugin Effect master proc. need to call init before calling me");
  PortSaver saved;
  DoPascalPixelEffect(theSource, theTarget, myConfig, currentFrameIndex, totalFrames);
}

void ConfigurePlugIn(pluginDataPtr theData, GrafPtr theGW, void* params, int32_t firstFrameIndex,
                     int32_t numberOfFrames) {
  gTheConfig = theData;
  gConfigWorkSpace.theConfig = theData;
  gConfigWorkSpace.sourceClip = theGW;
  gConfigWorkSpace.iMovieParams = params;
  gConfigWorkSpace.currFrameIndex = 0;
  gConfigWorkSpace.minFrameIndex = firstFrameIndex;
  if (numberOfFrames < 1) numberOfFrames = 1;
  gConfigWorkSpace.maxFrameIndex = numberOfFrames - 1;
  gConfigWorkSpace.activeRel = 1;

  gConfigWorkSpace.theFXClip = AllocateRectGWorld(GetPortRect(theGW));
  Assert(gConfigWorkSpace.theFXClip, "Unable to allocate theProcessed in ConffigurePlug Init run");
  Assert(theData, "uninited theData in Configure master proc. need to call init before calling me");
  CallPixelEffect(theGW, gConfigWorkSpace.theFXClip);

  RunConfigurationDialog(gTheConfig);

  DisposeGWorld(gConfigWorkSpace.theFXClip);
  gConfigWorkSpace.theFXClip = nullptr;
}
