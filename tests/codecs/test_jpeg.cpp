// JPEG decoding by pixels and by damage: Qt's own reader (the same libjpeg) as the oracle for
// the pixels, every colour space, the eight EXIF orientations, and truncated, corrupt and
// lying files.

#include "codecs/codectestsupport.h"
#include "codecs/imagecodecs.h"

#include <array>
#include <jpeglib.h>

using testing::HasSubstr;

namespace {

const QImage Photo = Blocks(48, 32);

TJpegRecipe RecipeOf(const QImage &image)
{
    TJpegRecipe recipe;
    recipe.Width = image.width();
    recipe.Height = image.height();
    recipe.Sample = [image](int x, int y, uchar *s) {
        const QRgb c = image.pixel(x, y);
        s[0] = uchar(qRed(c)), s[1] = uchar(qGreen(c)), s[2] = uchar(qBlue(c));
    };
    return recipe;
}

TJpegRecipe With(TJpegRecipe recipe, const std::function<void(TJpegRecipe &)> &change)
{
    change(recipe);
    return recipe;
}

QImage QtDecoded(const QByteArray &jpeg)
{
    return QImage::fromData(jpeg, "JPEG").convertToFormat(QImage::Format_RGB32);
}

QImage Decoded(const QByteArray &jpeg)
{
    QString error;
    const QImage image = DecodeJpeg(jpeg, &error);
    EXPECT_TRUE(error.isEmpty()) << Text(error);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    return image;
}

QImage Flat(QRgb colour)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

const TJpegRecipe Baseline = RecipeOf(Photo);
const TJpegRecipe Progressive = With(Baseline, [](TJpegRecipe &s) { s.Progressive = true; });
const TJpegRecipe Arithmetic = With(Baseline, [](TJpegRecipe &s) { s.Arithmetic = true; });
const TJpegRecipe Restarts = With(Baseline, [](TJpegRecipe &s) { s.RestartRows = 1; });

} // namespace

TEST(JpegDecode, GivesThePixelsOfQtsReader)
{
    QImage grey = Photo.convertToFormat(QImage::Format_Grayscale8);
    const struct {
        const char *Name;
        QByteArray Jpeg;
    } cases[] = {
        {"baseline", SavedAs(Photo, "JPEG", 95)},
        {"quality 30", SavedAs(Photo, "JPEG", 30)},
        {"greyscale", SavedAs(grey, "JPEG", 90)},
        {"odd size", SavedAs(Blocks(37, 21), "JPEG", 90)},
        {"one pixel", SavedAs(Blocks(1, 1), "JPEG", 90)},
        {"progressive", WriteJpeg(Progressive)},
        {"arithmetic", WriteJpeg(Arithmetic)},
        {"restart markers", WriteJpeg(Restarts)},
        {"RGB without transform", WriteJpeg(With(Baseline, [](TJpegRecipe &s) { s.ColorSpace = JCS_RGB; }))},
    };
    for (const auto &c : cases)
        EXPECT_TRUE(NearPixels(Decoded(c.Jpeg), QtDecoded(c.Jpeg))) << c.Name;
}

TEST(JpegDecode, ConvertsEveryColourSpaceToRgb)
{
    // Ink of 0, 50%, 100% and 20%: light of (1 - ink) * (1 - black) on each channel.
    const std::array<uchar, 4> ink = {0, 128, 255, 51};
    const QRgb inked = qRgb(204, 102, 0);
    const auto samples = [](std::array<uchar, 4> v, bool inverted) {
        return [v, inverted](int, int, uchar *s) {
            for (int i = 0; i < 4; ++i)
                s[i] = inverted ? uchar(255 - v[i]) : v[i];
        };
    };
    const auto cmyk = [&](int space, bool adobe, bool inverted) {
        TJpegRecipe s;
        s.Components = 4, s.ColorSpace = space, s.AdobeMarker = adobe, s.Sample = samples(ink, inverted);
        return s;
    };
    TJpegRecipe grey;
    grey.Components = 1, grey.Sample = [](int, int, uchar *s) { s[0] = 77; };
    const struct {
        const char *Name;
        TJpegRecipe Recipe;
        QRgb Expected;
    } cases[] = {
        {"greyscale", grey, qRgb(77, 77, 77)},
        {"YCbCr", RecipeOf(Flat(qRgb(200, 100, 50))), qRgb(200, 100, 50)},
        {"RGB", With(RecipeOf(Flat(qRgb(200, 100, 50))), [](TJpegRecipe &s) { s.ColorSpace = JCS_RGB; }),
         qRgb(200, 100, 50)},
        {"CMYK as ink, no Adobe marker", cmyk(JCS_CMYK, false, false), inked},
        {"CMYK inverted, Adobe marker", cmyk(JCS_CMYK, true, true), inked},
        {"YCCK inverted, Adobe marker", cmyk(JCS_YCCK, true, true), inked},
    };
    for (const auto &c : cases)
        EXPECT_TRUE(NearPixels(Decoded(WriteJpeg(c.Recipe)), Flat(c.Expected), 3)) << c.Name;
}

