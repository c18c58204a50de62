// A painted document by pixels: output placement, the label clip of project objects, the
// overhang tint, selection, crop marks and label size; the re-entry guard, merging of dirty
// rectangles, draft decisions and the thumbnail.

#include "codecs/png.h"
#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "document/labeltemplate.h"
#include "document/text.h"
#include "platform/canvas.h"
#include "platform/tickcount.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>
#include <gmock/gmock.h>

namespace {
constexpr double Zoom1 = 0.1;
// Scrolled so that the label's top-left (100000, 100000) is at pixel (100, 100).
const TRect ScreenView{9900, 9900, 700, 800};
const TRect OutputView{0, 0, 400, 350};

// A placeholder that counts its drawing and can run something while it draws.
class Tprobe : public Tdrawobj {
public:
    int Draws = 0;
    int Drafts = 0;
    std::function<void()> WhileDrawing;

    void Draw(Tcanvas &canvas, const TRect &clip, bool output, const TRect &viewport, double scale) override
    {
        ++Draws;
        Tdrawobj::Draw(canvas, clip, output, viewport, scale);
        if (WhileDrawing) {
            StartTiming();
            WhileDrawing();
            StopTiming();
        }
    }
    void DrawDraft(Tcanvas &canvas, const TRect &clip, const TRect &viewport, double scale) override
    {
        ++Drafts;
        Tdrawobj::DrawDraft(canvas, clip, viewport, scale);
    }
};

Tprobe *AddProbe(Tdrawlist &doc, const TRect &bounds)
{
    auto o = std::make_unique<Tprobe>();
    Tprobe *raw = o.get();
    o->Bounds = bounds;
    doc.AddObject(std::move(o));
    return raw;
}

QImage PaintAll(Tdrawlist &doc, const TRect &view = ScreenView, int w = 700, int h = 800)
{
    QImage image = WhiteImage(w, h);
    Tcanvas canvas(&image);
    EXPECT_TRUE(doc.PaintRect(canvas, WholeArea, {}, view, Zoom1));
    return image;
}

int DarkPixels(const QImage &image, const TRect &area)
{
    int n = 0;
    for (int y = std::max(area.Top, 0); y < std::min(area.Bottom, image.height()); ++y)
        for (int x = std::max(area.Left, 0); x < std::min(area.Right, image.width()); ++x)
            n += qGray(image.pixel(x, y)) < 128;
    return n;
}

bool IsTintedBlue(TColor c)
{
    return GetBValue(c) == 255 && GetRValue(c) > 100 && GetRValue(c) < 140 && GetGValue(c) > 100 &&
           GetGValue(c) < 140;
}

// A project over a template with a file name, as in the editor.
struct Editor {
    tlabeltemplate templ;
    Tdrawlist project;
    Editor()
    {
        SetUpLabel(templ);
        SetUpLabel(project);
        templ.SetFileName(QStringLiteral("bordeaux.wlt"));
        project.SetTemplate(&templ);
    }
};
} // namespace

TEST(Paint, OutputPlacesTheLabelTopLeftAtPixelZero)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    AddProbe(doc, {100000, 100000, 100500, 100500});
    doc.OutputMode = true;
    QImage image = PaintAll(doc, OutputView, 400, 700);
    EXPECT_PIXELS(image, {5, 0, clBlack}, {0, 5, clBlack}, {49, 5, clBlack}, {50, 5, clWhite});
    // No hint under the label in output mode.
    EXPECT_EQ(DarkPixels(image, {0, 351, 400, 700}), 0);
    EXPECT_EQ(OutputOrigin, TPoint{}); // restored after the paint
}

TEST(Paint, APaintInsideAnotherPutsBackTheOuterPaintsOutputState)
{
    // A sheet or preview paints one document while another is in the middle of an output paint.
    Editor outer;
    outer.project.OutputMode = true;
    OutputOrigin = {7000, 9000};
    Tdrawlist inner;
    SetUpLabel(inner);
    inner.OutputMode = true;
    PaintAll(inner, OutputView);
    EXPECT_EQ(OutputOrigin, (TPoint{7000, 9000}));
    outer.project.MakeThumbnail(); // sets and ends output mode of the project and its template
    EXPECT_TRUE(outer.project.OutputMode);
    EXPECT_FALSE(outer.templ.OutputMode);
    EXPECT_EQ(OutputOrigin, (TPoint{7000, 9000}));
}

