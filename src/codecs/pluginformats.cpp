#include "codecs/pluginformats.h"

#include <QBuffer>
#include <QImageReader>
#include <cstring>

namespace {

// The most a plugin may allocate, in MB: an image of MaxImagePixels at 8 bytes a pixel, as a
// TIFF with 16-bit channels decodes.
constexpr int AllocationLimitMb = int(MaxImagePixels * 8 / (1024 * 1024));

// The images of an icon looked at when choosing the largest.
constexpr int MaxIconImages = 256;

// A GIF code of at least two bits yields at most 4096 pixels (the longest string the 4096
// entries of the code table can hold).
constexpr qint64 MaxLzwPixelsPerByte = 4096 * 8 / 2;

constexpr qsizetype BmpFileHeaderSize = 14;
constexpr quint32 BmpCoreHeaderSize = 12;
enum : quint32 { BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3 };

quint32 Le16(const uchar *p)
{
    return p[0] | p[1] << 8;
}

quint32 Le32(const uchar *p)
{
    return Le16(p) | Le16(p + 2) << 16;
}

const uchar *Bytes(const QByteArray &bytes)
{
    return reinterpret_cast<const uchar *>(bytes.constData());
}

struct TPluginRead {
    const char *Format; // the plugin's key
    const char *Name;   // for messages
    // Whether the size the plugin reports must pass the plausibility bound of decoding.h; not
    // for formats whose header our own check has held to the data already.
    bool Plausible;
    bool LargestImage; // read the largest image of the file rather than the first
};

void JumpToLargest(QImageReader &reader)
{
    int best = 0;
    qint64 bestPixels = -1;
    for (int i = 0; i < std::min(reader.imageCount(), MaxIconImages) && reader.jumpToImage(i); ++i) {
        const QSize size = reader.size();
        if (size.isValid() && qint64(size.width()) * size.height() > bestPixels) {
            best = i;
            bestPixels = qint64(size.width()) * size.height();
        }
    }
    reader.jumpToImage(best);
}

TDecodeResult ReadWithPlugin(const QByteArray &bytes, const TPluginRead &how)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, how.Format);
    reader.setAutoDetectImageFormat(false);
    reader.setAllocationLimit(AllocationLimitMb);
    reader.setAutoTransform(true);
    if (how.LargestImage)
        JumpToLargest(reader);
    // A bitmap stored top-down reports a negative height.
    const QSize size = reader.size();
    if (size.isValid())
        if (auto refusal =
                CheckDeclaredSize(size.width(), std::abs(qint64(size.height())),
                                  how.Plausible ? std::optional<qint64>(bytes.size()) : std::nullopt))
            return *refusal;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return Damaged(QStringLiteral("the %1 data cannot be read (%2)")
                           .arg(QLatin1String(how.Name), reader.errorString()));
    return Decoded(ToArgbOrRgb32(std::move(image)));
}

// ---- Windows bitmaps

// Whether run-length encoded bitmap data reaches its end: the end-of-bitmap code, or the end
// of the last row by end-of-line codes and deltas.
bool RleComplete(const uchar *p, qint64 size, qint64 rows, bool fourBits)
{
    qint64 at = 0, row = 0;
    while (at + 2 <= size) {
        const int count = p[at], code = p[at + 1];
        at += 2;
        if (count > 0)
            continue; // a run of one value
        if (code == 0) {
            if (++row >= rows)
                return true;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (at + 2 > size)
                return false;
            row += p[at + 1];
            at += 2;
            if (row >= rows)
                return true;
        } else {
            // code literal pixels, padded to an even number of bytes
            const qint64 literal = fourBits ? (code + 1) / 2 : code;
            at += literal + (literal & 1);
        }
    }
    return false;
}

