// PNG reading and writing on libpng (DecodePng tries the fast path of pngdeflate.cpp first).
//
// libpng reports errors by longjmp back to the setjmp in png_jmpbuf. A longjmp that crosses a
// frame holding a C++ object with a destructor is undefined behaviour, so every call into
// libpng that can fail is made from one of the small C-style functions below (PngWrite,
// PngReadInfo, PngSetUpTransforms, PngReadRows): they hold only plain values, set the jump
// buffer themselves and return false when libpng jumps back. The callbacks libpng calls
// (write, read, error) hold no C++ objects either; the write callback catches a failing
// QByteArray append itself and turns it into png_error outside the try block. The C++
// functions EncodePng and DecodePng own the QImage, QByteArray and the libpng structures, and
// only call those C-style functions, so no jump ever leaves them.

#include "codecs/png.h"
#include "codecs/pngdeflate.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>

namespace {

// Settings of the writer. They are fixed, so the same image always gives the same bytes (with
// the same zlib). Measured on the images of bench/bench_codecs.cpp (numbers there): the
// adaptive choice among all five filters gives the smallest photos, 5% below any single
// filter; on a flat drawing such as a thumbnail no filter at all would save a few hundred
// bytes. Level 6 is zlib's default; 4 is 2.5 times faster on photos and up to 9% larger, 9 is
// 10% smaller on smooth photos and 20 times slower. Large pictures go through EncodePngFast.
constexpr int Filters = PNG_ALL_FILTERS;
constexpr int Level = 6;

// The largest chunk other than IDAT the reader accepts (about libpng's built-in default, made
// explicit): far above any palette, colour profile or text a real file carries.
constexpr png_alloc_size_t MaxChunkBytes = 8 * 1024 * 1024;

constexpr int MessageSize = 256;

// The message libpng's error callback leaves behind.
struct TPngErrorState {
    char Message[MessageSize];
};

void SetMessage(TPngErrorState *state, const char *message)
{
    if (!state)
        return;
    std::strncpy(state->Message, message ? message : "unknown error", MessageSize - 1);
    state->Message[MessageSize - 1] = '\0';
}

[[noreturn]] void PngErrorFn(png_structp png, png_const_charp message)
{
    SetMessage(static_cast<TPngErrorState *>(png_get_error_ptr(png)), message);
    png_longjmp(png, 1);
}

// Warnings (an ancillary chunk with a bad CRC, extra compressed data) are not worth a word to
// the user; the image is still right.
void PngWarningFn(png_structp, png_const_charp) {}

// ---- Writing

struct TPngWriteTarget {
    TPngErrorState Error;
    QByteArray *Out;
};

bool AppendBytes(QByteArray *out, const png_byte *data, size_t length) noexcept
{
    try {
        out->append(reinterpret_cast<const char *>(data), qsizetype(length));
        return true;
    } catch (...) {
        return false;
    }
}

void PngWriteFn(png_structp png, png_bytep data, size_t length)
{
    auto *target = static_cast<TPngWriteTarget *>(png_get_io_ptr(png));
    if (!AppendBytes(target->Out, data, length))
        png_error(png, "Out of memory");
}

void PngFlushFn(png_structp) {}

// The image to write: rows of 32-bit QImage pixels (0xAARRGGBB in native byte order).
struct TPngWriteJob {
    const uchar *Bits;
    qsizetype BytesPerLine;
    png_uint_32 Width;
    png_uint_32 Height;
    bool KeepAlpha;
};

// Writes the whole PNG through the callbacks. Plain values only: libpng may jump back here.
bool PngWrite(png_structp png, png_infop info, const TPngWriteJob *job)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    // libpng's default user limit is a million pixels a side; a QImage may be wider.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_IHDR(png, info, job->Width, job->Height, 8,
                 job->KeepAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, Level);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, Filters);
    png_write_info(png, info);
    // The rows are QImage pixels as they lie in memory; libpng reorders them to RGB(A).
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    // B, G, R, A in memory.
    png_set_bgr(png);
    if (!job->KeepAlpha)
        png_set_filler(png, 0, PNG_FILLER_AFTER);
#else
    // A, R, G, B in memory.
    if (job->KeepAlpha)
        png_set_swap_alpha(png);
    else
        png_set_filler(png, 0, PNG_FILLER_BEFORE);
#endif
    for (png_uint_32 y = 0; y < job->Height; ++y)
        png_write_row(png, job->Bits + qsizetype(y) * job->BytesPerLine);
    png_write_end(png, nullptr);
    return true;
}

