// The text source of a resource file, as read by velmorance-rezc.
#pragma once

#include <string>

#include "platform/resources/resource_format.h"

// Parses `text` (the contents of the file `fileName`) into resources. On a
// mistake returns false with `error` set to "FILE:LINE: message".
bool parseRezSource(const std::string& fileName, const std::string& text, ResourceFileImage* image,
                    std::string* error);
