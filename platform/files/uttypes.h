// Uniform type identifiers from a small fixed table, with their conformance
// chains (public.png -> public.image -> public.data -> public.item).
#pragma once

#include <string>
#include <vector>

#include "platform/strings/cfstring.h"
#include "platform/macos/export.h"

VM_API_BEGIN

#define kUTTagClassFilenameExtension CFSTR("public.filename-extension")
#define kUTTagClassOSType CFSTR("com.apple.ostype")

// The identifier for an extension (any case) or a type code of the table; a
// tag the table does not know gives "dyn.velmorance.<tag>", which conforms
// to public.data. With inConformingToUTI, an identifier that does not
// conform to it gives the dynamic one as well. New string; nullptr for a
// null tag or an unknown tag class.
CFStringRef UTTypeCreatePreferredIdentifierForTag(CFStringRef inTagClass, CFStringRef inTag,
                                                  CFStringRef inConformingToUTI);
// True when inUTI is inConformsToUTI or reaches it through its parents.
Boolean UTTypeConformsTo(CFStringRef inUTI, CFStringRef inConformsToUTI);
// The code's four characters (Mac OS Roman) as a new string.
CFStringRef UTCreateStringForOSType(OSType inOSType);

// For our own code: the lower-case extensions of the table's type for a file
// type code (empty for an unknown code).
std::vector<std::string> platformExtensionsForOSType(OSType fileType);

VM_API_END
