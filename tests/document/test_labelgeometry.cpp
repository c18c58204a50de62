// The sheet geometry: clamping of spot values, the page size, copying, and the geometry section
// byte for byte, under damage and cut short at every section.

#include "common/testsupport.h"
#include "document/labelgeometry.h"

#include <cmath>
#include <gmock/gmock.h>
#include <limits>

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// Loads the bytes and gives the position the list stopped at.
qint64 LoadBytes(Tlabelgeometrylist &list, const QByteArray &bytes)
{
    return ReadBack(bytes, [&](QIODevice &stream) { list.LoadFromStream(stream); });
}

// Two spots of a 2-column layout, landscape, with reserved bytes 1 .. 7.
void FillSmallList(Tlabelgeometrylist &list)
{
    list.Add(Spot(0.25, 0.5, 2.625, 1.0));
    list.Add(Spot(3.0, 0.5, 2.625, 1.0));
    list.Orientation = 1;
    list.LayoutLeftMargin = 0.25;
    list.LayoutTopMargin = 0.5;
    list.LayoutColumns = 2;
    list.LayoutRows = 10;
    list.LayoutHGutter = 0.125;
    list.LayoutVGutter = 0.0;
    list.LayoutLabelWidth = 2.625;
    list.LayoutLabelHeight = 1.0;
    list.LayoutValid = 1;
    list.Reserved = {1, 2, 3, 4, 5, 6, 7};
}

// What FillSmallList writes.
const QByteArray SmallListBytes = QByteArray::fromHex("02000000"                         // count
                                                      "000000000000d03f000000000000e03f" // left, top
                                                      "0000000000000540000000000000f03f" // width, height
                                                      "0000000000000840000000000000e03f"
                                                      "0000000000000540000000000000f03f"
                                                      "01"                               // orientation
                                                      "000000000000d03f000000000000e03f" // margins
                                                      "020000000a000000"                 // columns, rows
                                                      "000000000000c03f0000000000000000" // gutters
                                                      "0000000000000540000000000000f03f" // label size
                                                      "01"                               // valid
                                                      "01020304050607");                 // reserved

// A list whose every field differs from the small list's, to see what a read leaves alone.
void FillOtherList(Tlabelgeometrylist &list)
{
    list.Add(Spot(5, 5, 5, 5));
    list.Orientation = 0;
    list.LayoutLeftMargin = 9;
    list.LayoutTopMargin = 9;
    list.LayoutColumns = 9;
    list.LayoutRows = 9;
    list.LayoutHGutter = 9;
    list.LayoutVGutter = 9;
    list.LayoutLabelWidth = 9;
    list.LayoutLabelHeight = 9;
    list.LayoutValid = 0;
    list.Reserved = {9, 9, 9, 9, 9, 9, 9};
}

struct SpotValues {
    double Left, Top, Width, Height;
};

void ExpectSpot(const Tlabelgeometry &s, const SpotValues &v)
{
    EXPECT_EQ(s.SpotLeft, v.Left);
    EXPECT_EQ(s.SpotTop, v.Top);
    EXPECT_EQ(s.SpotWidth, v.Width);
    EXPECT_EQ(s.SpotHeight, v.Height);
}

constexpr SpotValues Tiny{0.001, 0.001, 0.001, 0.001};
} // namespace

TEST(Geometry, ClampSizeKeepsOnlyValuesFromAThousandthTo100)
{
    struct Case {
        double Value, Expected;
    };
    const Case cases[] = {
        {0.001, 0.001},   {1.5, 1.5},     {100.0, 100.0}, {0.0, 0.001}, {0.0009, 0.001}, {-3.0, 0.001},
        {100.001, 0.001}, {250.0, 0.001}, {NaN, 0.001},   {Inf, 0.001}, {-Inf, 0.001},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ClampSize(c.Value), c.Expected) << c.Value;
}

TEST(Geometry, SpotValuesOutsideTheRangeReadBackAsAThousandth)
{
    Tlabelgeometrylist list;
    list.Add(Spot(0.0, 0.5, 3.4, 3.0));   // left 0
    list.Add(Spot(1.0, 0.5, 250.0, 3.0)); // width 250
    list.Add(Spot(1.0, NaN, 3.4, -Inf));  // not numbers
    list.GetSpot(0)->SpotColor = RGB(200, 200, 200);
    list.GetSpot(1)->Marked = true;

    Tlabelgeometrylist read;
    LoadBytes(read, Saved(list));
    ASSERT_EQ(read.Count(), 3);
    ExpectSpot(*read.GetSpot(0), {0.001, 0.5, 3.4, 3.0});
    ExpectSpot(*read.GetSpot(1), {1.0, 0.5, 0.001, 3.0});
    ExpectSpot(*read.GetSpot(2), {1.0, 0.001, 3.4, 0.001});
    // Neither the colour nor the mark is stored.
    EXPECT_EQ(read.GetSpot(0)->SpotColor, 0u);
    EXPECT_EQ(read.MarkedCount(), 0);
}

