#include "document/picture.h"

#include "codecs/imagecodecs.h"
#include "codecs/png.h"
#include "document/globals.h"
#include "document/undolevel.h"
#include "platform/canvas.h"
#include "platform/clipboard.h"
#include "platform/errors.h"
#include "platform/rnd.h"
#include "platform/streams.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr uint32_t TrailerWord = 0xDEADBEEFu;
constexpr int TrailerWords = 8;
constexpr uint32_t OpaqueBlue = 0xFF0000FFu;

// The kinds of undo level that hold the image: a deletion and a property change.
bool LevelHoldsImage(const Tundolevel &level)
{
    return level.Kind == ckDeleted || level.Kind == ckProperty;
}

bool IsOpaque(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return false;
    }
    return true;
}

// The image as the picture holds it: 32-bit and opaque, transparency flattened onto white,
// which is what a label's paper is. An opaque 32-bit image is kept, not copied.
QImage OpaqueImage(QImage source)
{
    if (source.format() == QImage::Format_ARGB32 && IsOpaque(source)) {
        source.reinterpretAsFormat(QImage::Format_RGB32);
        return source;
    }
    if (!source.hasAlphaChannel())
        return source.format() == QImage::Format_RGB32 ? source
                                                       : source.convertToFormat(QImage::Format_RGB32);
    QImage flat(source.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, source);
    painter.end();
    return flat;
}

QImage Decoded(int32_t kind, const QByteArray &bytes)
{
    QString error;
    QImage image;
    switch (kind) {
    case pkPng:
        image = DecodePng(bytes, &error);
        break;
    case pkJpeg:
        image = DecodeJpeg(bytes, &error);
        break;
    default:
        image = DecodeBmp(bytes, &error);
        break;
    }
    if (image.isNull())
        throw EStreamError(QStringLiteral("The picture in the file cannot be read. %1").arg(error));
    return image;
}
} // namespace

void DrawEmptyPicture(Talphabitmap &bitmap)
{
    bitmap.Fill(ToQColor(clBtnFace).rgb());
    const Talphabitmap &icon = ScratchBitmap();
    if (icon.Width() > 0 && bitmap.Width() > 0) {
        Tcanvas &canvas = bitmap.Canvas();
        canvas.SetCopyMode(TCopyMode::SrcCopy);
        canvas.Draw(bitmap.Width() / 2 - icon.Width() / 2, bitmap.Height() / 2 - icon.Height() / 2,
                    icon.GetImage());
    }
}

Tvnlpic::Tvnlpic()
{
    Hint = QStringLiteral(
        "Image Tool:\\nClick on \"Change Image\" to select a new image\\nClick \"Reset Aspect\" to "
        "set the sides to the original aspect ratio");
}

void Tvnlpic::SetPicture(const QImage &source)
{
    BeginChange(ckProperty, QStringLiteral("picture"));
    Picture = OpaqueImage(source);
    if (Picture.width() > 0)
        AspectRatio = double(Picture.height()) / Picture.width();
    SourceValid = false;
}

void Tvnlpic::SetCacheLimit(int32_t value)
{
    if (value != CacheLimit)
        CacheValid = false;
    CacheLimit = value == 0 ? NoCacheLimit : value;
}

void Tvnlpic::SetDraft(bool value)
{
    const bool changed = value != Draft;
    Tdrawobj::SetDraft(value);
    if (changed)
        SetCacheLimit(value ? DraftCacheLimit : 0);
}

TPoint Tvnlpic::GetDefaultSize(int32_t labelWidth) const
{
    if (Picture.width() == 0 || Picture.height() == 0)
        return DefaultSize;
    // The natural size, or the first of 75, 50, 25, 20, 15, 10 and 5 per cent that fits the
    // label's width; the last step reaches 0, which SetBounds raises to the minimum.
    double f = 1.25;
    int32_t w = 0;
    do {
        f -= f > 0.25 ? 0.25 : 0.05;
        w = rnd(Picture.width() * 10 * f);
    } while (w > labelWidth && f > 0.01);
    return {w, rnd(f * Picture.height() * 10)};
}

bool Tvnlpic::IsPickable(TTool tool) const
{
    return Tdrawobj::IsPickable(tool) || tool == TTool::Image;
}

bool Tvnlpic::ShowsHandles(TTool tool) const
{
    return Tvnlpic::IsPickable(tool);
}

void Tvnlpic::ResetCaches()
{
    CacheValid = false;
    SourceValid = false;
}

void Tvnlpic::ResetAspect()
{
    if (Picture.height() == 0)
        return;
    const double r = double(Picture.width()) / Picture.height();
    const int32_t a = rnd(Height() * r);
    const int32_t b = rnd(Width() / r);
    if (a < b)
        SetWidth(a);
    else
        SetHeight(b);
    ReportChange();
}

