#include "codecs/tga.h"

#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr qsizetype HeaderSize = 18;
constexpr qsizetype FooterSize = 26;
constexpr char FooterSignature[18] = "TRUEVISION-XFILE."; // with its closing NUL
constexpr qint64 MaxPacketPixels = 128;

enum class TTgaKind { ColourMapped, TrueColour, Grey };

struct TTgaHeader {
    TTgaKind Kind;
    bool Rle;
    qsizetype DataStart; // after the identification field and the colour map
    qsizetype MapStart;
    int MapFirst;
    int MapLength;
    int MapDepth;
    qint64 Width;
    qint64 Height;
    int Depth;
    int Descriptor;

    int BytesPerPixel() const { return (Depth + 7) / 8; }
    int AlphaBits() const { return Descriptor & 0x0F; }
    bool TopDown() const { return Descriptor & 0x20; }
    bool RightToLeft() const { return Descriptor & 0x10; }
};

int Le16(const uchar *p)
{
    return p[0] | p[1] << 8;
}

bool IsColourDepth(int depth)
{
    return depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

// The header, when it describes an image this reader knows.
std::optional<TTgaHeader> ParseHeader(const uchar *d, qsizetype size)
{
    if (size < HeaderSize || d[1] > 1)
        return std::nullopt;
    TTgaHeader h{};
    const int type = d[2];
    h.Rle = type >= 9;
    h.MapFirst = Le16(d + 3);
    h.MapLength = d[1] == 1 ? Le16(d + 5) : 0;
    h.MapDepth = d[7];
    h.Width = Le16(d + 12);
    h.Height = Le16(d + 14);
    h.Depth = d[16];
    h.Descriptor = d[17];
    switch (type & 7) {
    case 1:
        h.Kind = TTgaKind::ColourMapped;
        if (d[1] != 1 || h.MapLength == 0 || !IsColourDepth(h.MapDepth) || (h.Depth != 8 && h.Depth != 16))
            return std::nullopt;
        break;
    case 2:
        h.Kind = TTgaKind::TrueColour;
        if (!IsColourDepth(h.Depth))
            return std::nullopt;
        break;
    case 3:
        h.Kind = TTgaKind::Grey;
        if (h.Depth != 8 && h.Depth != 16)
            return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    if (type != (type & 7) + (h.Rle ? 8 : 0))
        return std::nullopt;
    h.MapStart = HeaderSize + d[0];
    h.DataStart = h.MapStart + qsizetype(h.MapLength) * ((h.MapDepth + 7) / 8);
    return h;
}

// A 15-, 16-, 24- or 32-bit colour, as pixels and colour maps store them (B, G, R, A).
QRgb Colour(const uchar *p, int depth, bool alpha)
{
    if (depth == 24)
        return qRgb(p[2], p[1], p[0]);
    if (depth == 32)
        return qRgba(p[2], p[1], p[0], alpha ? p[3] : 255);
    const int v = Le16(p);
    const auto five = [](int c) { return c << 3 | c >> 2; };
    return qRgba(five(v >> 10 & 31), five(v >> 5 & 31), five(v & 31), !alpha || (v & 0x8000) ? 255 : 0);
}

// Places the pixels in the order the file gives them, from the corner the header names.
class TTgaSink {
public:
    TTgaSink(QImage &image, const TTgaHeader &h) : Image(image), Header(h) { StartRow(); }

    bool Done() const { return Y == Header.Height; }
    qint64 Left() const { return (Header.Height - Y) * Header.Width - X; }
    void Put(QRgb colour)
    {
        Line[Header.RightToLeft() ? Header.Width - 1 - X : X] = colour;
        if (++X == Header.Width) {
            X = 0;
            if (++Y < Header.Height)
                StartRow();
        }
    }

private:
    void StartRow()
    {
        Line = reinterpret_cast<QRgb *>(Image.scanLine(int(Header.TopDown() ? Y : Header.Height - 1 - Y)));
    }

    QImage &Image;
    const TTgaHeader &Header;
    qint64 X = 0;
    qint64 Y = 0;
    QRgb *Line = nullptr;
};

// Turns the pixel bytes into colours; an index outside the colour map marks the file damaged.
class TTgaPixels {
public:
    TTgaPixels(const TTgaHeader &h, const uchar *map, bool alpha) : Header(h), Alpha(alpha)
    {
        if (h.Kind == TTgaKind::ColourMapped)
            for (int i = 0; i < h.MapLength; ++i)
                Map.push_back(Colour(map + i * ((h.MapDepth + 7) / 8), h.MapDepth, alpha));
    }

    bool BadIndex = false;

    QRgb operator()(const uchar *p)
    {
        switch (Header.Kind) {
        case TTgaKind::Grey:
            return qRgba(p[0], p[0], p[0], Header.Depth == 16 && Alpha ? p[1] : 255);
        case TTgaKind::TrueColour:
            return Colour(p, Header.Depth, Alpha);
        case TTgaKind::ColourMapped:
            break;
        }
        const qint64 index = qint64(Header.Depth == 8 ? p[0] : Le16(p)) - Header.MapFirst;
        if (index < 0 || index >= qint64(Map.size())) {
            BadIndex = true;
            return qRgb(0, 0, 0);
        }
        return Map[size_t(index)];
    }

private:
    const TTgaHeader &Header;
    bool Alpha;
    std::vector<QRgb> Map;
};

bool DeclaresAlpha(const TTgaHeader &h)
{
    const int depth = h.Kind == TTgaKind::ColourMapped ? h.MapDepth : h.Depth;
    return h.AlphaBits() > 0 && (depth == 32 || depth == 16);
}

// Writers that fill the alpha bytes with zeros and still declare them exist; such an image
// would be invisible, so an alpha channel that is zero everywhere counts as unused.
void MakeOpaqueIfInvisible(QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 0)
                return;
    }
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] |= 0xFF000000u;
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
}

