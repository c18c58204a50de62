#pragma once
// The formats that Qt's image plugins read, each behind our own look at its header: several
// plugins allocate the declared size before reading a pixel, and the Windows bitmap and GIF
// readers fill in what a truncated file lacks with black instead of failing.

#include "codecs/decoding.h"

#include <QByteArray>

// Windows bitmaps: uncompressed data must hold every row (the last one's padding may be
// missing), run-length encoded data must reach its end-of-bitmap code or its last row.
TDecodeResult ReadBmp(const QByteArray &bytes);
// GIF: the first image, whose data must be complete; the logical screen sets the size.
TDecodeResult ReadGif(const QByteArray &bytes);
// Portable bitmaps, greymaps and pixmaps, plain and raw: the data must hold every sample.
TDecodeResult ReadPnm(const QByteArray &bytes);
// TIFF: the first page, turned as its orientation tag says.
TDecodeResult ReadTiff(const QByteArray &bytes);
// WebP, lossy and lossless: the first frame.
TDecodeResult ReadWebp(const QByteArray &bytes);
// Windows icons: the largest of the icon's images.
TDecodeResult ReadIco(const QByteArray &bytes);
