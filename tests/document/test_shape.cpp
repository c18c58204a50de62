// Shapes: their setters and what they announce, the vertex cache, the record body byte for
// byte and under damage, and their drawing by pixels.

#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/shape.h"
#include "platform/canvas.h"
#include "platform/streams.h"

#include <QBuffer>
#include <gmock/gmock.h>
#include <numbers>

using testing::ElementsAre;

namespace {
const TRect View{0, 0, 200, 200};

// A shape attached to a document (so its changes are announced), viewed at scale 1.
struct AttachedShape {
    Tdrawlist doc;
    Tvnlshape *shape;
    std::vector<QString> announced;

    AttachedShape()
    {
        auto s = std::make_unique<Tvnlshape>();
        shape = s.get();
        s->Bounds = {0, 0, 100, 100};
        doc.AddObject(std::move(s));
        shape->SetView(View, 1.0);
        const auto record = shape->OnBeforeChange;
        shape->OnBeforeChange = [this, record](Tdrawobj *o, uint8_t kind) {
            announced.push_back(o->ChangeName);
            record(o, kind);
        };
    }
};

QImage DrawShape(Tvnlshape &s, bool output, int size = 120)
{
    QImage image = WhiteImage(size, size);
    Tcanvas canvas(&image);
    s.Draw(canvas, {0, 0, size, size}, output, {0, 0, size, size}, 1.0);
    return image;
}
} // namespace

TEST(Shape, ConstructorDefaults)
{
    Tvnlshape s;
    EXPECT_EQ(s.GetSideCount(), 6);
    EXPECT_EQ(s.GetCurveX(), 10);
    EXPECT_EQ(s.GetCurveY(), 10);
    EXPECT_EQ(s.HandleInflate, 2);
    EXPECT_FALSE(s.GetDrawOutline());
    EXPECT_FALSE(s.GetDrawFill());
    EXPECT_EQ(s.Pen.Color(), clBlack);
    EXPECT_EQ(s.Brush.Color(), clWhite);
    EXPECT_EQ(s.Hint, QStringLiteral("Shape Tool:\\nSelect the shape's appearance from the Tool Box"));
}

TEST(Shape, SettersAnnounceOnlyRealChanges)
{
    AttachedShape a;
    a.shape->SetSideCount(6);
    a.shape->SetCurveX(10);
    a.shape->SetDrawFill(false);
    a.shape->SetShapeStyle(TShapeStyle::Ellipse);
    EXPECT_TRUE(a.announced.empty());
    a.shape->SetSideCount(5);
    a.shape->SetCurveY(30);
    a.shape->SetDrawOutline(true);
    a.shape->SetDrawFill(true);
    a.shape->SetShapeStyle(TShapeStyle::Polygon);
    EXPECT_THAT(a.announced, ElementsAre("sidecount", "curvey", "drawfill", "drawfill", "shapestyle"));
    a.announced.clear();
    a.shape->Pen.SetColor(clRed);
    a.shape->Brush.SetStyle(TBrushStyle::Cross);
    a.shape->Pen.SetWidth(a.shape->Pen.Width()); // every set of the pen counts
    EXPECT_THAT(a.announced,
                ElementsAre("pen or brush change", "pen or brush change", "pen or brush change"));
}

TEST(Shape, EveryTurnIsAnnouncedHoweverSmall)
{
    AttachedShape a;
    a.shape->SetAngle(1.571);
    a.announced.clear();
    a.shape->SetAngle(1.571);
    EXPECT_TRUE(a.announced.empty());
    a.shape->SetAngle(1.551); // a little over one degree, within the same tenth of a radian
    a.shape->SetAngle(1.449);
    EXPECT_THAT(a.announced, ElementsAre("angle 1.55", "angle 1.45"));
    EXPECT_DOUBLE_EQ(a.shape->GetAngle(), 1.449);
}

TEST(Shape, LinesResizeFreelyOtherFiguresKeepTheirAspect)
{
    Tvnlshape s;
    for (uint8_t number = 0; number < 8; ++number) {
        const TShapeStyle style = TShapeStyle(number);
        s.SetShapeStyle(style);
        EXPECT_EQ(s.KeepsAspect(), style != TShapeStyle::VerticalLine && style != TShapeStyle::HorizontalLine)
            << int(number);
    }
}