QString EndsEarly()
{
    return QStringLiteral("the Targa data ends before the image is complete");
}

} // namespace

bool HasTgaFooter(const QByteArray &bytes)
{
    return bytes.size() >= HeaderSize + FooterSize &&
           std::memcmp(bytes.constData() + bytes.size() - sizeof FooterSignature, FooterSignature,
                       sizeof FooterSignature) == 0;
}

TDecodeResult ReadTga(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype size = bytes.size();
    const std::optional<TTgaHeader> header = ParseHeader(data, size);
    if (!header)
        return NotReadable(QStringLiteral("not a Targa file"));
    const TTgaHeader &h = *header;
    if (h.DataStart > size)
        return Damaged(QStringLiteral("the Targa file ends inside its header"));
    if (auto refusal = CheckDeclaredSize(h.Width, h.Height, std::nullopt))
        return *refusal;

    // The least data the pixels need: all of them uncompressed; with run-length encoding a
    // packet of at most 128 pixels, of a count byte and at least one pixel.
    const qint64 pixels = h.Width * h.Height, bpp = h.BytesPerPixel();
    const qint64 remaining = size - h.DataStart;
    const qint64 floor = h.Rle ? (pixels + MaxPacketPixels - 1) / MaxPacketPixels * (1 + bpp) : pixels * bpp;
    if (remaining < floor)
        return Damaged(CannotHold(remaining, h.Width, h.Height));

    const bool alpha = DeclaresAlpha(h);
    QImage image =
        AllocateImage(int(h.Width), int(h.Height), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return OutOfMemory(h.Width, h.Height);
    TTgaSink sink(image, h);
    TTgaPixels colour(h, data + h.MapStart, alpha);
    const uchar *p = data + h.DataStart, *end = data + size;
    if (!h.Rle) {
        for (; !sink.Done(); p += bpp)
            sink.Put(colour(p));
    } else {
        while (!sink.Done()) {
            if (p == end)
                return Damaged(EndsEarly());
            const int packet = *p++;
            const qint64 count = std::min<qint64>((packet & 0x7F) + 1, sink.Left());
            const qint64 needed = packet & 0x80 ? bpp : count * bpp;
            if (end - p < needed)
                return Damaged(EndsEarly());
            if (packet & 0x80) {
                const QRgb c = colour(p);
                for (qint64 i = 0; i < count; ++i)
                    sink.Put(c);
            } else {
                for (qint64 i = 0; i < count; ++i)
                    sink.Put(colour(p + i * bpp));
            }
            p += needed;
        }
    }
    if (colour.BadIndex)
        return Damaged(QStringLiteral("a pixel of the Targa data is outside its colour map"));
    if (alpha)
        MakeOpaqueIfInvisible(image);
    return Decoded(std::move(image));
}
