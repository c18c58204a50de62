// The registry and the files it loads: every offered format by every extension, content over
// extension, the messages for what cannot be read, the header checks in front of Qt's plugins,
// and the size SVG drawings render at.

#include "codecs/codectestsupport.h"
#include "codecs/imagecodecs.h"
#include "common/testsupport.h"

#include <QImageWriter>
#include <QTemporaryDir>
#include <cmath>
#include <limits>
#include <vector>

using testing::HasSubstr;

namespace {

const QImage Photo = Blocks(48, 32);

QImage WithAlpha(QImage image)
{
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int x = 0; x < image.width(); ++x)
        image.setPixel(x, 0, qRgba(10, 20, 30, 255 - x)); // high enough to survive premultiplying
    return image;
}

// A Windows bitmap with a 40-byte header; a negative height stores the rows top-down.
QByteArray BmpFile(qint32 width, qint32 height, int bits, quint32 compression, const QByteArray &palette,
                   const QByteArray &data)
{
    const quint32 offset = 14 + 40 + quint32(palette.size());
    return "BM" + Le32(offset + quint32(data.size())) + Le32(0) + Le32(offset) + Le32(40) +
           Le32(quint32(width)) + Le32(quint32(height)) + Le16(1) + Le16(quint32(bits)) + Le32(compression) +
           Le32(quint32(data.size())) + Le32(2835) + Le32(2835) + Le32(quint32(palette.size() / 4)) +
           Le32(0) + palette + data;
}

// LZW sub-blocks that hold the indices as 9-bit literal codes, with a clear code often enough
// that the code size never grows.
QByteArray LzwLiterals(const std::vector<int> &indices)
{
    constexpr int Clear = 256, End = 257, CodesPerClear = 250;
    QByteArray packed;
    quint32 buffer = 0;
    int bits = 0;
    const auto put = [&](int code) {
        buffer |= quint32(code) << bits;
        for (bits += 9; bits >= 8; bits -= 8, buffer >>= 8)
            packed += char(buffer & 0xFF);
    };
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i % CodesPerClear == 0)
            put(Clear);
        put(indices[i]);
    }
    put(End);
    if (bits > 0)
        packed += char(buffer & 0xFF);
    QByteArray blocks;
    for (qsizetype at = 0; at < packed.size(); at += 255)
        blocks += char(std::min<qsizetype>(255, packed.size() - at)) + packed.mid(at, 255);
    return blocks;
}

QByteArray GifFile(int screenWidth, int screenHeight, int width, int height, const QByteArray &lzw,
                   const QList<QRgb> &palette = {})
{
    QByteArray table;
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : 0;
        table += BytesOf({qRed(c), qGreen(c), qBlue(c)});
    }
    return "GIF89a" + Le16(quint32(screenWidth)) + Le16(quint32(screenHeight)) + QByteArray("\xF7\0\0", 3) +
           table + "\x2C" + Le32(0) + Le16(quint32(width)) + Le16(quint32(height)) + QByteArray("\0\x08", 2) +
           lzw + QByteArray("\0\x3B", 2);
}

QByteArray GifOf(const QImage &image)
{
    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8);
    std::vector<int> indices;
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x)
            indices.push_back(indexed.pixelIndex(x, y));
    return GifFile(image.width(), image.height(), image.width(), image.height(), LzwLiterals(indices),
                   indexed.colorTable());
}

// A greyscale TIFF whose one strip of stripBytes follows the first IFD; pixels may be fewer.
QByteArray GreyTiff(int width, int height, quint32 stripBytes, const QByteArray &pixels)
{
    struct TEntry {
        int Tag, Type;
        quint32 Value;
    };
    const TEntry entries[] = {{256, 4, quint32(width)},
                              {257, 4, quint32(height)},
                              {258, 3, 8},
                              {259, 3, 1},
                              {262, 3, 1},
                              {273, 4, 8 + 2 + 9 * 12 + 4},
                              {277, 3, 1},
                              {278, 4, quint32(height)},
                              {279, 4, stripBytes}};
    QByteArray tiff = QByteArray("II*\0", 4) + Le32(8) + Le16(9);
    for (const TEntry &e : entries)
        tiff += Le16(quint32(e.Tag)) + Le16(quint32(e.Type)) + Le32(1) + Le32(e.Value);
    return tiff + Le32(0) + pixels;
}

