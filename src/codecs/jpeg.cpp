// JPEG reading on libjpeg.
//
// libjpeg reports errors through the error manager's error_exit, which must not return: ours
// longjmps back to the setjmp of the call that failed, and so do the warning handler and the
// progress monitor when they stop a decode. A longjmp that crosses a frame holding a C++
// object with a destructor is undefined behaviour, so every call into libjpeg is made from one
// of the small C-style functions below (JpegCreate, JpegReadHeader, JpegStart, JpegReadRows):
// they hold only plain values, set the jump buffer themselves and return false when libjpeg
// jumps back. The callbacks hold no C++ objects either. ReadJpeg owns the QImage, the row
// buffer and the libjpeg structure and only calls those functions, so no jump ever leaves them.

#include "codecs/jpeg.h"

#include <cstdio> // jpeglib.h uses FILE without including it
#include <jpeglib.h>
// After jpeglib.h: which messages exist depends on the configuration it includes.
#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace {

// The most scans a file may have. Each scan of a progressive file costs a pass over all the
// blocks it covers however few bytes it has, so a file of thousands of tiny scans would keep
// the decoder busy for minutes. libjpeg's standard progression has 10 scans; encoders that
// tune their scripts write a few dozen at most.
constexpr int MaxScans = 128;

// The most warnings a file may raise. Those that leave the image right (extra bytes before a
// marker, an unknown JFIF version, a bad colour profile) come at most once per marker.
constexpr int MaxWarnings = 100;

// The least entropy-coded data a scan can hold, in bits per 8 x 8 block of each component in
// it. With Huffman coding a sequential scan codes at least a DC difference and an end of block
// in every block, and the DC scan that opens a progressive file a DC difference; no Huffman
// code is shorter than one bit. Arithmetic coding and a progressive file that opens with an AC
// scan have no such floor and are held to the plausibility bound of decoding.h instead.
constexpr int SequentialBitsPerBlock = 2;
constexpr int ProgressiveDcBitsPerBlock = 1;

constexpr int OrientationTag = 0x0112;
constexpr int TiffShort = 3;
constexpr int TiffLong = 4;

enum TJpegStop : int { StopDamaged, StopTooLarge, StopUnsupported, StopOutOfMemory, StopTooManyScans };

struct TJpegErrorState {
    jpeg_error_mgr Manager; // first: libjpeg's pointer to the manager is a pointer to the state
    jmp_buf Jump;
    int Stop;
    char Message[JMSG_LENGTH_MAX];
    bool DataEnded; // the data ran out before an end-of-image marker
    int Warnings;
};

struct TJpegProgress {
    jpeg_progress_mgr Manager;    // first, as above
    bool Scanned[MAX_COMPONENTS]; // the components some scan has carried so far
};

TJpegErrorState *StateOf(j_common_ptr cinfo)
{
    return reinterpret_cast<TJpegErrorState *>(cinfo->err);
}

[[noreturn]] void StopDecoding(j_common_ptr cinfo, int stop)
{
    TJpegErrorState *state = StateOf(cinfo);
    state->Stop = stop;
    if (stop == StopDamaged || stop == StopUnsupported)
        (*cinfo->err->format_message)(cinfo, state->Message);
    longjmp(state->Jump, 1);
}

bool IsUnsupported(int code)
{
    return code == JERR_BAD_PRECISION || code == JERR_SOF_UNSUPPORTED || code == JERR_NOT_COMPILED ||
           code == JERR_CONVERSION_NOTIMPL;
}

// Warnings after which the pixels are not what the file meant: data missing or garbled.
bool IsCorruption(int code)
{
    return code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE || code == JWRN_ARITH_BAD_CODE ||
           code == JWRN_MUST_RESYNC || code == JWRN_NOT_SEQUENTIAL || code == JWRN_BOGUS_PROGRESSION;
}

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo)
{
    const int code = cinfo->err->msg_code;
    StopDecoding(cinfo, code == JERR_OUT_OF_MEMORY ? StopOutOfMemory
                        : IsUnsupported(code)      ? StopUnsupported
                                                   : StopDamaged);
}