bool Tvnlpic::CanPaste() const
{
    return TheClipboard().HasFormat(CF_BITMAP);
}

void Tvnlpic::PasteFromClipboard(int32_t /*format*/)
{
    const QImage image = TheClipboard().Image();
    if (image.isNull())
        return;
    SetPicture(image);
    SetBounds({Left(), Top(), Left() + Picture.width() * 10, Top() + Picture.height() * 10});
    ReportChange();
}

void Tvnlpic::CopyToClipboard(int32_t /*format*/)
{
    if (!Picture.isNull())
        TheClipboard().SetImage(Picture);
}

void Tvnlpic::Changed()
{
    ReportChange();
    CacheValid = false;
    SourceValid = false;
}

void Tvnlpic::SetBounds(const TRect &rect)
{
    // A move keeps the cache, and so does a resize within the same step of 2 units.
    const int32_t newWidth = rect.Right - rect.Left, newHeight = rect.Bottom - rect.Top;
    if (std::abs(newWidth) / 2 != Width() / 2 || std::abs(newHeight) / 2 != Height() / 2)
        CacheValid = false;
    Tdrawobj::SetBounds(rect);
}

void Tvnlpic::SetView(const TRect &viewport, double scale)
{
    if (scale != ViewScale)
        CacheValid = false;
    Tdrawobj::SetView(viewport, scale);
}

QSize Tvnlpic::CacheSize() const
{
    const int32_t w = ScreenWidth(), h = ScreenHeight();
    const double q = SourceBitmap.Height() > 0 && h != 0 ? double(w) / h : 1.0;
    const int64_t limit = CacheLimit;
    QSize size;
    if (q > 1) {
        const int32_t cw = int32_t(std::min<int64_t>(w, limit));
        size = {cw, rnd(cw / q)};
    } else {
        const int32_t ch = int32_t(std::min<int64_t>(h, limit));
        size = {rnd(q * ch), ch};
    }
    // A picture far larger than any screen (its bounds from a damaged file, or a zoom beyond
    // reason) is cached at a size memory holds and stretched from there.
    // A cache of more than four times the image's own pixels shows no more of it.
    const double area = double(size.width()) * double(size.height());
    const double source = double(SourceBitmap.Width()) * double(SourceBitmap.Height());
    const double pixels = std::min(MaxCachePixels, std::max(MaxCachePixels / 4, 4 * source));
    const double shrink = std::min({1.0, MaxCacheSide / double(std::max(size.width(), 1)),
                                    MaxCacheSide / double(std::max(size.height(), 1)),
                                    area > 0 ? std::sqrt(pixels / area) : 1.0});
    if (shrink < 1.0)
        size = {std::max(1, int(size.width() * shrink)), std::max(1, int(size.height() * shrink))};
    return size;
}

qsizetype Tvnlpic::MemoryHeld() const
{
    qsizetype held = Picture.sizeInBytes();
    const QImage &source = SourceBitmap.GetImage();
    if (source.constBits() != Picture.constBits())
        held += source.sizeInBytes();
    held += Reduced.sizeInBytes();
    return held + ScaledCache.GetImage().sizeInBytes() + OverhangBuffer.GetImage().sizeInBytes();
}

const QImage &Tvnlpic::ReducedSource(const QSize &size)
{
    const QImage &source = SourceBitmap.GetImage();
    int shift = 0;
    while (shift < 30 && (source.width() >> (shift + 1)) >= size.width() &&
           (source.height() >> (shift + 1)) >= size.height())
        ++shift;
    if (shift == 0)
        return source;
    const QSize reduced(source.width() >> shift, source.height() >> shift);
    if (Reduced.size() != reduced)
        Reduced = source.scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return Reduced;
}

