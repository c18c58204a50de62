#include "platform/stringstream.h"

#include "platform/errors.h"
#include "platform/streams.h"

#include <QBuffer>
#include <QFile>
#include <QStringDecoder>
#include <array>

namespace {
// Windows-1252 code points for the bytes 0x80 .. 0x9F; 0 marks the five unassigned bytes.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool EncodeCp1252(QChar c, char &byte)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        byte = static_cast<char>(u);
        return true;
    }
    for (size_t i = 0; i < Cp1252High.size(); ++i) {
        if (Cp1252High[i] != 0 && Cp1252High[i] == u) {
            byte = static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

QChar DecodeCp1252(uint8_t byte)
{
    if (byte >= 0x80 && byte <= 0x9F && Cp1252High[byte - 0x80] != 0)
        return QChar(Cp1252High[byte - 0x80]);
    return QChar(byte); // Latin-1 for the rest, and the unassigned bytes kept as their code
}
} // namespace

namespace {
// What a character the user could not see, or that would rearrange the text around it, is
// shown as: a control picture for the ASCII controls, the replacement mark for the rest.
QChar VisibleChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20)
        return QChar(char16_t(0x2400 + u)); // the control pictures: NUL, SOH, ... US
    if (u == 0x7F)
        return QChar(char16_t(0x2421));
    const bool reorders = u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) ||
                          (u >= 0x2066 && u <= 0x2069);
    if (reorders || c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
        c.category() == QChar::Separator_Paragraph)
        return QChar(char16_t(0xFFFD));
    return c;
}
} // namespace

QString ShownFileText(const QString &text)
{
    QString shown = text;
    if (shown.size() > MaxShownFileText) {
        // Two thirds from the beginning, the rest from the end (a file name's extension),
        // neither cut through a character made of two code units.
        qsizetype head = (MaxShownFileText - 1) * 2 / 3;
        qsizetype tail = MaxShownFileText - 1 - head;
        if (text[head - 1].isHighSurrogate())
            --head;
        if (text[text.size() - tail].isLowSurrogate())
            --tail;
        shown = text.left(head) + QChar(char16_t(0x2026)) + text.right(tail);
    }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i].isSurrogate()) {
            const bool paired =
                shown[i].isHighSurrogate() && i + 1 < shown.size() && shown[i + 1].isLowSurrogate();
            if (paired)
                ++i;
            else
                shown[i] = QChar(char16_t(0xFFFD));
            continue;
        }
        shown[i] = VisibleChar(shown[i]);
    }
    return shown;
}

QByteArray EncodeFileText(const QString &s)
{
    QByteArray bytes;
    bytes.reserve(s.size());
    for (QChar c : s) {
        char b;
        if (!EncodeCp1252(c, b))
            return s.toUtf8();
        bytes.append(b);
    }
    return bytes;
}

QString DecodeFileText(const QByteArray &bytes)
{
    bool ascii = true;
    for (char b : bytes)
        if (static_cast<uint8_t>(b) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(bytes);
    if (!utf8.hasError())
        return decoded;
    QString text;
    text.reserve(bytes.size());
    for (char b : bytes)
        text.append(DecodeCp1252(static_cast<uint8_t>(b)));
    return text;
}

tstringwrapstream::tstringwrapstream(QIODevice *inner, bool owns)
{
    if (inner == nullptr) {
        auto buffer = std::make_unique<QBuffer>();
        buffer->open(QIODevice::ReadWrite);
        Owned = std::move(buffer);
        Stream = Owned.get();
    } else {
        Stream = inner;
        if (owns)
            Owned.reset(inner);
    }
}

tstringwrapstream::~tstringwrapstream() = default;

qint64 tstringwrapstream::Read(char *buffer, qint64 count)
{
    return Stream->read(buffer, std::min(count, Remaining(*Stream)));
}

qint64 tstringwrapstream::Write(const char *buffer, qint64 count)
{
    return Stream->write(buffer, count);
}

qint64 tstringwrapstream::Seek(qint64 offset, TSeekOrigin origin)
{
    qint64 target = offset;
    if (origin == soCurrent)
        target += Stream->pos();
    else if (origin == soEnd)
        target += Stream->size();
    Stream->seek(std::max<qint64>(0, target));
    return Stream->pos();
}

bool tstringwrapstream::SetSize(qint64 size)
{
    if (auto *buffer = qobject_cast<QBuffer *>(Stream)) {
        buffer->buffer().resize(size);
        if (buffer->pos() > size)
            buffer->seek(size);
        return true;
    }
    if (auto *file = qobject_cast<QFile *>(Stream))
        return file->resize(size);
    return false;
}

void tstringwrapstream::WriteText(const QString &s)
{
    WriteBytes(*Stream, EncodeFileText(s));
}

QString tstringwrapstream::ReadText(int32_t count)
{
    return DecodeFileText(ReadBytes(*Stream, count));
}

void tstringwrapstream::WriteLString(const QString &s)
{
    const QByteArray bytes = EncodeFileText(s);
    WriteInt32(*Stream, static_cast<int32_t>(bytes.size()));
    WriteBytes(*Stream, bytes);
}

QString tstringwrapstream::ReadLString()
{
    int32_t n = 0;
    ReadInt32(*Stream, n);
    return ReadText(n);
}

bool tstringwrapstream::ReadWholeLString(QString &s)
{
    int32_t n = 0;
    if (!ReadInt32(*Stream, n))
        return false;
    if (n > Remaining(*Stream)) {
        ReadBytes(*Stream, n);
        return false;
    }
    s = ReadText(n);
    return true;
}

QString tstringwrapstream::ReadLStringOr(const QString &def)
{
    int32_t n = 0;
    ReadInt32(*Stream, n);
    if (n < 1)
        return def;
    return ReadText(n);
}
