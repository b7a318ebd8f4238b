// Conversions between the file-system identifiers: specifications (FSSpec),
// references (FSRef, a whole path), file URLs and their texts.
#pragma once

#include "platform/files/file_refs.h"
#include "platform/files/url_strings.h"

// The FSSpec of the reference's file; all zero when the reference
// names no file whose name fits an FSSpec.
FSSpec FSRef2FSSpec(const FSRef& theFSRef);
// The reference of the FSSpec's file; theFSRef is left unchanged when
// the file does not exist.
void FSSpec2FSRef(const FSSpec& theFSSpec, FSRef& theFSRef);
// The file URL's text ("file:///..."), a new string the caller releases;
// nullptr when the file does not exist.
CFStringRef FSSpec2CFString(const FSSpec& theFSSpec);
CFStringRef FSRef2CFString(const FSRef& theFSRef);
// The same texts as short strings; empty when there is none or it is longer
// than 255 characters.
void FSRef2Str255(const FSRef& theFSRef, Str255 theString);
void URL2Str255(CFURLRef theURL, Str255 theString);
// A new URL for a file URL text, the caller releases it; nullptr otherwise.
CFURLRef PString2URL(ConstStr255Param theString);
// The name in the reference's specification (empty when there is none).
void GetNameFromFSRef(const FSRef& theFSRef, Str255 theName);
// True when the reference names a folder (a container).
bool IsFileAFolder(const FSRef& theFSRef);
