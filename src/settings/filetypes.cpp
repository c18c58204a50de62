#include "settings/filetypes.h"

#include "platform/messages.h"
#include "platform/platform.h"
#include "settings/fileio.h"
#include "settings/registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamWriter>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int ToolTimeoutMs = 60000;
constexpr int RegistrationFileMode = 0644;

// One file the registration writes: its content is given, or read from a source file.
struct TRegistrationFile {
    QString RelativePath;
    QByteArray Content;
    QString SourceFile;
};

QString Latin(const char *text)
{
    return QString::fromLatin1(text);
}

QString WithoutAccelerator(const char *verb)
{
    return Latin(verb).remove(QLatin1Char('&'));
}

void ShowFileFailure(const QString &folder, const QString &relativePath, int error)
{
    ShowFlexDlg(QStringLiteral("Could not open registry key "),
                QStringLiteral("Could not open key in ") + folder + QStringLiteral(" \"") + relativePath +
                    QStringLiteral("\"\r\n") + SystemErrorText(error),
                QStringLiteral("Ok=mrok"), QString(), fiError, true, -1);
}

std::vector<TRegistrationFile> RegistrationFiles(const TRegistrationPaths &paths)
{
    std::vector<TRegistrationFile> files;
    files.push_back({QStringLiteral("mime/packages/") + Latin(MimePackageFileName), MimePackage(), {}});
    for (const TFileType &type : FileTypes)
        files.push_back({QStringLiteral("icons/hicolor/scalable/mimetypes/") + MimeIconName(type) +
                             QStringLiteral(".svg"),
                         {},
                         Latin(type.Identifier) + QStringLiteral(".svg")});
    files.push_back(
        {QStringLiteral("icons/hicolor/scalable/apps/") + Latin(ProgramIconName) + QStringLiteral(".svg"),
         {},
         QStringLiteral("ambrelo.svg")});
    files.push_back(
        {QStringLiteral("applications/") + Latin(DesktopEntryFileName), DesktopEntry(paths.ProgramPath), {}});
    files.push_back({QStringLiteral("thumbnailers/") + Latin(ThumbnailerFileName),
                     ThumbnailerEntry(paths.ThumbnailerPath),
                     {}});
    return files;
}

void WriteRegistrationFile(const TRegistrationPaths &paths, const TRegistrationFile &file)
{
    QByteArray content = file.Content;
    if (!file.SourceFile.isEmpty()) {
        if (const int error = ReadWholeFile(paths.IconFolder + QLatin1Char('/') + file.SourceFile, content)) {
            ShowFileFailure(paths.IconFolder, file.SourceFile, error);
            return;
        }
    }
    if (const int error = WriteWholeFile(paths.DataHome + QLatin1Char('/') + file.RelativePath, content,
                                         RegistrationFileMode))
        ShowFileFailure(paths.DataHome, file.RelativePath, error);
}

// Runs a tool of the desktop with the registration's data folder; a failure goes to standard error.
void RunTool(const TRegistrationPaths &paths, const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), paths.DataHome);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForStarted(ToolTimeoutMs) && process.waitForFinished(ToolTimeoutMs);
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return;
    const QString problem =
        !finished ? process.errorString() : QString::fromLocal8Bit(process.readAll()).trimmed();
    std::fprintf(stderr, "ambrelo: %s %s failed: %s\n", program.toLocal8Bit().constData(),
                 arguments.join(QLatin1Char(' ')).toLocal8Bit().constData(),
                 problem.toLocal8Bit().constData());
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
}

// "application/x-vnlabelproject;application/x-vnlabeltemplate;"
QString MimeTypeList()
{
    QString list;
    for (const TFileType &type : FileTypes)
        list += MimeTypeName(type) + QLatin1Char(';');
    return list;
}

