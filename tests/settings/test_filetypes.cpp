#include "settings/filetypes.h"
#include "settingstest.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gmock/gmock.h>
#include <map>

using testing::HasSubstr;
using testing::IsEmpty;

namespace {

const QString IconFolder = QStringLiteral(AMBRELO_ICON_DIR);

// Runs a tool and gives what it printed, trimmed; the exit code goes to exitCode.
QString RunTool(const QString &program, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError()).trimmed();
}

// A stand-in for the program at a path with blanks and quotes: it writes its arguments, one a line,
// to a file beside the test's folders.
QString MakeStandInProgram(const TUserFolders &folders, const QString &folderName)
{
    const QString program = folders.Root() + QLatin1Char('/') + folderName + QStringLiteral("/ambrelo");
    const QString record = folders.Root() + QStringLiteral("/arguments");
    WriteFile(program, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(record) + "'\n");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return program;
}

QString WaitForArguments(const TUserFolders &folders)
{
    const QString record = folders.Root() + QStringLiteral("/arguments");
    QElapsedTimer timer;
    timer.start();
    while (!QFileInfo::exists(record) && timer.elapsed() < 10000)
        QThread::msleep(20);
    QThread::msleep(50);
    QFile file(record);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TRegistrationPaths PathsFor(const TUserFolders &folders, const QString &program)
{
    return {program, IconFolder, folders.Data(), program + QStringLiteral("-thumbnailer")};
}

std::map<QString, QByteArray> FilesBelow(const QString &folder)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files[QDir(folder).relativeFilePath(path)] =
            file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    return files;
}

} // namespace

TEST(FileTypeRegistration, ExecArgumentsAreQuotedAsDesktopEntriesRequire)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/usr/bin/ambrelo", "\"/usr/bin/ambrelo\""},
        {"/opt/My Labels/ambrelo", "\"/opt/My Labels/ambrelo\""},
        {"/opt/a\"b", "\"/opt/a\\\\\"b\""},
        {"/opt/$HOME", "\"/opt/\\\\$HOME\""},
        {"/opt/`x`", "\"/opt/\\\\`x\\\\`\""},
        {"/opt/a\\b", "\"/opt/a\\\\\\\\b\""},
        {"/opt/100%", "\"/opt/100%%\""},
        {"/opt/it's", "\"/opt/it's\""},
    };
    for (const auto &[path, expected] : cases)
        EXPECT_EQ(DesktopExecArgument(QString::fromUtf8(path)), QString::fromUtf8(expected)) << path;
}

TEST(FileTypeRegistration, TheDesktopKnowsBothTypesAndOpensThemWithTheProgram)
{
    TUserFolders folders;
    const QString program = MakeStandInProgram(folders, QStringLiteral("My Labels \"2024\" $HOME `x` it's"));
    TScriptedFlexDlg dialogs;
    RegisterFileTypes(PathsFor(folders, program));
    EXPECT_THAT(dialogs.Calls, IsEmpty());

    const QString project = folders.Root() + QStringLiteral("/Ch\u00e2teau Rouge.wlp");
    const QString templ = folders.Root() + QStringLiteral("/three by four.wlt");
    WriteFile(project, "vnlabel_v1");
    WriteFile(templ, "vntempl_v1");
    EXPECT_EQ(
        RunTool(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("filetype"), project}),
        QStringLiteral("application/x-vnlabelproject"));
    EXPECT_EQ(
        RunTool(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("filetype"), templ}),
        QStringLiteral("application/x-vnlabeltemplate"));
    for (const TFileType &type : FileTypes)
        EXPECT_EQ(RunTool(QStringLiteral("xdg-mime"),
                          {QStringLiteral("query"), QStringLiteral("default"), MimeTypeName(type)}),
                  QStringLiteral("fennbrook-ambrelo.desktop"));

    const QString entry = folders.Data() + QStringLiteral("/applications/fennbrook-ambrelo.desktop");
    int exitCode = -1;
    EXPECT_EQ(RunTool(QStringLiteral("desktop-file-validate"), {entry}, &exitCode), QString());
    EXPECT_EQ(exitCode, 0);
    const QString desktop = QString::fromUtf8(ReadFile(entry));
    EXPECT_THAT(desktop.toStdString(), HasSubstr("\nActions=New;\n\n[Desktop Action New]\nName=New\n"));

    RunTool(QStringLiteral("gio"), {QStringLiteral("launch"), entry, templ}, &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(WaitForArguments(folders), templ + QLatin1Char('\n'))
        << "the file is the first and only argument";

    for (const auto &[installed, source] :
         {std::pair{"icons/hicolor/scalable/apps/fennbrook-ambrelo.svg", "ambrelo.svg"},
          std::pair{"icons/hicolor/scalable/mimetypes/application-x-vnlabelproject.svg",
                    "vnlabelproject.svg"},
          std::pair{"icons/hicolor/scalable/mimetypes/application-x-vnlabeltemplate.svg",
                    "vnlabeltemplate.svg"}})
        EXPECT_EQ(ReadFile(folders.Data() + QLatin1Char('/') + QString::fromLatin1(installed)),
                  ReadFile(IconFolder + QLatin1Char('/') + QString::fromLatin1(source)))
            << installed;
    const QString package =
        QString::fromUtf8(ReadFile(folders.Data() + QStringLiteral("/mime/packages/fennbrook-ambrelo.xml")));
    EXPECT_THAT(package.toStdString(),
                HasSubstr("<comment>Template file for Ambrelo by Fennbrook</comment>"));
    EXPECT_THAT(package.toStdString(), HasSubstr("<icon name=\"application-x-vnlabelproject\"/>"));

    const QString thumbnailer = QString::fromUtf8(
        ReadFile(folders.Data() + QStringLiteral("/thumbnailers/fennbrook-ambrelo.thumbnailer")));
    EXPECT_THAT(
        thumbnailer.toStdString(),
        HasSubstr((QStringLiteral("\nExec=") + DesktopExecArgument(program + QStringLiteral("-thumbnailer")) +
                   QStringLiteral(" -s %s %i %o\n"))
                      .toStdString()));
    EXPECT_THAT(thumbnailer.toStdString(),
                HasSubstr("\nMimeType=application/x-vnlabelproject;application/x-vnlabeltemplate;\n"));
}

