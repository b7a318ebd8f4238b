// Decoding picture files with QImageReader into Core Graphics images; shared
// by the graphics importers and the image sources.
#pragma once

#include <QImage>
#include <string>

#include "platform/coregraphics/cgimage.h"

namespace vmpictures {

// A new image (premultiplied A, R, G, B bytes) the caller releases, or
// nullptr for a null image or when memory ran out.
CGImageRef imageFromQImage(const QImage& decoded);

}  // namespace vmpictures
