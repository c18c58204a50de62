// The sheet drawing by pixels: where the spots land, what fills them, outlines, the tint of
// marked spots, the colours spots keep, where the spots come from, and the output mode around
// the rendering; the tint on its own.

#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "document/labeltemplate.h"
#include "document/shape.h"
#include "platform/canvas.h"
#include "platform/errors.h"

#include <functional>
#include <gmock/gmock.h>
#include <utility>

namespace {
constexpr double PixelsPerInch = 50.0;
// Blue at alpha 68, as the template editor tints its marked spots.
constexpr uint32_t EditorTint = 0x44000000u | clBlue;
const TColor Background = RGB(90, 90, 90);
const TPoint Origin{10, 20};

// A filled rectangle without outline well beyond the label on every side: the whole label
// shows its colour.
void AddFill(Tdrawlist &doc, TColor color)
{
    auto s = std::make_unique<Tvnlshape>();
    s->Bounds = {99000, 99000, 105000, 104500};
    s->SetShapeStyle(TShapeStyle::Rectangle);
    s->SetDrawFill(true);
    s->SetDrawOutline(false);
    s->Brush.SetColor(color);
    doc.AddObject(std::move(s));
}

QImage Page(int width = 600, int height = 600)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(ToQColor(Background));
    return image;
}

// A red label on a template with one spot (1.0, 0.5, 3.4, 3.0): at 50 pixels per inch
// (50, 25, 220, 175) on the sheet, (60, 45, 230, 195) on the page.
struct Sheet {
    tlabeltemplate templ;
    Tlabelgeometry *spot;
    Sheet()
    {
        SetUpLabel(templ);
        AddFill(templ, clRed);
        spot = AddSpot(templ, 1.0, 0.5, 3.4, 3.0);
    }
};

bool Paint(Tdrawlist &doc, QImage &image, bool outlines, uint32_t tint = EditorTint,
           double scale = PixelsPerInch, const std::function<void(Tcanvas &)> &setUp = {})
{
    Tcanvas canvas(&image);
    if (setUp)
        setUp(canvas);
    return PaintSheet(doc, Origin, outlines, tint, canvas, scale);
}

bool Near(int value, int expected)
{
    return std::abs(value - expected) <= 3;
}

// Red under blue at alpha 68.
bool IsTintedRed(TColor c)
{
    return Near(GetRValue(c), 187) && GetGValue(c) == 0 && Near(GetBValue(c), 68);
}

bool IsLight(TColor c)
{
    return c <= 0xFFFFFFu && GetRValue(c) >= 128 && GetGValue(c) >= 128 && GetBValue(c) >= 128;
}

// An object that runs something while it draws.
class Tprobe : public Tdrawobj {
public:
    std::function<void(bool output)> WhileDrawing;

    void Draw(Tcanvas &canvas, const TRect &clip, bool output, const TRect &viewport, double scale) override
    {
        Tdrawobj::Draw(canvas, clip, output, viewport, scale);
        if (WhileDrawing)
            WhileDrawing(output);
    }
};

Tprobe *AddProbe(Tdrawlist &doc)
{
    auto p = std::make_unique<Tprobe>();
    Tprobe *raw = p.get();
    p->Bounds = {100000, 100000, 100500, 100500};
    doc.AddObject(std::move(p));
    return raw;
}
} // namespace

TEST(PaintSheet, TheSpotIsFilledWithTheLabelExactlyAtItsPlace)
{
    for (const bool outlines : {false, true}) {
        SCOPED_TRACE(outlines);
        Sheet s;
        QImage image = Page();
        EXPECT_TRUE(Paint(s.templ, image, outlines));
        // Just inside each corner: the label, also where a one-pixel outline would lie.
        EXPECT_PIXELS(image, {60, 45, clRed}, {229, 45, clRed}, {60, 194, clRed}, {229, 194, clRed},
                      {145, 120, clRed});
        // Just outside.
        EXPECT_PIXELS(image, {59, 45, Background}, {60, 44, Background}, {230, 194, Background},
                      {229, 195, Background});
    }
}

TEST(PaintSheet, EveryCallShowsTheLabelAsItIsNow)
{
    // The fill has never been drawn before the first call, and is changed before the second.
    Sheet s;
    QImage image = Page();
    EXPECT_TRUE(Paint(s.templ, image, false));
    EXPECT_EQ(PixelAt(image, 145, 120), clRed);

    auto &fill = static_cast<Tvnlshape &>(*s.templ.GetObject(0));
    fill.Brush.SetColor(clLime);
    fill.PenOrBrushChanged();
    EXPECT_TRUE(Paint(s.templ, image, false));
    EXPECT_EQ(PixelAt(image, 145, 120), clLime);
    EXPECT_EQ(s.templ.GetLabelCache().Width(), 200);
    EXPECT_EQ(s.templ.GetLabelCache().Height(), 175);
}

