#include "platform/platform.h"

#include <QCoreApplication>
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
