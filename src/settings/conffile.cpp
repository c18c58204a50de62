#include "settings/conffile.h"

#include "platform/messages.h"
#include "settings/fileio.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtEndian>

namespace {

const QLatin1Char KeyMarker('*');
const QLatin1Char ValuePrefix('=');
constexpr QLatin1String DamagedSuffix(".damaged");

// Escapes what QSettings would take for a separator, so names and key parts keep them.
QString EscapePart(const QString &part)
{
    QString out;
    for (QChar c : part) {
        if (c == QLatin1Char('%'))
            out += QLatin1String("%25");
        else if (c == QLatin1Char('/'))
            out += QLatin1String("%2F");
        else if (c == QLatin1Char('\\'))
            out += QLatin1String("%5C");
        else
            out += c;
    }
    return out;
}

QString UnescapePart(const QString &part)
{
    QString out;
    for (qsizetype i = 0; i < part.size(); ++i) {
        if (part[i] == QLatin1Char('%') && i + 2 < part.size()) {
            const QStringView code = QStringView(part).mid(i + 1, 2);
            if (code == QLatin1String("25") || code == QLatin1String("2F") || code == QLatin1String("5C")) {
                out += QChar(code.toUShort(nullptr, 16));
                i += 2;
                continue;
            }
        }
        out += part[i];
    }
    return out;
}

QString EntryPrefix(const QString &path)
{
    QStringList parts;
    for (const QString &part : path.split(QLatin1Char('\\'), Qt::SkipEmptyParts))
        parts.push_back(EscapePart(part));
    return parts.isEmpty() ? QString() : parts.join(QLatin1Char('/')) + QLatin1Char('/');
}

QString KeyEntry(const QString &path)
{
    return EntryPrefix(path) + KeyMarker;
}

QString ValueEntry(const QString &path, const QString &name)
{
    return EntryPrefix(path) + ValuePrefix + EscapePart(name);
}

// An entry's key path (parts joined by "\") and its value name; nullopt for a key's own entry.
struct TEntryName {
    QString Path;
    std::optional<QString> Value;
};

std::optional<TEntryName> SplitEntry(const QString &entry)
{
    const qsizetype slash = entry.lastIndexOf(QLatin1Char('/'));
    const QString leaf = entry.mid(slash + 1);
    QStringList parts;
    if (slash > 0)
        for (const QString &part : entry.left(slash).split(QLatin1Char('/')))
            parts.push_back(UnescapePart(part));
    TEntryName name{parts.join(QLatin1Char('\\')), std::nullopt};
    if (leaf == QString(KeyMarker) && !name.Path.isEmpty())
        return name;
    if (leaf.startsWith(ValuePrefix)) {
        name.Value = UnescapePart(leaf.mid(1));
        return name;
    }
    return std::nullopt;
}

QVariant ToVariant(const TRegValue &value)
{
    if (const auto *text = std::get_if<QString>(&value))
        return *text;
    if (const auto *number = std::get_if<int32_t>(&value))
        return QVariant(static_cast<int>(*number));
    return std::get<QByteArray>(value);
}

std::optional<TRegValue> FromVariant(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::Int:
        return static_cast<int32_t>(v.toInt());
    case QMetaType::QByteArray:
        return v.toByteArray();
    default:
        return std::nullopt;
    }
}

