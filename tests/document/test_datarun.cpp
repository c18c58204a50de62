// Runs of labels: where the labels fall on the sheets (chosen spots in order, a start spot,
// copies, the last partial sheet) and the values each label is filled from, read from a table
// as they are asked for.

#include "common/testsupport.h"
#include "document/datarun.h"

#include <QFile>
#include <QTemporaryDir>
#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {
// Sheet by sheet, the labels on the printing spots in order ('.' for none).
QString Sheets(const TRunLayout &layout)
{
    QStringList sheets;
    for (int64_t sheet = 0; sheet < layout.Sheets; ++sheet) {
        QStringList places;
        for (int32_t slot = 0; slot < layout.PerSheet; ++slot) {
            const int64_t label = layout.LabelAt(sheet, slot);
            places.append(label < 0 ? QStringLiteral(".") : QString::number(label));
        }
        sheets.append(places.join(u' '));
    }
    return sheets.join(QStringLiteral(" / "));
}

} // namespace

TEST(DataRun, LabelsFallOnTheSpotsInOrder)
{
    struct Case {
        const char *Name;
        std::vector<int32_t> Spots;
        int32_t StartSpot;
        int64_t Labels;
        QString Sheets;
    };
    const Case cases[] = {
        {"one full sheet", {0, 1, 2, 3}, 1, 4, "0 1 2 3"},
        {"partial last sheet", {0, 1, 2, 3}, 1, 6, "0 1 2 3 / 4 5 . ."},
        {"start at spot 3", {0, 1, 2, 3}, 3, 5, ". . 0 1 / 2 3 4 ."},
        {"marked spots only", {1, 3}, 1, 3, "0 1 / 2 ."},
        {"start on an unmarked spot", {1, 3}, 3, 3, ". 0 / 1 2"},
        {"start past every marked spot", {0, 1}, 4, 3, "0 1 / 2 ."},
        {"no labels", {0, 1}, 1, 0, ""},
        {"no spots", {}, 1, 5, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Sheets(LayoutRun(c.Spots, c.StartSpot, c.Labels)), c.Sheets) << c.Name;
}

TEST(DataRun, NumberedRunCountsWithStepAndCopies)
{
    TDataRun run;
    run.Kind = TRunKind::Numbered;
    run.From = 10;
    run.Count = 3;
    run.Step = 5;
    run.CopiesPerRecord = 2;
    Trunlabels labels(run);
    EXPECT_EQ(labels.Labels(), 6);
    std::vector<int64_t> numbers;
    for (int64_t i = 0; i < labels.Labels(); ++i)
        numbers.push_back(labels.Label(i).Number);
    EXPECT_THAT(numbers, ElementsAre(10, 10, 15, 15, 20, 20));
    EXPECT_EQ(labels.Label(0).Count, 3);
}

TEST(DataRun, TableRecordsAreReadAsAskedAndAgainFromTheStart)
{
    QTemporaryDir dir;
    TDataRun run;
    run.Kind = TRunKind::Table;
    run.Table = WriteTestFile(dir.path(), "lots.csv", "lot,name\nA,x\nB,y\nC,z\n");
    run.CopiesPerRecord = 2;
    Trunlabels labels(run);
    EXPECT_EQ(labels.Records(), 3);
    EXPECT_EQ(labels.Labels(), 6);
    EXPECT_THAT(labels.Names(), ElementsAre(QStringLiteral("lot"), QStringLiteral("name")));
    QStringList seen;
    for (const int64_t label : {0, 1, 3, 5, 2, 0})
        seen.append(FillFields("${lot}${n}", labels.Label(label)));
    EXPECT_THAT(seen, ElementsAre("A1", "A1", "B2", "C3", "B2", "A1"));
    EXPECT_THAT(labels.UnknownFields({"${lot}", "${lott}", "${n:4}", "${date}"}),
                ElementsAre(QStringLiteral("${lott}")));
}
