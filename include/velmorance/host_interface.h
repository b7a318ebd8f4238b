/* The interface between a video host and an effect plug-in: the parameter
   block the host passes to the plug-in's exported `main`, the host's callback
   table and the codes both sides use. Plain C, shared by the plug-in and every
   host. */
#ifndef VELMORANCE_HOST_INTERFACE_H
#define VELMORANCE_HOST_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#include "platform/macos/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Frame buffers cross the interface as pointers only; the platform's
   QuickDraw header defines the records behind them. */
struct GrafPort;
struct PixMap;
typedef struct GrafPort* GWorldPtr;
typedef struct PixMap** PixMapHandle;

/* Selectors: what the host asks of the plug-in. */
typedef uint8_t HYPluginSelector;
enum {
  kPlugGetInfo = 1,
  kPlugInitialize = 2,
  kPlugDrawIcon = 3,
  kPlugDrawThumbNail = 4,
  kPlugFilePlaceHolder = 5,
  kPlugDoFrame = 6,
  kPlugCallOnceWithInitAndTerminate = 7,
  kPlugTerminate = 8,
  kPlugCustomButtonClick = 9
};

/* Results. Callbacks may return other values; the plug-in passes them on. */
typedef uint8_t HYPluginResult;
enum {
  kPluginOK = 0,
  kPluginBadParams = 3,
  kPluginOutOfMemory = 4,
  kPluginFailed = 6,
  kPluginAppIsTooOld = 10
};

enum { kPluginFilterType = 105 };

/* Quality of a frame the plug-in asks for. */
typedef uint8_t HYRefDVQuality;
enum { kDVLowQuality = 0, kDVHighQuality = 1 };

/* The first interface version a plug-in of this kind accepts is 4. */
enum { kHYCurrentInterfaceVersion = 4 };

typedef struct HYPluginGetInfo {
  uint8_t pluginType;
  uint32_t pluginFlags;
  int32_t framesToBeRendered;
  int32_t takeFromClipBefore;
  int32_t takeFromClipAfter;
  int32_t minSpeedFrames;
  int32_t maxSpeedFrames;
  Boolean mustTakeFromSingleClips;
  int32_t bestThumbOffset; /* frame of the clip to show as its thumbnail */
} HYPluginGetInfo;

typedef struct HYPluginFilterSliderInfo {
  char label[128];
  char minLabel[128];
  char maxLabel[128];
  float defaultValue;
} HYPluginFilterSliderInfo;

typedef struct HY2PluginGetInfo {
  int32_t selectedFrames;
  char group[128];
  HYPluginFilterSliderInfo filterSliders[3];
  int32_t baseMemoryNeeded;
} HY2PluginGetInfo;

typedef struct HY3PluginGetInfo {
  char buttonTitle[32];
} HY3PluginGetInfo;

/* The user's settings for one application of a filter to a clip. */
typedef struct HYPluginFilterInfo {
  float sliderValues[3];
  int32_t fadeInFrames;
  int32_t fadeOutFrames;
} HYPluginFilterInfo;

typedef struct HYMovieInfo {
  int16_t width;
  int16_t height;
  double framesPerSecond;
  int32_t frameCount;
} HYMovieInfo;

typedef struct HYClipInfo {
  int32_t startFrame;
  int32_t frameCount;
} HYClipInfo;

/* The host's services, in slot order. Every slot is filled by a host that
   supports this interface version; a plug-in of this kind calls NewPtrClear,
   DisposePtr, GetFrame, ReleaseFrame, GetFilterInfo, ReleaseFilterInfo, Blit
   and MixAudio. */
