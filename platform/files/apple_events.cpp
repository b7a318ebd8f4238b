#include "platform/files/apple_events.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

struct Item {
  DescType type;
  std::vector<uint8_t> bytes;
};
using ItemList = std::vector<Item>;

ItemList* itemsOf(const AEDescList* list) {
  if (list == nullptr || list->descriptorType != typeAEList) return nullptr;
  return static_cast<ItemList*>(list->dataHandle);
}

}  // namespace

OSErr AECreateList(const void*, Size factoredSize, Boolean isRecord, AEDescList* resultList) {
  if (resultList == nullptr) return paramErr;
  resultList->descriptorType = typeNull;
  resultList->dataHandle = nullptr;
  if (factoredSize != 0 || isRecord) return paramErr;
  auto* items = new (std::nothrow) ItemList;
  if (items == nullptr) return memFullErr;
  resultList->descriptorType = typeAEList;
  resultList->dataHandle = items;
  return noErr;
}

OSErr AEPutPtr(AEDescList* theAEDescList, long index, DescType typeCode, const void* dataPtr, Size dataSize) {
  ItemList* items = itemsOf(theAEDescList);
  if (items == nullptr) return errAEWrongDataType;
  if (dataSize < 0 || (dataPtr == nullptr && dataSize > 0)) return paramErr;
  long count = static_cast<long>(items->size());
  if (index < 0 || index > count + 1) return errAEIllegalIndex;
  const auto* bytes = static_cast<const uint8_t*>(dataPtr);
  Item item{typeCode, std::vector<uint8_t>(bytes, bytes + dataSize)};
  if (index == 0 || index == count + 1)
    items->push_back(std::move(item));
  else
    (*items)[static_cast<size_t>(index - 1)] = std::move(item);
  return noErr;
}

OSErr AECountItems(const AEDescList* theAEDescList, long* theCount) {
  ItemList* items = itemsOf(theAEDescList);
  if (items == nullptr) return errAEWrongDataType;
  if (theCount == nullptr) return paramErr;
  *theCount = static_cast<long>(items->size());
  return noErr;
}

OSErr AEGetNthPtr(const AEDescList* theAEDescList, long index, DescType desiredType, AEKeyword* theAEKeyword,
                  DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize) {
  ItemList* items = itemsOf(theAEDescList);
  if (items == nullptr) return errAEWrongDataType;
  if (index < 1 || index > static_cast<long>(items->size())) return errAEIllegalIndex;
  const Item& item = (*items)[static_cast<size_t>(index - 1)];
  if (desiredType != typeWildCard && desiredType != item.type) return errAECoercionFail;
  if (theAEKeyword != nullptr) *theAEKeyword = typeWildCard;
  if (typeCode != nullptr) *typeCode = item.type;
  if (actualSize != nullptr) *actualSize = static_cast<Size>(item.bytes.size());
  Size copied = std::min<Size>(std::max<Size>(maximumSize, 0), static_cast<Size>(item.bytes.size()));
  if (dataPtr != nullptr && copied > 0) std::memcpy(dataPtr, item.bytes.data(), static_cast<size_t>(copied));
  return noErr;
}

OSErr AEDisposeDesc(AEDesc* theAEDesc) {
  if (theAEDesc == nullptr) return paramErr;
  delete itemsOf(theAEDesc);
  theAEDesc->descriptorType = typeNull;
  theAEDesc->dataHandle = nullptr;
  return noErr;
}
