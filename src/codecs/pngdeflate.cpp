// PNG on libdeflate: the writer of stored pictures and the reader's fast path. libdeflate works
// on whole buffers, a few times faster than zlib's streams on large images; what it cannot do
// (other kinds of file, damaged ones) stays with libpng.

#include "codecs/pngdeflate.h"
#include "codecs/png.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// libdeflate's fastest level compresses a filtered photograph about as small as zlib's level 3
// does, in a quarter of its time.
constexpr int PictureLevel = 1;
constexpr uchar SubFilter = 1;
constexpr int RgbBytes = 3;
// A PNG chunk holds at most 2^31 - 1 bytes.
constexpr size_t MaxChunkData = 0x7FFFFFFF;
// Ancillary chunks the fast path steps over; a larger one goes to libpng, which has its own say.
constexpr size_t MaxSkippedChunk = 8 * 1024 * 1024;

struct TCompressorFree {
    void operator()(libdeflate_compressor *c) const { libdeflate_free_compressor(c); }
};
struct TDecompressorFree {
    void operator()(libdeflate_decompressor *d) const { libdeflate_free_decompressor(d); }
};

void PutBigEndian32(uchar *p, quint32 v)
{
    p[0] = uchar(v >> 24);
    p[1] = uchar(v >> 16);
    p[2] = uchar(v >> 8);
    p[3] = uchar(v);
}

// ---- Writing

// Each row as its filter byte (Sub) and the differences of R, G and B to the pixel on the left.
void FilterRows(const QImage &source, uchar *out)
{
    const qsizetype width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        *out++ = SubFilter;
        uchar r = 0, g = 0, b = 0;
        for (qsizetype x = 0; x < width; ++x) {
            const QRgb p = line[x];
            out[0] = uchar(qRed(p) - r);
            out[1] = uchar(qGreen(p) - g);
            out[2] = uchar(qBlue(p) - b);
            r = uchar(qRed(p));
            g = uchar(qGreen(p));
            b = uchar(qBlue(p));
            out += RgbBytes;
        }
    }
}

// Appends a chunk whose data lies at the end of out already (placed there after room for the
// length and the type), then its CRC.
void CloseChunk(QByteArray &out, qsizetype start)
{
    auto *p = reinterpret_cast<uchar *>(out.data()) + start;
    const size_t length = size_t(out.size() - start - 8);
    PutBigEndian32(p, quint32(length));
    uchar crc[4];
    PutBigEndian32(crc, libdeflate_crc32(0, p + 4, length + 4));
    out.append(reinterpret_cast<const char *>(crc), 4);
}

void AppendChunk(QByteArray &out, const char *type, const uchar *data, size_t length)
{
    const qsizetype start = out.size();
    out.append(4, '\0').append(type, 4).append(reinterpret_cast<const char *>(data), qsizetype(length));
    CloseChunk(out, start);
}

QByteArray EncodeFiltered(const QImage &source)
{
    const size_t rowBytes = 1 + size_t(source.width()) * RgbBytes;
    std::vector<uchar> filtered(rowBytes * size_t(source.height()));
    FilterRows(source, filtered.data());

    const std::unique_ptr<libdeflate_compressor, TCompressorFree> compressor(
        libdeflate_alloc_compressor(PictureLevel));
    if (!compressor)
        return {};
    const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filtered.size());

    QByteArray out;
    out.reserve(qsizetype(sizeof PngSignature + 25 + 12 + bound + 12));
    out.append(reinterpret_cast<const char *>(PngSignature), sizeof PngSignature);
    uchar ihdr[13] = {};
    PutBigEndian32(ihdr, quint32(source.width()));
    PutBigEndian32(ihdr + 4, quint32(source.height()));
    ihdr[8] = 8; // bits per sample
    ihdr[9] = 2; // RGB; compression, filter method and interlacing stay 0
    AppendChunk(out, "IHDR", ihdr, sizeof ihdr);

    // The compressed data goes straight into the file, behind the IDAT chunk's length and type.
    const qsizetype idat = out.size();
    out.append(4, '\0').append("IDAT", 4);
    out.resize(idat + 8 + qsizetype(bound));
    const size_t compressed = libdeflate_zlib_compress(compressor.get(), filtered.data(), filtered.size(),
                                                       out.data() + idat + 8, bound);
    if (compressed == 0)
        return {};
    out.resize(idat + 8 + qsizetype(compressed));
    if (compressed <= MaxChunkData) {
        CloseChunk(out, idat);
    } else {
        // More than one chunk holds: an image of some billion pixels.
        const QByteArray data = out.mid(idat + 8);
        out.truncate(idat);
        for (size_t at = 0; at < compressed; at += MaxChunkData)
            AppendChunk(out, "IDAT", reinterpret_cast<const uchar *>(data.constData()) + at,
                        std::min(MaxChunkData, compressed - at));
    }
    AppendChunk(out, "IEND", nullptr, 0);
    return out;
}

