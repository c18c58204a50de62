#include "common/testsupport.h"
#include "document/drawobj.h"
#include "document/globals.h"
#include "platform/streams.h"

#include <QBuffer>
#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {
const TRect View{0, 0, 1000, 1000};

// An object at scale 1 so screen pixels equal document units.
std::unique_ptr<Tdrawobj> ObjectAt(const TRect &bounds)
{
    auto o = std::make_unique<Tdrawobj>();
    o->SetView(View, 1.0);
    o->SetBounds(bounds);
    return o;
}

} // namespace

TEST(DrawObj, SetBoundsSwapsSidesThenEnforcesTheMinimum)
{
    auto o = ObjectAt({300, 400, 100, 390});
    EXPECT_EQ(o->Bounds, (TRect{100, 390, 300, 410}));
    o->SetBounds({0, 0, 5, 5});
    EXPECT_EQ(o->Bounds, (TRect{0, 0, MinObjectSize, MinObjectSize}));
}

TEST(DrawObj, MovingKeepsTheSize)
{
    auto o = ObjectAt({100, 200, 300, 500});
    o->SetLeft(150);
    o->SetTop(50);
    EXPECT_EQ(o->Bounds, (TRect{150, 50, 350, 350}));
    o->SetWidth(40);
    o->SetHeight(10);
    EXPECT_EQ(o->Bounds, (TRect{150, 50, 190, 70}));
}

TEST(DrawObj, ScreenConversionSubtractsTheOutputOrigin)
{
    Tdrawobj o;
    o.SetView({30, 40, 400, 350}, 0.1);
    EXPECT_EQ(o.DocToScreen(1000, true), 70);
    EXPECT_EQ(o.DocToScreen(1000, false), 60);
    // 12.5 and 37.5 pixels round to the even neighbours.
    o.SetView({0, 0, 400, 350}, 0.5);
    EXPECT_EQ(o.DocToScreen(25, true), 12);
    EXPECT_EQ(o.DocToScreen(75, true), 38);
    o.SetView({0, 0, 400, 350}, 0.1);
    OutputOrigin = {100000, 100000};
    EXPECT_EQ(o.DocToScreen(100000 + 500, false), 50);
    EXPECT_EQ(o.DocToScreen(100000, true), 0);
    EXPECT_EQ(o.ScreenToDoc(50, false), 100500);
}

TEST(DrawObj, HandlesAreOnlyOnSelectedObjects)
{
    auto o = ObjectAt({100, 100, 200, 200});
    EXPECT_EQ(o->HandleAt({100, 100}), hcNone);
    o->SetSelected(true);
    struct Case {
        TPoint p;
        int32_t code;
    };
    // The top-left square covers 96 .. 104; a click up to 3 pixels beside it takes it too.
    const Case cases[] = {
        {{100, 100}, hcTopLeft},  {{96, 96}, hcTopLeft},       {{104, 104}, hcTopLeft},
        {{107, 107}, hcTopLeft},  {{93, 100}, hcTopLeft},      {{108, 108}, hcNone},
        {{92, 100}, hcNone},      {{200, 200}, hcBottomRight}, {{100, 200}, hcBottomLeft},
        {{200, 100}, hcTopRight}, {{100, 150}, hcLeft},        {{200, 150}, hcRight},
        {{150, 100}, hcTop},      {{150, 207}, hcBottom},      {{150, 150}, hcNone},
    };
    for (const Case &c : cases)
        EXPECT_EQ(o->HandleAt(c.p), c.code) << c.p;

    // On a screen at twice 96 dots per inch the squares, and the reach, are twice as large.
    HandleScale = 2.0;
    EXPECT_EQ(o->HandleRect({100, 100}), (TRect{92, 92, 109, 109}));
    EXPECT_EQ(o->HandleAt({114, 114}), hcTopLeft);
    EXPECT_EQ(o->HandleAt({115, 115}), hcNone);
}

