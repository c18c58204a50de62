#include "printingtestsupport.h"

#include "printtestsupport.h"

#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

QString ProgramPath()
{
    return QStringLiteral(AMBRELO_PROGRAM);
}

TSheetFiles WriteSheetFiles(const QString &folder, uint8_t orientation,
                            const std::function<void(Tlabelgeometrylist &)> &adjust)
{
    TTestSheet sheet;
    sheet.Template.Geometry.Orientation = orientation;
    if (adjust)
        adjust(sheet.Template.Geometry);
    const TSheetFiles files{QDir(folder).filePath(QStringLiteral("sheet.wlt")),
                            QDir(folder).filePath(QStringLiteral("label.wlp"))};
    // The reference the project stores is relative to the program's folder.
    SetProgramFolder(QFileInfo(ProgramPath()).absolutePath());
    sheet.Template.SaveToFile(files.Template);
    sheet.Project.SaveToFile(files.Project);
    SetProgramFolder(QString());
    return files;
}

TRun RunProgram(const QString &program, const QStringList &args, const QString &folder, int timeoutMs,
                const QProcessEnvironment &environment)
{
    QProcess process;
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(program, args);
    TRun run;
    if (!process.waitForStarted(timeoutMs)) {
        run.Err = process.errorString();
        return run;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.Err = QStringLiteral("did not end within %1 ms").arg(timeoutMs);
        return run;
    }
    run.Failed = process.exitStatus() != QProcess::NormalExit;
    run.Code = process.exitCode();
    run.Out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.Err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

QString PdfInfo(const QString &pdf, const QString &key)
{
    const TRun run = RunProgram(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(QRegularExpression::escape(key)),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(run.Out);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

QImage RenderPage(const QString &pdf, int page, int dpi)
{
    QTemporaryDir folder;
    const QString prefix = folder.filePath(QStringLiteral("page"));
    const TRun run = RunProgram(QStringLiteral("pdftoppm"),
                                {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                 QString::number(page), QStringLiteral("-l"), QString::number(page),
                                 QStringLiteral("-gray"), QStringLiteral("-singlefile"), pdf, prefix});
    if (run.Failed || run.Code != 0)
        return {};
    return QImage(prefix + QStringLiteral(".pgm")).convertToFormat(QImage::Format_RGB32);
}
