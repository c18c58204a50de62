#pragma once
// A picture stretched to its bounds, drawn through a cache of the image scaled to the screen
// (at most 256 pixels on its longer side while drafting, scaled from a reduced copy of the
// image made once, so zooming a large photograph stays quick) and stored in files as PNG data.
// Symbols are a separate object kind without content, drawn as the placeholder.

#include "document/alphabitmap.h"
#include "document/drawobj.h"

#include <QImage>

// The cache limit that means none, and the one that asks for a limit from the object's size
// at the next drawing for output.
constexpr int32_t NoCacheLimit = 2147483647;
constexpr int32_t AutomaticCacheLimit = -2147483647 - 1;
constexpr int32_t DraftCacheLimit = 256;

// The kinds of image data a picture record holds.
enum TPictureKind : int32_t { pkNone = 0, pkPng = 1, pkJpeg = 2, pkBitmap = 3 };
// In undo levels only: the image is the one the level holds beside its bytes (never in files).
constexpr int32_t pkLevelImage = -1;

// The largest cache a picture keeps, whatever its size on screen: 8192 pixels a side and
// 2^24 pixels, or a quarter of that for an image of fewer than 2^20 pixels.
constexpr int32_t MaxCacheSide = 8192;
constexpr double MaxCachePixels = double(1 << 24);

class Tvnlpic : public Tdrawobj {
public:
    Tvnlpic();

    // The image, opaque: one with transparency is flattened onto white, as on paper.
    void SetPicture(const QImage &source);
    const QImage &GetPicture() const { return Picture; }
    void SetCacheLimit(int32_t value);
    int32_t GetCacheLimit() const { return CacheLimit; }
    bool IsCacheValid() const { return CacheValid; }
    const Talphabitmap &GetScaledCache() const { return ScaledCache; }
    // The screen size the cache is built at for the current view and limit.
    QSize CacheSize() const;
    // Bytes of pixels the picture holds: the image once however many buffers share it, and
    // the caches.
    qsizetype MemoryHeld() const;

    // Base
    void SetDraft(bool value) override;
    // The natural size, reduced until it fits the label's width.
    TPoint GetDefaultSize(int32_t labelWidth) const override;
    bool IsPickable(TTool tool) const override;
    bool ShowsHandles(TTool tool) const override;
    void ResetCaches() override;
    void ResetAspect() override;
    bool CanCopy() const override { return true; }
    bool CanPaste() const override;
    // The clipboard's image at its natural size, 100 pixels per inch.
    void PasteFromClipboard(int32_t format) override;
    void CopyToClipboard(int32_t format) override;
    void Changed() override;
    void SetBounds(const TRect &rect) override;
    void SetView(const TRect &viewport, double scale) override;
    void DrawDraft(Tcanvas &canvas, const TRect &clip, const TRect &viewport, double scale) override;
    void Draw(Tcanvas &canvas, const TRect &clip, bool output, const TRect &viewport, double scale) override;
    void SaveToUndo(Tundolevel &level) const override;
    void LoadFromUndo(Tundolevel &level) override;
    void WriteToStream(QIODevice &stream) const override;
    void ReadFromStream(QIODevice &stream) override;
    uint8_t GetTypeCode() const override { return 3; }

private:
    void DrawPicture(Tcanvas &canvas, const TRect &clip, bool draft, bool output, const TRect &viewport,
                     double scale);
    void RebuildCache(bool draft);
    // What a draft cache of the given size is scaled from: the picture reduced by the largest
    // power of two that keeps it at least that size both ways, made once and kept while the
    // picture stays; the picture itself when it is no larger than twice the size.
    const QImage &ReducedSource(const QSize &size);
    void WriteBody(QIODevice &stream) const;
    // Raises the codec's error when the data cannot be decoded.
    void ReadBody(QIODevice &stream);

    int32_t CacheLimit = NoCacheLimit;
    QImage Picture;
    Talphabitmap ScaledCache;
    Talphabitmap SourceBitmap;
    QImage Reduced;
    bool CacheValid = false;
    bool SourceValid = false;
};

// Draws the empty-picture placeholder into a bitmap: button face with the image tool's icon
// in the middle.
void DrawEmptyPicture(Talphabitmap &bitmap);

// An object kind without content of its own; it draws as the placeholder.
class Tvnlsymbol : public Tdrawobj {
public:
    uint8_t GetTypeCode() const override { return 4; }
};
