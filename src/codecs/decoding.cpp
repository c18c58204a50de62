#include "codecs/decoding.h"

#include <cstdlib>
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

constexpr qsizetype HugePageBytes = qsizetype(2) << 20;

// Below this an image takes its memory from the ordinary allocator.
constexpr qsizetype HugePageImageBytes = 4 * HugePageBytes;

} // namespace

std::optional<TDecodeResult> CheckDeclaredSize(qint64 width, qint64 height, std::optional<qint64> dataBytes)
{
    if (width <= 0 || height <= 0)
        return Damaged(QStringLiteral("the header declares %1 by %2 pixels").arg(width).arg(height));
    // Both sides are below 2^32 in every format, so the product cannot overflow.
    const qint64 pixels = width * height;
    if (pixels > MaxImagePixels)
        return TooLarge(width, height);
    if (dataBytes && pixels > FreePixels && pixels - FreePixels > MaxPixelsPerByte * *dataBytes)
        return Damaged(CannotHold(*dataBytes, width, height));
    return std::nullopt;
}

QString CannotHold(qint64 bytes, qint64 width, qint64 height)
{
    return QStringLiteral("%1 bytes cannot hold a %2 by %3 pixel image").arg(bytes).arg(width).arg(height);
}

QImage ToArgbOrRgb32(QImage image)
{
    const QImage::Format format = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (image.format() == format)
        return image;
    return std::move(image).convertToFormat(format);
}

QImage AllocateImage(int width, int height, QImage::Format format)
{
#ifdef Q_OS_LINUX
    const qsizetype bytesPerLine = qsizetype(width) * 4, bytes = bytesPerLine * height;
    void *memory = nullptr;
    if (width > 0 && height > 0 && bytes >= HugePageImageBytes &&
        posix_memalign(&memory, size_t(HugePageBytes), size_t(bytes)) == 0) {
        madvise(memory, size_t(bytes), MADV_HUGEPAGE);
        QImage image(static_cast<uchar *>(memory), width, height, bytesPerLine, format, std::free, memory);
        if (!image.isNull())
            return image;
        std::free(memory);
    }
#endif
    return QImage(width, height, format);
}