// The WebP file with its header declaring another size, in the lossless or the extended form.
QByteArray WithWebpSize(const QByteArray &webp, quint32 width, quint32 height)
{
    QByteArray out = webp;
    if (webp.mid(12, 4) == "VP8L")
        out.replace(21, 4, Le32((width - 1) | (height - 1) << 14 | (uchar(webp[24]) >> 4) << 28));
    else
        out.replace(24, 6, Le32(width - 1).left(3) + Le32(height - 1).left(3));
    return out;
}

QByteArray IconOf(const std::vector<QImage> &images)
{
    QByteArray directory = QByteArray("\0\0\1\0", 4) + Le16(quint32(images.size())), data;
    const quint32 start = 6 + 16 * quint32(images.size());
    for (const QImage &image : images) {
        const QByteArray single = SavedAs(image, "ICO");
        directory += single.mid(6, 12) + Le32(start + quint32(data.size()));
        data += single.mid(22);
    }
    return directory + data;
}

QByteArray Svg(const char *attributes, const char *content = "<rect width='1' height='1' fill='red'/>")
{
    return QByteArray("<?xml version='1.0'?>\n<svg xmlns='http://www.w3.org/2000/svg' ") + attributes + ">" +
           content + "</svg>";
}

QImage HalfRed(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width / 2; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return image;
}

QByteArray TgaOf(const QImage &image, bool footer = false)
{
    QByteArray pixels;
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            pixels += BytesOf({qBlue(c), qGreen(c), qRed(c)});
        }
    return TgaFile(2, 24, image.width(), image.height(), 0, pixels, {}, 0, footer);
}

struct TSample {
    QString Description;
    QByteArray Bytes;
    QImage Expected;
};

// A file of every format the registry should offer, and what it shows.
const std::vector<TSample> &Samples()
{
    static const std::vector<TSample> samples = [] {
        const QByteArray jpeg = SavedAs(Photo, "JPEG", 95);
        const QImage alpha = WithAlpha(Photo);
        return std::vector<TSample>{
            {"JPEG image", jpeg, QImage::fromData(jpeg).convertToFormat(QImage::Format_RGB32)},
            {"PNG image", SavedAs(alpha, "PNG"), alpha},
            {"Windows bitmap", SavedAs(Photo, "BMP"), Photo},
            {"GIF image", GifOf(Photo), Photo},
            {"TIFF image", SavedAs(alpha, "TIFF"), alpha},
            {"WebP image", SavedAs(alpha, "WEBP", 100), alpha},
            {"SVG drawing", Svg("width='2in' height='1in' viewBox='0 0 2 1'"), HalfRed(600, 300)},
            {"Windows icon", SavedAs(alpha, "ICO"), alpha},
            {"Portable pixmap", SavedAs(Photo, "PPM"), Photo},
            {"Targa image", TgaOf(Photo), Photo},
        };
    }();
    return samples;
}

const TSample &SampleOf(const QString &description)
{
    for (const TSample &s : Samples())
        if (s.Description == description)
            return s;
    ADD_FAILURE() << "no sample of " << Text(description);
    return Samples().front();
}

} // namespace

