// Targa files by pixels and by damage: every kind and depth, plain and run-length encoded,
// from each of the four corners, and truncated, lying and inconsistent files.

#include "codecs/codectestsupport.h"

#include <vector>

using testing::HasSubstr;

namespace {

// Channels of 0, 132 and 255 survive 5-bit storage exactly; alpha 0, 128, 255.
const QRgb Red = qRgb(255, 0, 0), Green = qRgba(0, 255, 0, 128), Blue = qRgb(0, 0, 255),
           Olive = qRgba(132, 132, 0, 0), Grey = qRgb(132, 132, 132), White = qRgb(255, 255, 255);

// 6 x 3, with runs inside a row and across the end of one.
const std::vector<QRgb> Colours = {Red,  Red,  Red,   Green, Blue, Olive, Grey,  Grey, Grey,
                                   Grey, Blue, White, White, Red,  Green, Olive, Blue, Blue};
constexpr int Width = 6, Height = 3;

struct TKind {
    const char *Name;
    int Type; // uncompressed; +8 run-length encoded
    int Depth;
    int MapDepth;
    int AlphaBits;
};

bool IsGrey(const TKind &k)
{
    return k.Type == 3;
}

QRgb AsGrey(QRgb c)
{
    return qRgba(qRed(c), qRed(c), qRed(c), qAlpha(c));
}

// The bytes of one colour at a depth, and the colour they come back as.
QByteArray ColourBytes(QRgb c, int depth, bool grey)
{
    if (grey)
        return depth == 8 ? BytesOf({qRed(c)}) : BytesOf({qRed(c), qAlpha(c)});
    if (depth == 24 || depth == 32) {
        const QByteArray b = BytesOf({qBlue(c), qGreen(c), qRed(c)});
        return depth == 32 ? b + char(qAlpha(c)) : b;
    }
    return Le16(
        quint32(qRed(c) >> 3 << 10 | qGreen(c) >> 3 << 5 | qBlue(c) >> 3 | (qAlpha(c) >= 128 ? 0x8000 : 0)));
}

QRgb Stored(QRgb c, int depth, bool alpha)
{
    const int a = !alpha ? 255 : depth == 16 ? (qAlpha(c) >= 128 ? 255 : 0) : qAlpha(c);
    return qRgba(qRed(c), qGreen(c), qBlue(c), a);
}

// The pixels in file order for the origin bits of the descriptor.
std::vector<QRgb> FileOrder(int descriptor)
{
    std::vector<QRgb> order;
    for (int row = 0; row < Height; ++row)
        for (int column = 0; column < Width; ++column) {
            const int y = descriptor & 0x20 ? row : Height - 1 - row;
            const int x = descriptor & 0x10 ? Width - 1 - column : column;
            order.push_back(Colours[size_t(y * Width + x)]);
        }
    return order;
}

// Packets of runs where pixels repeat, raw packets elsewhere.
QByteArray RunLengthEncoded(const std::vector<QByteArray> &pixels)
{
    QByteArray out;
    for (size_t i = 0; i < pixels.size();) {
        size_t run = 1;
        while (i + run < pixels.size() && pixels[i + run] == pixels[i] && run < 128)
            ++run;
        if (run > 1) {
            out += char(0x80 | (run - 1)) + pixels[i];
        } else {
            size_t raw = 1;
            while (i + raw < pixels.size() && raw < 128 && pixels[i + raw] != pixels[i + raw - 1])
                ++raw;
            out += char(raw - 1);
            for (size_t k = 0; k < raw; ++k)
                out += pixels[i + k];
            run = raw;
        }
        i += run;
    }
    return out;
}

QByteArray FileOf(const TKind &k, bool rle, int descriptor)
{
    const bool mapped = k.Type == 1;
    QByteArray map;
    std::vector<QByteArray> pixels;
    for (QRgb c : FileOrder(descriptor)) {
        if (mapped) {
            const qsizetype index = std::find(Colours.begin(), Colours.end(), c) - Colours.begin();
            pixels.push_back(k.Depth == 8 ? QByteArray(1, char(index)) : Le16(quint32(index)));
        } else {
            pixels.push_back(ColourBytes(IsGrey(k) ? AsGrey(c) : c, k.Depth, IsGrey(k)));
        }
    }
    if (mapped)
        for (QRgb c : Colours)
            map += ColourBytes(c, k.MapDepth, false);
    QByteArray data;
    for (const QByteArray &p : pixels)
        data += p;
    return TgaFile(k.Type + (rle ? 8 : 0), k.Depth, Width, Height, descriptor | k.AlphaBits,
                   rle ? RunLengthEncoded(pixels) : data, map, k.MapDepth);
}

QImage ExpectedOf(const TKind &k)
{
    const int depth = k.Type == 1 ? k.MapDepth : k.Depth;
    const bool alpha = k.AlphaBits > 0;
    QImage image(Width, Height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const QRgb c = Colours[size_t(y * Width + x)];
            image.setPixel(x, y,
                           IsGrey(k) ? Stored(AsGrey(c), depth == 16 && alpha ? 32 : 24, alpha)
                                     : Stored(c, depth, alpha));
        }
    return image;
}

const TKind Kinds[] = {
    {"true colour 24", 2, 24, 0, 0},
    {"true colour 32 with alpha", 2, 32, 0, 8},
    {"true colour 32, alpha unused", 2, 32, 0, 0},
    {"true colour 16 with alpha bit", 2, 16, 0, 1},
    {"true colour 15", 2, 15, 0, 0},
    {"grey 8", 3, 8, 0, 0},
    {"grey 16 with alpha", 3, 16, 0, 8},
    {"mapped 8 to 24", 1, 8, 24, 0},
    {"mapped 16 to 32 with alpha", 1, 16, 32, 8},
};

} // namespace