TEST(Paint, TheHintShowsUnderTheLabelOnScreen)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    QImage image = PaintAll(doc);
    // The label's screen rectangle ends at 456; the hint is centred under it, 200 pixels wide.
    EXPECT_GT(DarkPixels(image, {200, 486, 400, 756}), 50);
    EXPECT_EQ(DarkPixels(image, {0, 456, 199, 800}), 0);
    EXPECT_EQ(DarkPixels(image, {401, 456, 700, 800}), 0);
}

TEST(Paint, ProjectObjectsShowOnlyOnTheLabelOnScreen)
{
    Editor e;
    // From 1 inch left of the label to half an inch inside it: pixels 0 .. 150 across.
    AddProbe(e.project, {99000, 100500, 100500, 101000});
    QImage image = PaintAll(e.project);
    // White outside the label grown by 1/16 inch, which starts at 94.
    EXPECT_PIXELS(image, {50, 160, clWhite}, {93, 160, clWhite}, {94, 160, clBlack}, {120, 160, clBlack});
}

TEST(Paint, OverhangIsTintedWithANamedTemplate)
{
    Editor e;
    AddProbe(e.project, {99000, 100500, 100500, 101000});
    e.project.ShowOverhang = true;
    QImage image = PaintAll(e.project);
    EXPECT_TRUE(IsTintedBlue(PixelAt(image, 50, 160))) << std::hex << PixelAt(image, 50, 160);
    EXPECT_EQ(PixelAt(image, 120, 160), clBlack); // inside the label: the object itself
    EXPECT_EQ(PixelAt(image, 97, 160), clBlack);

    e.templ.SetFileName(QString());
    image = PaintAll(e.project);
    EXPECT_EQ(PixelAt(image, 50, 160), clWhite); // an unnamed template shows no overhang
}

TEST(Paint, TemplateObjectsAreNotClippedToTheLabel)
{
    tlabeltemplate templ;
    SetUpLabel(templ);
    AddProbe(templ, {99000, 100500, 100500, 101000});
    QImage image = PaintAll(templ);
    EXPECT_EQ(PixelAt(image, 50, 160), clBlack);
}

TEST(Paint, SelectionIsDrawnOncePerPaintAndNotForOutput)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    Tprobe *o = AddProbe(doc, {101000, 101000, 102000, 102000}); // pixels 200 .. 300
    doc.SelectObject(o);
    // Two dirty rectangles, each over half of the object: the selection is still drawn once,
    // so the inverting handle shows white over the black box.
    QImage image = WhiteImage(700, 800);
    {
        Tcanvas canvas(&image);
        Trectlist dirty;
        dirty.AddRect({0, 0, 250, 800});
        dirty.AddRect({250, 0, 700, 800});
        EXPECT_TRUE(doc.Paint(canvas, dirty, {}, ScreenView, Zoom1));
    }
    EXPECT_EQ(PixelAt(image, 202, 203), clWhite); // inside the top-left handle, inverted
    EXPECT_EQ(PixelAt(image, 210, 220), clBlack); // the box beyond the handles

    doc.OutputMode = true; // the label's top-left at pixel (0, 0): the object at 100 .. 200
    image = PaintAll(doc, OutputView, 400, 350);
    EXPECT_EQ(PixelAt(image, 102, 103), clBlack);
    EXPECT_EQ(PixelAt(image, 96, 96), clWhite);
}