TEST(ImageRegistry, OffersWhatLoadsHereAndNothingElse)
{
    QStringList descriptions, extensions;
    for (const TImageFormat &f : ImageFormats()) {
        descriptions << f.Description;
        extensions << f.Extensions;
    }
    EXPECT_EQ(descriptions,
              QStringList({"JPEG image", "PNG image", "Windows bitmap", "GIF image", "TIFF image",
                           "WebP image", "SVG drawing", "Windows icon", "Portable pixmap", "Targa image"}));
    EXPECT_EQ(extensions.removeDuplicates(), 0);
    for (const char *missing : {"wmf", "emf", "pcd", "psd", "pdd", "psp", "sgi", "rgb", "rgba", "bw", "pcx",
                                "pcc", "scr", "rla", "rpf", "cel", "pic", "cut", "eps"})
        EXPECT_FALSE(extensions.contains(missing)) << missing;

    const QStringList filter = ImageFileFilter().split('|');
    ASSERT_EQ(filter.size(), 2 * (descriptions.size() + 1));
    EXPECT_EQ(filter[0], "All pictures");
    EXPECT_EQ(filter[1], "*." + extensions.join(";*."));
    EXPECT_EQ(filter[2], "JPEG image");
    EXPECT_EQ(filter[3], "*.jpg;*.jpeg;*.jpe;*.jfif");
    EXPECT_EQ(filter.last(), "*.tga;*.vst;*.vda;*.icb;*.win");
}

TEST(ImageFiles, LoadEveryOfferedFormatByEveryExtension)
{
    for (const TImageFormat &format : ImageFormats()) {
        const TSample &sample = SampleOf(format.Description);
        for (const QString &extension : format.Extensions) {
            // The first extension in capitals: case does not matter.
            const QString name =
                "picture." + (extension == format.Extensions[0] ? extension.toUpper() : extension);
            QString error = "stale";
            const QImage image = LoadBytesAsFile(sample.Bytes, name, &error);
            EXPECT_TRUE(NearPixels(image, sample.Expected, 1)) << Text(name) << ": " << Text(error);
            EXPECT_EQ(image.format(),
                      sample.Expected.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32)
                << Text(name);
            EXPECT_TRUE(error.isEmpty()) << Text(name);
        }
    }
}

TEST(ImageFiles, TheContentDecidesOverTheExtension)
{
    const struct {
        const char *Name;
        QByteArray Bytes;
        QString FileName;
        QImage Expected;
    } cases[] = {
        {"PNG named .dat", SampleOf("PNG image").Bytes, "picture.dat", WithAlpha(Photo)},
        {"JPEG named .png", SampleOf("JPEG image").Bytes, "picture.png", SampleOf("JPEG image").Expected},
        {"bitmap named .jpg", SampleOf("Windows bitmap").Bytes, "picture.jpg", Photo},
        {"SVG named .txt", SampleOf("SVG drawing").Bytes, "logo.txt", HalfRed(600, 300)},
        {"Targa 2 named .dat", TgaOf(Photo, true), "picture.dat", Photo},
        {"Targa 1 named .dat", TgaOf(Photo), "picture.dat", {}},
        {"text named .jpg", "Not a picture at all", "picture.jpg", {}},
    };
    for (const auto &c : cases) {
        QString error;
        const QImage image = LoadBytesAsFile(c.Bytes, c.FileName, &error);
        if (c.Expected.isNull()) {
            EXPECT_TRUE(image.isNull()) << c.Name;
            EXPECT_EQ(error, "The file \u201c" + c.FileName + "\u201d is not a picture this program can read")
                << c.Name;
        } else {
            EXPECT_TRUE(NearPixels(image, c.Expected, 1)) << c.Name << ": " << Text(error);
        }
    }
}

TEST(ImageFiles, SayWhyAFileCannotBeRead)
{
    QTemporaryDir folder;
    const QString empty = folder.filePath("empty.png");
    QFile(empty).open(QIODevice::WriteOnly);
    const struct {
        const char *Name;
        QString Path;
        QString Message;
    } cases[] = {
        {"missing", "/no/such/folder/photo.jpg",
         "The file \u201cphoto.jpg\u201d cannot be opened: No such file or directory"},
        {"a folder", folder.path(),
         "The file \u201c" + QFileInfo(folder.path()).fileName() + "\u201d cannot be opened: it is a folder"},
        {"a device", "/dev/zero", "The file \u201czero\u201d cannot be opened: it is not a regular file"},
        {"empty", empty, "The file \u201cempty.png\u201d is empty"},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_TRUE(LoadImageFile(c.Path, &error).isNull()) << c.Name;
        EXPECT_EQ(error, c.Message) << c.Name;
    }
    QString error;
    LoadBytesAsFile(SampleOf("JPEG image").Bytes.left(400), "cut.jpg", &error);
    EXPECT_THAT(Text(error), HasSubstr("The file \u201ccut.jpg\u201d is damaged: "));
    LoadBytesAsFile(BmpFile(100000, 100000, 24, 0, {}, "abc"), "huge.bmp", &error);
    EXPECT_EQ(error, "The file \u201chuge.bmp\u201d is too large: 100000 by 100000 pixels");
}

