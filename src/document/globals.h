#pragma once
// The document model's process-wide values and its module initialisation.

#include "platform/types.h"

#include <cstdint>

// Subtracted by every object coordinate conversion: (0, 0) except while a document paints
// for output, when it is the label's top-left.
extern TPoint OutputOrigin;
// The serial number the next drawing object takes as its Id.
extern int32_t ObjectSerial;
// Width in pixels of the thumbnails documents make: 152 at start-up; the open dialog's
// preview sets it to the width of its preview image.
extern int32_t ThumbnailWidth;
constexpr int32_t DefaultThumbnailWidth = 152;
// A thumbnail is at most this many times as high as wide.
constexpr int32_t MaxThumbnailAspect = 16;

// How much larger than at 96 dots per inch the editor's handles are drawn and taken (the
// screen's scale, at least 1): set by the editor window from its screen.
extern double HandleScale;
// A click this many pixels (at scale 1) outside a handle's square still takes the handle.
constexpr int32_t HandleReach = 3;

// The private clipboard formats, registered by InitDocumentModule.
extern int ShapeClipboardFormat;
extern int SymbolClipboardFormat;
extern int CodeClipboardFormat;

class Talphabitmap;
// The image tool's icon, drawn in the middle of an empty picture; the main window renders it
// at start-up. Made by InitDocumentModule.
Talphabitmap &ScratchBitmap();

// Resets the globals; main() and the test main call it once after InitPlatform.
void InitDocumentModule();