// Warnings (level -1) and traces (0 and up). The trace of the frame header comes as soon as
// its size is read, before libjpeg allocates anything for it: too large a size stops there.
void JpegEmitMessage(j_common_ptr cinfo, int level)
{
    TJpegErrorState *state = StateOf(cinfo);
    const int code = cinfo->err->msg_code;
    if (level >= 0) {
        if (code == JTRC_SOF && cinfo->is_decompressor) {
            const auto *info = reinterpret_cast<j_decompress_ptr>(cinfo);
            if (qint64(info->image_width) * info->image_height > MaxImagePixels)
                StopDecoding(cinfo, StopTooLarge);
        }
        return;
    }
    ++state->Warnings;
    if (code == JWRN_JPEG_EOF) {
        // libjpeg goes on as if an end-of-image marker followed; whether pixels are missing
        // shows in the warnings that follow and in DataComplete.
        state->DataEnded = true;
    } else if (IsCorruption(code)) {
        StopDecoding(cinfo, StopDamaged);
    }
    if (state->Warnings > MaxWarnings)
        StopDecoding(cinfo, StopDamaged);
}

void JpegOutputMessage(j_common_ptr) {}

void JpegProgressMonitor(j_common_ptr cinfo)
{
    const auto *info = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto *progress = reinterpret_cast<TJpegProgress *>(cinfo->progress);
    if (info->input_scan_number > MaxScans)
        StopDecoding(cinfo, StopTooManyScans);
    for (int i = 0; i < info->comps_in_scan && i < MAX_COMPS_IN_SCAN; ++i) {
        const int component = info->cur_comp_info[i]->component_index;
        if (component >= 0 && component < MAX_COMPONENTS)
            progress->Scanned[component] = true;
    }
}

bool JpegCreate(j_decompress_ptr info, TJpegErrorState *state)
{
    if (setjmp(state->Jump))
        return false;
    jpeg_create_decompress(info);
    return true;
}

// Reads the markers up to the first scan. Only APP1 (EXIF) is kept; libjpeg reads JFIF and
// Adobe's APP14 itself.
bool JpegReadHeader(j_decompress_ptr info, TJpegErrorState *state, const uchar *data, size_t size)
{
    if (setjmp(state->Jump))
        return false;
    jpeg_mem_src(info, data, static_cast<unsigned long>(size));
    jpeg_save_markers(info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(info, TRUE);
    return true;
}

// Starts the decoder; a file of several scans is read whole here.
bool JpegStart(j_decompress_ptr info, TJpegErrorState *state, J_COLOR_SPACE outColorSpace,
               bool *multipleScans)
{
    if (setjmp(state->Jump))
        return false;
    info->out_color_space = outColorSpace;
    *multipleScans = jpeg_has_multiple_scans(info);
    jpeg_start_decompress(info);
    return true;
}

// Ink amounts to light, channel by channel against the black. Adobe's applications store CMYK
// inverted (0 is full ink) and mark the file with their APP14 marker; other writers store ink.
void CmykToRgb(const uchar *cmyk, QRgb *out, JDIMENSION width, bool inverted)
{
    const int flip = inverted ? 0 : 255;
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        const int c = cmyk[0] ^ flip, m = cmyk[1] ^ flip, y = cmyk[2] ^ flip, k = cmyk[3] ^ flip;
        out[x] = qRgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
    }
}

struct TJpegRowJob {
    uchar *Bits;
    qsizetype BytesPerLine;
    JDIMENSION Width;
    JDIMENSION Height;
    uchar *CmykRow; // one row of CMYK samples to convert; null when rows go straight to the image
    bool InvertedCmyk;
};