struct TPngWriteStructs {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    ~TPngWriteStructs() { png_destroy_write_struct(&Png, Info ? &Info : nullptr); }
};

// ---- Reading

struct TPngReadSource {
    TPngErrorState Error;
    const png_byte *Data;
    size_t Size;
    size_t Position;
};

// Never reads beyond the byte array: a read past its end is damage.
void PngReadFn(png_structp png, png_bytep out, size_t length)
{
    auto *source = static_cast<TPngReadSource *>(png_get_io_ptr(png));
    if (length > source->Size - source->Position)
        png_error(png, "Unexpected end of the data");
    std::memcpy(out, source->Data + source->Position, length);
    source->Position += length;
}

// The header fields as the file declares them.
struct TPngHeader {
    png_uint_32 Width;
    png_uint_32 Height;
    int BitDepth;
    int ColorType;
};

// Reads the chunks up to the image data. Plain values only: libpng may jump back here.
bool PngReadInfo(png_structp png, png_infop info, TPngHeader *header)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    int interlace = 0, compression = 0, filter = 0;
    png_get_IHDR(png, info, &header->Width, &header->Height, &header->BitDepth, &header->ColorType,
                 &interlace, &compression, &filter);
    return true;
}

// The row layout after the transformations.
struct TPngRowLayout {
    int Passes;
    int Channels;
    int BitDepth;
    size_t RowBytes;
};

// Asks for 8-bit pixels in QImage::Format_ARGB32's memory order and sets up the row buffers.
bool PngSetUpTransforms(png_structp png, png_infop info, TPngRowLayout *layout)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_expand(png);   // palette to RGB, gray below 8 bits to 8, tRNS to an alpha channel
    png_set_scale_16(png); // 16 bits to 8, rounded (strip_16 would truncate)
    png_set_gray_to_rgb(png);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_set_bgr(png);                            // B, G, R, A in memory
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER); // opaque alpha where the file has none
#else
    png_set_swap_alpha(png); // A, R, G, B in memory
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
#endif
    layout->Passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    layout->Channels = png_get_channels(png, info);
    layout->BitDepth = png_get_bit_depth(png, info);
    layout->RowBytes = png_get_rowbytes(png, info);
    return true;
}

// Reads every row of every pass into the image. The rows of an interlaced image are read once
// per pass; each pass fills in its own pixels. The IDAT stream is read to its end, so its
// Adler-32 and the last IDAT CRC are checked. The chunks after the image data are not read:
// a file that lost only its IEND still gives its whole, checked image.
bool PngReadRows(png_structp png, uchar *bits, qsizetype bytesPerLine, png_uint_32 height, int passes)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, bits + qsizetype(y) * bytesPerLine, nullptr);
    return true;
}

struct TPngReadStructs {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    ~TPngReadStructs() { png_destroy_read_struct(&Png, Info ? &Info : nullptr, nullptr); }
};

// The width and height of a well-formed IHDR at the start of the data (length 13, right
// CRC, both sides within the PNG limit of 2^31 - 1), before libpng sees anything; false
// when it is not there or not well formed, which libpng then reports in its own words.
bool PeekHeaderSize(const uchar *data, size_t size, quint32 *width, quint32 *height)
{
    constexpr size_t IhdrEnd = 8 + 4 + 4 + 13 + 4;
    if (size < IhdrEnd || BigEndian32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0)
        return false;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), data + 12, 4 + 13);
    if (crc != BigEndian32(data + 29))
        return false;
    *width = BigEndian32(data + 16);
    *height = BigEndian32(data + 20);
    return *width != 0 && *height != 0 && *width <= PNG_UINT_31_MAX && *height <= PNG_UINT_31_MAX;
}

int ChannelsOf(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

QImage Fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return {};
}

QString TooLarge(quint64 width, quint64 height)
{
    return QStringLiteral("The image is too large: %1 by %2 pixels").arg(width).arg(height);
}

QString Damaged(const char *message)
{
    return QStringLiteral("The PNG data is damaged: %1").arg(QString::fromLatin1(message));
}

} // namespace

