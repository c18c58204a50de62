#include "document/alphabitmap.h"

#include "platform/errors.h"

#include <algorithm>

void Talphabitmap::SetWidth(int32_t w)
{
    RequestedWidth = w;
    Recreate();
}

void Talphabitmap::SetHeight(int32_t h)
{
    RequestedHeight = h;
    Recreate();
}

void Talphabitmap::SetSize(int32_t w, int32_t h)
{
    RequestedWidth = w;
    RequestedHeight = h;
    Recreate();
}

void Talphabitmap::Assign(const QImage &image)
{
    FCanvas.Unbind();
    const bool words = image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32;
    Image = words ? image : image.convertToFormat(QImage::Format_ARGB32);
    RequestedWidth = Image.width();
    RequestedHeight = Image.height();
}

void Talphabitmap::Recreate()
{
    // The painter is ended first, which flushes what it drew, before its image goes away.
    FCanvas.Unbind();
    Image = QImage();
    if (RequestedWidth <= 0 || RequestedHeight <= 0)
        return;
    QImage created(RequestedWidth, RequestedHeight, QImage::Format_ARGB32);
    if (created.isNull())
        throw EOSError(QStringLiteral("Not enough memory for a bitmap of %1 by %2 pixels")
                           .arg(RequestedWidth)
                           .arg(RequestedHeight));
    created.fill(0u);
    Image = std::move(created);
}

Tcanvas &Talphabitmap::Canvas()
{
    if (!FCanvas.IsBound() && !Image.isNull())
        FCanvas.Bind(&Image);
    return FCanvas;
}

uint32_t *Talphabitmap::Pixels()
{
    return Image.isNull() ? nullptr : reinterpret_cast<uint32_t *>(Image.bits());
}

namespace {
template <typename F> void ForEachPixel(QImage &image, F f)
{
    if (image.isNull())
        return;
    auto *p = reinterpret_cast<uint32_t *>(image.bits());
    const qsizetype n = qsizetype(image.width()) * image.height();
    for (qsizetype i = 0; i < n; ++i)
        p[i] = f(p[i]);
}

// channel * alpha / 255 rounded to nearest, for every channel and alpha. The exact quotient is
// never halfway, so the rounding direction of ties does not arise.
struct TPremultiplyTable {
    uint8_t Value[256][256];
    TPremultiplyTable()
    {
        for (uint32_t a = 0; a < 256; ++a)
            for (uint32_t c = 0; c < 256; ++c)
                Value[a][c] = uint8_t((c * a * 2 + 255) / 510);
    }
};

const TPremultiplyTable &PremultiplyTable()
{
    static const TPremultiplyTable table;
    return table;
}
} // namespace

void Talphabitmap::Fill(uint32_t word)
{
    if (!Image.isNull())
        Image.fill(word);
}

void Talphabitmap::SetAlpha(uint8_t a)
{
    const uint32_t alpha = uint32_t(a) << 24;
    ForEachPixel(Image, [alpha](uint32_t p) { return (p & 0x00FFFFFFu) | alpha; });
    HasAlpha = a != 255;
}

void Talphabitmap::InvertAlpha()
{
    ForEachPixel(Image, [](uint32_t p) { return p ^ 0xFF000000u; });
}

void Talphabitmap::Premultiply()
{
    const auto &table = PremultiplyTable().Value;
    ForEachPixel(Image, [&table](uint32_t p) {
        const uint32_t a = p >> 24;
        const uint8_t *row = table[a];
        return (a << 24) | (uint32_t(row[(p >> 16) & 0xFF]) << 16) | (uint32_t(row[(p >> 8) & 0xFF]) << 8) |
               row[p & 0xFF];
    });
}

void Talphabitmap::AlphaFromChannels(const Talphabitmap &source, TColor mask)
{
    if (Image.isNull() || source.Image.isNull())
        return;
    const bool useRed = GetRValue(mask) != 0;
    const bool useGreen = (mask & 0x8000u) != 0;
    const bool useBlue = GetBValue(mask) != 0;
    const int parts = int(useRed) + int(useGreen) + int(useBlue);
    const auto alphaOf = [&](uint32_t s) {
        uint32_t sum = 0;
        if (useRed)
            sum += (s >> 16) & 0xFF;
        if (useGreen)
            sum += (s >> 8) & 0xFF;
        if (useBlue && (s & 0xFF) != 0)
            sum += s & 0xFF;
        return parts >= 2 ? sum / parts : sum;
    };

    uint32_t *dst = Pixels();
    const auto *src = reinterpret_cast<const uint32_t *>(source.Image.constBits());
    const auto apply = [&](qsizetype d, qsizetype s) {
        dst[d] = (dst[d] & 0x00FFFFFFu) | (alphaOf(src[s]) << 24);
    };
    if (Image.size() == source.Image.size()) {
        const qsizetype n = qsizetype(Width()) * Height();
        for (qsizetype i = 0; i < n; ++i)
            apply(i, i);
        return;
    }
    // Pixels are paired by their index counted from the bottom row, as in bottom-up bitmaps.
    const qsizetype n =
        std::min<qsizetype>(qsizetype(Width()) * Height(), qsizetype(source.Width()) * source.Height());
    const auto memoryIndex = [](const QImage &img, qsizetype i) {
        const qsizetype w = img.width();
        return (img.height() - 1 - i / w) * w + i % w;
    };
    for (qsizetype i = 0; i < n; ++i)
        apply(memoryIndex(Image, i), memoryIndex(source.Image, i));
}