TEST(Geometry, PageSizeFollowsTheOrientation)
{
    Tlabelgeometrylist list;
    double width = -1, height = -2;
    list.GetPageSize(width, height);
    EXPECT_EQ(width, 8.5);
    EXPECT_EQ(height, 11.0);

    list.Orientation = 1;
    list.GetPageSize(width, height);
    EXPECT_EQ(width, 11.0);
    EXPECT_EQ(height, 8.5);
    EXPECT_EQ(list.GetPageSize().X, 11.0);
    EXPECT_EQ(list.GetPageSize().Y, 8.5);

    list.Orientation = 7;
    width = -1;
    height = -2;
    list.GetPageSize(width, height);
    EXPECT_EQ(width, -1);
    EXPECT_EQ(height, -2);
    EXPECT_EQ(list.GetPageSize().X, 0.0);
    EXPECT_EQ(list.GetPageSize().Y, 0.0);
}

TEST(Geometry, ASpotPrintsWhenItIsFiniteOnThePageAndOfAPrintableSize)
{
    struct Case {
        double Left, Top, Width, Height;
        uint8_t Orientation;
        TSpotFit Fit;
    };
    const Case cases[] = {
        {0.5, 1, 2, 1, 0, TSpotFit::Prints},
        {-1.5, -0.5, 2, 1, 0, TSpotFit::Prints}, // partly on the page, from its top-left corner
        {8, 10.5, 2, 1, 0, TSpotFit::Prints},    // and from its bottom-right one
        {-2, 1, 2, 1, 0, TSpotFit::OffPage},     // touching the left edge from outside
        {0.5, 9, 2, 1, 1, TSpotFit::OffPage},    // below a landscape page, on a portrait one
        {9, 0.5, 2, 1, 1, TSpotFit::Prints},
        {20, 1, 2, 1, 0, TSpotFit::OffPage},
        {1e12, 1, 2, 1, 0, TSpotFit::OffPage},
        {0.5, NaN, 2, 1, 0, TSpotFit::OffPage},
        {0.5, 1, Inf, 1, 0, TSpotFit::OffPage},
        {0.5, 1, 0.001, 1, 0, TSpotFit::TooSmall}, // what a file's nonsense size reads as
        {0.5, 1, 1e9, 1, 0, TSpotFit::TooLarge},
    };
    for (const Case &c : cases) {
        Tlabelgeometrylist list;
        list.Orientation = c.Orientation;
        list.Add(Spot(c.Left, c.Top, c.Width, c.Height));
        EXPECT_EQ(list.Fit(0), c.Fit) << c.Left << " " << c.Top << " " << c.Width << " " << c.Height;
    }
}

TEST(Geometry, TheMarkedSpotsThatCannotPrintAreNamedInSentences)
{
    // Spots 1 and 5 print; 2, 3 and 7 lie off the page, 4 is too small, 6 too large.
    const std::pair<double, double> places[] = {{0.5, 2}, {20, 2},    {NaN, 2}, {0.5, 0},
                                                {3, 2},   {0.5, 200}, {30, 1}};
    Tlabelgeometrylist list;
    for (const auto &[left, width] : places)
        list.GetSpot(list.Add(Spot(left, 1, width, 1)))->Marked = true;
    EXPECT_EQ(list.UnprintableMarkedSpots(), "Spots 2, 3 and 7 lie outside the 8.5 \u00d7 11 in page. "
                                             "Spot 4 is too small to print. Spot 6 is too large to print.");
    EXPECT_EQ(list.PrintableMarkedCount(), 2);
    list.Orientation = 1;
    for (const int32_t unmarked : {3, 4, 5})
        list.GetSpot(unmarked)->Marked = false;
    EXPECT_EQ(list.UnprintableMarkedSpots(), "Spots 2, 3 and 7 lie outside the 11 \u00d7 8.5 in page.");
    list.GetSpot(2)->Marked = list.GetSpot(6)->Marked = false;
    EXPECT_EQ(list.UnprintableMarkedSpots(), "Spot 2 lies outside the 11 \u00d7 8.5 in page.");
    list.GetSpot(1)->Marked = false;
    EXPECT_EQ(list.UnprintableMarkedSpots(), "");
}

