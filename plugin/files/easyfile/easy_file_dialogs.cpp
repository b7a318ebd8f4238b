#include <cstring>

#include "platform/files/navigation.h"
#include "platform/memory/memory.h"
#include "plugin/files/easyfile/easy_file.h"

namespace {

void CopyPString(ConstStr255Param from, Str255 to) {
  if (from == nullptr) {
    to[0] = 0;
    return;
  }
  std::memcpy(to, from, static_cast<size_t>(from[0]) + 1);
}

}  // namespace

bool EasyNavPutFile(ConstStr255Param inMessage, ConstStr255Param inDefaultName, OSType inType, OSType inCreator,
                    FSSpec& outSpec, bool& outReplacing) {
  NavDialogOptions dialogOptions;
  if (NavGetDefaultDialogOptions(&dialogOptions) != noErr) return false;
  dialogOptions.dialogOptionFlags += kNavNoTypePopup;
  CopyPString(inMessage, dialogOptions.message);
  CopyPString(inDefaultName, dialogOptions.savedFileName);
  NavReplyRecord reply;
  if (NavPutFile(nullptr, &reply, &dialogOptions, nullptr, inType, inCreator, nullptr) != noErr) {
    NavDisposeReply(&reply);
    return false;
  }
  bool result = reply.validRecord;
  if (result) {
    FileList theList;
    if (AEDescListToFileList(reply.selection, theList) == noErr && theList.count > 0)
      outSpec = theList.spec[0];
    else
      result = false;
    outReplacing = reply.replacing;
  }
  NavDisposeReply(&reply);
  return result;
}

bool EasyNavGetFile(ConstStr255Param inMessage, OSType inType, OSType inCreator, bool /*inAllowMultiple*/,
                    FSSpec& outFile) {
  NavDialogOptions dialogOptions;
  NavGetDefaultDialogOptions(&dialogOptions);
  CopyPString(inMessage, dialogOptions.windowTitle);
  dialogOptions.dialogOptionFlags &= ~NavDialogOptionFlags{kNavAllowMultipleFiles};
  NavReplyRecord reply;
  OSErr err;
  if (inType == cAnyFileType) {
    err = NavGetFile(nullptr, &reply, &dialogOptions, nullptr, nullptr, nullptr, nullptr, nullptr);
  } else {
    auto typeList = reinterpret_cast<NavTypeListHandle>(NewHandleClear(sizeof(NavTypeList)));
    if (typeList == nullptr) return false;
    (*typeList)->componentSignature = inCreator;
    (*typeList)->reserved = 0;
    (*typeList)->osTypeCount = 1;
    (*typeList)->osType[0] = inType;
    err = NavGetFile(nullptr, &reply, &dialogOptions, nullptr, nullptr, nullptr, typeList, nullptr);
    DisposeHandle(reinterpret_cast<Handle>(typeList));
  }
  if (err != noErr) return false;
  FileList theList{};
  bool result = reply.validRecord;
  if (result && AEDescListToFileList(reply.selection, theList) == noErr && theList.count > 0)
    outFile = theList.spec[0];
  else
    result = false;
  NavDisposeReply(&reply);
  return result;
}

OSErr AEDescListToFileList(const AEDescList& inList, FileList& outFileList) {
  outFileList.count = 0;
  long itemCount = 0;
  OSErr err = AECountItems(&inList, &itemCount);
  if (err != noErr) return err;
  for (long i = 1; i <= itemCount; ++i) {
    FSSpec theSpec;
    AEKeyword theKeyword;
    DescType theType;
    Size theSize;
    // A buffer of one whole specification; its size differs from the 70
    // bytes of the packed classic record.
    err = AEGetNthPtr(&inList, i, typeFSS, &theKeyword, &theType, &theSpec, sizeof theSpec, &theSize);
    if (err != noErr) return err;
    if (i <= cMaxFilesInList) outFileList.spec[i - 1] = theSpec;
    outFileList.count = static_cast<int16_t>(i);
  }
  return noErr;
}
