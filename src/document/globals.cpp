#include "document/globals.h"

#include "document/alphabitmap.h"
#include "platform/clipboard.h"

#include <memory>

TPoint OutputOrigin;
int ShapeClipboardFormat = 0;
int SymbolClipboardFormat = 0;
int CodeClipboardFormat = 0;

namespace {
std::unique_ptr<Talphabitmap> TheScratchBitmap;
}

Talphabitmap &ScratchBitmap()
{
    if (!TheScratchBitmap)
        TheScratchBitmap = std::make_unique<Talphabitmap>();
    return *TheScratchBitmap;
}
int32_t ObjectSerial = 0;
double HandleScale = 1.0;
int32_t ThumbnailWidth = DefaultThumbnailWidth;

void InitDocumentModule()
{
    OutputOrigin = {};
    TheScratchBitmap = std::make_unique<Talphabitmap>();
    ObjectSerial = 0;
    ShapeClipboardFormat = TheClipboard().RegisterFormat(QStringLiteral("application/x-ambrelo-shape"));
    SymbolClipboardFormat = TheClipboard().RegisterFormat(QStringLiteral("application/x-ambrelo-symbol"));
    CodeClipboardFormat = TheClipboard().RegisterFormat(QStringLiteral("application/x-ambrelo-code"));
    ThumbnailWidth = DefaultThumbnailWidth;
    HandleScale = 1.0;
}