// ---- Reading

// The predictor functions of the five filters on three-byte pixels. Each turns one row of
// filtered bytes into the row's samples, given the samples of the row above (zeros above the
// first).
bool Unfilter(uchar type, const uchar *raw, const uchar *prior, uchar *row, size_t length)
{
    // The first pixel has nothing on its left: Sub copies it, Average and Paeth take the row
    // above alone.
    const size_t first = std::min<size_t>(RgbBytes, length);
    switch (type) {
    case 0:
        std::memcpy(row, raw, length);
        return true;
    case 1:
        std::memcpy(row, raw, first);
        for (size_t i = first; i < length; ++i)
            row[i] = uchar(raw[i] + row[i - RgbBytes]);
        return true;
    case 2:
        for (size_t i = 0; i < length; ++i)
            row[i] = uchar(raw[i] + prior[i]);
        return true;
    case 3:
        for (size_t i = 0; i < first; ++i)
            row[i] = uchar(raw[i] + prior[i] / 2);
        for (size_t i = first; i < length; ++i)
            row[i] = uchar(raw[i] + (row[i - RgbBytes] + prior[i]) / 2);
        return true;
    case 4:
        for (size_t i = 0; i < first; ++i)
            row[i] = uchar(raw[i] + prior[i]);
        for (size_t i = first; i < length; ++i) {
            const int a = row[i - RgbBytes], b = prior[i], c = prior[i - RgbBytes];
            const int p = a + b - c;
            const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            row[i] = uchar(raw[i] + (pa <= pb && pa <= pc ? a : pb <= pc ? b : c));
        }
        return true;
    default:
        return false;
    }
}

bool IsLetter(uchar c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The largest IDAT chunk libpng accepts for an image of this size (its png_check_chunk_length):
// the filtered rows and the most a deflate stream can add to them.
size_t IdatLimit(quint64 width, quint64 height)
{
    const quint64 rowFactor = width * RgbBytes + 1;
    quint64 limit = height * rowFactor;
    limit += 6 + 5 * (limit / std::min<quint64>(rowFactor, 32566) + 1);
    return size_t(std::min<quint64>(limit, MaxChunkData));
}

// The spans of the IDAT chunks that follow each other from at; false when one is cut short,
// too long for libpng, or its CRC is wrong.
struct TSpan {
    const uchar *Data;
    size_t Length;
};
bool ImageDataSpans(const uchar *data, size_t size, size_t at, size_t limit, std::vector<TSpan> &spans)
{
    while (size - at >= 12 && std::memcmp(data + at + 4, "IDAT", 4) == 0) {
        const size_t length = BigEndian32(data + at);
        if (length > limit || size - at - 12 < length)
            return false;
        if (libdeflate_crc32(0, data + at + 4, length + 4) != BigEndian32(data + at + 8 + length))
            return false;
        spans.push_back({data + at + 8, length});
        at += 12 + length;
    }
    return !spans.empty();
}

// The offset of the first IDAT chunk, after nothing but ancillary chunks other than tRNS; 0 when
// the file holds anything else before its image data.
size_t FirstImageData(const uchar *data, size_t size)
{
    size_t at = sizeof PngSignature + 25;
    while (size - at >= 12) {
        const size_t length = BigEndian32(data + at);
        const uchar *type = data + at + 4;
        if (length > MaxChunkData || size - at - 12 < length ||
            !std::all_of(type, type + 4, [](uchar c) { return IsLetter(c); }))
            return 0;
        if (std::memcmp(type, "IDAT", 4) == 0)
            return at;
        const bool critical = (type[0] & 0x20) == 0;
        if (critical || std::memcmp(type, "tRNS", 4) == 0 || length > MaxSkippedChunk)
            return 0;
        at += 12 + length;
    }
    return 0;
}

} // namespace