TEST(Paint, LabelSizeAndCropMarksShowOnScreenWithTheOption)
{
    Editor e;
    const TRect sizeText{508, 458, 620, 476};
    QImage image = PaintAll(e.project);
    EXPECT_EQ(PixelAt(image, 80, 100), clWhite);
    EXPECT_EQ(DarkPixels(image, sizeText), 0);

    e.project.ShowLabelSize = true;
    image = PaintAll(e.project);
    // Marks continue the label's edges outward, and those of the label grown by 1/16 inch.
    EXPECT_PIXELS(image, {80, 100, clBlack}, {100, 80, clBlack}, {520, 450, clBlack}, {80, 94, clBlack},
                  {101, 101, clWhite});
    EXPECT_GT(DarkPixels(image, sizeText), 20);

    // The same size text drawn alone, for comparison: "4.00in,3.50in" at the same place.
    QImage expected = WhiteImage(700, 800);
    {
        Tcanvas canvas(&expected);
        canvas.Brush().SetColor(clWhite);
        canvas.Font().SetColor(clBlack);
        canvas.TextOut(508, 458, QStringLiteral("4.00in,3.50in"));
    }
    EXPECT_EQ(image.copy(508, 458, 110, 18), expected.copy(508, 458, 110, 18));

    // A label without a template shows its edge as well as the marks, so the user sees where
    // to draw.
    e.templ.SetFileName(QString());
    image = PaintAll(e.project);
    EXPECT_PIXELS(image, {80, 100, clBlack}, {300, 100, RGB(160, 160, 160)}, {100, 300, RGB(160, 160, 160)},
                  {500, 300, RGB(160, 160, 160)}, {101, 101, clWhite});
    e.templ.SetFileName(QStringLiteral("bordeaux.wlt"));
    image = PaintAll(e.project);
    EXPECT_EQ(PixelAt(image, 300, 100), clWhite); // a template's label has its own frame
    e.project.OutputMode = true;
    e.templ.SetFileName(QStringLiteral("bordeaux.wlt"));
    image = PaintAll(e.project);
    EXPECT_EQ(DarkPixels(image, sizeText), 0);
}

TEST(Paint, TextCutAtItsBottomShowsTheOversetMarkOnScreenOnly)
{
    Editor e;
    e.project.ShowScreenMarks = true;
    const auto addText = [&](const TRect &bounds) {
        auto t = std::make_unique<Tvnltext>();
        Tvnltext *raw = t.get();
        t->Font.SetName(QStringLiteral("Liberation Sans"));
        t->Font.SetHeight(-14);
        t->SetBounds(bounds);
        t->SetText(QStringLiteral("Larkspur Hill"));
        e.project.AddObject(std::move(t));
        return raw;
    };
    // At zoom 1 each is 60 pixels wide, so the text takes two lines; the first holds one only, so "Hill" is
    // cut; the second is tall enough for both lines; the third is thinner than one line.
    Tvnltext *cut = addText({100200, 100200, 100800, 100450});
    Tvnltext *fits = addText({100200, 101000, 100800, 101600});
    Tvnltext *thin = addText({102000, 100200, 102600, 100300});
    const QImage screen = PaintAll(e.project);
    const auto red = [](const QImage &image, const TRect &r) {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) {
                const QRgb p = image.pixel(x, y);
                n += qRed(p) > 180 && qGreen(p) < 80 && qBlue(p) < 80;
            }
        return n;
    };
    EXPECT_EQ(cut->GetHiddenLines(), 1);
    EXPECT_EQ(fits->GetHiddenLines(), 0);
    EXPECT_EQ(thin->GetHiddenLines(), 2);
    EXPECT_GT(red(screen, cut->OversetMarkRect()), 2 * OversetMarkSize);
    EXPECT_GT(red(screen, thin->OversetMarkRect()), 2 * OversetMarkSize);
    EXPECT_EQ(red(screen, fits->OversetMarkRect()), 0);
    // The mark straddles the box's bottom-right corner and keeps its size at every zoom.
    const TRect s = cut->GetScreenRect();
    EXPECT_TRUE(RectsTouch(cut->OversetMarkRect(), {s.Right - 1, s.Bottom - 1, s.Right, s.Bottom}));
    EXPECT_EQ(cut->OversetMarkRect().Width(), OversetMarkSize);

    e.project.OutputMode = true;
    const QImage output = PaintAll(e.project, OutputView, 400, 350);
    EXPECT_EQ(red(output, {0, 0, 400, 350}), 0);
}

TEST(Paint, ReenteredPaintReturnsFalseAndDrawsNothing)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    Tprobe *o = AddProbe(doc, {100000, 100000, 100500, 100500});
    QImage inner = WhiteImage(100, 100);
    bool innerResult = true;
    o->WhileDrawing = [&] {
        Tcanvas canvas(&inner);
        innerResult = doc.PaintRect(canvas, WholeArea, {}, ScreenView, Zoom1);
    };
    QImage image = PaintAll(doc);
    EXPECT_FALSE(innerResult);
    EXPECT_EQ(o->Draws, 1);
    EXPECT_EQ(inner, WhiteImage(100, 100));
    EXPECT_FALSE(doc.IsPainting());
}

