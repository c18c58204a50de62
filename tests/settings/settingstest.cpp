#include "settingstest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gmock/gmock.h>

namespace {
// Before any test runs, the variables already point away from the real user's folders.
struct TAwayFromTheUser {
    QTemporaryDir Dir;
    TAwayFromTheUser()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Dir.path() + QStringLiteral("/config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(Dir.path() + QStringLiteral("/data")));
    }
};
const TAwayFromTheUser AwayFromTheUser;
} // namespace

TUserFolders::TUserFolders() : OldConfig(qgetenv("XDG_CONFIG_HOME")), OldData(qgetenv("XDG_DATA_HOME"))
{
    QDir().mkpath(Config());
    QDir().mkpath(Data());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Config()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(Data()));
}

TUserFolders::~TUserFolders()
{
    qputenv("XDG_CONFIG_HOME", OldConfig);
    qputenv("XDG_DATA_HOME", OldData);
}

TMemoryStore::TMemoryStore()
{
    SetRootBackend(HKEY_CURRENT_USER, Backend);
    EXPECT_TRUE(Store.OpenKey(QString::fromLatin1(SettingsKeyPath), true));
}

TMemoryStore::~TMemoryStore()
{
    SetRootBackend(HKEY_CURRENT_USER, nullptr);
}

QByteArray ReadFile(const QString &fileName)
{
    QFile file(fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName.toStdString();
    return file.readAll();
}

void WriteFile(const QString &fileName, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << fileName.toStdString();
    ASSERT_EQ(file.write(data), data.size());
}
