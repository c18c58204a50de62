#pragma once
// A 32-bit off-screen bitmap with its own canvas and per-pixel alpha operations, used for
// tinting and caching by the objects, the document and the sheet drawing.
// Pixel words are 0xAARRGGBB; rows are counted from the bottom, as the system's bitmaps are.

#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/types.h"

#include <QImage>
#include <cstdint>

class Talphabitmap {
public:
    Talphabitmap() = default;
    Talphabitmap(const Talphabitmap &) = delete;
    Talphabitmap &operator=(const Talphabitmap &) = delete;

    // Store the requested side and re-create the bitmap: new pixels are all 0.
    // A side of 0 or less leaves the bitmap without pixels.
    void SetWidth(int32_t w);
    void SetHeight(int32_t h);
    // Both sides at once, re-creating once.
    void SetSize(int32_t w, int32_t h);
    // Takes the pixels of a 32-bit image (ARGB32 or RGB32), sharing them rather than copying
    // while neither side writes; any other format is converted.
    void Assign(const QImage &image);

    int32_t Width() const { return Image.width(); }
    int32_t Height() const { return Image.height(); }
    TRect ClientRect() const { return {0, 0, Width(), Height()}; }

    // The canvas bound to the pixels (unbound while the bitmap has none).
    Tcanvas &Canvas();
    const QImage &GetImage() const { return Image; }
    uint32_t *Pixels();
    int32_t PixelCount() const { return Width() * Height(); }

    // Every pixel := the word 0xAARRGGBB.
    void Fill(uint32_t word);
    void SetAlpha(uint8_t a);
    void InvertAlpha();
    void Premultiply();
    // Alpha of every pixel taken from the source's channels that the mask names: red when its
    // red byte is not 0, green when bit 15 is set, blue when its blue byte is not 0 (and the
    // source blue is not 0); the sum is divided by the number of parts when there are two or more.
    void AlphaFromChannels(const Talphabitmap &source, TColor mask);

    // The pixels carry meaningful alpha: draw with per-pixel alpha.
    bool HasAlpha = false;

private:
    void Recreate();

    int32_t RequestedWidth = 0;
    int32_t RequestedHeight = 0;
    QImage Image;
    Tcanvas FCanvas;
};