TEST(PluginFormats, RefuseLyingTruncatedAndDamagedFilesBeforeAllocating)
{
    const QByteArray bmp = SampleOf("Windows bitmap").Bytes, ppm = SampleOf("Portable pixmap").Bytes;
    const QByteArray gif = SampleOf("GIF image").Bytes, webp = SampleOf("WebP image").Bytes;
    const QByteArray palette = QByteArray(4, '\0') + QByteArray("\xFF\xFF\xFF\0", 4);
    const struct {
        const char *Name;
        QByteArray Bytes;
        std::string Message;
    } cases[] = {
        {"bitmap of 100000 x 100000", BmpFile(100000, 100000, 24, 0, {}, "abc"),
         "The picture is too large: 100000 by 100000 pixels"},
        {"bitmap of 16000 x 16000", BmpFile(16000, 16000, 24, 0, {}, QByteArray(100, 'x')),
         "cannot hold a 16000 by 16000"},
        {"bitmap cut short", bmp.left(bmp.size() * 6 / 10), "cannot hold a 48 by 32 pixel image"},
        {"bitmap data beyond the file", QByteArray(bmp).replace(10, 4, Le32(1 << 20)),
         "lies beyond the end of the file"},
        {"run-length bitmap without its end",
         BmpFile(4, 2, 8, 1, palette, QByteArray("\x04\x01\0\0\x02\0", 6)),
         "the compressed bitmap data ends before the image is complete"},
        {"run-length bitmap of 16000 x 16000", BmpFile(16000, 16000, 8, 1, palette, QByteArray("\0\1", 2)),
         "cannot hold a 16000 by 16000"},
        {"bitmap holding a JPEG", BmpFile(4, 2, 24, 4, {}, "abc"), "(a bitmap compressed by method 4)"},
        {"GIF screen of 16000 x 16000", GifFile(16000, 16000, 1, 1, QByteArray("\x02\x44\x01", 3)),
         "cannot hold a 16000 by 16000"},
        {"GIF frame of 4000 x 4000", GifFile(4000, 4000, 4000, 4000, QByteArray("\x04\0\1\2\3", 5)),
         "4 bytes cannot hold a 4000 by 4000"},
        {"GIF cut in its image", gif.left(gif.size() - 40),
         "the GIF data ends before its first image is complete"},
        {"GIF without an image", gif.left(13 + 768) + ";", "the GIF file holds no image"},
        {"pixmap of 16000 x 16000", "P6\n16000 16000\n255\n" + QByteArray(100, 'x'),
         "cannot hold a 16000 by 16000"},
        {"pixmap cut short", ppm.chopped(10), "cannot hold a 48 by 32"},
        {"plain pixmap cut short", "P3\n2 2\n255\n1 2 3\n", "cannot hold a 2 by 2"},
        {"pixmap header damaged", "P6\n-5 3\n255\n", "the portable pixmap header is damaged"},
        {"TIFF of 16000 x 16000", GreyTiff(16000, 16000, 16000 * 16000, QByteArray(100, 'x')),
         "cannot hold a 16000 by 16000"},
        {"TIFF strip cut short", GreyTiff(4, 4, 16, QByteArray(8, 'x')), "the TIFF data cannot be read"},
        {"WebP of 16383 x 16383", WithWebpSize(webp, 16383, 16383), "cannot hold a 16383 by 16383"},
        {"WebP cut short", webp.chopped(20), "the WebP data cannot be read"},
        {"icon cut short", SampleOf("Windows icon").Bytes.chopped(100), "the icon data cannot be read"},
        {"SVG cut short", SampleOf("SVG drawing").Bytes.chopped(20), "the SVG drawing cannot be read"},
        {"markup that is not SVG", "<html><svg/></html>",
         "Not a picture this program can read (not an SVG drawing)"},
    };
    for (const auto &c : cases)
        EXPECT_TRUE(
            RefusedWithSmallAllocations([&](QString *e) { return DecodeImage(c.Bytes, e); }, c.Message))
            << c.Name;
}

