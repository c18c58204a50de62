#include "platform/platform.h"

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
