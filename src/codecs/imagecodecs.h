#pragma once
// The registry of image file formats the program reads: what the open dialog offers and the
// loader for each, chosen by a file's content or extension. Every loader bounds what it allocates
// and turns damaged files into an error message, never a crash.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <vector>

// The largest picture any loader accepts, in pixels.
constexpr qint64 MaxImagePixels = qint64(1) << 28;

struct TImageFormat {
    QString Description;    // "JPEG image"
    QStringList Extensions; // lower case, without dot, the default first: {"jpg", "jpeg", "jpe", "jfif"}
};

// Every format the codecs can read on this machine (those whose Qt plugin is missing are left
// out), in the order the open dialog lists them.
const std::vector<TImageFormat> &ImageFormats();

// The open dialog's filter in the "Description|*.a;*.b|..." form: first one entry with every
// extension of every format ("All pictures"), then one entry per format with its extensions.
QString ImageFileFilter();

// Decodes a file by its content: the signature it starts with decides, whatever the extension
// says; the extension (any case) decides only for formats without a signature (Targa, and SVG
// whose markup starts late). A null image and a message in error when it cannot be read
// ("The file “name” cannot be opened: ...", "... is not a picture this program can read",
// "... is damaged: ...", "... is too large: W by H pixels"); on success error is cleared. The
// result is QImage::Format_ARGB32 or Format_RGB32, upright (a JPEG's EXIF orientation and a
// TIFF's orientation tag applied); an SVG drawing is rendered at 300 pixels per inch of its
// declared size, transparent where it draws nothing.
QImage LoadImageFile(const QString &path, QString *error = nullptr);

// Decoders for image data held in memory (picture records carry JPEG and Windows bitmap
// files): the same bounds as LoadImageFile, and the same messages without the file's name
// ("Not a picture this program can read", "The picture data is damaged: ...", "The picture is
// too large: W by H pixels").
QImage DecodeJpeg(const QByteArray &bytes, QString *error = nullptr);
QImage DecodeBmp(const QByteArray &bytes, QString *error = nullptr);
// Any format the registry knows that its content reveals (not a Targa file without the footer
// of version 2).
QImage DecodeImage(const QByteArray &bytes, QString *error = nullptr);