TEST(PluginFormats, ReadWhatTheirChecksLetThrough)
{
    const QByteArray palette = QByteArray("\0\0\xFF\0", 4) + QByteArray("\xFF\0\0\0", 4);
    QImage rle(4, 2, QImage::Format_RGB32);
    rle.fill(qRgb(0, 0, 255));
    rle.setPixel(0, 0, qRgb(255, 0, 0));
    rle.setPixel(1, 0, qRgb(255, 0, 0));
    QImage topDown(2, 2, QImage::Format_RGB32);
    topDown.fill(qRgb(1, 2, 3));
    topDown.setPixel(1, 1, qRgb(4, 5, 6));
    const QImage grey =
        Photo.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
    const QImage mono = Photo.convertToFormat(QImage::Format_Mono).convertToFormat(QImage::Format_RGB32);
    QImage plain(3, 1, QImage::Format_RGB32);
    plain.setPixel(0, 0, qRgb(255, 0, 0)), plain.setPixel(1, 0, qRgb(0, 0, 255)),
        plain.setPixel(2, 0, qRgb(0, 0, 0));
    QImage stored = Photo;
    const QByteArray turnedTiff = WrittenBytes([&](QIODevice &buffer) {
        QImageWriter writer(&buffer, "TIFF");
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        writer.write(stored);
    });
    const struct {
        const char *Name;
        QByteArray Bytes;
        QImage Expected;
    } cases[] = {
        // Bottom row: a run of four of index 1; top row: two of index 0, two of index 1.
        {"run-length bitmap", BmpFile(4, 2, 8, 1, palette, QByteArray("\x04\x01\0\0\x02\0\x02\x01\0\1", 10)),
         rle},
        {"top-down bitmap", BmpFile(2, -2, 32, 0, {}, QByteArray("\3\2\1\0\3\2\1\0\3\2\1\0\6\5\4\0", 16)),
         topDown},
        {"largest image of an icon", IconOf({WithAlpha(Blocks(16, 16)), WithAlpha(Photo)}), WithAlpha(Photo)},
        {"greymap", SavedAs(grey, "PGM"), grey},
        {"bitmap pixmap", SavedAs(mono, "PBM"), mono},
        {"plain pixmap", "P3\n# made by hand\n3 1\n255\n255 0 0  0 0 255  0 0 0", plain},
        {"TIFF turned by its orientation tag", turnedTiff, UprightOf(stored, 6)},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_TRUE(NearPixels(DecodeImage(c.Bytes, &error), c.Expected, 1)) << c.Name << ": " << Text(error);
    }
}

TEST(SvgDrawings, RenderAtThreeHundredPixelsPerInchOfTheirDeclaredSize)
{
    const struct {
        const char *Attributes;
        QSize Size;
        int DotsPerMeter; // 11811 is 300 per inch
    } cases[] = {
        {"width='2in' height='1in'", {600, 300}, 11811},
        {"width='192px' height='96'", {600, 300}, 11811},
        {"width='5.08cm' height='25.4mm'", {600, 300}, 11811},
        {"width='144pt' height='6pc'", {600, 300}, 11811},
        {"viewBox='0 0 192 96'", {600, 300}, 11811},
        {"width='2in' height='100%' viewBox='0 0 20 10'", {600, 300}, 11811},
        {"width='4in' height='3em' viewBox='0,0,40,10'", {1200, 300}, 11811},
        {"height='0.5in' viewBox='0 0 30 10'", {450, 150}, 11811},
        {"width='0.001in' height='0.001in'", {1, 1}, 39370},
    };
    for (const auto &c : cases) {
        QString error;
        const QImage image = DecodeImage(Svg(c.Attributes), &error);
        EXPECT_EQ(image.size(), c.Size) << c.Attributes << ": " << Text(error);
        EXPECT_EQ(image.dotsPerMeterX(), c.DotsPerMeter) << c.Attributes;
    }
    // Beyond any label: fewer pixels per inch, within the bound, in proportion.
    const QImage huge = DecodeImage(Svg("width='1000in' height='500in'", ""));
    EXPECT_LE(qint64(huge.width()) * huge.height(), qint64(1) << 26);
    EXPECT_GT(qint64(huge.width()) * huge.height(), qint64(1) << 25);
    EXPECT_NEAR(double(huge.width()) / huge.height(), 2.0, 0.01);
}

