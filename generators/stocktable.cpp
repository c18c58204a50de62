#include "stocktable.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <map>

namespace {

// US letter, in inches.
constexpr double PageShort = 8.5;
constexpr double PageLong = 11.0;
// How far a sheet may be off centre or off the page: far below what a printer can show.
constexpr double Tolerance = 0.001;

const QStringList Keys{QStringLiteral("label"),   QStringLiteral("grid"), QStringLiteral("margins"),
                       QStringLiteral("gutters"), QStringLiteral("page"), QStringLiteral("design"),
                       QStringLiteral("about")};

QString At(int line, const QString &message)
{
    return QStringLiteral("line %1: %2").arg(line).arg(message);
}

// "a x b" or "a, b" into two parts.
bool SplitPair(const QString &text, const QRegularExpression &separator, QString &first, QString &second)
{
    const QStringList parts = text.split(separator);
    if (parts.size() != 2)
        return false;
    first = parts[0].trimmed();
    second = parts[1].trimmed();
    return true;
}

bool ParseLengths(const QString &text, const QRegularExpression &separator, double &a, double &b)
{
    QString first, second;
    return SplitPair(text, separator, first, second) && ParseInches(first, a) && ParseInches(second, b);
}

bool ParseCounts(const QString &text, int32_t &a, int32_t &b)
{
    QString first, second;
    if (!SplitPair(text, QRegularExpression(QStringLiteral("\\s+x\\s+")), first, second))
        return false;
    bool okA = false, okB = false;
    a = first.toInt(&okA);
    b = second.toInt(&okB);
    return okA && okB;
}

// The facts of one block, checked one by one; each fault is added to errors.
void ReadFacts(const std::map<QString, std::pair<QString, int>> &facts, TStockSheet &sheet,
               QStringList &errors)
{
    const QRegularExpression by(QStringLiteral("\\s+x\\s+"));
    const QRegularExpression comma(QStringLiteral("\\s*,\\s*"));
    for (const QString &key : Keys)
        if (!facts.count(key))
            errors << At(sheet.Line, QStringLiteral("[%1] gives no %2").arg(sheet.Name, key));
    auto fact = [&](const char *key, auto read, const QString &expected) {
        const auto found = facts.find(QString::fromLatin1(key));
        if (found != facts.end() && !read(found->second.first))
            errors << At(found->second.second,
                         QStringLiteral("%1 should be %2: %3")
                             .arg(QString::fromLatin1(key), expected, found->second.first));
    };
    fact(
        "label", [&](const QString &v) { return ParseLengths(v, by, sheet.LabelWidth, sheet.LabelHeight); },
        QStringLiteral("width x height"));
    fact(
        "grid", [&](const QString &v) { return ParseCounts(v, sheet.Columns, sheet.Rows); },
        QStringLiteral("columns x rows"));
    fact(
        "margins",
        [&](const QString &v) { return ParseLengths(v, comma, sheet.LeftMargin, sheet.TopMargin); },
        QStringLiteral("left, top"));
    fact(
        "gutters", [&](const QString &v) { return ParseLengths(v, comma, sheet.HGutter, sheet.VGutter); },
        QStringLiteral("across, down"));
    fact(
        "page",
        [&](const QString &v) {
            sheet.Orientation = v == QLatin1String("landscape") ? 1 : 0;
            return v == QLatin1String("portrait") || v == QLatin1String("landscape");
        },
        QStringLiteral("portrait or landscape"));
    fact(
        "design",
        [&](const QString &v) {
            sheet.Design = v;
            return StockDesigns().contains(v);
        },
        StockDesigns().join(QStringLiteral(", ")));
    fact(
        "about",
        [&](const QString &v) {
            sheet.Description = v;
            return !v.isEmpty();
        },
        QStringLiteral("a description"));
}

// The labels fit the page, do not overlap and sit centred on it.
void CheckSheet(const TStockSheet &sheet, QStringList &errors)
{
    const double pageWidth = sheet.Orientation == 1 ? PageLong : PageShort;
    const double pageHeight = sheet.Orientation == 1 ? PageShort : PageLong;
    const auto fault = [&](const QString &what) {
        errors << At(sheet.Line, QStringLiteral("[%1] %2").arg(sheet.Name, what));
    };
    if (!(sheet.LabelWidth > 0) || !(sheet.LabelHeight > 0) || sheet.Columns < 1 || sheet.Rows < 1) {
        fault(QStringLiteral("needs a label size and at least one column and one row"));
        return;
    }
    if (sheet.LeftMargin < 0 || sheet.TopMargin < 0 || sheet.HGutter < 0 || sheet.VGutter < 0) {
        fault(QStringLiteral("has a negative margin or gutter"));
        return;
    }
    const double right =
        pageWidth - sheet.LeftMargin - sheet.Columns * sheet.LabelWidth - (sheet.Columns - 1) * sheet.HGutter;
    const double bottom =
        pageHeight - sheet.TopMargin - sheet.Rows * sheet.LabelHeight - (sheet.Rows - 1) * sheet.VGutter;
    if (right < -Tolerance || bottom < -Tolerance)
        fault(QStringLiteral("runs off the page"));
    else if (std::abs(right - sheet.LeftMargin) > Tolerance || std::abs(bottom - sheet.TopMargin) > Tolerance)
        fault(QStringLiteral("is not centred: %1 in left, %2 in right, %3 in top, %4 in bottom")
                  .arg(sheet.LeftMargin)
                  .arg(right)
                  .arg(sheet.TopMargin)
                  .arg(bottom));
}

} // namespace

