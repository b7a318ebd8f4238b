// QuickTime graphics importers over QImageReader: every format the Qt image
// plug-ins read (PNG, JPEG, GIF, BMP, and TIFF where it is installed),
// recognised by the file's contents rather than its name.
#pragma once

#include "platform/files/files.h"
#include "platform/pictures/pictures.h"
#include "platform/macos/export.h"

VM_API_BEGIN

typedef struct ComponentInstanceRecord* ComponentInstance;
typedef ComponentInstance GraphicsImportComponent;
typedef OSErr ComponentResult;

enum { cantFindHandler = -2003 };
enum { kGraphicsImportCreateCGImageUsingCurrentSettings = 1 };

// An importer for the file (the file is not decoded yet); the caller closes
// it with CloseComponent. fnfErr when the file does not exist,
// cantFindHandler when no decoder knows its contents; *gi is then nullptr.
OSErr GetGraphicsImporterForFile(const FSSpec* theFile, GraphicsImportComponent* gi);
// A new picture of the whole image, frame (0, 0, height, width); the caller
// disposes of it with KillPicture. cantFindHandler when decoding fails.
ComponentResult GraphicsImportGetAsPicture(GraphicsImportComponent ci, PicHandle* picture);
// A new image the caller releases with CGImageRelease.
ComponentResult GraphicsImportCreateCGImage(GraphicsImportComponent ci, CGImageRef* imageRef, UInt32 flags);
// paramErr for nullptr.
OSErr CloseComponent(ComponentInstance aComponentInstance);

VM_API_END