TEST(Shape, HexagonCorners)
{
    Tvnlshape s;
    s.SetView({0, 0, 200, 200}, 1.0);
    s.SetBounds({0, 0, 100, 100});
    s.SetShapeStyle(TShapeStyle::Polygon);
    DrawShape(s, true);
    ASSERT_EQ(s.GetVertices().size(), 6u);
    EXPECT_EQ(s.GetVertices()[0], (TPoint{50, 0}));
    EXPECT_EQ(s.GetVertices()[3], (TPoint{50, 100}));
    // Clockwise on screen: the second corner is to the right of the first.
    EXPECT_GT(s.GetVertices()[1].X, 50);
}

TEST(Shape, TurnedSquareCorners)
{
    Tvnlshape s;
    s.SetView({0, 0, 200, 200}, 1.0);
    s.SetBounds({0, 0, 100, 100});
    s.SetShapeStyle(TShapeStyle::Polygon);
    s.SetSideCount(4);
    s.SetAngle(std::numbers::pi / 4);
    DrawShape(s, true);
    EXPECT_THAT(s.GetVertices(), ElementsAre(TPoint{85, 15}, TPoint{85, 85}, TPoint{15, 85}, TPoint{15, 15}));
}

TEST(Shape, VertexCacheIsDroppedByWhatTheCornersDependOn)
{
    Tvnlshape s;
    s.SetView(View, 1.0);
    s.SetBounds({0, 0, 100, 100});
    s.SetShapeStyle(TShapeStyle::Polygon);
    const auto drawn = [&] {
        DrawShape(s, true);
        return s.AreVerticesValid();
    };
    const std::vector<std::pair<const char *, std::function<void()>>> invalidators = {
        {"bounds",
         [&] {
             s.SetBounds({10, 0, 110, 100});
         }},
        {"side count", [&] { s.SetSideCount(7); }},
        {"angle", [&] { s.SetAngle(0.5); }},
        {"outline", [&] { s.SetDrawOutline(true); }},
        {"pen", [&] { s.Pen.SetWidth(3); }},
        {"scale", [&] { s.SetView(View, 0.5); }},
        {"scroll",
         [&] {
             s.SetView({5, 0, 120, 120}, 1.0);
         }},
        {"style", [&] { s.SetShapeStyle(TShapeStyle::Polygon); }},
    };
    for (const auto &[what, change] : invalidators) {
        ASSERT_TRUE(drawn());
        change();
        EXPECT_FALSE(s.AreVerticesValid()) << what;
    }
    ASSERT_TRUE(drawn());
    s.SetView({0, 0, 300, 300}, 1.0); // only the extent changed
    s.SetCurveX(40);
    EXPECT_TRUE(s.AreVerticesValid());
}

TEST(Shape, TintPullsEveryByteTowardsBlue)
{
    EXPECT_EQ(TintTowardsBlue(clWhite), TColor(0x00FF8888u));
    EXPECT_EQ(TintTowardsBlue(clBlack), TColor(0x00770000u));
    EXPECT_EQ(TintTowardsBlue(RGB(255, 0, 0)), TColor(0x00770088u));
    EXPECT_EQ(TintTowardsBlue(clBtnFace), TintTowardsBlue(ColorToRGB(clBtnFace)));
}

TEST(ShapeRecord, BodyLayout)
{
    Tvnlshape s;
    s.Bounds = {1, 2, 3, 4};
    s.SetSideCount(7);
    s.SetAngle(0.25);
    s.SetCurveX(11);
    s.SetCurveY(12);
    s.SetShapeStyle(TShapeStyle::RoundRect);
    s.Brush.SetColor(0x00123456);
    s.Brush.SetStyle(TBrushStyle::Cross);
    s.Pen.SetColor(0x00654321);
    s.Pen.SetMode(TPenMode::Xor);
    s.Pen.SetStyle(TPenStyle::DashDot);
    s.Pen.SetWidth(9);
    s.SetDrawOutline(true); // fill stays off: bit 29
    const QByteArray bytes = RecordOf(s);
    ASSERT_EQ(bytes.size(), 31 + 45);
    EXPECT_EQ(uint8_t(bytes[0]), 1);
    QBuffer b;
    b.setData(bytes.mid(31));
    b.open(QIODevice::ReadOnly);
    const auto int32 = [&] {
        int32_t v = 0;
        EXPECT_TRUE(ReadInt32(b, v));
        return v;
    };
    EXPECT_EQ(int32(), 7);
    double d = 0;
    ASSERT_TRUE(ReadDouble(b, d));
    EXPECT_EQ(d, 0.25);
    EXPECT_EQ(int32(), 11);
    EXPECT_EQ(int32(), 12);
    uint8_t u = 0;
    ASSERT_TRUE(ReadUInt8(b, u));
    EXPECT_EQ(u, uint8_t(TShapeStyle::RoundRect));
    EXPECT_EQ(int32(), 0x00123456);
    EXPECT_EQ(int32(), 6);
    EXPECT_EQ(int32(), 0x00654321);
    EXPECT_EQ(uint32_t(int32()), (1u << 29) | 14u);
    EXPECT_EQ(int32(), 3);
    EXPECT_EQ(int32(), 9);
}

