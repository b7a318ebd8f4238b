// Navigation Services open and save dialogs over QFileDialog (Qt's own
// widget dialog, so it runs the same everywhere, offscreen included). Each
// dialog is application-modal and returns when the user has answered.
#pragma once

#include "platform/files/apple_events.h"
#include "platform/files/files.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef UInt32 NavDialogOptionFlags;
enum : NavDialogOptionFlags {
  kNavNoTypePopup = 1,
  kNavAllowPreviews = 4,
  kNavAllowStationery = 32,
  kNavDontAddTranslateItems = 64,
  kNavAllowMultipleFiles = 128,
  // What NavGetDefaultDialogOptions sets.
  kNavDefaultNavDlogOptions = kNavAllowPreviews | kNavAllowStationery | kNavDontAddTranslateItems |
                              kNavAllowMultipleFiles
};
enum { userCanceledErr = -128 };

struct NavDialogOptions {
  UInt16 version;
  NavDialogOptionFlags dialogOptionFlags;
  Point location;
  Str255 clientName;
  Str255 windowTitle;  // the dialog's title; empty: the message, then a default
  Str255 actionButtonLabel;
  Str255 cancelButtonLabel;
  Str255 savedFileName;  // the save dialog's proposed name
  Str255 message;
};

struct NavReplyRecord {
  UInt16 version;
  Boolean validRecord;
  Boolean replacing;  // the saved file already exists
  Boolean isStationery;
  Boolean translationNeeded;
  AEDescList selection;  // typeFSS items; disposed of by NavDisposeReply
  short keyScript;
};

// The classic type list: files whose type code is one of osType[] (by the
// code kept with the file or by the extensions of its uniform type).
struct NavTypeList {
  OSType componentSignature;
  short reserved;
  short osTypeCount;
  OSType osType[1];
};
typedef NavTypeList** NavTypeListHandle;

typedef void* NavEventUPP;
typedef void* NavPreviewUPP;
typedef void* NavObjectFilterUPP;

// Zeroes the options and sets the default flags and version.
OSErr NavGetDefaultDialogOptions(NavDialogOptions* dialogOptions);
// Event, preview and filter procedures and the default location are not
// used. Returns userCanceledErr on cancel (the reply is then invalid and
// holds nothing to dispose of). Files whose names cannot be an FSSpec (over 63
// bytes in Mac OS Roman) are left out of the selection. The caller disposes
// of the reply with NavDisposeReply after any noErr.
OSErr NavGetFile(AEDesc* defaultLocation, NavReplyRecord* reply, NavDialogOptions* dialogOptions,
                 NavEventUPP eventProc, NavPreviewUPP previewProc, NavObjectFilterUPP filterProc,
                 NavTypeListHandle typeList, void* callBackUD);
OSErr NavPutFile(AEDesc* defaultLocation, NavReplyRecord* reply, NavDialogOptions* dialogOptions,
                 NavEventUPP eventProc, OSType fileType, OSType fileCreator, void* callBackUD);
OSErr NavDisposeReply(NavReplyRecord* reply);

// For our own code: whether the open dialog offers the file at `path` for
// this type list (every file for a null list or one without types).
bool platformNavOffersFile(const NavTypeList* typeList, const std::string& path);

VM_API_END
