#include "settings/userfolders.h"

#include <QDir>
#include <QStandardPaths>
#include <optional>

namespace {
std::optional<QStandardPaths::StandardLocation> LocationOf(int folder)
{
    switch (folder) {
    case CSIDL_PERSONAL:
        return QStandardPaths::DocumentsLocation;
    case CSIDL_DESKTOPDIRECTORY:
        return QStandardPaths::DesktopLocation;
    case CSIDL_APPDATA:
        return QStandardPaths::GenericConfigLocation;
    case CSIDL_MYPICTURES:
        return QStandardPaths::PicturesLocation;
    default:
        return std::nullopt;
    }
}
} // namespace

QString GetSpecialFolderPath(int folder)
{
    const auto location = LocationOf(folder);
    if (!location)
        return {};
    const QString path = QStandardPaths::writableLocation(*location);
    if (path.isEmpty() || !QDir(path).exists())
        return {};
    return QDir::cleanPath(path);
}

QString DocumentsFolder()
{
    const QString documents = GetSpecialFolderPath(CSIDL_PERSONAL);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

QString StartFolder(const QString &remembered, const QString &fallback)
{
    return !remembered.isEmpty() && QDir(remembered).exists() ? remembered : fallback;
}
