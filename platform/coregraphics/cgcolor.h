// Colour spaces and colours. Only device RGB exists; a colour holds red,
// green, blue and alpha components, each 0.0 to 1.0.
#pragma once

#include <cstddef>

#include "platform/coregraphics/cggeometry.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef struct CGColorSpace* CGColorSpaceRef;
typedef struct CGColor* CGColorRef;

// Each Create returns a reference the caller releases.
CGColorSpaceRef CGColorSpaceCreateDeviceRGB();
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space);
void CGColorSpaceRelease(CGColorSpaceRef space);
// Number of colour components, without alpha: 3 for device RGB.
size_t CGColorSpaceGetNumberOfComponents(CGColorSpaceRef space);

// `components` holds the space's components followed by alpha (four values
// for device RGB). nullptr when space or components is missing.
CGColorRef CGColorCreate(CGColorSpaceRef space, const CGFloat* components);
CGColorRef CGColorRetain(CGColorRef color);
void CGColorRelease(CGColorRef color);
size_t CGColorGetNumberOfComponents(CGColorRef color);
// The components including alpha; valid while the colour lives.
const CGFloat* CGColorGetComponents(CGColorRef color);
CGFloat CGColorGetAlpha(CGColorRef color);

VM_API_END