TEST(ShapeRecord, RoundTripIsByteForByte)
{
    Tvnlshape s;
    s.Bounds = {100, 200, 300, 400};
    s.SetShapeStyle(TShapeStyle::DiagonalDown);
    s.SetDrawFill(true);
    s.Pen.SetWidth(4);
    s.Brush.SetColor(clBtnFace); // system colours are stored as they are
    const QByteArray bytes = RecordOf(s);
    Tvnlshape copy;
    ReadRecordInto(copy, bytes);
    QByteArray again = RecordOf(copy);
    // Only the Id differs.
    again.replace(11, 4, bytes.mid(11, 4));
    EXPECT_EQ(again, bytes);
    EXPECT_EQ(copy.Brush.Color(), clBtnFace);
}

TEST(ShapeRecord, AnUnknownFigureNumberIsKeptAsStored)
{
    Tvnlshape s;
    s.SetShapeStyle(TShapeStyle::Rectangle);
    QByteArray bytes = RecordOf(s);
    const qsizetype styleAt = 31 + 4 + 8 + 4 + 4; // after sides, angle and the two curves
    ASSERT_EQ(uint8_t(bytes[styleAt]), 1);
    for (const uint8_t stored : {uint8_t(8), uint8_t(200), uint8_t(255)}) {
        bytes[styleAt] = char(stored);
        Tvnlshape copy;
        ReadRecordInto(copy, bytes);
        EXPECT_EQ(uint8_t(copy.GetShapeStyle()), stored);
        QByteArray again = RecordOf(copy);
        again.replace(11, 4, bytes.mid(11, 4));
        EXPECT_EQ(again, bytes) << int(stored);
    }
}

TEST(ShapeRecord, FlagsWithBothBitsReadAsNeitherFillNorOutline)
{
    Tvnlshape s;
    s.SetDrawFill(true);
    s.SetDrawOutline(true);
    QByteArray bytes = RecordOf(s);
    const uint32_t flags = (1u << 29) | (1u << 30) | 4u;
    bytes.replace(31 + 33, 4, QByteArray(reinterpret_cast<const char *>(&flags), 4));
    Tvnlshape read;
    ReadRecordInto(read, bytes);
    EXPECT_FALSE(read.GetDrawFill());
    EXPECT_FALSE(read.GetDrawOutline());
}

TEST(ShapeRecord, DamagedOrdinalsAndShortBodies)
{
    Tvnlshape s;
    QByteArray bytes = RecordOf(s);
    bytes[31 + 25] = char(200); // brush style
    bytes[31 + 33] = char(99);  // mix mode
    bytes[31 + 37] = char(77);  // pen style
    Tvnlshape read;
    ReadRecordInto(read, bytes);
    EXPECT_EQ(read.Brush.Style(), TBrushStyle::Solid);
    EXPECT_EQ(read.Pen.Mode(), TPenMode::Copy);
    EXPECT_EQ(read.Pen.Style(), TPenStyle::Solid);

    // A body cut after the side count keeps everything else as it was.
    Tvnlshape source;
    source.SetSideCount(9);
    const QByteArray cut = RecordOf(source).left(31 + 4 + 3);
    Tvnlshape partial;
    partial.SetCurveX(55);
    ReadRecordInto(partial, cut);
    EXPECT_EQ(partial.GetSideCount(), 9);
    EXPECT_EQ(partial.GetCurveX(), 55);
}

TEST(ShapeRecord, AHugeSideCountDoesNotExhaustMemory)
{
    Tvnlshape s;
    s.SetView(View, 1.0);
    s.SetBounds({0, 0, 100, 100});
    s.SetShapeStyle(TShapeStyle::Polygon);
    s.SetSideCount(2000000000);
    DrawShape(s, false);
    EXPECT_LE(s.GetVertices().size(), 4096u);
    s.SetSideCount(-5);
    DrawShape(s, false);
    EXPECT_TRUE(s.GetVertices().empty());
}