TEST(Geometry, AssignCopiesPlacesMarksAndOrientationOnly)
{
    Tlabelgeometry spot;
    spot.SpotColor = RGB(9, 9, 9);
    Tlabelgeometry source;
    source.SpotLeft = 1;
    source.SpotTop = 2;
    source.SpotWidth = 3;
    source.SpotHeight = 4;
    source.Marked = true;
    source.SpotColor = RGB(200, 150, 130);
    spot.Assign(source);
    ExpectSpot(spot, {1, 2, 3, 4});
    EXPECT_TRUE(spot.Marked);
    EXPECT_EQ(spot.SpotColor, RGB(9, 9, 9));

    Tlabelgeometrylist from;
    FillSmallList(from);
    from.GetSpot(1)->Marked = true;
    from.GetSpot(1)->SpotColor = RGB(200, 150, 130);
    Tlabelgeometrylist to;
    FillOtherList(to);
    to.Assign(from);
    ASSERT_EQ(to.Count(), 2); // the spot it held is gone
    ExpectSpot(*to.GetSpot(0), {0.25, 0.5, 2.625, 1.0});
    ExpectSpot(*to.GetSpot(1), {3.0, 0.5, 2.625, 1.0});
    EXPECT_EQ(to.MarkedCount(), 1);
    EXPECT_EQ(to.GetSpot(1)->SpotColor, 0u);
    EXPECT_EQ(to.Orientation, 1);
    // The layout block stays as it was.
    EXPECT_EQ(to.LayoutColumns, 9);
    EXPECT_EQ(to.LayoutLabelWidth, 9.0);
    EXPECT_EQ(to.LayoutValid, 0);
    EXPECT_EQ(to.Reserved[0], 9);
    // Copies, not shared spots.
    EXPECT_NE(to.GetSpot(0), from.GetSpot(0));
    from.GetSpot(0)->SpotLeft = 6;
    EXPECT_EQ(to.GetSpot(0)->SpotLeft, 0.25);

    to.Assign(to); // onto itself: nothing lost
    EXPECT_EQ(to.Count(), 2);
}

TEST(Geometry, DeleteIgnoresMissingIndicesAndClearKeepsTheSheetSettings)
{
    Tlabelgeometrylist list;
    FillSmallList(list);
    EXPECT_EQ(list.Add(nullptr), -1);
    list.Delete(2);
    list.Delete(-1);
    EXPECT_EQ(list.Count(), 2);
    list.Delete(0);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetSpot(0)->SpotLeft, 3.0);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Orientation, 1);
    EXPECT_EQ(list.LayoutColumns, 2);
    EXPECT_EQ(list.Reserved[6], 7);
}

TEST(Geometry, SectionBytesAreCountSpotsOrientationAndLayoutBlock)
{
    Tlabelgeometrylist list;
    FillSmallList(list);
    const QByteArray bytes = Saved(list);
    EXPECT_EQ(bytes.size(), 4 + 2 * 32 + 1 + LayoutBlockSize);
    EXPECT_EQ(bytes.toHex(), SmallListBytes.toHex());

    Tlabelgeometrylist empty;
    EXPECT_EQ(Saved(empty).toHex(), QByteArray("00000000"
                                               "00") +
                                        QByteArray(LayoutBlockSize * 2, '0'));
}

TEST(Geometry, SectionRoundTripsWithItsReservedBytes)
{
    Tlabelgeometrylist read;
    FillOtherList(read);
    // Followed by what comes next in a file: the list stops at its own end.
    EXPECT_EQ(LoadBytes(read, SmallListBytes + "next"), SmallListBytes.size());
    ASSERT_EQ(read.Count(), 2);
    ExpectSpot(*read.GetSpot(0), {0.25, 0.5, 2.625, 1.0});
    ExpectSpot(*read.GetSpot(1), {3.0, 0.5, 2.625, 1.0});
    EXPECT_EQ(read.Orientation, 1);
    EXPECT_EQ(read.LayoutLeftMargin, 0.25);
    EXPECT_EQ(read.LayoutTopMargin, 0.5);
    EXPECT_EQ(read.LayoutColumns, 2);
    EXPECT_EQ(read.LayoutRows, 10);
    EXPECT_EQ(read.LayoutHGutter, 0.125);
    EXPECT_EQ(read.LayoutVGutter, 0.0);
    EXPECT_EQ(read.LayoutLabelWidth, 2.625);
    EXPECT_EQ(read.LayoutLabelHeight, 1.0);
    EXPECT_EQ(read.LayoutValid, 1);
    EXPECT_THAT(read.Reserved, testing::ElementsAre(1, 2, 3, 4, 5, 6, 7));
    EXPECT_EQ(Saved(read).toHex(), SmallListBytes.toHex());
}

