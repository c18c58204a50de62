#pragma once
// What the file tests share: a temporary folder standing in for the program's folder, scripted
// answers for every question a load asks, framed object entries and whole files.

#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "platform/filedialog.h"
#include "platform/messages.h"
#include "platform/progress.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <gmock/gmock.h>
#include <memory>

// The warning a damaged file loads with, when it was loaded from a stream without a file name.
extern const QString DamagedFile;

// A framed object list entry: type code, record length, record.
QByteArray Entry(const Tdrawobj &o);
// The entry of an 8 by 8 picture whose PNG data is damaged, so its record cannot be read.
QByteArray UnreadablePictureEntry();
QByteArray ReadWholeFile(const QString &path);
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
