// Runs of differing labels through the recording printer: the labels fill the chosen spots in
// order from the start spot over as many pages as they need, a record's copies follow each
// other, a damaged table prints nothing, and a cancelled run ends its document.

#include "printtestsupport.h"

#include "document/code.h"
#include "document/fields.h"
#include "document/text.h"
#include "editing/printjob.h"

#include <QTemporaryDir>
#include <gmock/gmock.h>

namespace {
constexpr int32_t Dpi = 100;

// Which of the sheet's three spots hold ink on each page: "110" for the first two.
QString InkedSpots(const Trecordingprinter &printer)
{
    QStringList pages;
    for (const QImage &page : printer.Pages) {
        QString inked;
        for (const TPoint spot : {TPoint{50, 100}, TPoint{400, 100}, TPoint{50, 400}})
            inked += IsDark(page, spot.X + 100, spot.Y + 20) ? u'1' : u'0';
        pages.append(inked);
    }
    return pages.join(u' ');
}

// One sheet on all three spots.
TPrintSettings EverySpot()
{
    TPrintSettings settings;
    settings.Spots = {0, 1, 2};
    return settings;
}

// The test sheet printed on a recording printer at Dpi.
struct TRunJob {
    TRunJob() { Job.SetDocument(&Sheet.Project); }
    Tvnltext &Text() { return dynamic_cast<Tvnltext &>(*Sheet.Project.GetObject(1)); }
    TTestSheet Sheet;
    Trecordingprinter Printer{Dpi, 0, 0};
    Tprintjob Job{&Printer};
};
} // namespace

TEST(PrintRun, LabelsFillTheChosenSpotsInOrderOverAsManyPagesAsTheyNeed)
{
    struct Case {
        const char *Name;
        std::vector<int32_t> Spots;
        int64_t Count;
        int32_t Copies;
        int32_t StartSpot;
        QString Pages;
    };
    const Case cases[] = {
        {"seven labels", {0, 1, 2}, 7, 1, 1, "111 111 100"},
        {"start at spot 2", {0, 1, 2}, 4, 1, 2, "011 110"},
        {"two copies of two", {0, 1, 2}, 2, 2, 1, "111 100"},
        {"first and last spot", {0, 2}, 3, 1, 1, "101 100"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TRunJob run;
        Tcountingprogress progress;
        TPrintSettings settings = EverySpot();
        settings.Copies = 5; // a run leaves Copies aside
        settings.Spots = c.Spots;
        settings.Run = {TRunKind::Numbered, 1, c.Count, 1, {}, c.Copies, c.StartSpot};
        ASSERT_TRUE(run.Job.PrintSheets(settings));
        EXPECT_EQ(InkedSpots(run.Printer), c.Pages);
        EXPECT_EQ(progress.Steps, c.Count * c.Copies);
        EXPECT_EQ(progress.Captions.last(),
                  QStringLiteral("Printing sheet %1 of %1").arg(run.Printer.Pages.size()));
    }
}

TEST(PrintRun, ADamagedTableIsNamedWithItsLineAndNothingPrints)
{
    QTemporaryDir dir;
    TRunJob run;
    Tmessagelog messages;
    TPrintSettings settings = EverySpot();
    settings.Run.Kind = TRunKind::Table;
    settings.Run.Table = WriteTestFile(dir.path(), "lots.csv", "lot\nA\n\"B\nC\n");
    EXPECT_FALSE(run.Job.PrintSheets(settings));
    EXPECT_TRUE(run.Printer.Pages.empty());
    EXPECT_EQ(run.Printer.EndDocCalls, 0);
    ASSERT_EQ(messages.Texts.size(), 1u);
    EXPECT_EQ(
        messages.Texts[0],
        QStringLiteral("The table \"%1\" cannot be read: line 3: a quote is not closed. Nothing was printed.")
            .arg(settings.Run.Table));

    settings.Run.Table = WriteTestFile(dir.path(), "lots.csv", "lot\n");
    EXPECT_FALSE(run.Job.PrintSheets(settings));
    EXPECT_TRUE(run.Printer.Pages.empty());
    EXPECT_THAT(messages.Texts.back().toStdString(), testing::HasSubstr("holds no records"));
}

TEST(PrintRun, ACancelledRunEndsItsDocumentAndSaysItDidNotPrint)
{
    TRunJob run;
    Tcountingprogress progress;
    progress.CancelAtStep = 4;
    TPrintSettings settings = EverySpot();
    settings.Run = {TRunKind::Numbered, 1, 30, 1, {}, 1, 1};
    EXPECT_FALSE(run.Job.PrintSheets(settings));
    EXPECT_TRUE(progress.Offered);
    EXPECT_EQ(run.Printer.Pages.size(), 2u);
    EXPECT_EQ(run.Printer.EndDocCalls, 1);
    EXPECT_FALSE(progress.Shown);
}

TEST(PrintRun, ASameLabelRunWithFieldsFillsThemAsTheFirstLabel)
{
    TRunJob run;
    run.Text().SetText(QStringLiteral("No 1 of 1"));
    ASSERT_TRUE(run.Job.PrintSheets(EverySpot()));
    run.Text().SetText(QStringLiteral("No ${n} of ${count}"));
    Trecordingprinter filled(Dpi, 0, 0);
    run.Job.SetPrinter(&filled);
    ASSERT_TRUE(run.Job.PrintSheets(EverySpot()));
    ASSERT_EQ(filled.Pages.size(), 1u);
    EXPECT_EQ(filled.Pages[0], run.Printer.Pages[0]);
}

TEST(PrintRun, ACodeALabelsDataCannotMakeIsNamedWithItsLabel)
{
    QTemporaryDir dir;
    TRunJob run;
    auto code = std::make_unique<Tvnlcode>();
    code->SetSymbology(uint8_t(TSymbology::Ean13));
    code->SetData(QStringLiteral("400638133393${check}"));
    code->SetBounds({100000, 100000, 101000, 100500});
    run.Sheet.Project.AddObject(std::move(code));
    TPrintSettings settings = EverySpot();
    settings.Run.Kind = TRunKind::Table;
    settings.Run.Table = WriteTestFile(dir.path(), "codes.csv", "check\n1\nx\n1\n");
    ASSERT_TRUE(run.Job.PrintSheets(settings));
    EXPECT_EQ(run.Job.LabelsLeftOut, 1);
    ASSERT_EQ(run.Job.LeftOut.size(), 1);
    EXPECT_THAT(run.Job.LeftOut[0].toStdString(),
                testing::StartsWith("label 2: object 3 is left out: EAN-13"));
}
