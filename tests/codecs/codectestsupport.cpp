#include "codecs/codectestsupport.h"

#include "codecs/imagecodecs.h"
#include "common/testsupport.h"

#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

// The largest single allocation is observed through AddressSanitizer's malloc hook.
#if defined(__SANITIZE_ADDRESS__)
#define AMBRELO_HAVE_MALLOC_HOOK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AMBRELO_HAVE_MALLOC_HOOK 1
#endif
#endif

#ifdef AMBRELO_HAVE_MALLOC_HOOK
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void *, size_t),
                                                         void (*free_hook)(const volatile void *));
#endif

namespace {

#ifdef AMBRELO_HAVE_MALLOC_HOOK
std::atomic<bool> Recording{false};
std::atomic<size_t> Largest{0};

void OnMalloc(const volatile void *, size_t size)
{
    if (!Recording.load(std::memory_order_relaxed))
        return;
    size_t largest = Largest.load(std::memory_order_relaxed);
    while (size > largest && !Largest.compare_exchange_weak(largest, size))
        ;
}

void OnFree(const volatile void *) {}
#endif

// The next marker segment at or after at: its marker byte and where it starts.
struct TSegment {
    int Marker;
    qsizetype Start;
    qsizetype Length; // of the segment's payload with its length field, 0 for markers alone
};

TSegment SegmentAt(const QByteArray &jpeg, qsizetype at)
{
    const int marker = uchar(jpeg[at + 1]);
    const bool alone = marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9);
    const qsizetype length = alone ? 0 : uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]);
    return {marker, at, length};
}

template <class F> qsizetype FindSegment(const QByteArray &jpeg, F matches)
{
    for (qsizetype at = 2; at + 4 <= jpeg.size();) {
        const TSegment s = SegmentAt(jpeg, at);
        if (matches(s.Marker))
            return at;
        at += 2 + s.Length;
    }
    ADD_FAILURE() << "segment not found";
    return 0;
}

} // namespace

QByteArray BytesOf(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray Le16(quint32 v)
{
    return BytesOf({int(v & 0xFF), int(v >> 8 & 0xFF)});
}
QByteArray Le32(quint32 v)
{
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}
QByteArray Be16(quint32 v)
{
    return BytesOf({int(v >> 8 & 0xFF), int(v & 0xFF)});
}
QByteArray Be32(quint32 v)
{
    return Be16(v >> 16) + Be16(v & 0xFFFF);
}

QImage Blocks(int width, int height)
{
    static const QRgb colours[] = {qRgb(220, 30, 30),  qRgb(30, 200, 40),  qRgb(40, 40, 220),
                                   qRgb(240, 220, 30), qRgb(200, 40, 200), qRgb(30, 210, 210)};
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours[(x / 16 + 3 * (y / 16)) % 6]);
    return image;
}

// Where the pixel (x, y) of the upright w x h picture lies in the stored image, for each EXIF
// orientation: the tag names the side of the picture that the stored first row and first
// column show (2: top and right, 3: bottom and right, 4: bottom and left, 5: left and top,
// 6: right and top, 7: right and bottom, 8: left and bottom).
QPoint StoredPoint(int orientation, int x, int y, int w, int h)
{
    switch (orientation) {
    case 2:
        return {w - 1 - x, y};
    case 3:
        return {w - 1 - x, h - 1 - y};
    case 4:
        return {x, h - 1 - y};
    case 5:
        return {y, x};
    case 6:
        return {y, w - 1 - x};
    case 7:
        return {h - 1 - y, w - 1 - x};
    case 8:
        return {h - 1 - y, x};
    default:
        return {x, y};
    }
}

