#include "codecs/imagecodecs.h"

#include "codecs/decoding.h"
#include "codecs/jpeg.h"
#include "codecs/pluginformats.h"
#include "codecs/png.h"
#include "codecs/svg.h"
#include "codecs/tga.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <cstring>
#include <new>

namespace {

// The largest file LoadImageFile reads into memory: room for MaxImagePixels uncompressed at
// 8 bytes a pixel.
constexpr qint64 MaxFileBytes = MaxImagePixels * 8;

struct TFormatEntry {
    TImageFormat Format;
    TDecodeResult (*Read)(const QByteArray &bytes);
    bool (*Recognises)(const QByteArray &bytes);
    // Whether every file of the format starts with what Recognises looks for; a file without
    // it is read by its extension only when this is false.
    bool Signed;
    const char *Plugin; // the Qt image plugin the format needs, or null
};

bool StartsWith(const QByteArray &bytes, const char *prefix, qsizetype length)
{
    return bytes.size() >= length && std::memcmp(bytes.constData(), prefix, size_t(length)) == 0;
}

quint32 Le16At(const QByteArray &bytes, qsizetype at)
{
    return uchar(bytes[at]) | uchar(bytes[at + 1]) << 8;
}

bool IsJpeg(const QByteArray &b)
{
    return StartsWith(b, "\xFF\xD8\xFF", 3);
}
bool IsPng(const QByteArray &b)
{
    return StartsWith(b, "\x89PNG\r\n\x1A\n", 8);
}
bool IsBmp(const QByteArray &b)
{
    return StartsWith(b, "BM", 2) && b.size() >= 18 && Le16At(b, 14) >= 12 && Le16At(b, 16) == 0;
}
bool IsGif(const QByteArray &b)
{
    return StartsWith(b, "GIF87a", 6) || StartsWith(b, "GIF89a", 6);
}
bool IsTiff(const QByteArray &b)
{
    return StartsWith(b, "II*\0", 4) || StartsWith(b, "MM\0*", 4);
}
bool IsWebp(const QByteArray &b)
{
    return StartsWith(b, "RIFF", 4) && b.size() >= 12 && std::memcmp(b.constData() + 8, "WEBP", 4) == 0;
}
bool IsIco(const QByteArray &b)
{
    return StartsWith(b, "\0\0\1\0", 4) && b.size() >= 22 && Le16At(b, 4) > 0;
}
bool IsPnm(const QByteArray &b)
{
    return b.size() >= 3 && b[0] == 'P' && b[1] >= '1' && b[1] <= '6' &&
           (QByteArrayView(" \t\n\r\v\f#").contains(b[2]));
}

// PNG goes through png.h, whose messages are documented there.
TDecodeResult ReadPng(const QByteArray &bytes)
{
    QString error;
    QImage image = DecodePng(bytes, &error);
    if (!image.isNull())
        return Decoded(std::move(image));
    static const QRegularExpression tooLarge(
        QStringLiteral("^The image is too large: (\\d+) by (\\d+) pixels"));
    static const QString damaged = QStringLiteral("The PNG data is damaged: ");
    if (const QRegularExpressionMatch m = tooLarge.match(error); m.hasMatch())
        return TooLarge(m.captured(1).toLongLong(), m.captured(2).toLongLong());
    if (error.startsWith(damaged))
        return Damaged(error.mid(damaged.size()));
    if (error == QLatin1String("Not a PNG file"))
        return NotReadable(QStringLiteral("not a PNG file"));
    return Damaged(error);
}

const std::vector<TFormatEntry> &AllFormats()
{
    static const std::vector<TFormatEntry> formats = {
        {{QStringLiteral("JPEG image"), {"jpg", "jpeg", "jpe", "jfif"}}, ReadJpeg, IsJpeg, true, nullptr},
        {{QStringLiteral("PNG image"), {"png"}}, ReadPng, IsPng, true, nullptr},
        {{QStringLiteral("Windows bitmap"), {"bmp", "dib", "rle"}}, ReadBmp, IsBmp, true, "bmp"},
        {{QStringLiteral("GIF image"), {"gif"}}, ReadGif, IsGif, true, "gif"},
        {{QStringLiteral("TIFF image"), {"tif", "tiff"}}, ReadTiff, IsTiff, true, "tiff"},
        {{QStringLiteral("WebP image"), {"webp"}}, ReadWebp, IsWebp, true, "webp"},
        {{QStringLiteral("SVG drawing"), {"svg"}}, ReadSvg, LooksLikeSvg, false, nullptr},
        {{QStringLiteral("Windows icon"), {"ico"}}, ReadIco, IsIco, true, "ico"},
        {{QStringLiteral("Portable pixmap"), {"ppm", "pgm", "pbm"}}, ReadPnm, IsPnm, true, "ppm"},
        {{QStringLiteral("Targa image"), {"tga", "vst", "vda", "icb", "win"}},
         ReadTga,
         HasTgaFooter,
         false,
         nullptr},
    };
    return formats;
}

// The formats that load on this machine: ours, and those whose plugin Qt finds.
const std::vector<const TFormatEntry *> &Available()
{
    static const std::vector<const TFormatEntry *> available = [] {
        const QList<QByteArray> plugins = QImageReader::supportedImageFormats();
        std::vector<const TFormatEntry *> list;
        for (const TFormatEntry &entry : AllFormats())
            if (!entry.Plugin || plugins.contains(entry.Plugin))
                list.push_back(&entry);
        return list;
    }();
    return available;
}

// The format that reads the bytes: the one whose signature they carry, else the one the
// extension names when its files carry no signature of their own.
const TFormatEntry *FormatOf(const QByteArray &bytes, const QString &extension)
{
    for (const TFormatEntry *entry : Available())
        if (entry->Recognises(bytes))
            return entry;
    for (const TFormatEntry *entry : Available())
        if (!entry->Signed && entry->Format.Extensions.contains(extension))
            return entry;
    return nullptr;
}

QString DataMessage(const TDecodeResult &r)
{
    switch (r.Failure) {
    case TDecodeFailure::NotReadable:
        return r.Detail.isEmpty() ? QStringLiteral("Not a picture this program can read")
                                  : QStringLiteral("Not a picture this program can read (%1)").arg(r.Detail);
    case TDecodeFailure::Damaged:
        return QStringLiteral("The picture data is damaged: %1").arg(r.Detail);
    case TDecodeFailure::TooLarge:
        return QStringLiteral("The picture is too large: %1 by %2 pixels").arg(r.Width).arg(r.Height);
    case TDecodeFailure::OutOfMemory:
        return QStringLiteral("Not enough memory for a %1 by %2 pixel picture").arg(r.Width).arg(r.Height);
    case TDecodeFailure::None:
        break;
    }
    return {};
}

QString FileMessage(const TDecodeResult &r, const QString &name)
{
    switch (r.Failure) {
    case TDecodeFailure::NotReadable:
        return r.Detail.isEmpty()
                   ? QStringLiteral("The file \u201c%1\u201d is not a picture this program can read")
                         .arg(name)
                   : QStringLiteral("The file \u201c%1\u201d is not a picture this program can read (%2)")
                         .arg(name, r.Detail);
    case TDecodeFailure::Damaged:
        return QStringLiteral("The file \u201c%1\u201d is damaged: %2").arg(name, r.Detail);
    case TDecodeFailure::TooLarge:
        return QStringLiteral("The file \u201c%1\u201d is too large: %2 by %3 pixels")
            .arg(name)
            .arg(r.Width)
            .arg(r.Height);
    case TDecodeFailure::OutOfMemory:
        return QStringLiteral("There is not enough memory to read the file \u201c%1\u201d (%2 by %3 pixels)")
            .arg(name)
            .arg(r.Width)
            .arg(r.Height);
    case TDecodeFailure::None:
        break;
    }
    return {};
}

QImage Fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return {};
}

