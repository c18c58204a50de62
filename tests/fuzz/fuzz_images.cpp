// The image decoders on arbitrary data. The first byte chooses the decoder, the rest is its data
// (for LoadImageFile the second byte chooses the file name's extension, and the rest is the
// file). Each must give an image or a reason, never both and never neither, and an image as the
// codecs promise it: 32-bit, within the pixel bound.

#include "fuzzsupport.h"

#include "codecs/decoding.h"
#include "codecs/imagecodecs.h"
#include "codecs/png.h"
#include "codecs/svg.h"
#include "codecs/tga.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace {

// The first byte of an input, modulo DecoderCount. The corpus files start with these values, so
// the numbering stays as it is; a new decoder takes the next number.
enum TDecoder : uint8_t { AnyFormat, Jpeg, Bmp, Png, Tga, Svg, File, DecoderCount };

// The extensions LoadImageFile is given: those that decide for files without a signature, and
// some that the content overrules.
constexpr const char *FileExtensions[] = {"tga", "svg", "vst", "icb", "png", "jpg", "bmp", "txt"};
constexpr size_t FileExtensionCount = sizeof FileExtensions / sizeof *FileExtensions;

void CheckImage(const QImage &image)
{
    FUZZ_CHECK(image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32);
    FUZZ_CHECK(image.width() > 0 && image.height() > 0);
    FUZZ_CHECK(qint64(image.width()) * image.height() <= MaxImagePixels);
}

// The decoders that answer with an image and a message.
void CheckDecoded(const QImage &image, const QString &error)
{
    if (image.isNull()) {
        FUZZ_CHECK(!error.isEmpty());
        return;
    }
    FUZZ_CHECK(error.isEmpty());
    CheckImage(image);
}

// The readers that answer with a TDecodeResult.
void CheckResult(const TDecodeResult &result)
{
    if (result.Failure != TDecodeFailure::None) {
        FUZZ_CHECK(result.Image.isNull());
        return;
    }
    CheckImage(result.Image);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    StartFuzzApplication();
    // The registry asks Qt for its image plugins once; loading them here keeps it out of the runs.
    ImageFormats();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const auto decoder = TDecoder(data[0] % DecoderCount);
    // Not a copy: the decoders see the bytes where the fuzzer put them, so reading past the end
    // is caught.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QString error = QStringLiteral("unset");
    switch (decoder) {
    case AnyFormat:
        CheckDecoded(DecodeImage(bytes, &error), error);
        break;
    case Jpeg:
        CheckDecoded(DecodeJpeg(bytes, &error), error);
        break;
    case Bmp:
        CheckDecoded(DecodeBmp(bytes, &error), error);
        break;
    case Png:
        CheckDecoded(DecodePng(bytes, &error), error);
        break;
    case Tga:
        CheckResult(ReadTga(bytes));
        break;
    case Svg: {
        const TDecodeResult result = ReadSvg(bytes);
        CheckResult(result);
        // A drawing records the resolution it was rendered at.
        if (!result.Image.isNull())
            FUZZ_CHECK(result.Image.dotsPerMeterX() > 0 && result.Image.dotsPerMeterY() > 0);
        break;
    }
    case File:
        if (size >= 2) {
            const QString path =
                WriteFuzzInputFile(data + 2, size - 2, FileExtensions[data[1] % FileExtensionCount]);
            CheckDecoded(LoadImageFile(path, &error), error);
        }
        break;
    case DecoderCount:
        break;
    }
    return 0;
}