// The upright picture of a stored image (toUpright), or the stored image of an upright one.
namespace {
QImage Reoriented(const QImage &from, int orientation, bool toUpright)
{
    const QSize turned = orientation >= 5 ? from.size().transposed() : from.size();
    const QSize uprightSize = toUpright ? turned : from.size();
    QImage to(turned, QImage::Format_RGB32);
    for (int y = 0; y < uprightSize.height(); ++y)
        for (int x = 0; x < uprightSize.width(); ++x) {
            const QPoint stored = StoredPoint(orientation, x, y, uprightSize.width(), uprightSize.height());
            if (toUpright)
                to.setPixel(x, y, from.pixel(stored));
            else
                to.setPixel(stored, from.pixel(x, y));
        }
    return to;
}
} // namespace

QImage StoredFor(const QImage &upright, int orientation)
{
    return Reoriented(upright, orientation, false);
}

QImage UprightOf(const QImage &stored, int orientation)
{
    return Reoriented(stored, orientation, true);
}

QByteArray SavedAs(const QImage &image, const char *format, int quality)
{
    return WrittenBytes([&](QIODevice &buffer) {
        QImageWriter writer(&buffer, format);
        writer.setQuality(quality);
        EXPECT_TRUE(writer.write(image)) << format << ": " << Text(writer.errorString());
    });
}

testing::AssertionResult NearPixels(const QImage &actual, const QImage &expected, int tolerance)
{
    if (actual.isNull())
        return testing::AssertionFailure() << "the image is null";
    if (actual.size() != expected.size())
        return testing::AssertionFailure() << actual.width() << "x" << actual.height() << " instead of "
                                           << expected.width() << "x" << expected.height();
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb a = actual.pixel(x, y), e = expected.pixel(x, y);
            const int worst = std::max({std::abs(qRed(a) - qRed(e)), std::abs(qGreen(a) - qGreen(e)),
                                        std::abs(qBlue(a) - qBlue(e)), std::abs(qAlpha(a) - qAlpha(e))});
            if (worst > tolerance)
                return testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << std::hex << a << " instead of " << e;
        }
    return testing::AssertionSuccess();
}

std::string Text(const QString &s)
{
    return s.toStdString();
}

QByteArray WriteJpeg(const TJpegRecipe &recipe)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    // The recipes are valid; an error here is a mistake in the test.
    err.error_exit = [](j_common_ptr info) {
        char message[JMSG_LENGTH_MAX];
        (*info->err->format_message)(info, message);
        std::fprintf(stderr, "WriteJpeg: %s\n", message);
        std::abort();
    };
    jpeg_create_compress(&c);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(recipe.Width);
    c.image_height = JDIMENSION(recipe.Height);
    c.input_components = recipe.Components;
    c.in_color_space = recipe.Components == 1 ? JCS_GRAYSCALE : recipe.Components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&c);
    if (recipe.ColorSpace >= 0)
        jpeg_set_colorspace(&c, J_COLOR_SPACE(recipe.ColorSpace));
    c.write_Adobe_marker = recipe.AdobeMarker;
    jpeg_set_quality(&c, recipe.Quality, TRUE);
    if (recipe.Progressive)
        jpeg_simple_progression(&c);
    std::vector<jpeg_scan_info> scans;
    if (recipe.Scans > 0) {
        jpeg_scan_info dc{};
        dc.comps_in_scan = c.num_components;
        for (int i = 0; i < c.num_components; ++i)
            dc.component_index[i] = i;
        scans.push_back(dc);
        for (int k = 1; int(scans.size()) < recipe.Scans; ++k)
            for (int i = 0; i < c.num_components && int(scans.size()) < recipe.Scans; ++i)
                scans.push_back({1, {i}, k, k, 0, 0});
        c.scan_info = scans.data();
        c.num_scans = int(scans.size());
    }
    c.arith_code = recipe.Arithmetic;
    c.restart_in_rows = recipe.RestartRows;
    jpeg_start_compress(&c, TRUE);
    std::vector<uchar> row(size_t(recipe.Width * recipe.Components));
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < recipe.Width; ++x)
            recipe.Sample(x, int(c.next_scanline), &row[size_t(x * recipe.Components)]);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    const QByteArray bytes(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    jpeg_destroy_compress(&c);
    return bytes;
}