TEST(ShapePaint, OutlineLiesInsideTheBounds)
{
    // A pen 4 hundredths of an inch wide is 4 pixels at zoom 1: the figure is drawn in the
    // bounds shrunk by 2 pixels, so the outline stays inside them.
    Tvnlshape s;
    s.SetView(View, 0.1);
    s.SetBounds({100, 100, 1100, 1100}); // pixels 10 .. 110
    s.SetShapeStyle(TShapeStyle::Rectangle);
    s.SetDrawOutline(true);
    s.Pen.SetWidth(4);
    QImage image = WhiteImage(120, 120);
    {
        Tcanvas canvas(&image);
        s.Draw(canvas, View, true, View, 0.1);
    }
    EXPECT_PIXELS(image, {9, 50, clWhite}, {10, 50, clBlack}, {13, 50, clBlack}, {14, 50, clWhite},
                  {108, 50, clBlack}, {110, 50, clWhite}, {50, 9, clWhite}, {50, 10, clBlack});
}

TEST(ShapePaint, NeitherOutlineNorFillShowsOnScreenOnly)
{
    Tvnlshape s;
    s.SetView(View, 1.0);
    s.SetBounds({10, 10, 110, 110});
    s.SetShapeStyle(TShapeStyle::Rectangle);
    EXPECT_EQ(PixelAt(DrawShape(s, false), 10, 50), clBlack);
    const QImage printed = DrawShape(s, true);
    EXPECT_EQ(printed, WhiteImage(120, 120));
}

TEST(ShapePaint, StoredHatchFillsSolid)
{
    Tvnlshape s;
    s.SetView(View, 1.0);
    s.SetBounds({10, 10, 110, 110});
    s.SetShapeStyle(TShapeStyle::Ellipse);
    s.SetDrawFill(true);
    s.Brush.SetColor(clRed);
    s.Brush.SetStyle(TBrushStyle::DiagCross);
    const QImage image = DrawShape(s, true);
    for (int x = 40; x < 80; ++x)
        ASSERT_EQ(PixelAt(image, x, 60), clRed) << x;
    EXPECT_EQ(PixelAt(image, 12, 12), clWhite); // outside the ellipse
}

TEST(ShapePaint, LinesRunThroughTheMiddleAndCorners)
{
    struct Case {
        TShapeStyle style;
        TPoint on, off;
    };
    const Case cases[] = {
        {TShapeStyle::VerticalLine, {60, 50}, {40, 50}},
        {TShapeStyle::HorizontalLine, {50, 60}, {50, 40}},
        {TShapeStyle::DiagonalDown, {30, 30}, {90, 30}},
        {TShapeStyle::DiagonalUp, {90, 30}, {30, 30}},
    };
    for (const Case &c : cases) {
        Tvnlshape s;
        s.SetView(View, 1.0);
        s.SetBounds({10, 10, 110, 110});
        s.SetShapeStyle(c.style);
        s.SetDrawOutline(true);
        const QImage image = DrawShape(s, true);
        EXPECT_EQ(PixelAt(image, c.on.X, c.on.Y), clBlack) << int(c.style);
        EXPECT_EQ(PixelAt(image, c.off.X, c.off.Y), clWhite) << int(c.style);
    }
}

TEST(ShapePaint, UnknownStylesDrawNothing)
{
    Tvnlshape s;
    s.SetView(View, 1.0);
    s.SetBounds({10, 10, 110, 110});
    s.SetShapeStyle(TShapeStyle(8));
    s.SetDrawFill(true);
    s.Brush.SetColor(clBlack);
    EXPECT_EQ(DrawShape(s, false), WhiteImage(120, 120));
}

TEST(ShapePaint, OverhangDrawsTheFigureInTintedColours)
{
    Tvnlshape s;
    s.SetView(View, 1.0);
    s.SetBounds({10, 10, 110, 110});
    s.SetShapeStyle(TShapeStyle::Rectangle);
    s.SetDrawFill(true);
    s.Brush.SetColor(clRed);
    QImage image = WhiteImage(120, 120);
    {
        Tcanvas canvas(&image);
        s.DrawOverhang(canvas, View, {0, 0, 60, 200}, View, 1.0);
    }
    EXPECT_EQ(PixelAt(image, 50, 50), TintTowardsBlue(clRed));
}
