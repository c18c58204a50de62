#include "document/globals.h"

TPoint OutputOrigin;
TPoint LabelOrigin;
int32_t ObjectSerial = 0;
int32_t ThumbnailWidth = DefaultThumbnailWidth;

void InitDocumentModule()
{
    OutputOrigin = {};
    LabelOrigin = {};
    ObjectSerial = 0;
    ThumbnailWidth = DefaultThumbnailWidth;
}
