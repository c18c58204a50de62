#pragma once
// Helpers of the settings tests: scripted answerers for the two message hooks, and folders of
// a test's own that the XDG configuration and data variables point at while it runs.

#include "platform/messages.h"
#include "settings/registry.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <vector>

struct TFlexCall {
    QString Title;
    QString Message;
    QString Buttons;
    QString ButtonIcons;
    int Icon;
    bool Modal;
    int Timeout;
};

// Installed while it lives: records every ShowFlexDlg call and answers from the script, then mrOk.
class TScriptedFlexDlg {
public:
    explicit TScriptedFlexDlg(std::deque<int> answers = {});
    ~TScriptedFlexDlg();
    TScriptedFlexDlg(const TScriptedFlexDlg &) = delete;
    TScriptedFlexDlg &operator=(const TScriptedFlexDlg &) = delete;

    std::vector<TFlexCall> Calls;

private:
    std::deque<int> Answers;
};

// Installed while it lives: records the texts MessageBox was asked to show and answers mrOk.
class TScriptedMessageBox {
public:
    TScriptedMessageBox();
    ~TScriptedMessageBox();
    TScriptedMessageBox(const TScriptedMessageBox &) = delete;
    TScriptedMessageBox &operator=(const TScriptedMessageBox &) = delete;

    std::vector<QString> Texts;
};

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
