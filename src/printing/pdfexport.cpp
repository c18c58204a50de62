#include "printing/pdfexport.h"

#include "document/csvtable.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "document/labelproject.h"
#include "editing/pdfexportargs.h"
#include "editing/printcheck.h"
#include "editing/printjob.h"
#include "platform/errors.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "printing/pdfprinter.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>

namespace {
constexpr int ExitBadArguments = 2;
constexpr int ExitFailed = 1;
constexpr int ExitStrictWarnings = 3;
const QString HelpSwitch = QStringLiteral("--help");

// The export's failure: its one-line message.
class EExport : public std::runtime_error {
public:
    explicit EExport(const QString &message) : std::runtime_error(message.toStdString()) {}
};

QString OneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text.simplified();
}

int Fail(const QString &message, int code)
{
    std::fprintf(stderr, "ambrelo: %s\n", OneLine(message).toLocal8Bit().constData());
    return code;
}

// The warnings this export wrote, which --strict turns into a failure.
int WarningCount = 0;

void Warn(const QString &message)
{
    ++WarningCount;
    std::fprintf(stderr, "ambrelo: warning: %s\n", OneLine(message).toLocal8Bit().constData());
}

// --strict found warnings: nothing is written.
class EStrict : public std::runtime_error {
public:
    EStrict() : std::runtime_error("strict") {}
};

// What the loaders would have told a user: kept, and every question answered Cancel, since
// nobody is there to answer. The first error or warning ends the export.
class TMessageCollector {
public:
    TMessageCollector()
    {
        SetMessageBoxHook([this](const QString &text, TMsgIcon icon, TMsgButtons buttons) {
            if ((icon == TMsgIcon::Error || icon == TMsgIcon::Warning) && Problem.isEmpty())
                Problem = text;
            return buttons == TMsgButtons::Ok ? int(mrOk) : int(mrCancel);
        });
    }
    ~TMessageCollector() { SetMessageBoxHook({}); }
    TMessageCollector(const TMessageCollector &) = delete;
    TMessageCollector &operator=(const TMessageCollector &) = delete;

    // Raises the first problem reported, with what was being done.
    void Check(const QString &doing)
    {
        if (!Problem.isEmpty())
            throw EExport(doing + QStringLiteral(": ") + Problem);
    }

    QString Problem;
};

void RequireFile(const QString &path, const QString &what)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw EExport(QStringLiteral("%1 \"%2\" does not exist").arg(what, path));
    if (!info.isFile())
        throw EExport(QStringLiteral("%1 \"%2\" is not a file").arg(what, path));
}

// Loads a file through load, which is false for an empty file, with what was being done in the
// message of any failure.
template <typename TLoad>
void LoadInto(TLoad load, const QString &path, const QString &what, TMessageCollector &messages)
{
    RequireFile(path, what);
    const QString doing = QStringLiteral("cannot load %1 \"%2\"").arg(what, path);
    try {
        if (!load(path))
            throw EExport(doing + QStringLiteral(": the file is empty"));
    } catch (const EExport &) {
        throw;
    } catch (const std::exception &e) {
        throw EExport(doing + QStringLiteral(": ") + ErrorMessage(e));
    }
    messages.Check(doing);
}

// Objects that cannot be printed (a code whose data does not encode) are left off the sheets, and
// each is named on standard error, so that nothing is silently printed as something else.
// Objects with fields are judged per label as a run prints (Tprintjob::LeftOut) when filled is set.
void WarnOfUnprintable(const Tdrawlist &document, const QString &path, bool filled = false)
{
    for (int32_t i = 0; i < document.Count(); ++i) {
        if (filled && !document.GetObject(i)->Fields().isEmpty())
            continue;
        const QString problem = document.GetObject(i)->PrintProblem();
        if (!problem.isEmpty())
            Warn(QStringLiteral("object %1 of \"%2\" is left out: %3").arg(i + 1).arg(path, problem));
    }
}

