// The Print page's choice of labels in the wizard's logic: what it says of a table and of the
// label's fields, the pages a run needs, the choice kept per project in the settings (never in
// the file), the question before a large run, and the test sheet that stays one sheet.

#include "printtestsupport.h"

#include "document/text.h"
#include "editing/printjob.h"
#include "editing/printwizard.h"
#include "settings/registry.h"

#include <QFile>
#include <QTemporaryDir>
#include <gmock/gmock.h>

namespace {

struct TRunWizard {
    TRunWizard() : Wizard(Job)
    {
        for (int32_t i = 0; i < 3; ++i)
            Sheet.Template.Geometry.GetSpot(i)->Marked = true;
        Wizard.SetDocument(&Sheet.Project);
    }
    void SetText(const QString &text) { dynamic_cast<Tvnltext &>(*Sheet.Project.GetObject(1)).SetText(text); }
    TTestSheet Sheet;
    Tprintjob Job;
    Tprintwizard Wizard;
};

TDataRun TableRun(const QString &path)
{
    TDataRun run;
    run.Kind = TRunKind::Table;
    run.Table = path;
    return run;
}
} // namespace

TEST(PrintWizardRun, TheTableIsCountedOrRefusedAndThePagesFollowTheRun)
{
    QTemporaryDir dir;
    TRunWizard w;
    w.SetText(QStringLiteral("Lot ${lot} ${lott}"));
    EXPECT_EQ(w.Wizard.FieldsNote(), FieldsWithoutRunNote.arg(QStringLiteral("${lot}, ${lott}")));
    w.Wizard.SetCopies(4);
    EXPECT_TRUE(w.Wizard.PagesEditable());
    EXPECT_EQ(w.Wizard.PagesShown(), 4);

    TDataRun run = TableRun(WriteTestFile(dir.path(), "lots.csv", "lot\nA\nB\nC\nD\nE\nF\nG\n"));
    run.StartSpot = 3;
    w.Wizard.SetRun(run);
    EXPECT_EQ(w.Wizard.TableText(), QStringLiteral("lots.csv (7 records)"));
    EXPECT_FALSE(w.Wizard.PagesEditable());
    EXPECT_EQ(w.Wizard.PagesShown(), 3); // one label on the first sheet, then 3 and 3
    EXPECT_EQ(w.Wizard.FieldsNote(), UnknownFieldsNote.arg(QStringLiteral("${lott}")));

    w.Wizard.SetRun(TableRun(WriteTestFile(dir.path(), "bad.csv", "lot\n\"A\n")));
    EXPECT_FALSE(w.Wizard.TableReadable());
    EXPECT_EQ(w.Wizard.TableText(), QStringLiteral("bad.csv cannot be read: line 2: a quote is not closed"));
    EXPECT_EQ(w.Wizard.PagesShown(), 0);

    TDataRun numbered;
    numbered.Kind = TRunKind::Numbered;
    numbered.Count = 1200;
    w.Wizard.SetRun(numbered);
    EXPECT_EQ(w.Wizard.PagesShown(), 400);
    EXPECT_EQ(w.Wizard.FieldsNote(), UnknownFieldsNote.arg(QStringLiteral("${lot}, ${lott}")));
}

TEST(PrintWizardRun, TheChoiceIsKeptPerProjectInTheSettings)
{
    QTemporaryDir dir;
    TMemoryStore settings;
    TRunWizard w;
    w.Sheet.Project.SetFileName(dir.filePath(QStringLiteral("merlot.wlp")));
    TDataRun run = TableRun(WriteTestFile(dir.path(), "lots;2026.csv", "lot\nA\n"));
    run.CopiesPerRecord = 3;
    run.StartSpot = 2;
    w.Wizard.SetRun(run);
    w.Wizard.StoreRun(settings.Store);

    TRunWizard other;
    other.Sheet.Project.SetFileName(dir.filePath(QStringLiteral("pinot.wlp")));
    other.Wizard.LoadRun(settings.Store);
    EXPECT_EQ(other.Wizard.GetRun(), TDataRun{});

    TRunWizard again;
    again.Sheet.Project.SetFileName(dir.filePath(QStringLiteral("merlot.wlp")));
    again.Wizard.LoadRun(settings.Store);
    EXPECT_EQ(again.Wizard.GetRun(), run);
    EXPECT_EQ(again.Wizard.TableText(), QStringLiteral("lots;2026.csv (1 records)"));
}

TEST(PrintWizardRun, ARunOfMoreThanTenThousandLabelsAsksFirst)
{
    TRunWizard w;
    Tmessagelog messages;
    messages.Answer = mrCancel;
    int printed = 0;
    w.Wizard.OnPrint = [&](const TPrintSettings &) { return ++printed > 0; };
    TDataRun run;
    run.Kind = TRunKind::Numbered;
    run.Count = 10000;
    w.Wizard.SetRun(run);
    EXPECT_TRUE(w.Wizard.Print());
    EXPECT_TRUE(messages.Texts.empty());
    run.Count = 5001;
    run.CopiesPerRecord = 2;
    w.Wizard.SetRun(run);
    EXPECT_FALSE(w.Wizard.Print());
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(messages.Texts, std::vector<QString>{LargeRunQuestion.arg(10002).arg(3334)});
    messages.Answer = mrOk;
    EXPECT_TRUE(w.Wizard.Print());
    EXPECT_EQ(printed, 2);
}

TEST(PrintWizardRun, TheTestSheetIsOneSheetOfTheSameLabel)
{
    TRunWizard w;
    TPrintSettings given;
    w.Wizard.OnPrint = [&](const TPrintSettings &settings) {
        given = settings;
        return true;
    };
    TDataRun run;
    run.Kind = TRunKind::Numbered;
    run.Count = 50;
    w.Wizard.SetRun(run);
    ASSERT_TRUE(w.Wizard.PrintTest());
    EXPECT_EQ(given.Copies, 1);
    EXPECT_FALSE(given.Run.IsRun());
    ASSERT_TRUE(w.Wizard.Print());
    EXPECT_EQ(given.Run, run);
}