bool JpegReadRows(j_decompress_ptr info, TJpegErrorState *state, const TJpegRowJob *job)
{
    if (setjmp(state->Jump))
        return false;
    constexpr JDIMENSION Batch = 16;
    JSAMPROW rows[Batch];
    while (info->output_scanline < job->Height) {
        const JDIMENSION first = info->output_scanline;
        const JDIMENSION count = job->CmykRow ? 1 : std::min(Batch, job->Height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = job->CmykRow ? job->CmykRow : job->Bits + qsizetype(first + i) * job->BytesPerLine;
        if (jpeg_read_scanlines(info, rows, count) == 0) {
            std::strcpy(state->Message, "the decoder returned no rows");
            state->Stop = StopDamaged;
            return false;
        }
        if (job->CmykRow)
            CmykToRgb(job->CmykRow,
                      reinterpret_cast<QRgb *>(job->Bits + qsizetype(first) * job->BytesPerLine), job->Width,
                      job->InvertedCmyk);
    }
    return true;
}

struct TJpegDecompress {
    jpeg_decompress_struct Info{};
    ~TJpegDecompress() { jpeg_destroy_decompress(&Info); }
};

// Whether every pixel came from the file's data. libjpeg decodes what is missing as zeros;
// when the data ended early, the pixels are whole only if no entropy decoder needed bits beyond
// the end (a Huffman decoder warns then, and the decode has stopped already), every component
// had its scan, and in a progressive file every coefficient got all its bits. Arithmetic
// decoders fill in zeros without a word, so an arithmetic-coded file must not end early.
bool DataComplete(const jpeg_decompress_struct &info, const TJpegErrorState &state,
                  const TJpegProgress &progress)
{
    if (!state.DataEnded)
        return true;
    if (info.arith_code)
        return false;
    for (int c = 0; c < info.num_components && c < MAX_COMPONENTS; ++c) {
        if (!progress.Scanned[c])
            return false;
        if (info.progressive_mode && info.coef_bits)
            for (int k = 0; k < DCTSIZE2; ++k)
                if (info.coef_bits[c][k] != 0)
                    return false;
    }
    return true;
}

QString EndsEarly()
{
    return QStringLiteral("the JPEG data ends before the image is complete");
}

TDecodeResult Failure(const jpeg_decompress_struct &info, const TJpegErrorState &state)
{
    switch (state.Stop) {
    case StopTooLarge:
        return TooLarge(info.image_width, info.image_height);
    case StopOutOfMemory:
        return OutOfMemory(info.image_width, info.image_height);
    case StopUnsupported:
        return NotReadable(QString::fromLatin1(state.Message));
    case StopTooManyScans:
        return Damaged(QStringLiteral("the JPEG data has more than %1 scans").arg(MaxScans));
    default:
        return Damaged(state.DataEnded ? EndsEarly() : QString::fromLatin1(state.Message));
    }
}

// The 8 x 8 blocks the first scan codes.
qint64 FirstScanBlocks(const jpeg_decompress_struct &info)
{
    qint64 blocks = 0;
    for (int i = 0; i < info.comps_in_scan && i < MAX_COMPS_IN_SCAN; ++i)
        blocks += qint64(info.cur_comp_info[i]->width_in_blocks) * info.cur_comp_info[i]->height_in_blocks;
    return blocks;
}

// The refusal of a header whose image the data that follows the first scan header cannot hold.
std::optional<TDecodeResult> CheckDataFloor(const jpeg_decompress_struct &info)
{
    const qint64 width = info.image_width, height = info.image_height;
    const qint64 remaining = qint64(info.src->bytes_in_buffer);
    const int bitsPerBlock = info.arith_code          ? 0
                             : !info.progressive_mode ? SequentialBitsPerBlock
                             : info.Ss == 0           ? ProgressiveDcBitsPerBlock
                                                      : 0;
    if (bitsPerBlock == 0)
        return CheckDeclaredSize(width, height, remaining);
    if (remaining * 8 < FirstScanBlocks(info) * bitsPerBlock)
        return Damaged(CannotHold(remaining, width, height));
    return std::nullopt;
}

// The orientation tag of an APP1 block: 0 when the block is not EXIF, 1 to 8 when it is, 1
// also for a missing tag, a value out of range and anything damaged. Every offset is checked
// against the block before it is read.
int ExifOrientation(const uchar *data, size_t size)
{
    static const uchar Signature[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (size < sizeof Signature || std::memcmp(data, Signature, sizeof Signature) != 0)
        return 0;
    const uchar *tiff = data + sizeof Signature;
    const size_t length = size - sizeof Signature;
    constexpr size_t TiffHeaderSize = 8, EntrySize = 12;
    if (length < TiffHeaderSize)
        return 1;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return 1;
    const auto u16 = [&](size_t at) -> quint32 {
        return little ? tiff[at] | tiff[at + 1] << 8 : tiff[at] << 8 | tiff[at + 1];
    };
    const auto u32 = [&](size_t at) -> quint32 {
        return little ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2);
    };
    if (u16(2) != 42)
        return 1;
    const size_t ifd = u32(4);
    if (ifd > length - 2)
        return 1;
    const size_t entries = std::min<size_t>(u16(ifd), (length - ifd - 2) / EntrySize);
    for (size_t i = 0; i < entries; ++i) {
        const size_t entry = ifd + 2 + i * EntrySize;
        if (u16(entry) != OrientationTag)
            continue;
        const quint32 type = u16(entry + 2), count = u32(entry + 4);
        const quint32 value = count == 0          ? 0
                              : type == TiffShort ? u16(entry + 8)
                              : type == TiffLong  ? u32(entry + 8)
                                                  : 0;
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

int OrientationOf(const jpeg_decompress_struct &info)
{
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1)
            if (const int orientation = ExifOrientation(m->data, m->data_length))
                return orientation;
    return 1;
}

// The stored image turned upright. The tag names the sides of the picture that the stored
// first row and first column show (1 top and left, 2 top and right, 3 bottom and right,
// 4 bottom and left, 5 left and top, 6 right and top, 7 right and bottom, 8 left and bottom);
// for each it gives the stored pixel (sx, sy) of the upright pixel (x, y) as
// sx = XX x + XY y and sy = YX x + YY y, counted from the far side where negative.
struct TOrientationMap {
    int XX, XY, YX, YY;
};
constexpr TOrientationMap OrientationMaps[9] = {{1, 0, 0, 1},   {1, 0, 0, 1},   {-1, 0, 0, 1},
                                                {-1, 0, 0, -1}, {1, 0, 0, -1},  {0, 1, 1, 0},
                                                {0, 1, -1, 0},  {0, -1, -1, 0}, {0, -1, 1, 0}};

QImage Upright(QImage stored, int orientation)
{
    if (orientation <= 1 || orientation > 8)
        return stored;
    const TOrientationMap m = OrientationMaps[orientation];
    const bool swap = orientation >= 5;
    const int width = swap ? stored.height() : stored.width(),
              height = swap ? stored.width() : stored.height();
    QImage upright = AllocateImage(width, height, stored.format());
    if (upright.isNull())
        return {};
    // As offsets into the stored pixels: where (0, 0) comes from, and the steps for x and y.
    const qsizetype stride = stored.bytesPerLine() / 4;
    const auto far = [&](int a, int b) { return a < 0 ? width - 1 : b < 0 ? height - 1 : 0; };
    const qsizetype origin = far(m.YX, m.YY) * stride + far(m.XX, m.XY);
    const qsizetype stepX = m.YX * stride + m.XX, stepY = m.YY * stride + m.XY;
    const auto *source = reinterpret_cast<const QRgb *>(stored.constBits());
    // In tiles, so that a turn reads the stored columns from the cache.
    constexpr int Tile = 64;
    for (int top = 0; top < height; top += Tile)
        for (int left = 0; left < width; left += Tile)
            for (int y = top; y < std::min(top + Tile, height); ++y) {
                auto *line = reinterpret_cast<QRgb *>(upright.scanLine(y));
                const QRgb *from = source + origin + y * stepY;
                for (int x = left; x < std::min(left + Tile, width); ++x)
                    line[x] = from[x * stepX];
            }
    return upright;
}

} // namespace

TDecodeResult ReadJpeg(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    if (bytes.size() < 3 || data[0] != 0xFF || data[1] != 0xD8)
        return NotReadable(QStringLiteral("not a JPEG file"));

    TJpegErrorState state{};
    TJpegProgress progress{};
    TJpegDecompress jpeg;
    jpeg_decompress_struct &info = jpeg.Info;
    info.err = jpeg_std_error(&state.Manager);
    state.Manager.error_exit = JpegErrorExit;
    state.Manager.emit_message = JpegEmitMessage;
    state.Manager.output_message = JpegOutputMessage;
    if (!JpegCreate(&info, &state))
        return Failure(info, state);
    progress.Manager.progress_monitor = JpegProgressMonitor;
    info.progress = &progress.Manager;

    if (!JpegReadHeader(&info, &state, data, size_t(bytes.size())))
        return Failure(info, state);
    const qint64 width = info.image_width, height = info.image_height;
    if (auto refusal = CheckDeclaredSize(width, height, std::nullopt))
        return *refusal;
    if (auto refusal = CheckDataFloor(info))
        return *refusal;
    const int orientation = OrientationOf(info);

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    const J_COLOR_SPACE rgb32 = JCS_EXT_BGRX; // QImage::Format_RGB32 in memory: B, G, R, 0xFF
#else
    const J_COLOR_SPACE rgb32 = JCS_EXT_XRGB;
#endif
    bool multipleScans = false;
    if (!JpegStart(&info, &state, cmyk ? JCS_CMYK : rgb32, &multipleScans))
        return Failure(info, state);
    if (multipleScans && !DataComplete(info, state, progress))
        return Damaged(EndsEarly());
    if (info.output_width != info.image_width || info.output_height != info.image_height ||
        info.output_components != 4)
        return Damaged(QStringLiteral("the decoder gave an unexpected pixel layout"));

    QImage image = AllocateImage(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        return OutOfMemory(width, height);
    std::vector<uchar> cmykRow(cmyk ? size_t(width) * 4 : 0);
    const TJpegRowJob job{image.bits(),
                          image.bytesPerLine(),
                          info.output_width,
                          info.output_height,
                          cmyk ? cmykRow.data() : nullptr,
                          bool(info.saw_Adobe_marker)};
    if (!JpegReadRows(&info, &state, &job))
        return Failure(info, state);
    if (!DataComplete(info, state, progress))
        return Damaged(EndsEarly());
    QImage upright = Upright(std::move(image), orientation);
    if (upright.isNull())
        return OutOfMemory(width, height);
    return Decoded(std::move(upright));
}