std::optional<TDecodeResult> CheckBmp(const QByteArray &bytes)
{
    const uchar *d = Bytes(bytes);
    const qsizetype size = bytes.size();
    if (size < BmpFileHeaderSize + 4 || d[0] != 'B' || d[1] != 'M')
        return NotReadable(QStringLiteral("not a Windows bitmap"));
    const quint32 dataOffset = Le32(d + 10), infoSize = Le32(d + 14);
    const bool core = infoSize == BmpCoreHeaderSize;
    // The fields up to the compression method (or the bit count of the old core header).
    const qsizetype fieldsEnd = BmpFileHeaderSize + (core ? 12 : 20);
    if (infoSize < BmpCoreHeaderSize || (!core && infoSize < 16))
        return Damaged(QStringLiteral("the bitmap header is damaged"));
    if (size < fieldsEnd)
        return Damaged(QStringLiteral("the bitmap header is incomplete"));
    const qint64 width = core ? qint64(Le16(d + 18)) : qint64(qint32(Le32(d + 18)));
    const qint64 height = core ? qint64(Le16(d + 20)) : qint64(qint32(Le32(d + 22)));
    const qint64 bits = core ? Le16(d + 24) : Le16(d + 28);
    const quint32 compression = core || infoSize < 20 ? BiRgb : Le32(d + 30);
    const qint64 rows = std::abs(height); // negative: stored top-down
    if (auto refusal = CheckDeclaredSize(width, rows, std::nullopt))
        return refusal;

    const qint64 start = dataOffset != 0 ? dataOffset : BmpFileHeaderSize + infoSize;
    if (start > size)
        return Damaged(QStringLiteral("the pixel data lies beyond the end of the file"));
    const qint64 available = size - start;
    switch (compression) {
    case BiRgb:
    case BiBitfields: {
        const qint64 rowBytes = (width * bits + 31) / 32 * 4;
        if (available < rowBytes * (rows - 1) + (width * bits + 7) / 8)
            return Damaged(CannotHold(available, width, rows));
        return std::nullopt;
    }
    case BiRle8:
    case BiRle4:
        if (!RleComplete(d + start, available, rows, compression == BiRle4))
            return Damaged(QStringLiteral("the compressed bitmap data ends before the image is complete"));
        return CheckDeclaredSize(width, rows, available);
    default:
        return NotReadable(QStringLiteral("a bitmap compressed by method %1").arg(compression));
    }
}

// ---- GIF

// The position after a chain of sub-blocks and its terminator, adding their data bytes to
// total; -1 when the data ends first.
qint64 SkipSubBlocks(const uchar *d, qint64 size, qint64 at, qint64 *total)
{
    while (at < size) {
        const int length = d[at++];
        if (length == 0)
            return at;
        at += length;
        *total += length;
    }
    return -1;
}

qint64 ColourTableSize(int flags)
{
    return flags & 0x80 ? 3 << ((flags & 7) + 1) : 0;
}

std::optional<TDecodeResult> CheckGif(const QByteArray &bytes)
{
    const uchar *d = Bytes(bytes);
    const qint64 size = bytes.size();
    constexpr qint64 ScreenEnd = 13, DescriptorSize = 10;
    if (size < ScreenEnd || (std::memcmp(d, "GIF87a", 6) != 0 && std::memcmp(d, "GIF89a", 6) != 0))
        return NotReadable(QStringLiteral("not a GIF file"));
    const qint64 screenWidth = Le16(d + 6), screenHeight = Le16(d + 8);
    const TDecodeResult incomplete =
        Damaged(QStringLiteral("the GIF data ends before its first image is complete"));
    qint64 at = ScreenEnd + ColourTableSize(d[10]);
    while (at < size) {
        qint64 skipped = 0;
        switch (d[at]) {
        case 0x21: // an extension: its label, then sub-blocks
            at = SkipSubBlocks(d, size, at + 2, &skipped);
            if (at < 0)
                return incomplete;
            break;
        case 0x2C: { // the first image: descriptor, colour table, code size, LZW sub-blocks
            if (at + DescriptorSize > size)
                return incomplete;
            const qint64 left = Le16(d + at + 1), top = Le16(d + at + 3);
            const qint64 width = Le16(d + at + 5), height = Le16(d + at + 7);
            at += DescriptorSize + ColourTableSize(d[at + 9]) + 1;
            qint64 lzwBytes = 0;
            if (at > size || SkipSubBlocks(d, size, at, &lzwBytes) < 0)
                return incomplete;
            if (auto refusal = CheckDeclaredSize(std::max(screenWidth, left + width),
                                                 std::max(screenHeight, top + height), size))
                return refusal;
            if (width * height > MaxLzwPixelsPerByte * lzwBytes)
                return Damaged(CannotHold(lzwBytes, width, height));
            return std::nullopt;
        }
        case 0x3B:
            return Damaged(QStringLiteral("the GIF file holds no image"));
        default:
            return Damaged(QStringLiteral("the GIF data has an unknown block (0x%1)")
                               .arg(d[at], 2, 16, QLatin1Char('0')));
        }
    }
    return incomplete;
}