void NotifyDesktop(const TRegistrationPaths &paths)
{
    RunTool(paths, QStringLiteral("update-mime-database"), {paths.DataHome + QStringLiteral("/mime")});
    RunTool(paths, QStringLiteral("update-desktop-database"),
            {paths.DataHome + QStringLiteral("/applications")});
    QStringList defaults{QStringLiteral("default"), Latin(DesktopEntryFileName)};
    for (const TFileType &type : FileTypes)
        defaults.push_back(MimeTypeName(type));
    RunTool(paths, QStringLiteral("xdg-mime"), defaults);
}

} // namespace

QString MimeTypeName(const TFileType &type)
{
    return QStringLiteral("application/x-") + Latin(type.Identifier);
}

QString MimeIconName(const TFileType &type)
{
    return QStringLiteral("application-x-") + Latin(type.Identifier);
}

TRegistrationPaths DefaultRegistrationPaths()
{
    return {QCoreApplication::applicationFilePath(), DataFolder() + QStringLiteral("/icons"),
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
            ProgramFolder() + QLatin1Char('/') + Latin(ThumbnailerProgramName)};
}

void RegisterFileTypes()
{
    RegisterFileTypes(DefaultRegistrationPaths());
}

void RegisterFileTypes(const TRegistrationPaths &paths)
{
    for (const TRegistrationFile &file : RegistrationFiles(paths))
        WriteRegistrationFile(paths, file);
    NotifyDesktop(paths);
}

QByteArray MimePackage()
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    writer.writeStartDocument();
    writer.writeDefaultNamespace(QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));
    writer.writeStartElement(QStringLiteral("mime-info"));
    for (const TFileType &type : FileTypes) {
        writer.writeStartElement(QStringLiteral("mime-type"));
        writer.writeAttribute(QStringLiteral("type"), MimeTypeName(type));
        writer.writeTextElement(QStringLiteral("comment"), Latin(type.Description));
        writer.writeEmptyElement(QStringLiteral("icon"));
        writer.writeAttribute(QStringLiteral("name"), MimeIconName(type));
        writer.writeEmptyElement(QStringLiteral("glob"));
        writer.writeAttribute(QStringLiteral("pattern"), QLatin1Char('*') + Latin(type.Extension));
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

QString DesktopExecArgument(const QString &argument)
{
    QString quoted = QStringLiteral("\"");
    for (QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return KeyFileString(quoted);
}

QString KeyFileString(const QString &text)
{
    QString value;
    for (QChar c : text) {
        if (c == QLatin1Char('\\'))
            value += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            value += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            value += QLatin1String("\\r");
        else
            value += c;
    }
    return value;
}

QByteArray DesktopEntry(const QString &programPath)
{
    const QString exec = DesktopExecArgument(programPath) + QStringLiteral(" %f");
    const QString mimeTypes = MimeTypeList();
    const QString newVerb = WithoutAccelerator(FileTypes[1].Verb);
    QString entry = QStringLiteral("[Desktop Entry]\n"
                                   "Type=Application\n"
                                   "Name=Ambrelo\n"
                                   "GenericName=Wine Label Designer\n"
                                   "Comment=Design and print wine-bottle labels\n") +
                    QStringLiteral("Icon=") + Latin(ProgramIconName) + QLatin1Char('\n') +
                    QStringLiteral("Exec=") + exec + QLatin1Char('\n') +
                    QStringLiteral("Terminal=false\n"
                                   "Categories=Graphics;Publishing;\n") +
                    QStringLiteral("MimeType=") + mimeTypes + QLatin1Char('\n') + QStringLiteral("Actions=") +
                    newVerb + QStringLiteral(";\n\n[Desktop Action ") + newVerb + QStringLiteral("]\nName=") +
                    newVerb + QStringLiteral("\nExec=") + exec + QLatin1Char('\n');
    return entry.toUtf8();
}

QByteArray ThumbnailerEntry(const QString &thumbnailerPath)
{
    const QString entry = QStringLiteral("[Thumbnailer Entry]\nTryExec=") + KeyFileString(thumbnailerPath) +
                          QStringLiteral("\nExec=") + DesktopExecArgument(thumbnailerPath) +
                          QStringLiteral(" -s %s %i %o\nMimeType=") + MimeTypeList() + QLatin1Char('\n');
    return entry.toUtf8();
}
