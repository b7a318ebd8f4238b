#include "plugin/glue/bundle_strings.h"

#include <algorithm>
#include <cstring>

#include "platform/bundles/cfbundle.h"
#include "platform/resources/resources.h"
#include "platform/strings/cfstring.h"
#include "plugin/core/globals.h"

namespace {

// The bundle's resource map stays open for the life of the module, as its
// strings are read at every get-info.
short BundleResourceFile() {
  static short refNum = -1;
  if (refNum != -1) return refNum;
  if (gMyBundle == nullptr) gMyBundle = CFBundleGetBundleWithIdentifier(CFSTR("com.qzt.oxbowfx.velmorance"));
  if (gMyBundle != nullptr) refNum = CFBundleOpenBundleResourceMap(gMyBundle);
  return refNum;
}

}  // namespace

void CopyBundleString(short listID, short index, char* field, size_t fieldSize) {
  if (fieldSize == 0) return;
  field[0] = '\0';
  const short refNum = BundleResourceFile();
  if (refNum == -1) return;
  Str255 text;
  {
    CurResFileRestorer restorer;
    UseResFile(refNum);
    GetIndString(text, listID, index);
  }
  const size_t length = std::min<size_t>(text[0], fieldSize - 1);
  std::memcpy(field, text + 1, length);
  field[length] = '\0';
}
