#pragma once
// What the two PNG readers share (png.cpp and pngdeflate.cpp only): the signature, the bound on
// the image data, and the reader's fast path.

#include <QImage>

#include <cstddef>

inline constexpr uchar PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The largest expansion a deflate stream can reach is 1032 to 1: a 258-byte match coded in
// two bits (one for the length symbol, one for the distance). Every other part of the stream
// (headers, literals, block ends, the Adler-32, the chunk frames) only lowers the ratio. So
// the image data, which is at least width * height * bits per pixel / 8 bytes before the
// filter bytes are counted, cannot come from fewer than a 1032nd of that in input. The readers
// refuse a header whose image cannot fit in 1100 times the input that follows it, plus a
// little, which leaves room without letting a small file claim a huge image.
constexpr quint64 MaxExpansion = 1100;
constexpr quint64 ExpansionSlack = 1024;

inline quint32 BigEndian32(const uchar *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

// Reads the common kind of PNG file (8-bit RGB, not interlaced, no transparency key, no palette)
// with libdeflate in one pass into a 32-bit image (QImage::Format_ARGB32, opaque). Anything else,
// and anything unusual or damaged in such a file, gives a null image without a word: the caller
// then reads the file with libpng, which says what is wrong. So whatever this reads, libpng reads
// to the same pixels.
QImage DecodeRgbPngFast(const uchar *data, size_t size);
