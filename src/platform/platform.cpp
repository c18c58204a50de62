#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QStringList>

void InstallFontSubstitutes()
{
    const QStringList metricCompatible{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                       QStringLiteral("DejaVu Sans")};
    for (const char *windowsName : {"Microsoft Sans Serif", "MS Sans Serif"})
        QFont::insertSubstitutions(QString::fromLatin1(windowsName), metricCompatible);
}

void InitPlatform()
{
    InstallFontSubstitutes();
}

namespace {
QString &ProgramFolderOverride()
{
    static QString folder;
    return folder;
}
} // namespace

QString ProgramFolder()
{
    const QString &folder = ProgramFolderOverride();
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

void SetProgramFolder(const QString &folder)
{
    ProgramFolderOverride() = folder;
}

QString DataFolder()
{
    const QString program = ProgramFolder();
    const QString installed = QDir::cleanPath(program + QStringLiteral("/" AMBRELO_DATA_FROM_BIN));
    return QFileInfo(installed).isDir() ? installed : program;
}