void Tvnlpic::RebuildCache(bool draft)
{
    const QSize size = CacheSize();
    CacheValid = true;
    if (Picture.width() > 0 && Picture.height() > 0) {
        const QImage &source = draft ? ReducedSource(size) : SourceBitmap.GetImage();
        ScaledCache.Assign(source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    } else {
        ScaledCache.SetSize(size.width(), size.height());
        DrawEmptyPicture(ScaledCache);
        // The placeholder is drawn anew every time.
        SourceValid = false;
        CacheValid = false;
    }
    if (!draft) {
        OverhangBuffer.SetSize(size.width() + 1, size.height() + 1);
        OverhangBuffer.Fill(OpaqueBlue);
        OverhangBuffer.Canvas().AlphaBlend({0, 0, ScaledCache.Width(), ScaledCache.Height()},
                                           ScaledCache.GetImage(), ScaledCache.ClientRect(), 136, false);
        OverhangBuffer.Canvas().Unbind();
    }
    OverhangBuffer.SetAlpha(255);
    // The tinted pixels are copied as they are onto the part outside the label.
    OverhangBuffer.HasAlpha = true;
}

void Tvnlpic::DrawPicture(Tcanvas &canvas, const TRect &clip, bool draft, bool output, const TRect &viewport,
                          double scale)
{
    if (output && CacheLimit == AutomaticCacheLimit) {
        const int32_t e = std::max(Width(), Height()) / 10;
        SetCacheLimit(e <= 255 ? 4 * e : 1024);
    }
    StartTiming();
    SetView(viewport, scale);
    const TRect p = GetScreenRect();
    const bool empty = Picture.width() == 0 || Picture.height() == 0;
    if (ScreenWidth() <= 0 || ScreenHeight() <= 0 || (empty && output)) {
        StopTiming();
        return;
    }
    if (!SourceValid) {
        SourceBitmap.Assign(Picture);
        Reduced = QImage();
        SourceValid = true;
    }
    canvas.SetStretchMode(draft ? TStretchMode::ColorOnColor : TStretchMode::Halftone);
    if (!CacheValid)
        RebuildCache(draft);

    const TRect d = ClipToRect(clip, p);
    if (d.Right > d.Left && d.Bottom > d.Top) {
        TRect s{d.Left - p.Left, d.Top - p.Top, d.Left - p.Left + d.Width(), d.Top - p.Top + d.Height()};
        if (ScreenWidth() > 0)
            s = ScaleRect(s, double(ScaledCache.Width()) / ScreenWidth());
        s = ClipToRect(ScaledCache.ClientRect(), s);
        canvas.SetCopyMode(TCopyMode::SrcCopy);
        canvas.CopyRect(d, ScaledCache.GetImage(), s);
    }
    StopTiming();
}

void Tvnlpic::DrawDraft(Tcanvas &canvas, const TRect &clip, const TRect &viewport, double scale)
{
    DrawPicture(canvas, clip, true, false, viewport, scale);
}

void Tvnlpic::Draw(Tcanvas &canvas, const TRect &clip, bool output, const TRect &viewport, double scale)
{
    DrawPicture(canvas, clip, false, output, viewport, scale);
}

void Tvnlpic::WriteBody(QIODevice &stream) const
{
    if (Picture.width() > 0 && Picture.height() > 0) {
        WriteInt32(stream, pkPng);
        WriteBytes(stream, EncodePngFast(Picture));
    } else {
        WriteInt32(stream, pkNone);
    }
    for (int i = 0; i < TrailerWords; ++i)
        WriteInt32(stream, static_cast<int32_t>(TrailerWord));
}

void Tvnlpic::ReadBody(QIODevice &stream)
{
    const qint64 start = stream.pos();
    int32_t kind = 0;
    if (!ReadInt32(stream, kind))
        return;
    if (kind == pkNone) {
        Picture = QImage();
        ResetCaches();
        return;
    }
    if (kind != pkPng && kind != pkJpeg && kind != pkBitmap) {
        // Older records: a Windows bitmap that starts with the last byte of the kind field.
        stream.seek(start + 3);
        kind = pkBitmap;
    }
    // The image data runs to the trailer; the decoders stop at the image's own end.
    Picture = OpaqueImage(Decoded(kind, ReadBytesView(stream, Remaining(stream))));
    ResetCaches();
}

void Tvnlpic::WriteToStream(QIODevice &stream) const
{
    Tdrawobj::WriteToStream(stream);
    WriteBody(stream);
}

void Tvnlpic::ReadFromStream(QIODevice &stream)
{
    Tdrawobj::ReadFromStream(stream);
    ReadBody(stream);
}

void Tvnlpic::SaveToUndo(Tundolevel &level) const
{
    Tdrawobj::WriteToStream(level.Stream());
    if (!LevelHoldsImage(level))
        return;
    // The level shares the picture's pixels instead of encoding them: recording a change of a
    // large picture costs no time and no second copy of its pixels.
    const bool hasImage = Picture.width() > 0 && Picture.height() > 0;
    WriteInt32(level.Stream(), hasImage ? pkLevelImage : pkNone);
    for (int i = 0; i < TrailerWords; ++i)
        WriteInt32(level.Stream(), static_cast<int32_t>(TrailerWord));
    level.Image = hasImage ? Picture : QImage();
}

void Tvnlpic::LoadFromUndo(Tundolevel &level)
{
    Tdrawobj::ReadFromStream(level.Stream());
    if (!LevelHoldsImage(level))
        return;
    int32_t kind = 0;
    const qint64 start = level.Stream().pos();
    if (ReadInt32(level.Stream(), kind) && kind == pkLevelImage) {
        Picture = level.Image;
        ResetCaches();
        return;
    }
    level.Stream().seek(start);
    ReadBody(level.Stream());
}