// Quoted text with \\, \", \r, \n, \t and \xHH for the other control characters.
QString QuoteText(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

// Reads a quoted text starting at pos; pos ends after the closing quote.
std::optional<QString> UnquoteText(QStringView line, qsizetype &pos)
{
    if (pos >= line.size() || line[pos] != QLatin1Char('"'))
        return std::nullopt;
    QString out;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == QLatin1Char('"')) {
            ++pos;
            return out;
        }
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++pos >= line.size())
            return std::nullopt;
        switch (line[pos].unicode()) {
        case '\\':
            out += QLatin1Char('\\');
            break;
        case '"':
            out += QLatin1Char('"');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'x': {
            bool ok = false;
            const ushort code = line.mid(pos + 1, 2).toUShort(&ok, 16);
            if (!ok || pos + 2 >= line.size())
                return std::nullopt;
            out += QChar(code);
            pos += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

QString FormatData(const TRegValue &value)
{
    if (const auto *text = std::get_if<QString>(&value))
        return QuoteText(*text);
    if (const auto *number = std::get_if<int32_t>(&value))
        return QStringLiteral("dword:%1").arg(static_cast<uint32_t>(*number), 8, 16, QLatin1Char('0'));
    QStringList bytes;
    for (char b : std::get<QByteArray>(value))
        bytes.push_back(QStringLiteral("%1").arg(static_cast<uint8_t>(b), 2, 16, QLatin1Char('0')));
    return QStringLiteral("hex:") + bytes.join(QLatin1Char(','));
}

std::optional<TRegValue> ParseData(QStringView data)
{
    if (data.startsWith(QLatin1Char('"'))) {
        qsizetype pos = 0;
        auto text = UnquoteText(data, pos);
        if (!text || pos != data.size())
            return std::nullopt;
        return *text;
    }
    if (data.startsWith(QLatin1String("dword:"))) {
        const QStringView digits = data.mid(6);
        bool ok = false;
        const uint32_t number = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith(QLatin1Char('-')) ||
            digits.startsWith(QLatin1Char('+')))
            return std::nullopt;
        return static_cast<int32_t>(number);
    }
    if (data.startsWith(QLatin1String("hex:"))) {
        QByteArray bytes;
        const QStringView list = data.mid(4);
        if (list.isEmpty())
            return bytes;
        for (QStringView item : list.split(QLatin1Char(','))) {
            bool ok = false;
            const uint number = item.toUInt(&ok, 16);
            if (!ok || item.size() != 2)
                return std::nullopt;
            bytes.append(static_cast<char>(number));
        }
        return bytes;
    }
    return std::nullopt;
}

// One "name"=data line into map; false when the line is not one.
bool ParseValueLine(QStringView line, const QString &path, QSettings::SettingsMap &map)
{
    qsizetype pos = 0;
    QString name;
    if (line.startsWith(QLatin1Char('@'))) {
        pos = 1;
    } else {
        auto quoted = UnquoteText(line, pos);
        if (!quoted)
            return false;
        name = *quoted;
    }
    while (pos < line.size() && line[pos].isSpace())
        ++pos;
    if (pos >= line.size() || line[pos] != QLatin1Char('='))
        return false;
    auto value = ParseData(line.mid(pos + 1).trimmed());
    if (!value)
        return false;
    map.insert(ValueEntry(path, name), ToVariant(*value));
    return true;
}

void InsertKey(const QString &path, QSettings::SettingsMap &map)
{
    for (const QString &key : KeyPathChain(path))
        map.insert(KeyEntry(key), QString());
}

bool ReadFunction(QIODevice &device, QSettings::SettingsMap &map)
{
    ParseRegFile(device.readAll(), map);
    return true;
}

bool WriteFunction(QIODevice &device, const QSettings::SettingsMap &map)
{
    const QByteArray text = FormatRegFile(map);
    return device.write(text) == text.size();
}

// Adds the entries of the key and the keys above it that are missing; returns what it added.
QStringList AddKeyEntries(QSettings &settings, const QString &path)
{
    QStringList added;
    for (const QString &key : KeyPathChain(path)) {
        const QString entry = KeyEntry(key);
        if (!settings.contains(entry)) {
            settings.setValue(entry, QString());
            added.push_back(entry);
        }
    }
    return added;
}

} // namespace

QSettings::Format RegFileFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("conf"), ReadFunction, WriteFunction, Qt::CaseSensitive);
    return format;
}

