#pragma once
// What the file tests share: documents set up as the editor sets them up, a temporary folder
// standing in for the program's folder, and scripted answers for every question a load asks.

#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "platform/filedialog.h"
#include "platform/messages.h"
#include "platform/progress.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <gmock/gmock.h>
#include <memory>

// The warning a damaged file loads with, when it was loaded from a stream without a file name.
extern const QString DamagedFile;

// The label rectangle, width and height the editor gives every document.
void SetUpLabel(Tdrawlist &doc, double width = 4.0, double height = 3.5);

// The bytes of a length-prefixed string.
QByteArray LString(const QByteArray &text);
QByteArray Doubles(std::initializer_list<double> values);
// A framed object list entry: type code, record length, record.
QByteArray Entry(const Tdrawobj &o);
QByteArray ReadWholeFile(const QString &path);
// The bytes SaveToStream gives, and LoadFromStream of bytes (its result).
QByteArray Saved(Tdrawlist &doc);
int32_t Load(Tdrawlist &doc, const QByteArray &bytes);
// A spot at (left, top), width by height inches.
std::unique_ptr<Tlabelgeometry> Spot(double left, double top, double width, double height);
void WriteWholeFile(const QString &path, const QByteArray &bytes);

// Records the progress window's reports.
class TRecordingProgress : public Tprogressreport {
public:
    void BeginProgress(const QString &caption, int32_t) override { Captions << caption; }
    void StepProgress() override {}
    void SetProgressCaption(const QString &text) override { Captions << text; }
    void SetProgressFraction(double fraction) override { Fractions.push_back(fraction); }
    void SetProgressPosition(int32_t) override {}
    void ShowProgress() override { Visible = true; }
    void HideProgress() override { Visible = false; }

    QStringList Captions;
    std::vector<double> Fractions;
    bool Visible = false;
};

// A small file system of its own (a tmpfs of some kilobytes), mounted in the mount namespace of
// a helper process and reached through that process's root (/proc/<pid>/root), so it needs no
// root where the machine lets users make namespaces, and nothing stays mounted after the test.
class TSmallFileSystem {
public:
    TSmallFileSystem(const QString &folder, int kilobytes);
    ~TSmallFileSystem();
    TSmallFileSystem(const TSmallFileSystem &) = delete;
    TSmallFileSystem &operator=(const TSmallFileSystem &) = delete;

    bool Mounted() const { return !Root.isEmpty(); }
    // Why it could not be mounted.
    const QString &Why() const { return Reason; }
    // A path on it.
    QString Path(const QString &name) const { return Root + QLatin1Char('/') + name; }
    bool MakeReadOnly();

private:
    std::unique_ptr<QProcess> Helper;
    QString Root;
    QString Reason;
};

class TFileTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString Path(const QString &name) const { return Dir.filePath(name); }
    // The program's folder for the test: a folder inside the temporary one.
    QString ProgramDir() const { return Dir.filePath(QStringLiteral("program")); }

    QTemporaryDir Dir;
    // Every message shown, and the answers the next questions get (OK when none is left).
    QStringList Messages;
    std::deque<int> Answers;
    // What the next open dialogs choose (cancelled when none is left), and their set-up.
    std::deque<QString> DialogChoices;
    int DialogsShown = 0;
    QString PreviousFolder;
};
