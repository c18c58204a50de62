// The stock templates as shipped: a file for every block of the table of facts, its spots where
// the table puts them and on the page, its description, and starter prompts inside the label;
// and the table's own refusals.

#include "stocktable.h"

#include "common/fakes.h"
#include "document/labeltemplate.h"
#include "document/text.h"
#include "platform/messages.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <gmock/gmock.h>

using testing::HasSubstr;

namespace {

constexpr double Exact = 1e-9;
// A spot edge at 0 reads back from a file as 1/1000 in (the smallest value a spot holds), so
// sheets without margins shift their first row and column by that much.
constexpr double FileResolution = 0.0015;

TStockTable ShippedTable()
{
    QFile file(QStringLiteral(AMBRELO_STOCK_TABLE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return ParseStockTable(QString::fromUtf8(file.readAll()));
}

QString ShippedFile(const TStockSheet &sheet)
{
    return QStringLiteral(AMBRELO_STOCK_FOLDER "/") + sheet.Name + QStringLiteral(".wlt");
}

bool Overlap(const Tlabelgeometry &a, const Tlabelgeometry &b)
{
    const double t = FileResolution;
    return a.SpotLeft + a.SpotWidth > b.SpotLeft + t && b.SpotLeft + b.SpotWidth > a.SpotLeft + t &&
           a.SpotTop + a.SpotHeight > b.SpotTop + t && b.SpotTop + b.SpotHeight > a.SpotTop + t;
}

} // namespace

TEST(StockTemplates, EveryShippedTemplateHasItsRowsSpotsOnThePage)
{
    const TStockTable table = ShippedTable();
    EXPECT_THAT(table.Errors, testing::IsEmpty());
    EXPECT_GE(table.Sheets.size(), 12u);
    QStringList names;
    for (const TStockSheet &sheet : table.Sheets)
        names << sheet.Name + QStringLiteral(".wlt");
    names.sort();
    EXPECT_EQ(QDir(QStringLiteral(AMBRELO_STOCK_FOLDER))
                  .entryList({QStringLiteral("*.wlt")}, QDir::Files, QDir::Name),
              names);

    TMessageRecorder messages;
    for (const TStockSheet &sheet : table.Sheets) {
        const std::string name = sheet.Name.toStdString();
        tlabeltemplate stock;
        ASSERT_TRUE(stock.LoadFromFile(ShippedFile(sheet))) << name;
        const Tlabelgeometrylist &spots = stock.Geometry;
        ASSERT_EQ(spots.Count(), sheet.Columns * sheet.Rows) << name;
        EXPECT_EQ(spots.Orientation, sheet.Orientation) << name;
        const TPointPair page = spots.GetPageSize();
        double right = 0, bottom = 0;
        for (int i = 0; i < spots.Count(); ++i) {
            const Tlabelgeometry &spot = *spots.GetSpot(i);
            EXPECT_NEAR(spot.SpotWidth, sheet.LabelWidth, Exact) << name << " spot " << i;
            EXPECT_NEAR(spot.SpotHeight, sheet.LabelHeight, Exact) << name << " spot " << i;
            EXPECT_GE(spot.SpotLeft, sheet.LeftMargin - Exact) << name << " spot " << i;
            EXPECT_GE(spot.SpotTop, sheet.TopMargin - Exact) << name << " spot " << i;
            right = std::max(right, spot.SpotLeft + spot.SpotWidth);
            bottom = std::max(bottom, spot.SpotTop + spot.SpotHeight);
            for (int j = 0; j < i; ++j)
                EXPECT_FALSE(Overlap(spot, *spots.GetSpot(j))) << name << " spots " << j << " and " << i;
        }
        EXPECT_NEAR(page.X - right, sheet.LeftMargin, FileResolution)
            << name << ": on the page and centred across";
        EXPECT_NEAR(page.Y - bottom, sheet.TopMargin, FileResolution)
            << name << ": on the page and centred down";
        EXPECT_EQ(stock.GetLabelWidth(), sheet.LabelWidth) << name;
        EXPECT_EQ(stock.GetTitle(), sheet.Description) << name;

        const TRect label{100000, 100000, 100000 + int32_t(std::lround(sheet.LabelWidth * 1000)),
                          100000 + int32_t(std::lround(sheet.LabelHeight * 1000))};
        QStringList prompts;
        for (int i = 0; i < stock.StarterObjects.Count(); ++i) {
            const Tdrawobj &o = *stock.StarterObjects.GetObject(i);
            EXPECT_TRUE(o.Left() >= label.Left && o.Top() >= label.Top && o.Bounds.Right <= label.Right &&
                        o.Bounds.Bottom <= label.Bottom)
                << name << ": starter object " << i << " inside the label";
            if (auto *text = dynamic_cast<const Tvnltext *>(&o))
                prompts << text->GetText();
        }
        EXPECT_THAT(prompts, testing::Contains(QStringLiteral("Winery"))) << name;
    }
    EXPECT_THAT(messages.Texts, testing::IsEmpty());
}

TEST(StockTable, RefusesFactsThatAreMissingWrongOrOffThePage)
{
    const QString good =
        QStringLiteral("[4 x 2 in]\nlabel = 4 x 2\ngrid = 2 x 5\nmargins = 5/32, 1/2\n"
                       "gutters = 3/16, 0\npage = portrait\ndesign = back\nabout = Back labels\n");
    struct Case {
        QString Table;
        const char *Error;
    };
    const Case cases[] = {
        {QString(good).replace(QStringLiteral("grid = 2 x 5\n"), QString()),
         "line 1: [4 x 2 in] gives no grid"},
        {QString(good).replace(QStringLiteral("4 x 2\n"), QStringLiteral("4 by 2\n")),
         "line 2: label should be width x height: 4 by 2"},
        {QString(good).replace(QStringLiteral("2 x 5"), QStringLiteral("2 x 6")), "runs off the page"},
        {QString(good).replace(QStringLiteral("5/32, 1/2"), QStringLiteral("0, 1/2")), "is not centred"},
        {QString(good).replace(QStringLiteral("back"), QStringLiteral("label")),
         "line 7: design should be front"},
        {good + good, "line 9: [4 x 2 in] is there twice"},
        {QStringLiteral("label = 4 x 2\n") + good, "line 1: neither a heading nor a known fact"},
        {QString(good).replace(QStringLiteral("[4 x 2 in]"), QStringLiteral("[4/2]")), "must be a file name"},
    };
    EXPECT_THAT(ParseStockTable(good).Errors, testing::IsEmpty());
    for (const Case &c : cases) {
        const TStockTable table = ParseStockTable(c.Table);
        ASSERT_FALSE(table.Errors.isEmpty()) << c.Error;
        EXPECT_THAT(table.Errors.join(QLatin1Char('\n')).toStdString(), HasSubstr(c.Error));
    }
}

TEST(StockTable, ReadsLengthsAsDecimalsAndFractions)
{
    const std::pair<const char *, double> cases[] = {
        {"4", 4},   {"0.15625", 0.15625}, {"5/32", 0.15625}, {" 3 1/3 ", 10.0 / 3}, {"1/0", -1},
        {"3.", -1}, {"-1", -1},           {"1 1", -1},       {"1/2/3", -1}};
    for (const auto &[text, expected] : cases) {
        double inches = -1;
        EXPECT_EQ(ParseInches(QString::fromLatin1(text), inches), expected >= 0) << text;
        EXPECT_DOUBLE_EQ(inches, expected) << text;
    }
}