int ParseRegFile(const QByteArray &text, QSettings::SettingsMap &map)
{
    int firstBad = 0;
    std::optional<QString> path;
    const QString all = QString::fromUtf8(text);
    int number = 0;
    for (QStringView line : QStringView(all).split(QLatin1Char('\n'))) {
        ++number;
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        bool understood = false;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const std::vector<QString> chain = KeyPathChain(line.mid(1, line.size() - 2).toString());
            path = chain.empty() ? QString() : chain.back();
            InsertKey(*path, map);
            understood = true;
        } else if (path) {
            understood = ParseValueLine(line, *path, map);
        }
        if (!understood && firstBad == 0)
            firstBad = number;
    }
    return firstBad;
}

QByteArray FormatRegFile(const QSettings::SettingsMap &map)
{
    std::map<QString, std::map<QString, TRegValue>> keys;
    for (auto entry = map.begin(); entry != map.end(); ++entry) {
        const auto name = SplitEntry(entry.key());
        if (!name)
            continue;
        auto &values = keys[name->Path];
        if (!name->Value)
            continue;
        if (auto value = FromVariant(entry.value()))
            values.insert_or_assign(*name->Value, *value);
    }
    QString text = QStringLiteral("; Ambrelo settings: a [key] line per key, then its values.\n");
    for (const auto &[path, values] : keys) {
        text += QStringLiteral("\n[") + path + QStringLiteral("]\n");
        for (const auto &[name, value] : values)
            text += (name.isEmpty() ? QStringLiteral("@") : QuoteText(name)) + QLatin1Char('=') +
                    FormatData(value) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

Tconffilebackend::Tconffilebackend(const QString &fileName) : File(QFileInfo(fileName).absoluteFilePath())
{
    CheckForDamage();
}

void Tconffilebackend::CheckForDamage() const
{
    QFile file(File);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QSettings::SettingsMap map;
    const int line = ParseRegFile(file.readAll(), map);
    file.close();
    if (line == 0)
        return;
    const QString copy = File + DamagedSuffix;
    QFile::remove(copy);
    const bool kept = QFile::copy(File, copy);
    MessageBox(
        QStringLiteral("The settings file \"%1\" is damaged at line %2; what could not be read there is "
                       "ignored.")
                .arg(File)
                .arg(line) +
            (kept ? QStringLiteral("\r\nThe file as it was is kept as \"%1\".").arg(copy) : QString()),
        TMsgIcon::Warning);
}

bool Tconffilebackend::KeyExists(const QString &path) const
{
    if (KeyPathChain(path).empty())
        return true;
    QSettings settings(File, RegFileFormat());
    return settings.contains(KeyEntry(path));
}

int Tconffilebackend::CreateKey(const QString &path)
{
    if (KeyExists(path))
        return 0;
    QSettings settings(File, RegFileFormat());
    const QStringList added = AddKeyEntries(settings, path);
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return 0;
    for (const QString &entry : added)
        settings.remove(entry);
    return FindWriteError(File, QFileInfo(File).size() + path.size());
}

std::optional<TRegValue> Tconffilebackend::ReadValue(const QString &path, const QString &name) const
{
    QSettings settings(File, RegFileFormat());
    const QVariant value = settings.value(ValueEntry(path, name));
    return FromVariant(value);
}

int Tconffilebackend::WriteValue(const QString &path, const QString &name, const TRegValue &value)
{
    QSettings settings(File, RegFileFormat());
    const QString entry = ValueEntry(path, name);
    const QVariant old = settings.value(entry);
    const QStringList added = AddKeyEntries(settings, path);
    const QVariant data = ToVariant(value);
    settings.setValue(entry, data);
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return 0;
    if (old.isValid())
        settings.setValue(entry, old);
    else
        settings.remove(entry);
    for (const QString &key : added)
        settings.remove(key);
    return FindWriteError(File, QFileInfo(File).size() + FormatData(value).size() + name.size());
}