QByteArray InsertAfterSoi(const QByteArray &jpeg, const QByteArray &segment)
{
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QByteArray ExifTiff(int orientation, bool bigEndian)
{
    const auto u16 = bigEndian ? Be16 : Le16;
    const auto u32 = bigEndian ? Be32 : Le32;
    constexpr quint32 MakeOffset = 8 + 2 + 2 * 12 + 4;
    return QByteArray(bigEndian ? "MM" : "II") + u16(42) + u32(8) + u16(2) +
           (u16(0x010F) + u16(2) + u32(6) + u32(MakeOffset)) +
           (u16(0x0112) + u16(3) + u32(1) + u16(quint32(orientation)) + u16(0)) + u32(0) +
           QByteArray("Canon", 6);
}

QByteArray ExifSegmentOf(const QByteArray &tiff)
{
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    return QByteArray("\xFF\xE1", 2) + Be16(quint32(payload.size() + 2)) + payload;
}

QByteArray ExifSegment(int orientation, bool bigEndian)
{
    return ExifSegmentOf(ExifTiff(orientation, bigEndian));
}

qsizetype FirstScanData(const QByteArray &jpeg)
{
    const qsizetype sos = FindSegment(jpeg, [](int m) { return m == 0xDA; });
    return sos + 2 + SegmentAt(jpeg, sos).Length;
}

QByteArray WithJpegSize(const QByteArray &jpeg, int width, int height)
{
    const qsizetype sof = FindSegment(
        jpeg, [](int m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; });
    QByteArray out = jpeg;
    out.replace(sof + 5, 4, Be16(quint32(height)) + Be16(quint32(width)));
    return out;
}

QByteArray TgaFile(int type, int depth, int width, int height, int descriptor, const QByteArray &pixels,
                   const QByteArray &map, int mapDepth, bool footer)
{
    const int entries = mapDepth ? int(map.size() / ((mapDepth + 7) / 8)) : 0;
    const QByteArray header = BytesOf({0, entries ? 1 : 0, type}) + Le16(0) + Le16(quint32(entries)) +
                              char(mapDepth) + Le16(0) + Le16(0) + Le16(quint32(width)) +
                              Le16(quint32(height)) + char(depth) + char(descriptor);
    return header + map + pixels +
           (footer ? Le32(0) + Le32(0) + QByteArray("TRUEVISION-XFILE.", 18) : QByteArray());
}

QImage LoadBytesAsFile(const QByteArray &bytes, const QString &fileName, QString *error)
{
    QTemporaryDir folder;
    QFile file(folder.filePath(fileName));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    return LoadImageFile(file.fileName(), error);
}

std::optional<size_t> LargestAllocationDuring(const std::function<void()> &f)
{
#ifdef AMBRELO_HAVE_MALLOC_HOOK
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    if (installed) {
        Largest = 0;
        Recording = true;
        f();
        Recording = false;
        return Largest.load();
    }
#endif
    f();
    return std::nullopt;
}

testing::AssertionResult RefusedWithSmallAllocations(const std::function<QImage(QString *)> &decode,
                                                     const std::string &message)
{
    QImage image;
    QString error;
    const std::optional<size_t> largest = LargestAllocationDuring([&] { image = decode(&error); });
    if (!image.isNull())
        return testing::AssertionFailure()
               << "decoded a " << image.width() << "x" << image.height() << " image";
    if (Text(error).find(message) == std::string::npos)
        return testing::AssertionFailure()
               << "the message \"" << Text(error) << "\" lacks \"" << message << "\"";
    if (largest && *largest >= SmallAllocation)
        return testing::AssertionFailure() << "allocated " << *largest << " bytes at once";
    return testing::AssertionSuccess();
}