TEST(DrawObj, OnSmallObjectsEdgeHandlesWinOverCorners)
{
    // 10 by 10 pixels at (10, 10): every handle overlaps its neighbours.
    Tdrawobj o;
    o.SetView(View, 0.1);
    o.SetBounds({100, 100, 200, 200});
    o.SetSelected(true);
    // Where bottom-left, bottom-right and bottom-middle overlap, bottom-middle wins.
    EXPECT_EQ(o.HandleAt({11, 20}), hcBottom);
    EXPECT_EQ(o.HandleAt({19, 20}), hcBottom);
    EXPECT_EQ(o.HandleAt({15, 22}), hcBottom);
    // Top-middle wins over the top corners.
    EXPECT_EQ(o.HandleAt({11, 10}), hcTop);
    // Left-middle wins over the top-left corner where they overlap; beyond it the corner.
    EXPECT_EQ(o.HandleAt({6, 14}), hcLeft);
    EXPECT_EQ(o.HandleAt({6, 6}), hcTopLeft);
}

TEST(DrawObj, ContainsPointExcludesTheGrownEdge)
{
    auto o = ObjectAt({100, 100, 200, 200});
    o->HandleInflate = 2;
    EXPECT_FALSE(o->ContainsPoint({98, 150}));
    EXPECT_TRUE(o->ContainsPoint({99, 150}));
    EXPECT_TRUE(o->ContainsPoint({201, 201}));
    EXPECT_FALSE(o->ContainsPoint({202, 150}));
}

TEST(DrawObj, InvalidRectIncludesHandlesWhenSelected)
{
    auto o = ObjectAt({100, 100, 200, 200});
    o->HandleInflate = 10;
    EXPECT_EQ(o->GetInvalidRect(), (TRect{100, 100, 200, 200}));
    o->SetSelected(true);
    EXPECT_EQ(o->GetInvalidRect(), (TRect{82, 82, 218, 218}));
}

TEST(DrawObj, ChangesReportOldAndNewAreas)
{
    // Changes made before anyone listens are not kept for later.
    auto o = ObjectAt({100, 100, 200, 200});
    EXPECT_EQ(o->InvalidRects.Count(), 0);
    std::vector<std::vector<TRect>> reports;
    o->OnInvalidate = [&](Trectlist &l) { reports.push_back(l.Rects()); };
    o->SetBounds({300, 100, 400, 200});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(reports[0], ElementsAre(TRect{100, 100, 200, 200}, TRect{300, 100, 400, 200}));
    EXPECT_EQ(o->InvalidRects.Count(), 0);

    reports.clear();
    o->SetSelected(true);
    // The area before the change: without handles.
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(reports[0], ElementsAre(TRect{300, 100, 400, 200}));
    reports.clear();
    o->SetSelected(false);
    EXPECT_THAT(reports[0], ElementsAre(TRect{292, 92, 408, 208}));
    reports.clear();
    o->ReportChange();
    EXPECT_THAT(reports[0], ElementsAre(TRect{300, 100, 400, 200}));
}

TEST(DrawObj, ChangesBeforeTheFirstViewAreReportedByIt)
{
    Tdrawobj o;
    std::vector<std::vector<TRect>> reports;
    o.OnInvalidate = [&](Trectlist &l) { reports.push_back(l.Rects()); };
    o.SetBounds({100, 100, 200, 300});
    // Without a scale the screen rectangle is all zeros: nothing to report.
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(reports[0], IsEmpty());
    EXPECT_TRUE(o.PendingRepaint);
    reports.clear();
    o.SetView({0, 0, 500, 500}, 0.5);
    EXPECT_FALSE(o.PendingRepaint);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(reports[0], ElementsAre(TRect{50, 50, 100, 150}));
    reports.clear();
    o.SetView({0, 0, 500, 500}, 1.0);
    EXPECT_THAT(reports, IsEmpty());
}

TEST(DrawObj, SelectionEventOnlyOnChange)
{
    Tdrawobj o;
    int raised = 0;
    o.OnSelectedChange = [&](Tdrawobj *sender) {
        EXPECT_EQ(sender, &o);
        EXPECT_TRUE(sender->Selected);
        ++raised;
    };
    o.SetSelected(true);
    o.SetSelected(true);
    EXPECT_EQ(raised, 1);
}