QImage Deliver(TDecodeResult result, QString *error, const QString &message)
{
    if (error)
        *error = message;
    return result.Failure == TDecodeFailure::None ? std::move(result.Image) : QImage();
}

QImage DecodeData(TDecodeResult (*read)(const QByteArray &), const QByteArray &bytes, QString *error)
{
    try {
        TDecodeResult result = read(bytes);
        const QString message = DataMessage(result);
        return Deliver(std::move(result), error, message);
    } catch (const std::bad_alloc &) {
        return Fail(error, QStringLiteral("Not enough memory to read the picture"));
    }
}

TDecodeResult ReadAnyFormat(const QByteArray &bytes)
{
    const TFormatEntry *entry = FormatOf(bytes, {});
    return entry ? entry->Read(bytes) : NotReadable();
}

} // namespace

const std::vector<TImageFormat> &ImageFormats()
{
    static const std::vector<TImageFormat> formats = [] {
        std::vector<TImageFormat> list;
        for (const TFormatEntry *entry : Available())
            list.push_back(entry->Format);
        return list;
    }();
    return formats;
}

QString ImageFileFilter()
{
    QStringList every, entries;
    for (const TImageFormat &format : ImageFormats()) {
        QStringList patterns;
        for (const QString &extension : format.Extensions)
            patterns << QStringLiteral("*.") + extension;
        every << patterns;
        entries << format.Description + QLatin1Char('|') + patterns.join(QLatin1Char(';'));
    }
    return QStringLiteral("All pictures|") + every.join(QLatin1Char(';')) + QLatin1Char('|') +
           entries.join(QLatin1Char('|'));
}

QImage LoadImageFile(const QString &path, QString *error)
{
    const QFileInfo info(path);
    const QString name = info.fileName().isEmpty() ? path : info.fileName();
    const auto cannotOpen = [&](const QString &reason) {
        return Fail(error, QStringLiteral("The file \u201c%1\u201d cannot be opened: %2").arg(name, reason));
    };
    if (info.isDir())
        return cannotOpen(QStringLiteral("it is a folder"));
    try {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return cannotOpen(file.errorString());
        if (file.isSequential())
            return cannotOpen(QStringLiteral("it is not a regular file"));
        if (file.size() > MaxFileBytes)
            return Fail(error, QStringLiteral("The file \u201c%1\u201d is too large to be a picture: %2 MB")
                                   .arg(name)
                                   .arg(file.size() / (1024 * 1024)));
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return Fail(
                error,
                QStringLiteral("The file \u201c%1\u201d cannot be read: %2").arg(name, file.errorString()));
        if (bytes.isEmpty())
            return Fail(error, QStringLiteral("The file \u201c%1\u201d is empty").arg(name));
        const TFormatEntry *entry = FormatOf(bytes, info.suffix().toLower());
        TDecodeResult result = entry ? entry->Read(bytes) : NotReadable();
        const QString message = FileMessage(result, name);
        return Deliver(std::move(result), error, message);
    } catch (const std::bad_alloc &) {
        return Fail(error,
                    QStringLiteral("There is not enough memory to read the file \u201c%1\u201d").arg(name));
    }
}

QImage DecodeJpeg(const QByteArray &bytes, QString *error)
{
    return DecodeData(ReadJpeg, bytes, error);
}

QImage DecodeBmp(const QByteArray &bytes, QString *error)
{
    return DecodeData(ReadBmp, bytes, error);
}

QImage DecodeImage(const QByteArray &bytes, QString *error)
{
    return DecodeData(ReadAnyFormat, bytes, error);
}