TEST(Geometry, CountsAbove100OrBelow0ReadNoSpots)
{
    // The bytes after the count are read as the orientation and the layout block.
    const QByteArray rest = SmallListBytes.mid(4 + 2 * 32);
    for (const int32_t count : {101, 2147483647, -1, -2147483647 - 1}) {
        Tlabelgeometrylist read;
        FillOtherList(read);
        EXPECT_EQ(LoadBytes(read, Int32Bytes(count) + rest), 4 + rest.size()) << count;
        EXPECT_EQ(read.Count(), 0) << count;
        EXPECT_EQ(read.Orientation, 1) << count;
        EXPECT_EQ(read.LayoutRows, 10) << count;
        EXPECT_EQ(read.Reserved[6], 7) << count;
    }

    // 100 is allowed.
    Tlabelgeometrylist hundred;
    QByteArray spots;
    for (int i = 0; i < 100; ++i)
        spots += Doubles({0.5 + i * 0.01, 1, 2, 3});
    LoadBytes(hundred, Int32Bytes(100) + spots + rest);
    ASSERT_EQ(hundred.Count(), 100);
    EXPECT_EQ(hundred.GetSpot(99)->SpotLeft, 0.5 + 99 * 0.01);
    EXPECT_EQ(hundred.Orientation, 1);
}

TEST(Geometry, ACountTheStreamCannotHoldGivesSpotsOfAThousandth)
{
    Tlabelgeometrylist read;
    LoadBytes(read, Int32Bytes(100) + Doubles({2.0}));
    ASSERT_EQ(read.Count(), 100);
    ExpectSpot(*read.GetSpot(0), {2.0, 0.001, 0.001, 0.001});
    ExpectSpot(*read.GetSpot(99), Tiny);
}

TEST(Geometry, ASectionCutShortKeepsWhatItLacks)
{
    struct Case {
        int Size;                        // bytes of the small list's section present
        std::vector<SpotValues> Spots;   // what is read
        uint8_t Orientation;             // 0 kept, 1 read
        int32_t Columns, Rows;           // 9 kept
        double HGutter, LabelHeight;     // 9 kept
        uint8_t Valid;                   // 0 kept
        std::array<uint8_t, 7> Reserved; // 9 kept
    };
    const std::array<uint8_t, 7> kept{9, 9, 9, 9, 9, 9, 9};
    const SpotValues first{0.25, 0.5, 2.625, 1.0};
    const SpotValues second{3.0, 0.5, 2.625, 1.0};
    const Case cases[] = {
        {0, {}, 0, 9, 9, 9, 9, 0, kept},
        // The two bytes of the count there are its low bytes.
        {2, {Tiny, Tiny}, 0, 9, 9, 9, 9, 0, kept},
        {4, {Tiny, Tiny}, 0, 9, 9, 9, 9, 0, kept},
        {4 + 32, {first, Tiny}, 0, 9, 9, 9, 9, 0, kept},
        // Cut inside the second spot's top, whose low bytes are 0.
        {4 + 32 + 12, {first, {3.0, 0.001, 0.001, 0.001}}, 0, 9, 9, 9, 9, 0, kept},
        {4 + 64, {first, second}, 0, 9, 9, 9, 9, 0, kept},
        {4 + 64 + 1, {first, second}, 1, 9, 9, 9, 9, 0, kept},
        {4 + 64 + 1 + 20, {first, second}, 1, 2, 9, 9, 9, 0, kept},
        {4 + 64 + 1 + 24, {first, second}, 1, 2, 10, 9, 9, 0, kept},
        {4 + 64 + 1 + 60, {first, second}, 1, 2, 10, 0.125, 1.0, 1, {1, 2, 3, 9, 9, 9, 9}},
        {int(SmallListBytes.size()), {first, second}, 1, 2, 10, 0.125, 1.0, 1, {1, 2, 3, 4, 5, 6, 7}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Size);
        Tlabelgeometrylist read;
        FillOtherList(read);
        EXPECT_EQ(LoadBytes(read, SmallListBytes.left(c.Size)), c.Size);
        ASSERT_EQ(read.Count(), int32_t(c.Spots.size()));
        for (size_t i = 0; i < c.Spots.size(); ++i)
            ExpectSpot(*read.GetSpot(int32_t(i)), c.Spots[i]);
        EXPECT_EQ(read.Orientation, c.Orientation);
        EXPECT_EQ(read.LayoutLeftMargin, c.Size >= 69 + 8 ? 0.25 : 9.0);
        EXPECT_EQ(read.LayoutColumns, c.Columns);
        EXPECT_EQ(read.LayoutRows, c.Rows);
        EXPECT_EQ(read.LayoutHGutter, c.HGutter);
        EXPECT_EQ(read.LayoutLabelHeight, c.LabelHeight);
        EXPECT_EQ(read.LayoutValid, c.Valid);
        EXPECT_EQ(read.Reserved, c.Reserved);
    }
}
