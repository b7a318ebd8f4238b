// Apple event descriptor lists: ordered lists of typed byte blocks, enough
// to carry the file specifications a Navigation dialog hands back.
#pragma once

#include "platform/macos/types.h"
#include "platform/toolkit/events.h"  // typeWildCard
#include "platform/macos/export.h"

VM_API_BEGIN

typedef FourCharCode DescType;
typedef FourCharCode AEKeyword;

enum : DescType {
  typeNull = VM_FOURCC('n', 'u', 'l', 'l'),
  typeAEList = VM_FOURCC('l', 'i', 's', 't'),
  typeFSS = VM_FOURCC('f', 's', 's', ' ')
};
enum { errAECoercionFail = -1700, errAEDescNotFound = -1701, errAEWrongDataType = -1703, errAEIllegalIndex = -1719 };

struct AEDesc {
  DescType descriptorType;
  void* dataHandle;  // the list's items; owned, freed by AEDisposeDesc
};
typedef AEDesc AEDescList;

// Makes an empty list; the caller disposes of it with AEDisposeDesc. Factored
// lists and records are not offered (paramErr).
OSErr AECreateList(const void* factoringPtr, Size factoredSize, Boolean isRecord, AEDescList* resultList);
// Puts a copy of the bytes at `index` (1-based); index 0 or count + 1
// appends, an index within the list replaces that item.
OSErr AEPutPtr(AEDescList* theAEDescList, long index, DescType typeCode, const void* dataPtr, Size dataSize);
OSErr AECountItems(const AEDescList* theAEDescList, long* theCount);
// Copies item `index` (1-based) into dataPtr, at most maximumSize bytes;
// *actualSize is the item's whole size. errAEIllegalIndex for an index
// outside the list, errAECoercionFail when desiredType is neither the item's
// type nor typeWildCard.
OSErr AEGetNthPtr(const AEDescList* theAEDescList, long index, DescType desiredType, AEKeyword* theAEKeyword,
                  DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize);
// Frees the list's items and makes the descriptor a null one.
OSErr AEDisposeDesc(AEDesc* theAEDesc);

VM_API_END
