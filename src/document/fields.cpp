#include "document/fields.h"

#include <QLocale>

const TFieldValues *FieldFill = nullptr;

namespace {
const QString NumberField = QStringLiteral("n");
const QString CountField = QStringLiteral("count");
const QString DateField = QStringLiteral("date");
// The widest number ${n:w} pads to.
constexpr int MaxNumberWidth = 18;

// Walks text: literal runs go to literal, each field to field (its name, what follows the
// colon, and the field as written). $$ is one $; a $ not followed by a closed brace pair is
// literal.
template <class Literal, class Field> void ScanFields(const QString &text, Literal &&literal, Field &&field)
{
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] != u'$' || i + 1 >= text.size()) {
            ++i;
            continue;
        }
        if (text[i + 1] == u'$') {
            literal(QStringView(text).mid(runStart, i + 1 - runStart));
            i += 2;
            runStart = i;
            continue;
        }
        const qsizetype close = text[i + 1] == u'{' ? text.indexOf(u'}', i + 2) : -1;
        const qsizetype lineEnd = text.indexOf(u'\n', i + 2);
        if (close < 0 || (lineEnd >= 0 && lineEnd < close)) {
            ++i;
            continue;
        }
        literal(QStringView(text).mid(runStart, i - runStart));
        const QStringView inside = QStringView(text).mid(i + 2, close - i - 2);
        const qsizetype colon = inside.indexOf(u':');
        field(inside.left(colon < 0 ? inside.size() : colon).trimmed().toString(),
              colon < 0 ? QString() : inside.mid(colon + 1).toString(),
              QStringView(text).mid(i, close + 1 - i));
        i = close + 1;
        runStart = i;
    }
    literal(QStringView(text).mid(runStart));
}

bool IsWidth(const QString &format, int &width)
{
    bool ok = false;
    width = format.toInt(&ok);
    return ok && width >= 0 && width <= MaxNumberWidth && !format.startsWith(u'+');
}

QString Padded(int64_t number, int width)
{
    QString digits = QString::number(number);
    const bool negative = digits.startsWith(u'-');
    if (negative)
        digits.remove(0, 1);
    return (negative ? QStringLiteral("-") : QString()) + digits.rightJustified(width, u'0');
}

// The value of one field, or false when nobody knows it.
bool FieldValue(const QString &name, const QString &format, bool formatted, const TFieldValues &values,
                QString &out)
{
    // A column of the table wins over a built-in of the same name: a "date" column is the
    // bottling date the table gives, not today.
    if (!formatted)
        if (const QString *value = values.Value(name)) {
            out = *value;
            return true;
        }
    if (name == NumberField) {
        int width = 0;
        if (formatted && !IsWidth(format, width))
            return false;
        out = Padded(values.Number, width);
        return true;
    }
    if (name == DateField) {
        out = formatted ? values.Today.toString(format)
                        : QLocale().toString(values.Today, QLocale::ShortFormat);
        return true;
    }
    if (formatted)
        return false;
    if (name == CountField) {
        out = QString::number(values.Count);
        return true;
    }
    return false;
}
} // namespace

const QString *TFieldValues::Value(const QString &name) const
{
    if (!Names)
        return nullptr;
    qsizetype found = Names->indexOf(name);
    for (qsizetype i = 0; found < 0 && i < Names->size(); ++i)
        if (name.compare(Names->at(i), Qt::CaseInsensitive) == 0)
            found = i;
    return found >= 0 && found < Values.size() ? &Values[found] : nullptr;
}

QString FillFields(const QString &text, const TFieldValues &values, QStringList *unknown)
{
    QString out;
    out.reserve(text.size());
    ScanFields(
        text, [&](QStringView run) { out += run; },
        [&](const QString &name, const QString &format, QStringView written) {
            QString value;
            const bool formatted = written.contains(u':');
            if (FieldValue(name, format, formatted, values, value)) {
                out += value;
                return;
            }
            out += written;
            if (unknown && !unknown->contains(written.toString()))
                unknown->append(written.toString());
        });
    return out;
}

QStringList FieldsIn(const QString &text)
{
    QStringList fields;
    if (!text.contains(u'$'))
        return fields;
    ScanFields(
        text, [](QStringView) {},
        [&](const QString &, const QString &, QStringView written) {
            if (!fields.contains(written.toString()))
                fields.append(written.toString());
        });
    return fields;
}

bool HasFields(const QString &text)
{
    return text.contains(QLatin1String("${")) && !FieldsIn(text).isEmpty();
}
