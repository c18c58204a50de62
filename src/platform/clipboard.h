#pragma once
// The program's clipboard: the desktop's own text and image formats, so that text and
// pictures travel to and from other programs, and private formats carried as MIME types.
// Formats are numbered as the system numbers them: 1 text, 2 bitmap, registered ones after.

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QString>
#include <vector>

constexpr int CF_TEXT = 1;
constexpr int CF_BITMAP = 2;

class Tcustomclipboard {
public:
    // The number of a private format carried under the MIME type; the same type gives the
    // same number.
    int RegisterFormat(const QString &mimeType);
    bool HasFormat(int format) const;
    void Clear();

    QString Text() const;
    void SetText(const QString &text);
    QImage Image() const;
    void SetImage(const QImage &image);

    // Puts a text, an image and the bytes of a private format on the clipboard at once, replacing
    // what it held, so that each program takes the form it understands.
    void SetContents(const QString &text, const QImage &image, int format, const QByteArray &bytes);

    // Writes the bytes of a private format at the stream's position and rewinds the stream to
    // 0; writes nothing when the clipboard does not hold the format.
    void savetomemstream(int format, QIODevice &stream) const;
    // Puts the stream's whole content on the clipboard under the format, replacing what the
    // clipboard held.
    void loadfrommemstream(int format, QIODevice &stream);

private:
    QString MimeTypeOf(int format) const;

    std::vector<QString> Registered;
};

// The clipboard object of the program, made at start-up.
Tcustomclipboard &TheClipboard();
