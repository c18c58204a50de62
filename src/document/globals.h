#pragma once
// The document model's process-wide values and its module initialisation.

#include "platform/types.h"

#include <cstdint>

// Subtracted by every object coordinate conversion: (0, 0) except while a document paints
// for output, when it is the label's top-left.
extern TPoint OutputOrigin;
// The top-left of the label rectangle last given to SetLabelRect by any document.
extern TPoint LabelOrigin;
// The serial number the next drawing object takes as its Id.
extern int32_t ObjectSerial;
// Width in pixels of the thumbnails documents make: 152 at start-up; the open dialog's
// preview sets it to the width of its preview image.
extern int32_t ThumbnailWidth;
constexpr int32_t DefaultThumbnailWidth = 152;

// Resets the globals; main() and the test main call it once after InitPlatform.
void InitDocumentModule();