TEST(PaintSheet, AWideOutlineShowsAroundTheSpotOnlyWithOutlines)
{
    const auto widePen = [](Tcanvas &canvas) {
        canvas.Pen().SetColor(clBlack);
        canvas.Pen().SetWidth(3);
    };
    for (const bool outlines : {false, true}) {
        SCOPED_TRACE(outlines);
        Sheet s;
        QImage image = Page();
        EXPECT_TRUE(Paint(s.templ, image, outlines, EditorTint, PixelsPerInch, widePen));
        const TColor around = outlines ? clBlack : Background;
        EXPECT_PIXELS(image, {59, 120, around}, {230, 120, around}, {145, 44, around}, {145, 195, around},
                      {58, 120, Background});
        // Inside, the label covers the outline.
        EXPECT_PIXELS(image, {60, 120, clRed}, {229, 120, clRed});
    }
}

TEST(PaintSheet, SpotEdgesRoundHalfToEven)
{
    Sheet s;
    // At 5 pixels per inch the edges fall on 2.5 and 7.5: pixels 2 .. 7 on the sheet.
    s.spot->SpotLeft = 0.5;
    s.spot->SpotTop = 0.5;
    s.spot->SpotWidth = 1.0;
    s.spot->SpotHeight = 1.0;
    QImage image = Page(40, 40);
    EXPECT_TRUE(Paint(s.templ, image, false, 0, 5.0));
    EXPECT_PIXELS(image, {11, 22, Background}, {12, 22, clRed}, {17, 27, clRed}, {18, 27, Background},
                  {17, 28, Background});
}

TEST(PaintSheet, MarkedSpotsShowTheTintAndUnmarkedOnesDoNot)
{
    Sheet s;
    AddSpot(s.templ, 5.0, 0.5, 2.0, 2.0)->Marked = true; // (260, 45, 360, 145) on the page
    QImage image = Page();
    EXPECT_TRUE(Paint(s.templ, image, true));
    EXPECT_EQ(PixelAt(image, 100, 100), clRed);
    EXPECT_TRUE(IsTintedRed(PixelAt(image, 300, 100))) << std::hex << PixelAt(image, 300, 100);
    EXPECT_TRUE(IsTintedRed(PixelAt(image, 260, 45))) << std::hex << PixelAt(image, 260, 45);
    EXPECT_EQ(PixelAt(image, 360, 100), Background);

    // Without a tint a marked spot looks like any other.
    image = Page();
    EXPECT_TRUE(Paint(s.templ, image, true, 0));
    EXPECT_EQ(PixelAt(image, 300, 100), clRed);
}

TEST(PaintSheet, EachSpotKeepsTheColourItWasFirstGiven)
{
    Sheet s;
    Tlabelgeometry *second = AddSpot(s.templ, 5.0, 0.5, 2.0, 2.0);
    Tlabelgeometry *given = AddSpot(s.templ, 5.0, 3.0, 2.0, 2.0);
    given->SpotColor = RGB(10, 20, 30);
    QImage image = Page();
    Paint(s.templ, image, true);
    const TColor first = s.spot->SpotColor;
    const TColor next = second->SpotColor;
    EXPECT_TRUE(IsLight(first)) << std::hex << first;
    EXPECT_TRUE(IsLight(next)) << std::hex << next;
    EXPECT_EQ(given->SpotColor, RGB(10, 20, 30));

    Paint(s.templ, image, true);
    EXPECT_EQ(s.spot->SpotColor, first);
    EXPECT_EQ(second->SpotColor, next);
    EXPECT_EQ(given->SpotColor, RGB(10, 20, 30));
}

TEST(PaintSheet, ALabelOfNoSizeLeavesEachOutlinedSpotInItsColour)
{
    Sheet s;
    s.templ.SetLabelWidth(0.0);
    s.spot->SpotColor = RGB(200, 220, 240);
    QImage image = Page();
    EXPECT_TRUE(Paint(s.templ, image, true));
    // The outline in the canvas pen, the spot's colour inside it, the background outside.
    EXPECT_PIXELS(image, {60, 45, clBlack}, {61, 46, RGB(200, 220, 240)}, {228, 193, RGB(200, 220, 240)},
                  {229, 194, clBlack}, {59, 45, Background});

    image = Page();
    EXPECT_TRUE(Paint(s.templ, image, false));
    EXPECT_EQ(PixelAt(image, 100, 100), Background);
}

TEST(PaintSheet, ScalesThatCannotBeDrawnDrawNothing)
{
    for (const double scale : {0.0, -50.0, std::numeric_limits<double>::quiet_NaN()}) {
        SCOPED_TRACE(scale);
        Sheet s;
        QImage image = Page(300, 300);
        const QImage before = image;
        EXPECT_TRUE(Paint(s.templ, image, true, EditorTint, scale));
        EXPECT_EQ(image, before);
        EXPECT_FALSE(s.templ.OutputMode);
    }
}

TEST(PaintSheet, AProjectWithoutTemplateReturnsFalseAndDrawsNothing)
{
    Tdrawlist project;
    SetUpLabel(project);
    AddFill(project, clRed);
    QImage image = Page(300, 300);
    const QImage before = image;
    EXPECT_FALSE(Paint(project, image, true));
    EXPECT_EQ(image, before);
    EXPECT_FALSE(project.OutputMode);
}