QByteArray EncodePngFast(const QImage &image)
{
    if (image.isNull())
        return {};
    try {
        if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
            return EncodeFiltered(image);
        const QImage converted = image.convertToFormat(QImage::Format_ARGB32);
        return converted.isNull() ? QByteArray() : EncodeFiltered(converted);
    } catch (const std::bad_alloc &) {
        return {};
    }
}

QImage DecodeRgbPngFast(const uchar *data, size_t size)
{
    // The header: well formed, 8-bit RGB, no interlacing (the caller checked its CRC and size).
    if (size < sizeof PngSignature + 25 || BigEndian32(data + 8) != 13 ||
        std::memcmp(data + 12, "IHDR", 4) != 0)
        return {};
    const uchar *ihdr = data + 16;
    const quint64 width = BigEndian32(ihdr), height = BigEndian32(ihdr + 4);
    if (ihdr[8] != 8 || ihdr[9] != 2 || ihdr[10] != 0 || ihdr[11] != 0 || ihdr[12] != 0 || width == 0 ||
        height == 0 || width * height > quint64(MaxPngPixels))
        return {};
    const size_t first = FirstImageData(data, size);
    if (first == 0 || width * height * RgbBytes > MaxExpansion * (size - first - 8) + ExpansionSlack)
        return {};
    std::vector<TSpan> spans;
    if (!ImageDataSpans(data, size, first, IdatLimit(width, height), spans))
        return {};

    try {
        // The compressed stream in one piece: in place when one chunk holds it.
        std::vector<uchar> joined;
        const uchar *stream = spans.front().Data;
        size_t streamLength = spans.front().Length;
        if (spans.size() > 1) {
            for (const TSpan &s : spans)
                joined.insert(joined.end(), s.Data, s.Data + s.Length);
            stream = joined.data();
            streamLength = joined.size();
        }

        QImage image(int(width), int(height), QImage::Format_ARGB32);
        if (image.isNull() || image.bytesPerLine() != qsizetype(width * 4))
            return {};
        // The filtered rows are smaller than the image: they are inflated into the end of its
        // pixels, and each row is read before its pixels overwrite it. Row y's pixels end where
        // filtered row y + 1 begins at the latest.
        const size_t rowBytes = size_t(width) * RgbBytes;
        const size_t filteredSize = (rowBytes + 1) * size_t(height);
        uchar *pixels = image.bits();
        uchar *filtered = pixels + size_t(image.sizeInBytes()) - filteredSize;
        const std::unique_ptr<libdeflate_decompressor, TDecompressorFree> decompressor(
            libdeflate_alloc_decompressor());
        if (!decompressor)
            return {};
        size_t read = 0, written = 0;
        if (libdeflate_zlib_decompress_ex(decompressor.get(), stream, streamLength, filtered, filteredSize,
                                          &read, &written) != LIBDEFLATE_SUCCESS ||
            written != filteredSize)
            return {};

        std::vector<uchar> rows(2 * rowBytes, 0);
        uchar *prior = rows.data(), *row = rows.data() + rowBytes;
        for (size_t y = 0; y < size_t(height); ++y) {
            const uchar *raw = filtered + y * (rowBytes + 1);
            if (!Unfilter(raw[0], raw + 1, prior, row, rowBytes))
                return {};
            auto *line = reinterpret_cast<QRgb *>(pixels + y * size_t(width) * 4);
            for (size_t x = 0; x < size_t(width); ++x)
                line[x] = qRgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
            std::swap(prior, row);
        }
        return image;
    } catch (const std::bad_alloc &) {
        return {};
    }
}
