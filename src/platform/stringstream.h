#pragma once
// A stream that forwards to another one and adds raw and length-prefixed strings, the
// layout every file header and text record uses for its strings.
//
// Strings are stored as bytes. Text that Windows-1252 can hold is written in it, the code
// page files made on Windows use; other text is written as UTF-8 so nothing typed is lost.
// Reading takes bytes that form valid UTF-8 with non-ASCII characters as UTF-8 and anything
// else as Windows-1252.

#include <QIODevice>
#include <QString>
#include <cstdint>
#include <memory>

QByteArray EncodeFileText(const QString &s);
QString DecodeFileText(const QByteArray &bytes);

// The most characters a text from a file is shown with.
constexpr qsizetype MaxShownFileText = 200;

// A text read from a file (a name, a title) as the user is shown it: control characters, line
// breaks and the marks that reorder text become visible symbols, and a text longer than
// MaxShownFileText keeps its beginning and its end around an ellipsis.
QString ShownFileText(const QString &text);

class tstringwrapstream {
public:
    // With no inner stream an empty memory stream is created and owned; otherwise the
    // inner stream is owned when owns is set.
    explicit tstringwrapstream(QIODevice *inner = nullptr, bool owns = false);
    ~tstringwrapstream();
    tstringwrapstream(const tstringwrapstream &) = delete;
    tstringwrapstream &operator=(const tstringwrapstream &) = delete;

    QIODevice &Inner() const { return *Stream; }

    qint64 Read(char *buffer, qint64 count);
    qint64 Write(const char *buffer, qint64 count);
    enum TSeekOrigin { soBeginning, soCurrent, soEnd };
    qint64 Seek(qint64 offset, TSeekOrigin origin);
    bool SetSize(qint64 size);

    void WriteText(const QString &s);
    // Reads min(count, bytes remaining) bytes.
    QString ReadText(int32_t count);
    void WriteLString(const QString &s);
    QString ReadLString();
    // The same only when the stream holds the whole string: false, with s as it was and the
    // stream used up, when its length runs past the end.
    bool ReadWholeLString(QString &s);
    // A stored length below 1 gives def.
    QString ReadLStringOr(const QString &def);

private:
    QIODevice *Stream = nullptr;
    std::unique_ptr<QIODevice> Owned;
};