bool ParseInches(const QString &text, double &inches)
{
    static const QRegularExpression form(
        QStringLiteral("^(?:(\\d+(?:\\.\\d+)?)|(?:(\\d+)\\s+)?(\\d+)/(\\d+))$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    if (!match.captured(1).isEmpty()) {
        inches = match.captured(1).toDouble();
        return true;
    }
    const double denominator = match.captured(4).toDouble();
    if (denominator == 0)
        return false;
    inches = match.captured(2).toDouble() + match.captured(3).toDouble() / denominator;
    return true;
}

QStringList StockDesigns()
{
    return {QStringLiteral("front"), QStringLiteral("back"), QStringLiteral("neck"), QStringLiteral("round"),
            QStringLiteral("square")};
}

TStockTable ParseStockTable(const QString &text)
{
    TStockTable table;
    std::map<QString, std::pair<QString, int>> facts;
    TStockSheet sheet;
    bool inBlock = false;
    const auto finish = [&] {
        if (!inBlock)
            return;
        const int before = table.Errors.size();
        ReadFacts(facts, sheet, table.Errors);
        if (table.Errors.size() == before)
            CheckSheet(sheet, table.Errors);
        for (const TStockSheet &other : table.Sheets)
            if (other.Name == sheet.Name)
                table.Errors << At(sheet.Line, QStringLiteral("[%1] is there twice").arg(sheet.Name));
        table.Sheets.push_back(sheet);
        facts.clear();
    };
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const int number = i + 1;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            finish();
            sheet = TStockSheet();
            sheet.Name = line.mid(1, line.size() - 2).trimmed();
            sheet.Line = number;
            inBlock = true;
            if (sheet.Name.isEmpty() || sheet.Name.contains(QLatin1Char('/')) ||
                sheet.Name.contains(QLatin1Char('\\')))
                table.Errors << At(number, QStringLiteral("a template's name must be a file name"));
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        const QString key = line.left(equals).trimmed();
        if (!inBlock || equals < 0 || !Keys.contains(key)) {
            table.Errors << At(number, QStringLiteral("neither a heading nor a known fact: %1").arg(line));
            continue;
        }
        if (facts.count(key))
            table.Errors << At(number, QStringLiteral("%1 is given twice").arg(key));
        facts[key] = {line.mid(equals + 1).trimmed(), number};
    }
    finish();
    return table;
}