TEST(FileTypeRegistration, RunningItTwiceGivesTheSameFiles)
{
    TUserFolders folders;
    const QString program = MakeStandInProgram(folders, QStringLiteral("bin"));
    TScriptedFlexDlg dialogs;
    RegisterFileTypes(PathsFor(folders, program));
    const auto first = FilesBelow(folders.Data());
    RegisterFileTypes(PathsFor(folders, program));
    const auto second = FilesBelow(folders.Data());
    EXPECT_THAT(dialogs.Calls, IsEmpty());
    EXPECT_GE(first.size(), 6u);
    EXPECT_TRUE(first == second) << "no file added, none changed";
    const QString list = QString::fromUtf8(ReadFile(folders.Config() + QStringLiteral("/mimeapps.list")));
    EXPECT_EQ(list.count(QStringLiteral("application/x-vnlabelproject=")), 1);
}

TEST(FileTypeRegistration, EachFileThatCannotBeWrittenIsShownAndTheRestStillRuns)
{
    TUserFolders folders;
    const QString program = MakeStandInProgram(folders, QStringLiteral("bin"));
    const QString blocked = folders.Root() + QStringLiteral("/blocked");
    WriteFile(blocked, "a file where the data folder belongs");
    TScriptedFlexDlg dialogs;
    RegisterFileTypes({program, IconFolder, blocked, program});
    const char *files[] = {
        "mime/packages/fennbrook-ambrelo.xml",
        "icons/hicolor/scalable/mimetypes/application-x-vnlabelproject.svg",
        "icons/hicolor/scalable/mimetypes/application-x-vnlabeltemplate.svg",
        "icons/hicolor/scalable/apps/fennbrook-ambrelo.svg",
        "applications/fennbrook-ambrelo.desktop",
        "thumbnailers/fennbrook-ambrelo.thumbnailer",
    };
    ASSERT_EQ(dialogs.Calls.size(), std::size(files));
    for (size_t i = 0; i < std::size(files); ++i) {
        EXPECT_EQ(dialogs.Calls[i].Title, QStringLiteral("Could not open registry key "));
        EXPECT_EQ(dialogs.Calls[i].Message, QStringLiteral("Could not open key in ") + blocked +
                                                QStringLiteral(" \"") + QString::fromLatin1(files[i]) +
                                                QStringLiteral("\"\r\nerror #20 Not a directory"));
        EXPECT_EQ(dialogs.Calls[i].Buttons, QStringLiteral("Ok=mrok"));
        EXPECT_EQ(dialogs.Calls[i].Icon, fiError);
    }
    EXPECT_THAT(ReadFile(folders.Config() + QStringLiteral("/mimeapps.list")).toStdString(),
                HasSubstr("application/x-vnlabeltemplate=fennbrook-ambrelo.desktop"))
        << "the default applications were still set";
}

TEST(FileTypeRegistration, AMissingIconIsShownWithItsFolder)
{
    TUserFolders folders;
    const QString program = MakeStandInProgram(folders, QStringLiteral("bin"));
    const QString icons = folders.Root() + QStringLiteral("/icons");
    QDir().mkpath(icons);
    QFile::copy(IconFolder + QStringLiteral("/ambrelo.svg"), icons + QStringLiteral("/ambrelo.svg"));
    TScriptedFlexDlg dialogs;
    RegisterFileTypes({program, icons, folders.Data(), program});
    ASSERT_EQ(dialogs.Calls.size(), 2u);
    EXPECT_EQ(dialogs.Calls[0].Message,
              QStringLiteral("Could not open key in ") + icons +
                  QStringLiteral(" \"vnlabelproject.svg\"\r\nerror #2 No such file or directory"));
    EXPECT_TRUE(
        QFileInfo::exists(folders.Data() + QStringLiteral("/applications/fennbrook-ambrelo.desktop")));
}
