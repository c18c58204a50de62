#include "editing/pdfexportargs.h"

#include "editing/calibration.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace {
const QString SheetsOption = QStringLiteral("--sheets");
const QString NudgeOption = QStringLiteral("--nudge");
const QString SpotsOption = QStringLiteral("--spots");
const QString ScaleOption = QStringLiteral("--scale");
const QString HighQualityOption = QStringLiteral("--high-quality");
const QString StrictOption = QStringLiteral("--strict");
const QString HelpOption = QStringLiteral("--help");
const QString DataOption = QStringLiteral("--data");
const QString NumberedOption = QStringLiteral("--numbered");
const QString FirstSpotOption = QStringLiteral("--first-spot");
const QString CopiesOption = QStringLiteral("--copies");

// A whole decimal number written with digits alone, nothing around them: no sign, no blanks
// (a leading minus only where a negative number is allowed).
bool ToInt(const QString &text, int32_t &value, bool negativeAllowed = false)
{
    const QStringView digits =
        negativeAllowed && text.startsWith(QLatin1Char('-')) ? QStringView(text).mid(1) : QStringView(text);
    if (digits.isEmpty() ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return false;
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (ok)
        value = v;
    return ok;
}

bool ParseSheets(const QString &text, TPdfExportOptions &options, QString &error)
{
    int32_t n = 0;
    if (!ToInt(text, n) || n < 1 || n > MaxExportSheets) {
        error = QStringLiteral("--sheets takes a whole number from 1 to %1, not \"%2\"")
                    .arg(MaxExportSheets)
                    .arg(text);
        return false;
    }
    options.Settings.Copies = n;
    return true;
}

bool ParseNudge(const QString &text, TPdfExportOptions &options, QString &error)
{
    const QStringList parts = text.split(QLatin1Char(','));
    int32_t x = 0;
    int32_t y = 0;
    if (parts.size() != 2 || !ToInt(parts[0], x, true) || !ToInt(parts[1], y, true) || x < -MaxNudge ||
        x > MaxNudge || y < -MaxNudge || y > MaxNudge) {
        error = QStringLiteral("--nudge takes X,Y in 64ths of an inch, each from -%1 to %1, not \"%2\"")
                    .arg(MaxNudge)
                    .arg(text);
        return false;
    }
    options.Settings.NudgeX = x;
    options.Settings.NudgeY = y;
    return true;
}

// A per cent with at most two decimals, as hundredths: "-1.05" is -105.
bool ToHundredths(const QString &text, int32_t &value)
{
    static const QRegularExpression pattern(QStringLiteral("^(-?)([0-9]{1,3})(?:\\.([0-9]{1,2}))?$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return false;
    const int32_t whole = m.captured(2).toInt();
    const int32_t fraction = m.captured(3).leftJustified(2, QLatin1Char('0')).toInt();
    value = (whole * 100 + fraction) * (m.captured(1).isEmpty() ? 1 : -1);
    return true;
}

bool ParseScale(const QString &text, TPdfExportOptions &options, QString &error)
{
    const QStringList parts = text.split(QLatin1Char(','));
    int32_t x = 0;
    int32_t y = 0;
    if (parts.size() != 2 || !ToHundredths(parts[0], x) || !ToHundredths(parts[1], y) ||
        !ValidScaleCorrection(x) || !ValidScaleCorrection(y)) {
        error =
            QStringLiteral("--scale takes X,Y in per cent, each from -%1 to %1 in steps of %2, not \"%3\"")
                .arg(QString::number(MaxScaleCorrection / 100.0, 'f', 2),
                     QString::number(ScaleCorrectionStep / 100.0, 'f', 2), text);
        return false;
    }
    options.Settings.ScaleX = x;
    options.Settings.ScaleY = y;
    return true;
}

bool ToInt64(const QString &text, int64_t &value)
{
    int32_t part = 0;
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (!ToInt(negative ? text.mid(1) : text, part))
        return false;
    value = negative ? -int64_t(part) : part;
    return true;
}

bool ParseData(const QString &text, TPdfExportOptions &options, QString &error)
{
    if (text.isEmpty()) {
        error = QStringLiteral("--data needs the table's file");
        return false;
    }
    options.Settings.Run.Kind = TRunKind::Table;
    options.Settings.Run.Table = text;
    return true;
}

bool ParseNumbered(const QString &text, TPdfExportOptions &options, QString &error)
{
    const QStringList parts = text.split(QLatin1Char(','));
    int64_t from = 0, count = 0, step = 1;
    if (parts.size() < 2 || parts.size() > 3 || !ToInt64(parts[0], from) || !ToInt64(parts[1], count) ||
        count < 1 || count > MaxRunLabels || (parts.size() == 3 && !ToInt64(parts[2], step))) {
        error =
            QStringLiteral("--numbered takes FROM,COUNT or FROM,COUNT,STEP, COUNT from 1 to %1, not \"%2\"")
                .arg(MaxRunLabels)
                .arg(text);
        return false;
    }
    options.Settings.Run.Kind = TRunKind::Numbered;
    options.Settings.Run.From = from;
    options.Settings.Run.Count = count;
    options.Settings.Run.Step = step;
    return true;
}

bool ParseFirstSpot(const QString &text, TPdfExportOptions &options, QString &error)
{
    if (!ToInt(text, options.Settings.Run.StartSpot) || options.Settings.Run.StartSpot < 1) {
        error = QStringLiteral("--first-spot takes a spot number from 1, not \"%1\"").arg(text);
        return false;
    }
    return true;
}

bool ParseCopies(const QString &text, TPdfExportOptions &options, QString &error)
{
    int32_t n = 0;
    if (!ToInt(text, n) || n < 1 || n > MaxRecordCopies) {
        error = QStringLiteral("--copies takes a whole number from 1 to %1, not \"%2\"")
                    .arg(MaxRecordCopies)
                    .arg(text);
        return false;
    }
    options.Settings.Run.CopiesPerRecord = n;
    return true;
}

// The run's options belong together: one source, and what only a run takes given with one.
bool CheckRun(const QSet<QString> &given, QString &error)
{
    const bool run = given.contains(DataOption) || given.contains(NumberedOption);
    if (given.contains(DataOption) && given.contains(NumberedOption))
        error = QStringLiteral("--data and --numbered cannot be given together");
    else if (run && given.contains(SheetsOption))
        error = QStringLiteral("--sheets cannot be given with %1: the run decides the number of sheets")
                    .arg(given.contains(DataOption) ? DataOption : NumberedOption);
    else if (!run && (given.contains(FirstSpotOption) || given.contains(CopiesOption)))
        error = QStringLiteral("%1 needs --data or --numbered")
                    .arg(given.contains(FirstSpotOption) ? FirstSpotOption : CopiesOption);
    else
        return true;
    return false;
}

bool ParseSpots(const QString &text, TPdfExportOptions &options, QString &error)
{
    options.Settings.Spots.clear();
    for (const QString &part : text.split(QLatin1Char(','))) {
        int32_t n = 0;
        if (!ToInt(part, n) || n < 1) {
            error =
                QStringLiteral("--spots takes spot numbers from 1 separated by commas, not \"%1\"").arg(text);
            return false;
        }
        options.Settings.Spots.push_back(n - 1);
    }
    return true;
}
} // namespace

bool ParsePdfExportArgs(const QStringList &args, TPdfExportOptions &options, QString &error)
{
    options = {};
    if (args.isEmpty() || args[0] != QLatin1String(ExportPdfSwitch)) {
        error = QStringLiteral("the PDF export starts with %1").arg(QLatin1String(ExportPdfSwitch));
        return false;
    }
    QStringList files;
    // Each option is given once: a second value would silently replace the first.
    QSet<QString> given;
    const auto once = [&given, &error](const QString &name) {
        if (given.contains(name)) {
            error = QStringLiteral("%1 is given more than once (see --help)").arg(name);
            return false;
        }
        given.insert(name);
        return true;
    };
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == HelpOption) {
            options.Help = true;
            return true;
        }
        if (arg == HighQualityOption || arg == StrictOption) {
            if (!once(arg))
                return false;
            (arg == StrictOption ? options.Strict : options.Settings.HighQuality) = true;
            continue;
        }
        bool (*parse)(const QString &, TPdfExportOptions &, QString &) = nullptr;
        QString name = arg;
        QString value;
        bool inlineValue = false;
        if (const qsizetype eq = arg.indexOf(QLatin1Char('='));
            arg.startsWith(QLatin1String("--")) && eq > 0) {
            name = arg.left(eq);
            value = arg.mid(eq + 1);
            inlineValue = true;
        }
        if (name == SheetsOption)
            parse = ParseSheets;
        else if (name == NudgeOption)
            parse = ParseNudge;
        else if (name == SpotsOption)
            parse = ParseSpots;
        else if (name == ScaleOption)
            parse = ParseScale;
        else if (name == DataOption)
            parse = ParseData;
        else if (name == NumberedOption)
            parse = ParseNumbered;
        else if (name == FirstSpotOption)
            parse = ParseFirstSpot;
        else if (name == CopiesOption)
            parse = ParseCopies;
        if (parse) {
            if (!once(name))
                return false;
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    error = QStringLiteral("%1 needs a value").arg(name);
                    return false;
                }
                value = args[++i];
            }
            if (!parse(value, options, error))
                return false;
            continue;
        }
        // A lone "-" is a name like any other; anything else starting with one is an option.
        if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            error = QStringLiteral("unknown option \"%1\" (see --help)").arg(arg);
            return false;
        }
        files.append(arg);
    }
    if (!CheckRun(given, error))
        return false;
    if (files.size() < 2) {
        error = files.isEmpty()
                    ? QStringLiteral("%1 needs the PDF file to write and a label project")
                          .arg(QLatin1String(ExportPdfSwitch))
                    : QStringLiteral("no label project given after the PDF file \"%1\"").arg(files[0]);
        return false;
    }
    if (files.size() > 3) {
        error = QStringLiteral("too many files: \"%1\" (one PDF, one project, at most one template)")
                    .arg(files[3]);
        return false;
    }
    options.Output = files[0];
    options.Project = files[1];
    if (files.size() == 3)
        options.Template = files[2];
    return true;
}

