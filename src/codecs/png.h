#pragma once
// PNG files on libpng and libdeflate: the thumbnails every project and template carries, and
// stored pictures. The writers are deterministic (no time stamps, fixed settings), so the same
// image always gives the same bytes. The reader refuses damaged data and implausible sizes before it
// allocates anything for them.

#include <QByteArray>
#include <QImage>
#include <QString>

// The largest image the reader accepts, in pixels.
constexpr qint64 MaxPngPixels = qint64(1) << 28;

// An 8-bit RGB PNG of the image (alpha dropped; a transparent pixel keeps its colour
// channels). With keepAlpha an 8-bit RGBA PNG instead, with straight (not premultiplied)
// alpha. Formats other than 32-bit RGB are converted to ARGB32 first. The file holds IHDR,
// IDAT and IEND only. A null image (or running out of memory) gives an empty array. Suited to
// thumbnails: zlib's default level and the adaptive choice of filters give small files.
QByteArray EncodePng(const QImage &image, bool keepAlpha = false);

// The PNG stored pictures are kept as: 8-bit RGB (alpha dropped as EncodePng drops it), every
// row filtered by its left neighbour (the Sub filter) and the image data compressed whole by
// libdeflate at its fastest level, in one IDAT chunk. A 12-megapixel photograph takes about a
// quarter of the time zlib needs for it, in a file no larger. Deterministic like EncodePng. A
// null image (or running out of memory) gives an empty array.
QByteArray EncodePngFast(const QImage &image);

// Decodes PNG bytes into a 32-bit image (QImage::Format_ARGB32): every bit depth, colour
// type, palette, tRNS transparency and interlacing, 16-bit samples rounded to 8 bits. On
// failure returns a null image and, when error is given, a message saying what is wrong
// ("Not a PNG file", "The PNG data is damaged: ...", "The image is too large: ..."); on
// success error is cleared. A bad CRC in a critical chunk is damage; an ancillary chunk with
// a bad CRC is skipped, and so is everything after the image data (a file that lost only its
// IEND still reads). The common kind of file (8-bit RGB without transparency, as both writers
// here make) is read in one pass with libdeflate, every other kind through libpng.
QImage DecodePng(const QByteArray &bytes, QString *error = nullptr);