TEST(DrawObj, BeginChangeAnnouncesBeforeTheKindIsStored)
{
    Tdrawobj o;
    std::vector<std::pair<uint8_t, uint8_t>> seen; // (announced kind, previous kind)
    o.OnBeforeChange = [&](Tdrawobj *sender, uint8_t kind) {
        EXPECT_TRUE(sender->Modified);
        seen.emplace_back(kind, sender->LastChangeKind);
    };
    o.BeginChange(ckProperty, QStringLiteral("colour"));
    EXPECT_EQ(o.ChangeName, QStringLiteral("colour"));
    o.SetBounds({0, 0, 100, 100});
    EXPECT_EQ(o.ChangeName, QString());
    EXPECT_THAT(seen, ElementsAre(std::pair<uint8_t, uint8_t>{ckProperty, ckReset},
                                  std::pair<uint8_t, uint8_t>{ckGeometry, ckProperty}));
    EXPECT_EQ(o.LastChangeKind, ckGeometry);
    o.ClearUndoName();
    EXPECT_EQ(o.ChangeName, QStringLiteral("*unassigned*"));
}

TEST(DrawObj, ResetAspectMakesTheObjectSquare)
{
    auto wide = ObjectAt({0, 0, 300, 100});
    wide->ResetAspect();
    EXPECT_EQ(wide->Bounds, (TRect{0, 0, 100, 100}));
    auto tall = ObjectAt({0, 0, 100, 300});
    tall->ResetAspect();
    EXPECT_EQ(tall->Bounds, (TRect{0, 0, 100, 100}));
}

TEST(DrawObj, PickableForSelectZoomAndAlignmentTools)
{
    Tdrawobj o;
    for (int32_t number = 0; number <= 8; ++number) {
        const TTool tool = TTool(number);
        const bool expected = tool == TTool::Select || tool == TTool::Zoom || tool == TTool::Alignment;
        EXPECT_EQ(o.IsPickable(tool), expected) << number;
        EXPECT_EQ(o.ShowsHandles(tool), expected) << number;
    }
}

TEST(DrawObjRecord, HeaderLayout)
{
    auto o = ObjectAt({100, 200, 300, 400});
    const QByteArray bytes = RecordOf(*o);
    ASSERT_EQ(bytes.size(), 31);
    EXPECT_EQ(uint8_t(bytes[0]), 0);
    EXPECT_EQ(bytes.mid(1, 10), QByteArray("New objv2 "));
    EXPECT_EQ(bytes.mid(11, 4), Int32Bytes(o->Id));
    EXPECT_EQ(bytes.mid(15, 16), Int32Bytes(100) + Int32Bytes(200) + Int32Bytes(300) + Int32Bytes(400));
}

TEST(DrawObjRecord, VersionsDecideWhetherAnIdFollows)
{
    const QByteArray bounds = Int32Bytes(1) + Int32Bytes(2) + Int32Bytes(3) + Int32Bytes(4);
    struct Case {
        QByteArray header;
        bool hasId;
    };
    const Case cases[] = {
        {QByteArray("\0New objv2 ", 11), true},  {QByteArray("\0New objv 2", 11), true},
        {QByteArray("\0New obj 9 ", 11), true},  {QByteArray("\0New objv1 ", 11), false},
        {QByteArray("\0Drawobject", 11), false}, // ends in "ct": the oldest header
        {QByteArray("\0New objvXY", 11), false}, // not a number: version 0
    };
    for (const Case &c : cases) {
        Tdrawobj o;
        const int32_t id = o.Id;
        ReadRecordInto(o, c.header + (c.hasId ? Int32Bytes(777) : QByteArray()) + bounds);
        EXPECT_EQ(o.Bounds, (TRect{1, 2, 3, 4})) << c.header.toStdString();
        EXPECT_EQ(o.Id, id);
    }
}

TEST(DrawObjRecord, ReadingTakesBoundsAsTheyAreAndKeepsTheId)
{
    const QByteArray bytes = QByteArray("\0New objv2 ", 11) + Int32Bytes(5) + Int32Bytes(300) +
                             Int32Bytes(400) + Int32Bytes(100) + Int32Bytes(390);
    Tdrawobj a, b;
    int announced = 0;
    a.OnBeforeChange = [&](Tdrawobj *, uint8_t) { ++announced; };
    ReadRecordInto(a, bytes);
    ReadRecordInto(b, bytes);
    EXPECT_EQ(a.Bounds, (TRect{300, 400, 100, 390}));
    EXPECT_EQ(announced, 0);
    EXPECT_NE(a.Id, b.Id);
    EXPECT_NE(a.Id, 5);
}