// ---- Portable pixmaps

bool IsPnmSpace(uchar c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The next number of the header, after white space and comments.
std::optional<qint64> PnmNumber(const uchar *d, qint64 size, qint64 *at)
{
    constexpr int MaxDigits = 9;
    while (*at < size && (IsPnmSpace(d[*at]) || d[*at] == '#')) {
        if (d[*at] == '#')
            while (*at < size && d[*at] != '\n' && d[*at] != '\r')
                ++*at;
        else
            ++*at;
    }
    qint64 value = 0;
    int digits = 0;
    for (; *at < size && d[*at] >= '0' && d[*at] <= '9'; ++*at)
        if (++digits <= MaxDigits)
            value = value * 10 + (d[*at] - '0');
    if (digits == 0 || digits > MaxDigits)
        return std::nullopt;
    return value;
}

std::optional<TDecodeResult> CheckPnm(const QByteArray &bytes)
{
    const uchar *d = Bytes(bytes);
    const qint64 size = bytes.size();
    if (size < 3 || d[0] != 'P' || d[1] < '1' || d[1] > '6')
        return NotReadable(QStringLiteral("not a portable pixmap"));
    const int kind = d[1] - '0';
    const bool bitmap = kind == 1 || kind == 4, raw = kind >= 4;
    qint64 at = 2;
    const std::optional<qint64> width = PnmNumber(d, size, &at), height = PnmNumber(d, size, &at);
    const std::optional<qint64> maxValue = bitmap ? std::optional<qint64>(1) : PnmNumber(d, size, &at);
    if (!width || !height || !maxValue || *maxValue < 1 || *maxValue > 65535)
        return Damaged(QStringLiteral("the portable pixmap header is damaged"));
    if (auto refusal = CheckDeclaredSize(*width, *height, std::nullopt))
        return refusal;
    if (raw)
        ++at; // the one white space character before the samples
    const qint64 available = std::max<qint64>(0, size - at);
    const qint64 samples = *width * *height * (kind == 3 || kind == 6 ? 3 : 1);
    // Raw: packed bits, or one or two bytes a sample. Plain: a digit a bit (they need no
    // space between them), a digit and a space for every other sample but the last.
    const qint64 needed = kind == 4   ? (*width + 7) / 8 * *height
                          : raw       ? samples * (*maxValue > 255 ? 2 : 1)
                          : kind == 1 ? samples
                                      : 2 * samples - 1;
    if (available < needed)
        return Damaged(CannotHold(available, *width, *height));
    return std::nullopt;
}

} // namespace

TDecodeResult ReadBmp(const QByteArray &bytes)
{
    if (auto refusal = CheckBmp(bytes))
        return *refusal;
    return ReadWithPlugin(bytes, {"bmp", "bitmap", false, false});
}

TDecodeResult ReadGif(const QByteArray &bytes)
{
    if (auto refusal = CheckGif(bytes))
        return *refusal;
    return ReadWithPlugin(bytes, {"gif", "GIF", false, false});
}

TDecodeResult ReadPnm(const QByteArray &bytes)
{
    if (auto refusal = CheckPnm(bytes))
        return *refusal;
    return ReadWithPlugin(bytes, {"ppm", "portable pixmap", false, false});
}

TDecodeResult ReadTiff(const QByteArray &bytes)
{
    return ReadWithPlugin(bytes, {"tiff", "TIFF", true, false});
}

TDecodeResult ReadWebp(const QByteArray &bytes)
{
    return ReadWithPlugin(bytes, {"webp", "WebP", true, false});
}

TDecodeResult ReadIco(const QByteArray &bytes)
{
    return ReadWithPlugin(bytes, {"ico", "icon", true, true});
}
