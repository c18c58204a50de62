#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <memory>

namespace {
constexpr int FirstRegisteredFormat = 0xC000;

QClipboard *Board()
{
    return QGuiApplication::clipboard();
}
} // namespace

int Tcustomclipboard::RegisterFormat(const QString &mimeType)
{
    for (size_t i = 0; i < Registered.size(); ++i)
        if (Registered[i] == mimeType)
            return FirstRegisteredFormat + int(i);
    Registered.push_back(mimeType);
    return FirstRegisteredFormat + int(Registered.size() - 1);
}

QString Tcustomclipboard::MimeTypeOf(int format) const
{
    const int index = format - FirstRegisteredFormat;
    return index >= 0 && size_t(index) < Registered.size() ? Registered[size_t(index)] : QString();
}

bool Tcustomclipboard::HasFormat(int format) const
{
    const QMimeData *data = Board() ? Board()->mimeData() : nullptr;
    if (!data)
        return false;
    switch (format) {
    case CF_TEXT:
        return data->hasText();
    case CF_BITMAP:
        return data->hasImage();
    default: {
        const QString type = MimeTypeOf(format);
        return !type.isEmpty() && data->hasFormat(type);
    }
    }
}

void Tcustomclipboard::Clear()
{
    if (Board())
        Board()->clear();
}

QString Tcustomclipboard::Text() const
{
    return Board() ? Board()->text() : QString();
}

void Tcustomclipboard::SetText(const QString &text)
{
    if (Board())
        Board()->setText(text);
}

QImage Tcustomclipboard::Image() const
{
    return Board() ? Board()->image() : QImage();
}

void Tcustomclipboard::SetImage(const QImage &image)
{
    if (Board())
        Board()->setImage(image);
}

void Tcustomclipboard::savetomemstream(int format, QIODevice &stream) const
{
    const QMimeData *data = Board() ? Board()->mimeData() : nullptr;
    const QString type = MimeTypeOf(format);
    if (!data || type.isEmpty() || !data->hasFormat(type))
        return;
    stream.write(data->data(type));
    stream.seek(0);
}

void Tcustomclipboard::loadfrommemstream(int format, QIODevice &stream)
{
    const QString type = MimeTypeOf(format);
    if (type.isEmpty() || !Board())
        return;
    stream.seek(0);
    auto data = std::make_unique<QMimeData>();
    data->setData(type, stream.readAll());
    Board()->setMimeData(data.release()); // the clipboard takes the data
}

void Tcustomclipboard::SetContents(const QString &text, const QImage &image, int format,
                                   const QByteArray &bytes)
{
    if (!Board())
        return;
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    if (!image.isNull())
        data->setImageData(image);
    const QString type = MimeTypeOf(format);
    if (!type.isEmpty())
        data->setData(type, bytes);
    Board()->setMimeData(data.release()); // the clipboard takes the data
}

Tcustomclipboard &TheClipboard()
{
    static Tcustomclipboard clipboard;
    return clipboard;
}