// What would come out wrong on the sheets, one warning each; a code that is left out has had
// its warning already.
void WarnOfProblems(const Tdrawlist &project, const QString &projectPath, const QString &templatePath)
{
    for (const TPrintProblem &p : CheckBeforePrinting(project)) {
        if (p.Issue == TPrintIssue::CodeInvalid)
            continue;
        Warn(QStringLiteral("object %1 of \"%2\": %3")
                 .arg(p.Object + 1)
                 .arg(p.Document == &project ? projectPath : templatePath, p.Text));
    }
}

// The spots to print: those the command line lists (in settings.Spots, counted from 0), or
// every one, each once in the sheet's order. Spots that cannot print are named: when none of the
// chosen ones can, the export fails; otherwise a warning says so and the others print.
void ChooseSpots(TPrintSettings &settings, const Tlabelgeometrylist &spots, const QString &templateName)
{
    if (spots.Count() == 0)
        throw EExport(QStringLiteral("the template \"%1\" has no label spots").arg(templateName));
    std::vector<bool> chosen(size_t(spots.Count()), settings.Spots.empty());
    for (const int32_t i : settings.Spots) {
        if (i >= spots.Count())
            throw EExport(QStringLiteral("spot %1 is out of range: the template \"%2\" has %3 spots")
                              .arg(i + 1)
                              .arg(templateName)
                              .arg(spots.Count()));
        chosen[size_t(i)] = true;
    }
    settings.Spots.clear();
    for (int32_t i = 0; i < spots.Count(); ++i)
        if (chosen[size_t(i)])
            settings.Spots.push_back(i);
    const QString unprintable = spots.UnprintableSpots(settings.Spots);
    if (unprintable.isEmpty())
        return;
    if (spots.PrintableCount(settings.Spots) == 0)
        throw EExport(unprintable);
    Warn(unprintable);
    std::erase_if(settings.Spots, [&spots](int32_t i) { return spots.Fit(i) != TSpotFit::Prints; });
}

// A run's table is read through before anything is written: one that cannot be read fails the
// export with the line at fault. Fields nothing fills are named.
void CheckRun(const Tprintjob &job, const TPrintSettings &settings, const Tdrawlist &project,
              const QString &path)
{
    std::unique_ptr<Trunlabels> labels;
    try {
        labels = job.OpenRun(settings);
    } catch (const ECsvError &e) {
        throw EExport(
            QStringLiteral("cannot read the table \"%1\": %2").arg(settings.Run.Table, e.Message()));
    }
    if (!labels) {
        WarnOfUnprintable(project, path);
        return;
    }
    if (settings.Run.IsRun() && labels->Labels() == 0)
        throw EExport(QStringLiteral("the table \"%1\" holds no records").arg(settings.Run.Table));
    if (const QStringList unknown = labels->UnknownFields(project.Fields()); !unknown.isEmpty())
        Warn(QStringLiteral("nothing fills %1 in \"%2\"; printed as written")
                 .arg(unknown.join(QStringLiteral(", ")), path));
    WarnOfUnprintable(project, path, true);
}