TEST(PaintSheet, AProjectFillsItsTemplatesSpotsWithItsOwnObjectsOnly)
{
    Sheet s;
    s.templ.ClearObjects();
    AddFill(s.templ, clBlue); // the background, not drawn into the spots
    Tdrawlist project;
    SetUpLabel(project);
    project.SetTemplate(&s.templ);
    QImage image = Page();
    EXPECT_TRUE(Paint(project, image, false));
    EXPECT_EQ(PixelAt(image, 60, 45), clWhite); // an empty project: a white label
    EXPECT_EQ(PixelAt(image, 229, 194), clWhite);

    AddFill(project, clLime);
    image = Page();
    EXPECT_TRUE(Paint(project, image, false));
    EXPECT_EQ(PixelAt(image, 60, 45), clLime);
    EXPECT_EQ(PixelAt(image, 229, 194), clLime);
    EXPECT_EQ(PixelAt(image, 59, 45), Background);
    EXPECT_NE(s.spot->SpotColor, 0u); // the template's spot was the one drawn
    EXPECT_FALSE(project.OutputMode);
    EXPECT_FALSE(s.templ.OutputMode);
}

TEST(PaintSheet, TheLabelIsRenderedForOutputAndTheModeEndsAfterAFailure)
{
    Sheet s;
    Tprobe *probe = AddProbe(s.templ);
    bool sawOutput = false;
    TPoint originWhileDrawing;
    probe->WhileDrawing = [&](bool output) {
        sawOutput = output && s.templ.OutputMode;
        originWhileDrawing = OutputOrigin;
    };
    QImage image = Page();
    EXPECT_TRUE(Paint(s.templ, image, false));
    EXPECT_TRUE(sawOutput);
    EXPECT_EQ(originWhileDrawing, (TPoint{100000, 100000}));
    EXPECT_FALSE(s.templ.OutputMode);

    probe->WhileDrawing = [](bool) { throw EStreamError(QStringLiteral("damaged picture")); };
    EXPECT_THROW(Paint(s.templ, image, false), EStreamError);
    EXPECT_FALSE(s.templ.OutputMode);
    EXPECT_FALSE(s.templ.IsPainting());
    EXPECT_EQ(OutputOrigin, TPoint{});
}

TEST(PaintSheet, ADocumentAlreadyPaintingGivesFalseAndWhiteLabels)
{
    Sheet s;
    Tprobe *probe = AddProbe(s.templ);
    QImage inner = Page();
    bool innerResult = true;
    bool asked = false;
    probe->WhileDrawing = [&](bool) {
        // The sheet is asked for while the template is painting: its paint refuses to start.
        if (!std::exchange(asked, true))
            innerResult = Paint(s.templ, inner, false);
    };
    QImage outer = Page();
    EXPECT_TRUE(Paint(s.templ, outer, false));
    EXPECT_FALSE(innerResult);
    EXPECT_EQ(PixelAt(inner, 100, 100), clWhite);
    EXPECT_EQ(PixelAt(inner, 60, 45), clWhite);
    EXPECT_EQ(PixelAt(inner, 59, 45), Background);
    EXPECT_FALSE(s.templ.OutputMode);
}

TEST(TintRect, BlendsTheColourAtTheAlphaOfTheTopByte)
{
    QImage image = WhiteImage(20, 20);
    {
        Tcanvas canvas(&image);
        Tdrawlist::TintRect(canvas, {5, 5, 15, 15}, 0x80000000u | clBlue);
    }
    const TColor inside = PixelAt(image, 5, 5);
    EXPECT_TRUE(Near(GetRValue(inside), 127) && Near(GetGValue(inside), 127) && GetBValue(inside) == 255)
        << std::hex << inside;
    EXPECT_PIXELS(image, {14, 14, inside}, {4, 5, clWhite}, {15, 14, clWhite}, {14, 15, clWhite});

    image = WhiteImage(20, 20);
    {
        Tcanvas canvas(&image);
        Tdrawlist::TintRect(canvas, {0, 0, 20, 20}, 0xFF000000u | RGB(10, 20, 30));
    }
    EXPECT_EQ(PixelAt(image, 10, 10), RGB(10, 20, 30));
}

TEST(TintRect, NoTintOrNoAreaLeavesTheCanvas)
{
    QImage image = WhiteImage(20, 20);
    const QImage before = image;
    {
        Tcanvas canvas(&image);
        Tdrawlist::TintRect(canvas, {0, 0, 20, 20}, 0);
        Tdrawlist::TintRect(canvas, {0, 0, 20, 20}, clBlue); // alpha 0
        Tdrawlist::TintRect(canvas, {10, 10, 10, 20}, 0xFF000000u);
        Tdrawlist::TintRect(canvas, {15, 15, 5, 5}, 0xFF000000u);
        Tcanvas unbound;
        Tdrawlist::TintRect(unbound, {0, 0, 20, 20}, 0xFF000000u);
    }
    EXPECT_EQ(image, before);
}