TEST(JpegDecode, TurnsThePhotographUprightByItsExifOrientation)
{
    for (const bool bigEndian : {false, true})
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const QByteArray stored = SavedAs(StoredFor(Photo, orientation), "JPEG", 95);
            const QImage decoded = Decoded(InsertAfterSoi(stored, ExifSegment(orientation, bigEndian)));
            EXPECT_TRUE(NearPixels(decoded, UprightOf(QtDecoded(stored), orientation)))
                << "orientation " << orientation << (bigEndian ? ", big-endian" : ", little-endian");
        }
}

TEST(JpegDecode, DamagedOrForeignExifLeavesTheImageAsStored)
{
    const QByteArray tiff = ExifTiff(6, false);
    const auto changed = [&](qsizetype at, const QByteArray &bytes) {
        return QByteArray(tiff).replace(at, bytes.size(), bytes);
    };
    const QByteArray xmp =
        QByteArray("\xFF\xE1", 2) + Be16(2 + 29 + 4) + QByteArray("http://ns.adobe.com/xap/1.0/\0<x/>", 33);
    const qsizetype orientationEntry = 8 + 2 + 12;
    const struct {
        const char *Name;
        QByteArray Segments;
        int Orientation;
    } cases[] = {
        {"IFD beyond the block", ExifSegmentOf(changed(4, Le32(5000))), 1},
        {"IFD at the block's last byte", ExifSegmentOf(changed(4, Le32(quint32(tiff.size() - 1)))), 1},
        {"more entries than the block holds", ExifSegmentOf(changed(8, Le16(60000))), 6},
        {"orientation 0", ExifSegmentOf(changed(orientationEntry + 8, Le16(0))), 1},
        {"orientation 9", ExifSegmentOf(changed(orientationEntry + 8, Le16(9))), 1},
        {"orientation as text", ExifSegmentOf(changed(orientationEntry + 2, Le16(2))), 1},
        {"block cut in the orientation entry", ExifSegmentOf(tiff.left(orientationEntry + 6)), 1},
        {"no TIFF header", ExifSegmentOf("II"), 1},
        {"unknown byte order", ExifSegmentOf(changed(0, "IM")), 1},
        {"XMP, then EXIF", xmp + ExifSegment(6, true), 6},
    };
    const QImage stored = Blocks(48, 32);
    const QByteArray jpeg = SavedAs(stored, "JPEG", 95);
    for (const auto &c : cases)
        EXPECT_TRUE(
            NearPixels(Decoded(InsertAfterSoi(jpeg, c.Segments)), UprightOf(QtDecoded(jpeg), c.Orientation)))
            << c.Name;
}

TEST(JpegDecode, ReadsAFileThatLostOnlyItsEndMarker)
{
    for (const TJpegRecipe &recipe : {Baseline, Progressive, Restarts}) {
        const QByteArray jpeg = WriteJpeg(recipe);
        ASSERT_TRUE(jpeg.endsWith("\xFF\xD9"));
        EXPECT_TRUE(NearPixels(Decoded(jpeg.chopped(2)), Decoded(jpeg)))
            << "progressive " << recipe.Progressive;
        EXPECT_TRUE(NearPixels(Decoded(jpeg + "trailing bytes"), Decoded(jpeg)));
    }
}

TEST(JpegDecode, RefusesDataThatEndsBeforeTheLastPixel)
{
    const std::string damaged = "The picture data is damaged: ";
    const std::string endsEarly = damaged + "the JPEG data ends before the image is complete";
    for (const TJpegRecipe &recipe : {Baseline, Progressive, Arithmetic, Restarts}) {
        const QByteArray jpeg = WriteJpeg(recipe);
        const qsizetype data = FirstScanData(jpeg), size = jpeg.size();
        const qsizetype secondScan = jpeg.indexOf("\xFF\xDA", data);
        const struct {
            const char *Name;
            qsizetype Cut;
            std::string Message;
        } cases[] = {
            {"in the headers", data / 2, damaged},
            {"at the start of the data", data, damaged},
            {"in the middle", data + (size - data) / 2, endsEarly},
            {"near the end", size - 6, endsEarly},
            {"before the second scan", secondScan > 0 ? secondScan : size - 4, endsEarly},
        };
        for (const auto &c : cases) {
            QString error;
            EXPECT_TRUE(DecodeJpeg(jpeg.left(c.Cut), &error).isNull()) << c.Name;
            EXPECT_THAT(Text(error), HasSubstr(c.Message))
                << c.Name << ", progressive " << recipe.Progressive;
        }
    }
    // Arithmetic decoders make up missing data without a word: the end marker must be there.
    QString error;
    EXPECT_TRUE(DecodeJpeg(WriteJpeg(Arithmetic).chopped(2), &error).isNull());
    EXPECT_THAT(Text(error), HasSubstr(endsEarly));
}

