// Texts from the string lists in the effect bundle's resource file.
#pragma once

#include <cstddef>

// Copies string `index` (from 1) of string list `listID` into `field` of
// `fieldSize` bytes as a zero-terminated text, cut to fit. A missing bundle,
// list or index gives the empty text.
void CopyBundleString(short listID, short index, char* field, size_t fieldSize);
