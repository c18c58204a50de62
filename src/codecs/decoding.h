#pragma once
// What every decoder of the codecs gives back (the image, or why there is none) and the bounds
// they share. The registry turns a failure into the message its caller shows.

#include "codecs/imagecodecs.h"

#include <QImage>
#include <QString>
#include <optional>

enum class TDecodeFailure { None, NotReadable, Damaged, TooLarge, OutOfMemory };

struct TDecodeResult {
    QImage Image;
    TDecodeFailure Failure = TDecodeFailure::None;
    QString Detail;   // for NotReadable (may be empty) and Damaged
    qint64 Width = 0; // the declared size, for TooLarge and OutOfMemory
    qint64 Height = 0;
};

inline TDecodeResult Decoded(QImage image)
{
    return {std::move(image), TDecodeFailure::None, {}, 0, 0};
}
inline TDecodeResult NotReadable(const QString &detail = {})
{
    return {{}, TDecodeFailure::NotReadable, detail, 0, 0};
}
inline TDecodeResult Damaged(const QString &detail)
{
    return {{}, TDecodeFailure::Damaged, detail, 0, 0};
}
inline TDecodeResult TooLarge(qint64 width, qint64 height)
{
    return {{}, TDecodeFailure::TooLarge, {}, width, height};
}
inline TDecodeResult OutOfMemory(qint64 width, qint64 height)
{
    return {{}, TDecodeFailure::OutOfMemory, {}, width, height};
}

// Where a format gives no floor of its own for the bytes an image needs (arithmetic-coded
// JPEG, TIFF, WebP, compressed Windows bitmaps, the screen of a GIF), a file may declare
// FreePixels whatever its size, so a lie costs no more memory than an ordinary 16-megapixel
// photograph; beyond that it must bring a byte for every MaxPixelsPerByte pixels. The densest
// codings of real pictures stay below that: deflate reaches 1032 to 1 on bytes, 8256 pixels a
// byte on 1-bit pixels; LZW about 2730 pixels a byte. What goes beyond is a lie, a truncated
// file or a blank page, and is refused.
constexpr qint64 FreePixels = qint64(1) << 24;
constexpr qint64 MaxPixelsPerByte = 8192;

// The refusal of a declared size: beyond MaxImagePixels, or (with dataBytes, the bytes that
// can hold the pixels) beyond the plausible density above. Nothing when it may be decoded.
std::optional<TDecodeResult> CheckDeclaredSize(qint64 width, qint64 height, std::optional<qint64> dataBytes);

// "N bytes cannot hold a W by H pixel image": the detail of a file too short for its header.
QString CannotHold(qint64 bytes, qint64 width, qint64 height);

// A new 32-bit image (Format_RGB32 or Format_ARGB32) for a decoder to fill. A large one lies
// in transparent huge pages: a 12-megapixel photograph is then faulted in by 24 pages rather
// than 12,000, which is most of the time a decode takes in a virtual machine (measured in
// bench/bench_codecs.cpp). Null when there is not enough memory.
QImage AllocateImage(int width, int height, QImage::Format format);

// The image as the registry returns it: Format_ARGB32 when it has an alpha channel, else
// Format_RGB32.
QImage ToArgbOrRgb32(QImage image);