TEST(JpegDecode, RefusesCorruptData)
{
    const QByteArray jpeg = WriteJpeg(Restarts);
    const qsizetype data = FirstScanData(jpeg), restart = jpeg.indexOf("\xFF\xD0", data);
    ASSERT_GT(restart, 0);
    const struct {
        const char *Name;
        QByteArray Jpeg;
    } cases[] = {
        // Runs of one bits are no Huffman code.
        {"bad Huffman codes", QByteArray(jpeg).replace(data + 4, 64, QByteArray("\xFF\x00", 2).repeated(32))},
        {"restart markers out of order", QByteArray(jpeg).replace(restart, 2, "\xFF\xD5")},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_TRUE(DecodeJpeg(c.Jpeg, &error).isNull()) << c.Name;
        EXPECT_THAT(Text(error), HasSubstr("The picture data is damaged: Corrupt JPEG data")) << c.Name;
    }
}

TEST(JpegDecode, RefusesLyingSizesBeforeAllocating)
{
    const QByteArray frame = QByteArray("\xFF\xD8\xFF\xC0", 4) + Be16(17) + char(8) + Be16(65000) +
                             Be16(65000) + char(3) + QByteArray("\1\x22\0\2\x11\1\3\x11\1", 9) + "\xFF\xD9";
    const struct {
        const char *Name;
        QByteArray Jpeg;
        std::string Message;
    } cases[] = {
        {"65000 x 65000, no data", frame, "The picture is too large: 65000 by 65000 pixels"},
        {"16000 x 16000 baseline", WithJpegSize(WriteJpeg(Baseline), 16000, 16000),
         "cannot hold a 16000 by 16000"},
        {"16000 x 16000 progressive", WithJpegSize(WriteJpeg(Progressive), 16000, 16000),
         "cannot hold a 16000 by 16000"},
        {"12000 x 12000 arithmetic", WithJpegSize(WriteJpeg(Arithmetic), 12000, 12000),
         "cannot hold a 12000 by 12000"},
        {"65535 x 4097", WithJpegSize(WriteJpeg(Baseline), 65535, 4097), "too large: 65535 by 4097"},
    };
    for (const auto &c : cases)
        EXPECT_TRUE(RefusedWithSmallAllocations([&](QString *e) { return DecodeJpeg(c.Jpeg, e); }, c.Message))
            << c.Name;
}

TEST(JpegDecode, SaysWhatItCannotRead)
{
    const QByteArray jpeg = WriteJpeg(Baseline);
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    const struct {
        const char *Name;
        QByteArray Jpeg;
        std::string Message;
    } cases[] = {
        {"empty", {}, "Not a picture this program can read (not a JPEG file)"},
        {"a GIF", "GIF89a\1\0\1\0", "Not a picture this program can read (not a JPEG file)"},
        {"no image", "\xFF\xD8\xFF\xD9", "The picture data is damaged: "},
        {"12-bit samples", QByteArray(jpeg).replace(sof + 4, 1, "\x0C"),
         "(Unsupported JPEG data precision 12)"},
        {"lossless", QByteArray(jpeg).replace(sof + 1, 1, "\xC3"),
         "(Unsupported JPEG process: SOF type 0xc3)"},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_TRUE(DecodeJpeg(c.Jpeg, &error).isNull()) << c.Name;
        EXPECT_THAT(Text(error), HasSubstr(c.Message)) << c.Name;
    }
}

TEST(JpegDecode, BoundsTheScansAndWarningsAFileMayHave)
{
    TJpegRecipe grey = With(Baseline, [](TJpegRecipe &s) { s.Components = 1, s.Scans = 64; });
    grey.Sample = [](int x, int y, uchar *s) { s[0] = uchar(x * 5 + y * 3); };
    const auto garbageBeforeMarkers = [](int n) {
        return InsertAfterSoi(WriteJpeg(Baseline), QByteArray("\0\xFF\xFE\0\3x", 6).repeated(n));
    };
    const struct {
        const char *Name;
        QByteArray Jpeg;
        bool Reads;
    } cases[] = {
        {"64 scans", WriteJpeg(grey), true},
        {"190 scans", WriteJpeg(With(Baseline, [](TJpegRecipe &s) { s.Scans = 190; })), false},
        {"a stray byte before a marker", garbageBeforeMarkers(1), true},
        {"stray bytes before 101 markers", garbageBeforeMarkers(101), false},
    };
    for (const auto &c : cases) {
        QString error;
        const QImage decoded = DecodeJpeg(c.Jpeg, &error);
        if (c.Reads) {
            EXPECT_TRUE(NearPixels(decoded, QtDecoded(c.Jpeg))) << c.Name << ": " << Text(error);
        } else {
            EXPECT_TRUE(decoded.isNull()) << c.Name;
            EXPECT_THAT(Text(error), HasSubstr("The picture data is damaged: ")) << c.Name;
        }
    }
}