void Export(const TPdfExportOptions &options)
{
    TMessageCollector messages;
    Tlabelproject label;
    Tdrawlist &project = label.Project();
    tlabeltemplate &labelTemplate = label.Template();
    LoadInto([&label](const QString &file) { return label.Open(file); }, options.Project,
             QStringLiteral("the label project"), messages);
    if (!options.Template.isEmpty()) {
        LoadInto([&label](const QString &file) { return label.OpenTemplate(file); }, options.Template,
                 QStringLiteral("the template"), messages);
    } else if (labelTemplate.GetFileName().isEmpty()) {
        if (project.TemplateFile.isEmpty())
            throw EExport(QStringLiteral("the label project \"%1\" names no template; give one after it")
                              .arg(options.Project));
        throw EExport(
            QStringLiteral("the template \"%1\" of \"%2\" could not be found; give it after the project")
                .arg(QString(project.TemplateFile).replace(QLatin1Char('\\'), QLatin1Char('/')),
                     options.Project));
    }
    // The output is checked first: one that may not be written is a bad command line.
    Tpdfprinter printer(options.Output, {options.Project, labelTemplate.GetFullPath()});
    TPrintSettings settings = options.Settings;
    ChooseSpots(settings, labelTemplate.Geometry, labelTemplate.GetFileName());
    WarnOfUnprintable(labelTemplate, labelTemplate.GetFileName());
    Tprintjob job(&printer);
    job.SetDocument(&project);
    CheckRun(job, settings, project, options.Project);
    WarnOfProblems(project, options.Project, labelTemplate.GetFileName());
    if (options.Strict && WarningCount > 0)
        throw EStrict();
    const QString doing = QStringLiteral("Could not write \"%1\"").arg(options.Output);
    bool printed = false;
    try {
        printed = job.PrintSheets(settings);
    } catch (const std::exception &e) {
        throw EExport(doing + QStringLiteral(": ") + ErrorMessage(e));
    }
    messages.Check(doing);
    if (!printed)
        throw EExport(doing + QStringLiteral(": nothing was printed"));
    for (const QString &line : job.LeftOut)
        Warn(line);
    if (job.LabelsLeftOut > 0)
        Warn(QStringLiteral("%1 of the labels were printed without what their data could not make")
                 .arg(job.LabelsLeftOut));
    // Codes a run's data could not make are found as the labels print: strict keeps nothing then.
    if (options.Strict && WarningCount > 0)
        throw EStrict();
    printer.Commit();
}
} // namespace

int RunPdfExport(const QStringList &args)
{
    TPdfExportOptions options;
    QString error;
    if (!ParsePdfExportArgs(args, options, error))
        return Fail(error, ExitBadArguments);
    if (options.Help) {
        std::fputs(CommandLineHelp().toLocal8Bit().constData(), stdout);
        return 0;
    }
    WarningCount = 0;
    try {
        Export(options);
    } catch (const EStrict &) {
        return Fail(QStringLiteral("--strict: nothing was written, since %1 warning%2 above")
                        .arg(WarningCount)
                        .arg(WarningCount == 1 ? QStringLiteral(" is") : QStringLiteral("s are")),
                    ExitStrictWarnings);
    } catch (const EOutputRefused &e) {
        return Fail(e.Message(), ExitBadArguments);
    } catch (const EExport &e) {
        return Fail(QString::fromStdString(e.what()), ExitFailed);
    } catch (const std::exception &e) {
        return Fail(ErrorMessage(e), ExitFailed);
    }
    return 0;
}

QString CommandLineHelp()
{
    return QStringLiteral(
               "Usage:\n"
               "  ambrelo [--registerfiletypes] [--setregversion] [--quit] [LABEL.wlp] [TEMPLATE.wlt]\n"
               "      Opens the editor with the label project and template given, or asks which\n"
               "      to start from.\n") +
           PdfExportUsage() +
           QStringLiteral("  ambrelo --help\n"
                          "      Shows this text.\n");
}

bool IsPdfExportCommand(int argc, char **argv)
{
    return argc >= 2 && (std::strcmp(argv[1], ExportPdfSwitch) == 0 || std::strcmp(argv[1], "--help") == 0);
}

int RunPdfExportMain(int argc, char **argv)
{
    // No window is shown: the offscreen platform serves with or without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Standard error carries the export's one line; Qt's own notes are not for its reader.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    });
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Ambrelo"));
    QGuiApplication::setOrganizationName(QStringLiteral("fennbrook"));
    QStringList args = QGuiApplication::arguments();
    args.removeFirst();
    if (!args.isEmpty() && args.first() == HelpSwitch) {
        std::fputs(CommandLineHelp().toLocal8Bit().constData(), stdout);
        return 0;
    }
    InitPlatform();
    InitDocumentModule();
    return RunPdfExport(args);
}
