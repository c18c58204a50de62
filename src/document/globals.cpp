#include "document/globals.h"

TPoint OutputOrigin;
TPoint LabelOrigin;
int32_t ObjectSerial = 0;

void InitDocumentModule()
{
    OutputOrigin = {};
    LabelOrigin = {};
    ObjectSerial = 0;
}