TEST(SvgDrawings, RecordTheirResolutionAsNearAsAnIntHoldsIt)
{
    constexpr int Densest = std::numeric_limits<int>::max();
    const struct {
        const char *Attributes;
        QSize Size;
        int DotsPerMeterX;
        int DotsPerMeterY;
    } cases[] = {
        {"width='1e-5in' height='1e-5in'", {1, 1}, 3937008, 3937008},
        {"width='1e-8in' height='1e-8in'", {1, 1}, Densest, Densest},
        {"width='1e-300in' height='1e-300in'", {1, 1}, Densest, Densest},
        {"width='1e300in' height='1e-300in'", {65535, 1}, 1, Densest},
    };
    for (const auto &c : cases) {
        QString error;
        const QImage image = DecodeImage(Svg(c.Attributes), &error);
        EXPECT_EQ(image.size(), c.Size) << c.Attributes << ": " << Text(error);
        EXPECT_EQ(image.dotsPerMeterX(), c.DotsPerMeterX) << c.Attributes;
        EXPECT_EQ(image.dotsPerMeterY(), c.DotsPerMeterY) << c.Attributes;
    }
}

TEST(SvgDrawings, RefuseSizesWhosePixelsCannotBeCounted)
{
    // Each side a finite number of inches and the area one square inch, but 300 pixels an inch
    // of the long side is beyond every double.
    const char *const attributes[] = {
        "width='1e306in' height='1e-306in'",
        "width='1e-306in' height='1e306in'",
        "width='1e200in' height='1e200in'",
    };
    for (const char *a : attributes)
        EXPECT_TRUE(RefusedWithSmallAllocations([&](QString *e) { return DecodeImage(Svg(a), e); },
                                                "the SVG drawing declares no size it can be drawn at"))
            << a;
}

TEST(ImageData, DecodersSayWhatTheyCannotRead)
{
    const struct {
        const char *Name;
        std::function<QImage(QString *)> Decode;
        std::string Message;
    } cases[] = {
        {"a JPEG as a bitmap", [](QString *e) { return DecodeBmp(SampleOf("JPEG image").Bytes, e); },
         "Not a picture this program can read (not a Windows bitmap)"},
        {"a bitmap as a JPEG", [](QString *e) { return DecodeJpeg(SampleOf("Windows bitmap").Bytes, e); },
         "Not a picture this program can read (not a JPEG file)"},
        {"a Targa without footer", [](QString *e) { return DecodeImage(TgaOf(Photo), e); },
         "Not a picture this program can read"},
        {"a cut bitmap", [](QString *e) { return DecodeBmp(SampleOf("Windows bitmap").Bytes.left(500), e); },
         "The picture data is damaged: "},
    };
    for (const auto &c : cases)
        EXPECT_TRUE(RefusedWithSmallAllocations(c.Decode, c.Message)) << c.Name;
}

TEST(ImageData, DecodeImageKnowsEveryFormatBySignature)
{
    for (const TSample &sample : Samples()) {
        if (sample.Description == "Targa image")
            continue; // a version 1 Targa file has no signature
        QString error;
        EXPECT_TRUE(NearPixels(DecodeImage(sample.Bytes, &error), sample.Expected, 1))
            << Text(sample.Description) << ": " << Text(error);
    }
}
