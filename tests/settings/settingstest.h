#pragma once
// Helpers of the settings tests: scripted answerers for the two message hooks, and folders of
// a test's own that the XDG configuration and data variables point at while it runs.

#include "common/fakes.h"
#include "platform/messages.h"
#include "settings/registry.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <vector>

// Records every ShowFlexDlg call and answers from the script, then mrOk.
using TScriptedFlexDlg = TFlexRecorder;
// Records the texts MessageBox was asked to show and answers mrOk.
using TScriptedMessageBox = TMessageRecorder;

// A fresh folder with config/ and data/ below it; XDG_CONFIG_HOME and XDG_DATA_HOME point there
// while it lives.
class TUserFolders {
public:
    TUserFolders();
    ~TUserFolders();
    TUserFolders(const TUserFolders &) = delete;
    TUserFolders &operator=(const TUserFolders &) = delete;

    QString Root() const { return Dir.path(); }
    QString Config() const { return Dir.path() + QStringLiteral("/config"); }
    QString Data() const { return Dir.path() + QStringLiteral("/data"); }

private:
    QTemporaryDir Dir;
    QByteArray OldConfig;
    QByteArray OldData;
};

// A store on an in-memory HKEY_CURRENT_USER, opened on the settings key; the root has no tree
// again afterwards.
struct TMemoryStore {
    std::shared_ptr<Tmemorybackend> Backend = std::make_shared<Tmemorybackend>();
    Tregistryex Store;

    TMemoryStore();
    ~TMemoryStore();
};

QByteArray ReadFile(const QString &fileName);
void WriteFile(const QString &fileName, const QByteArray &data);