TEST(DrawObjRecord, ShortRecordKeepsTheFieldsItCannotRead)
{
    Tdrawobj o;
    o.Bounds = {7, 8, 9, 10};
    ReadRecordInto(o,
                   QByteArray("\0New objv2 ", 11) + Int32Bytes(1) + Int32Bytes(70) + Int32Bytes(80) + "\1\2");
    EXPECT_EQ(o.Bounds, (TRect{70, 80, 9, 10}));
}

TEST(DrawObjRecord, BlockRoundTrip)
{
    auto o = ObjectAt({100, 200, 300, 400});
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    o->WriteRecordBlock(stream);
    o->WriteRecordBlock(stream);
    EXPECT_EQ(stream.size(), 2 * (4 + 31));
    stream.seek(0);
    Tdrawobj skipped, read;
    skipped.ReadRecordBlock(stream, true);
    EXPECT_EQ(skipped.Bounds, TRect{});
    read.ReadRecordBlock(stream, false);
    EXPECT_EQ(read.Bounds, o->Bounds);
    EXPECT_TRUE(stream.atEnd());
}

TEST(DrawObjRecord, DamagedLengthsAreLimitedToTheStream)
{
    const QByteArray record = RecordOf(*ObjectAt({10, 20, 30, 40}));
    struct Case {
        int32_t length;
        TRect expected;
        qint64 endPos; // where the stream stands afterwards
    };
    const qint64 whole = 4 + record.size();
    const Case cases[] = {
        {-5, {}, 4},                           // negative: nothing is read
        {0x7FFFFFFF, {10, 20, 30, 40}, whole}, // beyond the stream: what remains
        {19, {10, 0, 0, 0}, 4 + 19},           // too short: the record ends early
    };
    for (const Case &c : cases) {
        for (bool skip : {false, true}) {
            Tdrawobj o;
            const qint64 end = ReadBack(Int32Bytes(c.length) + record,
                                        [&](QIODevice &stream) { o.ReadRecordBlock(stream, skip); });
            EXPECT_EQ(end, c.endPos) << c.length << " skip " << skip;
            if (!skip) {
                EXPECT_EQ(o.Bounds, c.expected) << c.length;
            }
        }
    }
}

TEST(DrawObjRecord, ATruncatedBlockDoesNotReachTheNextRecord)
{
    // The first block claims 20 bytes; the second, intact block is read in full after it.
    const QByteArray record = RecordOf(*ObjectAt({10, 20, 30, 40}));
    Tdrawobj first, second;
    ReadBack(Int32Bytes(20) + record.left(20) + Int32Bytes(record.size()) + record, [&](QIODevice &stream) {
        first.ReadRecordBlock(stream, false);
        second.ReadRecordBlock(stream, false);
    });
    EXPECT_EQ(first.Bounds, (TRect{10, 0, 0, 0}));
    EXPECT_EQ(second.Bounds, (TRect{10, 20, 30, 40}));
}

TEST(DrawObjRecord, BoundsBeyondReachAreBroughtWithinIt)
{
    // Values a damaged record can hold: sizes and screen positions of these would overflow.
    const QByteArray bytes = QByteArray("\0New objv2 ", 11) + Int32Bytes(5) + Int32Bytes(INT32_MIN) +
                             Int32Bytes(-20000000) + Int32Bytes(INT32_MAX) + Int32Bytes(16777216);
    Tdrawobj o;
    ReadRecordInto(o, bytes);
    EXPECT_EQ(o.Bounds, (TRect{-MaxCoordinate, -MaxCoordinate, MaxCoordinate, MaxCoordinate}));
    EXPECT_EQ(o.Width(), 2 * MaxCoordinate);
}

TEST(DrawObj, ScreenPositionsStayWithinReachAtAnyScale)
{
    // The farthest bounds a record gives, viewed at a thumbnail's scale of a label 0.001 inch
    // wide: every size and position, and the difference of any two, is still an int32.
    Tdrawobj o;
    o.SetView({0, 0, 152, 133}, 152.0);
    o.Bounds = {-MaxCoordinate, -MaxCoordinate, MaxCoordinate, MaxCoordinate};
    const TRect r = o.GetScreenRect();
    EXPECT_EQ(r.Left, -(1 << 29));
    EXPECT_EQ(r.Right, 1 << 29);
    EXPECT_EQ(o.ScreenWidth(), 1 << 29);
    EXPECT_EQ(int64_t(r.Right) - r.Left, int64_t(1) << 30);
}