TEST(Paint, OverlappingDirtyRectanglesArePaintedAsOne)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    doc.OutputMode = true;
    Tprobe *between = AddProbe(doc, {101500, 100100, 101900, 100400}); // touches only the merged area
    Tprobe *across = AddProbe(doc, {100600, 100600, 100700, 100700});  // in both rectangles
    QImage image = WhiteImage(400, 350);
    Tcanvas canvas(&image);
    Trectlist dirty;
    dirty.AddRect({0, 0, 100, 100});
    dirty.AddRect({50, 50, 200, 200});
    EXPECT_TRUE(doc.Paint(canvas, dirty, {}, OutputView, Zoom1));
    EXPECT_EQ(between->Draws, 1);
    EXPECT_EQ(across->Draws, 1);
    EXPECT_EQ(dirty.Count(), 1);
}

TEST(Paint, SlowObjectsFallBackToDraftWhileDragging)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    Tprobe *slow = AddProbe(doc, {100000, 100000, 100500, 100500});
    Tprobe *fast = AddProbe(doc, {101000, 100000, 101500, 100500});
    uint32_t now = 5000;
    SetTickSource([&] { return now; });
    slow->WhileDrawing = [&] { now += 120; };
    doc.StartDraftTiming(100); // the mouse goes down
    PaintAll(doc);             // takes longer than the budget: timing starts
    EXPECT_TRUE(doc.IsDraftActive());
    EXPECT_FALSE(slow->Draft);
    PaintAll(doc); // the slow object has now taken over 100 ms of its own
    EXPECT_TRUE(slow->Draft);
    EXPECT_FALSE(fast->Draft);
    PaintAll(doc);
    EXPECT_EQ(slow->Drafts, 1);
    EXPECT_EQ(slow->Draws, 2);
    EXPECT_EQ(fast->Drafts, 0);

    doc.StartDraftTiming(0); // the mouse goes up
    EXPECT_FALSE(doc.IsDraftActive());
    PaintAll(doc);
    PaintAll(doc);
    EXPECT_FALSE(slow->Draft);
    EXPECT_EQ(slow->Draws, 3);
}

TEST(Paint, DraftAllEndsByTheDraftTimer)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    Tprobe *o = AddProbe(doc, {100000, 100000, 100500, 100500});
    int changes = 0;
    doc.OnChange = [&](Tdrawlist *) { ++changes; };
    doc.SetDraftAll(true); // zooming
    PaintAll(doc);
    EXPECT_EQ(o->Drafts, 1);
    EXPECT_TRUE(doc.DraftTimerEnabled());
    QElapsedTimer waited;
    waited.start();
    while (doc.IsDraftAll() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(doc.IsDraftAll());
    EXPECT_FALSE(doc.DraftTimerEnabled());
    EXPECT_GE(waited.elapsed(), 600);
    EXPECT_GT(changes, 0);
    PaintAll(doc);
    PaintAll(doc);
    EXPECT_EQ(o->Draws, 2);
    EXPECT_EQ(o->Drafts, 1);
}

