// Runs of differing labels through the recording printer: the labels fill the chosen spots in
// order from the start spot over as many pages as they need, a record's copies follow each
// other, a damaged table prints nothing, and a cancelled run ends its document.

#include "printtestsupport.h"

#include "document/fields.h"
#include "document/text.h"
#include "editing/printjob.h"

#include <QFile>
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

QString WriteTable(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("lots.csv"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    return path;
}
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
        TTestSheet sheet;
        Trecordingprinter printer(Dpi, 0, 0);
        Tcountingprogress progress;
        Tprintjob job(&printer);
        job.SetDocument(&sheet.Project);
        TPrintSettings settings = EverySpot();
        settings.Copies = 5; // a run leaves Copies aside
        settings.Spots = c.Spots;
        settings.Run = {TRunKind::Numbered, 1, c.Count, 1, {}, c.Copies, c.StartSpot};
        ASSERT_TRUE(job.PrintSheets(settings));
        EXPECT_EQ(InkedSpots(printer), c.Pages);
        EXPECT_EQ(job.SheetCount(settings), int64_t(printer.Pages.size()));
        EXPECT_EQ(progress.Steps, c.Count * c.Copies);
        EXPECT_EQ(progress.Captions.last(),
                  QStringLiteral("Printing sheet %1 of %1").arg(printer.Pages.size()));
    }
}

TEST(PrintRun, EachSpotShowsItsRecordAndTheStoredTextStays)
{
    QTemporaryDir dir;
    TTestSheet sheet;
    auto *text = dynamic_cast<Tvnltext *>(sheet.Project.GetObject(1));
    ASSERT_NE(text, nullptr);
    text->SetText(QStringLiteral("${word}"));
    Trecordingprinter printer(Dpi, 0, 0);
    Tprintjob job(&printer);
    job.SetDocument(&sheet.Project);
    TPrintSettings settings = EverySpot();
    settings.Run.Kind = TRunKind::Table;
    settings.Run.Table = WriteTable(dir, "word\nIIIIIIIIIIIIIIII\n.\nWWWWWWWWWWWW\n");
    ASSERT_TRUE(job.PrintSheets(settings));
    ASSERT_EQ(printer.Pages.size(), 1u);
    // The text's line, 0.6 inch down the label: long, a dot, long.
    const auto inkOnLine = [&](int32_t left) {
        int32_t dark = 0;
        for (int32_t x = left + 10; x < left + 190; ++x)
            for (int32_t y = 165; y < 190; ++y)
                dark += IsDark(printer.Pages[0], x, y) ? 1 : 0;
        return dark;
    };
    EXPECT_GT(inkOnLine(50), 10 * inkOnLine(400));
    EXPECT_GT(inkOnLine(400), 0);
    EXPECT_EQ(text->GetText(), QStringLiteral("${word}"));
    EXPECT_EQ(sheet.Project.Fill, nullptr);
}

TEST(PrintRun, ADamagedTableIsNamedWithItsLineAndNothingPrints)
{
    QTemporaryDir dir;
    TTestSheet sheet;
    Trecordingprinter printer(Dpi, 0, 0);
    Tmessagelog messages;
    Tprintjob job(&printer);
    job.SetDocument(&sheet.Project);
    TPrintSettings settings = EverySpot();
    settings.Run.Kind = TRunKind::Table;
    settings.Run.Table = WriteTable(dir, "lot\nA\n\"B\nC\n");
    EXPECT_FALSE(job.PrintSheets(settings));
    EXPECT_TRUE(printer.Pages.empty());
    EXPECT_EQ(printer.EndDocCalls, 0);
    ASSERT_EQ(messages.Texts.size(), 1);
    EXPECT_EQ(
        messages.Texts[0],
        QStringLiteral("The table \"%1\" cannot be read: line 3: a quote is not closed. Nothing was printed.")
            .arg(settings.Run.Table));

    settings.Run.Table = WriteTable(dir, "lot\n");
    EXPECT_FALSE(job.PrintSheets(settings));
    EXPECT_TRUE(printer.Pages.empty());
    EXPECT_THAT(messages.Texts.last().toStdString(), testing::HasSubstr("holds no records"));
}

TEST(PrintRun, ACancelledRunEndsItsDocumentAndSaysItDidNotPrint)
{
    TTestSheet sheet;
    Trecordingprinter printer(Dpi, 0, 0);
    Tcountingprogress progress;
    progress.CancelAtStep = 4;
    Tprintjob job(&printer);
    job.SetDocument(&sheet.Project);
    TPrintSettings settings = EverySpot();
    settings.Run = {TRunKind::Numbered, 1, 30, 1, {}, 1, 1};
    EXPECT_FALSE(job.PrintSheets(settings));
    EXPECT_TRUE(progress.Offered);
    EXPECT_EQ(printer.Pages.size(), 2u);
    EXPECT_EQ(printer.EndDocCalls, 1);
    EXPECT_FALSE(progress.Shown);
}

TEST(PrintRun, ASameLabelRunWithFieldsFillsThemAsTheFirstLabel)
{
    TTestSheet sheet;
    auto *text = dynamic_cast<Tvnltext *>(sheet.Project.GetObject(1));
    ASSERT_NE(text, nullptr);
    Trecordingprinter typed(Dpi, 0, 0);
    Tprintjob job(&typed);
    job.SetDocument(&sheet.Project);
    text->SetText(QStringLiteral("No 1 of 1"));
    ASSERT_TRUE(job.PrintSheets(EverySpot()));
    text->SetText(QStringLiteral("No ${n} of ${count}"));
    Trecordingprinter filled(Dpi, 0, 0);
    job.SetPrinter(&filled);
    ASSERT_TRUE(job.PrintSheets(EverySpot()));
    ASSERT_EQ(filled.Pages.size(), 1u);
    EXPECT_EQ(filled.Pages[0], typed.Pages[0]);
}
