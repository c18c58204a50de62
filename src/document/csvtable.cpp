#include "document/csvtable.h"

#include <QFile>
#include <array>

namespace {
// The file is read and decoded in pieces of this many bytes.
constexpr qint64 ChunkBytes = 64 * 1024;
const QChar Quote = u'"';

// Windows-1252 from 0x80 to 0x9F; the rest of it is Latin-1. The five bytes it leaves
// undefined keep their Latin-1 control characters.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromCp1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = uint8_t(bytes[i]);
        text[i] = QChar(b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

// Follows UTF-8's byte structure across pieces: a lead byte, then as many continuation bytes
// as it announces.
class TUtf8Check {
public:
    bool Take(const QByteArray &bytes)
    {
        for (const char ch : bytes) {
            const auto b = uint8_t(ch);
            if (Pending > 0) {
                if ((b & 0xC0) != 0x80)
                    return false;
                --Pending;
            } else if (b >= 0xC2 && b <= 0xDF) {
                Pending = 1;
            } else if (b >= 0xE0 && b <= 0xEF) {
                Pending = 2;
            } else if (b >= 0xF0 && b <= 0xF4) {
                Pending = 3;
            } else if (b >= 0x80) {
                return false;
            }
        }
        return true;
    }
    bool Complete() const { return Pending == 0; }

private:
    int Pending = 0;
};
} // namespace

Tcsvreader::Tcsvreader(const QString &path)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        throw ECsvError(QStringLiteral("cannot open \"%1\": %2").arg(path, file->errorString()));
    Device = std::move(file);
    Open();
}

Tcsvreader::Tcsvreader(std::unique_ptr<QIODevice> device) : Device(std::move(device))
{
    if (!Device || !Device->isReadable())
        throw ECsvError(QStringLiteral("the table cannot be read"));
    Open();
}

Tcsvreader::~Tcsvreader() = default;

void Tcsvreader::Open()
{
    Utf8 = CheckUtf8();
    if (!Device->seek(0))
        throw ECsvError(QStringLiteral("the table cannot be read twice"));
    if (Utf8)
        Utf8Decoder = std::make_unique<QStringDecoder>(QStringDecoder::Utf8);
    Delimiter = Separator();
    if (!ReadRecord(FieldNames))
        throw ECsvError(QStringLiteral("the table is empty"));
    for (QString &name : FieldNames)
        name = name.trimmed();
}

bool Tcsvreader::CheckUtf8()
{
    TUtf8Check check;
    while (!Device->atEnd()) {
        const QByteArray piece = Device->read(ChunkBytes);
        if (piece.isEmpty())
            break;
        if (!check.Take(piece))
            return false;
    }
    return check.Complete();
}

bool Tcsvreader::Fill()
{
    const QByteArray piece = Device->read(ChunkBytes);
    if (piece.isEmpty())
        return false;
    QString decoded = Utf8 ? Utf8Decoder->decode(piece) : FromCp1252(piece);
    if (AtStart) {
        AtStart = false;
        if (decoded.startsWith(QChar(0xFEFF)))
            decoded.remove(0, 1);
    }
    Text += decoded;
    return true;
}

bool Tcsvreader::Have(qsizetype i)
{
    while (i >= Text.size())
        if (!Fill())
            return false;
    return true;
}

bool Tcsvreader::Peek(QChar &c)
{
    if (Pos >= Text.size()) {
        // What was read is let go before more is decoded.
        Text.clear();
        Pos = 0;
        while (Text.isEmpty())
            if (!Fill())
                return false;
    }
    c = Text[Pos];
    return true;
}

QChar Tcsvreader::Separator()
{
    // Counted outside quotes up to the first line break that is outside them too.
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (qsizetype i = Pos; Have(i); ++i) {
        const QChar c = Text[i];
        if (c == Quote)
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'\n' || c == u'\r')
            break;
        else if (c == u',')
            ++commas;
        else if (c == u';')
            ++semicolons;
        else if (c == u'\t')
            ++tabs;
    }
    if (semicolons > commas && semicolons >= tabs)
        return u';';
    if (tabs > commas && tabs > semicolons)
        return u'\t';
    return u',';
}

void Tcsvreader::Fail(int64_t line, const QString &what) const
{
    throw ECsvError(QStringLiteral("line %1: %2").arg(line).arg(what));
}

bool Tcsvreader::ReadRecord(QStringList &fields)
{
    fields.clear();
    StartLine = Line;
    QString field;
    QChar c;
    if (!Peek(c))
        return false;
    const auto add = [&](QChar ch) {
        if (field.size() >= MaxCsvField)
            Fail(StartLine, QStringLiteral("a field is longer than %1 characters").arg(MaxCsvField));
        field += ch;
    };
    for (;;) {
        // A field: quoted, or plain up to the next separator or line break.
        if (Peek(c) && c == Quote) {
            const int64_t quoteLine = Line;
            ++Pos;
            for (;;) {
                if (!Peek(c))
                    Fail(quoteLine, QStringLiteral("a quote is not closed"));
                ++Pos;
                if (c == Quote) {
                    QChar next;
                    if (Peek(next) && next == Quote) {
                        ++Pos;
                        add(Quote);
                        continue;
                    }
                    break;
                }
                if (c == u'\n')
                    ++Line;
                add(c);
            }
            if (Peek(c) && c != Delimiter && c != u'\r' && c != u'\n')
                Fail(Line,
                     QStringLiteral("a closing quote is followed by \"%1\", not by a separator").arg(c));
        } else {
            while (Peek(c) && c != Delimiter && c != u'\r' && c != u'\n') {
                add(c);
                ++Pos;
            }
        }
        fields.append(field);
        field.clear();
        if (!Peek(c))
            return true;
        ++Pos;
        if (c == Delimiter)
            continue;
        // The line ends: CR LF, LF or CR alone.
        if (c == u'\r' && Peek(c) && c == u'\n')
            ++Pos;
        ++Line;
        return true;
    }
}

bool Tcsvreader::Next(QStringList &fields)
{
    for (;;) {
        if (!ReadRecord(fields))
            return false;
        if (fields.size() == 1 && fields.first().isEmpty())
            continue; // an empty line
        if (fields.size() != FieldNames.size())
            Fail(StartLine, QStringLiteral("%1 fields where the first line names %2")
                                .arg(fields.size())
                                .arg(FieldNames.size()));
        return true;
    }
}