TEST(Paint, WhileZoomingAnObjectPaintedWholeAsksForNoRepaint)
{
    // The panel is 700 by 800 pixels; the label's corner at pixel (100, 100).
    Tdrawlist doc;
    SetUpLabel(doc);
    Tprobe *inside = AddProbe(doc, {100000, 100000, 100500, 100500});      // pixels 100 .. 150
    Tprobe *acrossPanel = AddProbe(doc, {105900, 100000, 106500, 100500}); // 690 .. 750
    Tprobe *acrossRect = AddProbe(doc, {101800, 101800, 102300, 102300});  // 280 .. 330
    doc.SetDraftAll(true);
    const auto paint = [&](const TRect &rect) {
        doc.ClearInvalid();
        QImage image = WhiteImage(700, 800);
        Tcanvas canvas(&image);
        Trectlist dirty;
        dirty.AddRect(rect);
        EXPECT_TRUE(doc.Paint(canvas, dirty, {}, ScreenView, Zoom1));
        return doc.GetInvalidList().Rects();
    };
    // The whole panel: every object is drawn in draft whole (on the panel), and stays so.
    EXPECT_THAT(paint({0, 0, 700, 800}), testing::IsEmpty());
    for (Tprobe *o : {inside, acrossPanel, acrossRect})
        EXPECT_EQ(o->Drafts, 1);
    // A rectangle that cuts an object: the rest of it is still to be drawn in draft.
    EXPECT_THAT(paint({0, 0, 300, 300}), testing::ElementsAre(TRect{280, 280, 330, 330}));
    // Without zooming, the draft decisions of slow objects report as before.
    doc.SetDraftAll(false);
    inside->Draft = true;
    EXPECT_THAT(paint({0, 0, 700, 800}), testing::ElementsAre(TRect{100, 100, 150, 150}));
}

TEST(Paint, FitScaleAndExtents)
{
    Tdrawlist doc;
    EXPECT_DOUBLE_EQ(doc.FitScale({0, 0, 152, 100}), 0.1); // no label yet
    SetUpLabel(doc);
    EXPECT_DOUBLE_EQ(doc.FitScale({0, 0, 152, 100}), 0.038);
    AddProbe(doc, {99000, 100500, 106000, 101000});
    doc.SetDocumentView(ScreenView, Zoom1);
    EXPECT_EQ(doc.ExtentLeft(), 9900);
    EXPECT_EQ(doc.ExtentTop(), 10000);
    EXPECT_EQ(doc.ExtentRight(), 10600);
    EXPECT_EQ(doc.ExtentBottom(), 10350);
    EXPECT_EQ(doc.LabelScreenRect(ScreenView, Zoom1), (TRect{94, 94, 506, 456}));
}

TEST(Thumbnail, SizeAndPngRoundTrip)
{
    Editor e;
    AddProbe(e.templ, {100000, 100000, 102000, 101000});
    AddProbe(e.project, {102000, 101750, 104000, 103500});
    e.project.MakeThumbnail();
    const QImage made = e.project.ThumbnailBitmap;
    EXPECT_EQ(made.width(), 152);
    EXPECT_EQ(made.height(), 133);
    // The template's object at the top-left, the project's at the bottom-right.
    EXPECT_EQ(PixelAt(made, 10, 20), clBlack);
    EXPECT_EQ(PixelAt(made, 145, 100), clBlack);
    EXPECT_EQ(PixelAt(made, 140, 20), clWhite);
    EXPECT_FALSE(e.project.OutputMode);
    EXPECT_FALSE(e.templ.OutputMode);

    const QByteArray png = e.project.ThumbnailStream.data();
    ASSERT_TRUE(png.startsWith("\x89PNG"));
    e.project.ClearThumbnail();
    const QImage read = e.project.GetThumbnail();
    ASSERT_EQ(read.size(), made.size());
    for (int y = 0; y < made.height(); ++y)
        for (int x = 0; x < made.width(); ++x)
            ASSERT_EQ(read.pixel(x, y) | 0xFF000000u, made.pixel(x, y) | 0xFF000000u) << x << "," << y;

    e.project.MakeThumbnail();
    EXPECT_EQ(e.project.ThumbnailStream.data(), png); // the same document, the same bytes
}

TEST(Thumbnail, FollowsTheThumbnailWidthAndToleratesNoWidth)
{
    Tdrawlist doc;
    SetUpLabel(doc);
    ThumbnailWidth = 100;
    doc.MakeThumbnail();
    EXPECT_EQ(doc.ThumbnailBitmap.size(), QSize(100, 88));

    doc.SetLabelWidth(0);
    doc.MakeThumbnail();
    EXPECT_TRUE(doc.ThumbnailStream.data().isEmpty());
    EXPECT_TRUE(doc.GetThumbnail().isNull());
}

TEST(Thumbnail, DamagedDataGivesAnEmptyBitmap)
{
    Tdrawlist doc;
    doc.ThumbnailStream.buffer() = QByteArray("\x89PNG\r\n\x1a\nbroken", 14);
    EXPECT_TRUE(doc.GetThumbnail().isNull());
}