QString PdfExportUsage()
{
    return QStringLiteral(
               "  ambrelo --export-pdf OUT.pdf [--sheets N] [--nudge X,Y] [--scale X,Y] [--spots 1,3,5]\n"
               "          [--high-quality] [--strict] LABEL.wlp [TEMPLATE.wlt]\n"
               "      Prints N sheets (default 1, at most %1) of the label project into the PDF file "
               "OUT.pdf\n"
               "      (US Letter in the template's orientation, 600 dots per inch), without a window.\n"
               "      The template is the one given, or the one the project names, looked for as opening\n"
               "      the project looks for it. --spots lists the label spots to print, counted from 1 in\n"
               "      the template's order (default: every spot). --nudge shifts the labels by X and Y\n"
               "      64ths of an inch (each -16 to 16; positive is right and down). --scale corrects the\n"
               "      printer's scale by X and Y per cent (each -3 to 3 in steps of 0.05) about the sheet's\n"
               "      top-left corner, after the nudge. Pictures are drawn at up to 400 pixels per inch\n"
               "      and 1024 on their longer side; --high-quality draws them at their full resolution.\n"
               "      Each option is given at most once. Spots that cannot print (off the page) are\n"
               "      named: with none left to print the export fails, otherwise a warning names them\n"
               "      and the others print.\n"
               "      --data TABLE.csv prints one label per record of the table (its first line names\n"
               "      the fields; ${name} in a text or a code takes the record's value), --numbered\n"
               "      FROM,COUNT[,STEP] COUNT labels numbered from FROM (${n}, ${n:4} with four digits);\n"
               "      their labels fill the chosen spots in order, as many sheets as they need, each\n"
               "      record --copies C times (default 1), the first sheet from spot --first-spot K on.\n"
               "      A table that cannot be read is named with the line at fault, and nothing is\n"
               "      written.\n"
               "      The label is checked first: text cut at the bottom of its box, pictures under 200 "
               "dots\n"
               "      per inch, objects past the label's edge, empty prompts and codes that will not scan\n"
               "      are each named on a \"warning:\" line. With --strict any warning ends the export\n"
               "      with exit code 3 and nothing written.\n"
               "      OUT.pdf replaces an earlier file only once it is written whole; through a symbolic\n"
               "      link the file it points to is written. An OUT.pdf that is one of the label files, or\n"
               "      that exists and is not a regular file, is refused.\n"
               "      Exit code 0 on success; otherwise a one-line message on standard error, exit code 1\n"
               "      (2 for a bad command line, 3 for warnings under --strict), and no file written.\n")
        .arg(MaxExportSheets);
}