TEST(TgaDecode, ReadsEveryKindFromEveryCorner)
{
    for (const TKind &k : Kinds)
        for (const bool rle : {false, true})
            for (const int origin : {0x00, 0x10, 0x20, 0x30}) {
                QString error;
                const QImage image =
                    LoadBytesAsFile(FileOf(k, rle, origin), QStringLiteral("picture.tga"), &error);
                EXPECT_TRUE(NearPixels(image, ExpectedOf(k)))
                    << k.Name << (rle ? ", run-length" : "") << ", origin " << origin << ": " << Text(error);
                EXPECT_EQ(image.format(), k.AlphaBits ? QImage::Format_ARGB32 : QImage::Format_RGB32)
                    << k.Name;
            }
}

TEST(TgaDecode, AlphaThatIsZeroEverywhereIsTakenAsUnused)
{
    const QByteArray pixels = QByteArray("\x10\x20\x30\x00", 4).repeated(4);
    const QImage image = LoadBytesAsFile(TgaFile(2, 32, 2, 2, 8, pixels), QStringLiteral("clear.tga"));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(1, 1), qRgb(0x30, 0x20, 0x10));
}

TEST(TgaDecode, RefusesDamagedAndLyingFiles)
{
    const QByteArray plain = FileOf(Kinds[0], false, 0), packed = FileOf(Kinds[0], true, 0);
    const QByteArray map = QByteArray(3, '\0').repeated(4);
    const struct {
        const char *Name;
        QByteArray Tga;
        std::string Message;
    } cases[] = {
        {"pixels cut short", plain.chopped(5), "is damaged: 49 bytes cannot hold a 6 by 3 pixel image"},
        {"packets cut short", packed.chopped(2),
         "is damaged: the Targa data ends before the image is complete"},
        {"an index beyond the map", TgaFile(1, 8, 2, 1, 0, "\x01\x07", map, 24), "outside its colour map"},
        {"a colour map beyond the file", TgaFile(1, 8, 2, 1, 0, {}, map, 24).left(24),
         "ends inside its header"},
        {"65535 x 65535", TgaFile(2, 24, 65535, 65535, 0, "abc"), "is too large: 65535 by 65535 pixels"},
        {"16000 x 16000 plain", TgaFile(2, 24, 16000, 16000, 0, "abc"), "cannot hold a 16000 by 16000"},
        {"16000 x 16000 packed", TgaFile(10, 24, 16000, 16000, 0, QByteArray("\xFF\1\2\3", 4).repeated(100)),
         "cannot hold a 16000 by 16000"},
        {"no pixels", TgaFile(2, 24, 0, 5, 0, {}), "the header declares 0 by 5 pixels"},
        {"unknown image type", TgaFile(5, 24, 2, 2, 0, QByteArray(12, 'x')),
         "is not a picture this program can read"},
        {"unknown depth", TgaFile(2, 12, 2, 2, 0, QByteArray(12, 'x')),
         "is not a picture this program can read"},
    };
    for (const auto &c : cases)
        EXPECT_TRUE(RefusedWithSmallAllocations(
            [&](QString *e) { return LoadBytesAsFile(c.Tga, QStringLiteral("picture.vst"), e); }, c.Message))
            << c.Name;
}