typedef struct HYProcs {
  Ptr (*NewPtr)(Size size);
  Ptr (*NewPtrClear)(Size size);
  void (*DisposePtr)(Ptr block);
  char* (*ptocstr)(unsigned char* pascalText);     /* in place */
  unsigned char* (*ctopstr)(char* cText);          /* in place */
  void (*pstrcpy)(unsigned char* dst, const unsigned char* src);
  char* (*strcpy)(char* dst, const char* src);
  size_t (*strlen)(const char* text);
  HYPluginResult (*GetLocalizedString)(void* instance, int32_t stringID, char* text, int32_t textSize);
  /* Delivers frame `frameIndex` of the movie scaled to width x height as a
     32-bit buffer owned by the host until ReleaseFrame(cookie). */
  HYPluginResult (*GetFrame)(void* instance, int32_t frameIndex, GWorldPtr* frame, int16_t width, int16_t height,
                             HYRefDVQuality quality, int16_t* volume, void** cookie);
  HYPluginResult (*ReleaseFrame)(void* instance, void* cookie);
  HYPluginResult (*GetAudioFrame)(void* instance, int32_t frameIndex, const int16_t** samples, int32_t* sampleCount,
                                  void** cookie);
  HYPluginResult (*ReleaseAudioFrame)(void* instance, void* cookie);
  HYPluginResult (*GetMovieInfo)(void* instance, HYMovieInfo* info);
  HYPluginResult (*GetClipInfo)(void* instance, HYClipInfo* info);
  HYPluginResult (*SetClipInfo)(void* instance, const HYClipInfo* info);
  /* Draws srcRect of src over dstRect of dst; opacity 255 covers the
     destination, 0 leaves it as it was. */
  HYPluginResult (*Blit)(PixMapHandle src, PixMapHandle dst, const Rect* srcRect, const Rect* dstRect,
                         int16_t opacity);
  HYPluginResult (*FillRect)(PixMapHandle dst, const Rect* rect, const RGBColor* color);
  HYPluginResult (*TextBounds)(void* instance, const char* text, int16_t fontSize, Rect* bounds);
  HYPluginResult (*DrawText)(PixMapHandle dst, const char* text, int16_t fontSize, const Rect* box,
                             const RGBColor* color);
  HYPluginResult (*GetTitleInfo)(void* instance, void** info);
  HYPluginResult (*ReleaseTitleInfo)(void* instance, void* info);
  HYPluginResult (*GetTransitionInfo)(void* instance, void** info);
  HYPluginResult (*ReleaseTransitionInfo)(void* instance, void* info);
  /* Mixes the audio belonging to the frame of `cookie` into the output at
     volume / 256. */
  HYPluginResult (*MixAudio)(void* instance, void* cookie, int16_t volume);
  HYPluginResult (*GetFilterInfo)(void* instance, HYPluginFilterInfo** info);
  HYPluginResult (*ReleaseFilterInfo)(void* instance, HYPluginFilterInfo* info);
  int16_t (*StringWidth)(const char* text, int16_t fontSize);
  HYPluginResult (*CGDrawText)(void* context, const char* text, float x, float y, float fontSize);
  float (*CGStringWidth)(void* context, const char* text, float fontSize);
} HYProcs;

/* One request from the host. The host owns the block; the plug-in keeps its
   per-render data in clientData between calls. */
typedef struct _PluginParams {
  int16_t interfaceVersion;
  void* instance;
  HYPluginSelector selector;
  HYProcs* procs;
  HYPluginGetInfo getInfo;
  int32_t startFrame;  /* absolute movie frame at which the render starts */
  int32_t renderFrame; /* frame to render, counted from startFrame */
  int32_t frameCount;  /* frames in the render */
  Boolean proxyOnly;   /* draft render */
  Rect frameRect;      /* where in `frame` the output goes */
  GWorldPtr frame;     /* the host's output buffer */
  void* clientData;
  HY2PluginGetInfo getInfo2;
  HY3PluginGetInfo getInfo3;
} _PluginParams;

/* The plug-in's exported entry point, looked up as "main". `which` is
   passed along and has no meaning. */
typedef int32_t (*HYPluginEntry)(int32_t which, _PluginParams* params);
#define HY_PLUGIN_ENTRY_SYMBOL "main"

#ifdef __cplusplus
}
#endif

#endif
