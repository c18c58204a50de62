#pragma once
// JPEG files on libjpeg: photographs as cameras, scanners and image editors write them,
// brought upright by their EXIF orientation.

#include "codecs/decoding.h"

#include <QByteArray>

// Decodes JPEG bytes into a Format_RGB32 image: baseline, extended, progressive and
// arithmetic-coded files; greyscale, YCbCr, RGB, CMYK and YCCK (Adobe's inverted CMYK too),
// turned by the EXIF orientation (tags 1 to 8; any other value, or damaged EXIF data, leaves
// the image as stored). Refuses before allocating the image: a declared size beyond
// MaxImagePixels, and data too short to hold the first scan. Refuses after decoding: data
// that ends before the last pixel or that libjpeg finds corrupt. A file that lost only its
// end-of-image marker is read.
TDecodeResult ReadJpeg(const QByteArray &bytes);