QByteArray EncodePng(const QImage &image, bool keepAlpha)
{
    if (image.isNull())
        return {};
    // 32-bit rows: for RGBA straight (not premultiplied) alpha; for RGB the colour channels of
    // an ARGB32 image as they are, of anything else as its conversion to ARGB32 gives them.
    QImage source = image;
    if (keepAlpha ? source.format() != QImage::Format_ARGB32
                  : source.format() != QImage::Format_ARGB32 && source.format() != QImage::Format_RGB32)
        source = image.convertToFormat(QImage::Format_ARGB32);
    if (source.isNull())
        return {};

    QByteArray out;
    TPngWriteTarget target{};
    target.Out = &out;
    TPngWriteStructs structs;
    structs.Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &target.Error, PngErrorFn, PngWarningFn);
    if (!structs.Png)
        return {};
    structs.Info = png_create_info_struct(structs.Png);
    if (!structs.Info)
        return {};
    png_set_write_fn(structs.Png, &target, PngWriteFn, PngFlushFn);

    const TPngWriteJob job{source.constBits(), source.bytesPerLine(), png_uint_32(source.width()),
                           png_uint_32(source.height()), keepAlpha};
    if (!PngWrite(structs.Png, structs.Info, &job))
        return {};
    return out;
}

QImage DecodePng(const QByteArray &bytes, QString *error)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const size_t size = size_t(bytes.size());
    if (size < sizeof PngSignature || std::memcmp(data, PngSignature, sizeof PngSignature) != 0)
        return Fail(error, QStringLiteral("Not a PNG file"));

    // The size check comes before libpng allocates anything, and before libpng's own limit on
    // a side would call a too wide image damaged.
    quint32 width = 0, height = 0;
    const bool wellFormed = PeekHeaderSize(data, size, &width, &height);
    if (wellFormed && quint64(width) * height > quint64(MaxPngPixels))
        return Fail(error, TooLarge(width, height));
    if (wellFormed) {
        QImage image = DecodeRgbPngFast(data, size);
        if (!image.isNull()) {
            if (error)
                error->clear();
            return image;
        }
    }

    TPngReadSource source{};
    source.Data = data;
    source.Size = size;
    TPngReadStructs structs;
    structs.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source.Error, PngErrorFn, PngWarningFn);
    if (!structs.Png)
        return Fail(error, QStringLiteral("Not enough memory to read the PNG data"));
    structs.Info = png_create_info_struct(structs.Png);
    if (!structs.Info)
        return Fail(error, QStringLiteral("Not enough memory to read the PNG data"));
    png_structp png = structs.Png;
    png_set_read_fn(png, &source, PngReadFn);
    // Further guards behind the checks here: no side beyond the pixel limit, no chunk beyond
    // 8 MB. A bad CRC in a critical chunk is damage; an ancillary chunk with a bad CRC is
    // dropped with a warning (libpng's default, made explicit), so a damaged tRNS leaves the
    // image opaque rather than losing it.
    png_set_user_limits(png, png_uint_32(MaxPngPixels), png_uint_32(MaxPngPixels));
    png_set_chunk_malloc_max(png, MaxChunkBytes);
    png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_DEFAULT);
    // Only IHDR, PLTE, tRNS, IDAT and IEND change the pixels; every other chunk (text,
    // colour profiles, time, unknown ones) is read only to check its CRC, never kept.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);

    TPngHeader header{};
    if (!PngReadInfo(png, structs.Info, &header))
        return Fail(error, Damaged(source.Error.Message));
    const quint64 pixels = quint64(header.Width) * header.Height;
    if (pixels > quint64(MaxPngPixels))
        return Fail(error, TooLarge(header.Width, header.Height));
    // The data bound (see MaxExpansion): the input after the IDAT chunk header must be able
    // to hold the image data.
    const quint64 imageBytes = (pixels * quint64(ChannelsOf(header.ColorType) * header.BitDepth) + 7) / 8;
    const quint64 remaining = source.Size - source.Position;
    if (imageBytes > MaxExpansion * remaining + ExpansionSlack)
        return Fail(error,
                    QStringLiteral("The PNG data is damaged: %1 bytes cannot hold a %2 by %3 pixel image")
                        .arg(remaining)
                        .arg(header.Width)
                        .arg(header.Height));

    TPngRowLayout layout{};
    if (!PngSetUpTransforms(png, structs.Info, &layout))
        return Fail(error, Damaged(source.Error.Message));
    if (layout.Channels != 4 || layout.BitDepth != 8 || layout.RowBytes != size_t(header.Width) * 4)
        return Fail(error, Damaged("unsupported pixel layout"));

    QImage image(int(header.Width), int(header.Height), QImage::Format_ARGB32);
    if (image.isNull())
        return Fail(error, QStringLiteral("Not enough memory for a %1 by %2 pixel image")
                               .arg(header.Width)
                               .arg(header.Height));
    if (!PngReadRows(png, image.bits(), image.bytesPerLine(), header.Height, layout.Passes))
        return Fail(error, Damaged(source.Error.Message));
    if (error)
        error->clear();
    return image;
}
