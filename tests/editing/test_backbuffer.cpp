#include "labelertest.h"

#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/canvas.h"

#include <gmock/gmock.h>

namespace {

const TRect WholePanel{0, 0, PanelWidth, PanelHeight};

// A filled square shape; its fill colour changed without telling anyone, so only what is
// painted again shows the new colour.
Tvnlshape *FilledSquare(TEditor &e, const TRect &bounds, TColor fill)
{
    auto shape = std::make_unique<Tvnlshape>();
    Tvnlshape *s = shape.get();
    e.Doc().AddObject(std::move(shape));
    s->SetShapeStyle(TShapeStyle::Rectangle);
    s->SetDrawFill(true);
    s->SetBounds(bounds);
    s->Brush.SetColor(fill);
    return s;
}

} // namespace

TEST(BackBuffer, AChangePaintsOnlyItsDirtyRectangles)
{
    TEditor e;
    Tvnlshape *s = FilledSquare(e, {100500, 100500, 102500, 102500}, clRed);
    e.Labeler.PaintCanvas(WholePanel);
    const QImage &buffer = e.Labeler.BackBuffer().Image();
    const TRect r = s->GetScreenRect();
    ASSERT_EQ(PixelAt(buffer, r.Left + 100, r.Top + 100), clRed);

    // The fill turns blue silently; only a 20-pixel square inside the shape is marked dirty.
    s->Brush.OnChange = nullptr;
    s->Brush.SetColor(clBlue);
    e.Doc().ClearInvalid();
    Trectlist dirty;
    dirty.AddRect({r.Left + 50, r.Top + 50, r.Left + 70, r.Top + 70});
    e.Doc().InvalidateRects(dirty);
    const Trectlist pending = e.Labeler.PendingPanelRects();
    ASSERT_EQ(pending.Count(), 1);
    EXPECT_EQ(pending.GetRect(0), dirty.GetRect(0));
    e.Labeler.PaintCanvas({});
    EXPECT_EQ(PixelAt(buffer, r.Left + 60, r.Top + 60), clBlue);
    EXPECT_EQ(PixelAt(buffer, r.Left + 49, r.Top + 60), clRed);
    EXPECT_EQ(PixelAt(buffer, r.Left + 70, r.Top + 69), clRed);
    EXPECT_EQ(PixelAt(buffer, r.Left + 100, r.Top + 100), clRed);
    EXPECT_EQ(e.Doc().GetInvalidList().Count(), 0);
}

TEST(BackBuffer, AnExposeWithNothingDirtyRepaintsItsClip)
{
    TEditor e;
    Tvnlshape *s = FilledSquare(e, {100500, 100500, 102500, 102500}, clRed);
    e.Labeler.PaintCanvas(WholePanel);
    s->Brush.OnChange = nullptr;
    s->Brush.SetColor(clBlue);
    e.Doc().ClearInvalid();
    const TRect r = s->GetScreenRect();
    e.Labeler.PaintCanvas({r.Left, r.Top, r.Left + 30, r.Top + 30});
    const QImage &buffer = e.Labeler.BackBuffer().Image();
    EXPECT_EQ(PixelAt(buffer, r.Left + 10, r.Top + 10), clBlue);
    EXPECT_EQ(PixelAt(buffer, r.Left + 40, r.Top + 40), clRed);
}

TEST(BackBuffer, DirtyAreasOffThePanelPaintNothing)
{
    TEditor e;
    e.Labeler.PaintCanvas(WholePanel);
    Trectlist far;
    far.AddRect({PanelWidth + 10, 0, PanelWidth + 50, 40});
    far.AddRect({-80, -80, -10, -10});
    e.Doc().InvalidateRects(far);
    EXPECT_EQ(e.Labeler.PendingPanelRects().Count(), 0);
    EXPECT_EQ(e.Doc().GetInvalidList().Count(), 0);
    // A dirty area across the panel's edge is clipped to it.
    Trectlist across;
    across.AddRect({PanelWidth - 20, PanelHeight - 20, PanelWidth + 20, PanelHeight + 20});
    e.Doc().InvalidateRects(across);
    const Trectlist pending = e.Labeler.PendingPanelRects();
    ASSERT_EQ(pending.Count(), 1);
    EXPECT_EQ(pending.GetRect(0), (TRect{PanelWidth - 20, PanelHeight - 20, PanelWidth, PanelHeight}));
}

TEST(BackBuffer, AMovedShapeLeavesWhiteBehind)
{
    TEditor e;
    Tvnlshape *s = FilledSquare(e, {100500, 100500, 101500, 101500}, clRed);
    e.Labeler.PaintCanvas(WholePanel);
    const TRect before = s->GetScreenRect();
    e.Doc().SelectObject(s);
    const TPoint p = e.At(101000, 101000);
    e.Drag(p, {p.X + 200, p.Y}, 8);
    e.Labeler.PaintCanvas({});
    const QImage &buffer = e.Labeler.BackBuffer().Image();
    EXPECT_EQ(PixelAt(buffer, before.Left + 50, before.Top + 50), clWhite);
    EXPECT_EQ(PixelAt(buffer, before.Left + 250, before.Top + 50), clRed);
}

namespace {

// A photograph-like picture: smooth colours with detail.
QImage Gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x * y) % 256));
    return image;
}

// Fine print over a photograph: 2000 objects in a grid of 50 by 40 cells of 15 by 14 pixels,
// alternately a numbered text box and a filled shape of each figure, over and beyond the label
// (what lies beyond it is tinted, since the template has a file name) and across the panel's
// bottom edge.
void AddFinePrint(TEditor &e)
{
    e.Labeler.Template().SetFileName(QStringLiteral("stock.wlt"));
    auto photo = std::make_unique<Tvnlpic>();
    photo->SetPicture(Gradient(300, 200));
    photo->SetBounds({100500, 100500, 103500, 102500});
    e.Doc().AddObject(std::move(photo));
    for (int i = 0; i < 2000; ++i) {
        const int32_t x = 99200 + (i % 50) * 150, y = 99200 + (i / 50) * 140;
        const TRect bounds{x, y, x + 120, y + 110};
        if (i % 2 == 0) {
            auto text = std::make_unique<Tvnltext>();
            text->Font.SetHeight(-7);
            text->SetText(QString::number(i % 100));
            text->SetBounds(bounds);
            e.Doc().AddObject(std::move(text));
        } else {
            auto shape = std::make_unique<Tvnlshape>();
            shape->SetShapeStyle(TShapeStyle(i % 8));
            shape->SetDrawFill(true);
            shape->SetDrawOutline(true);
            shape->Brush.SetColor(RGB(i % 256, 90, 200 - i % 100));
            shape->SetBounds(bounds);
            e.Doc().AddObject(std::move(shape));
        }
    }
}

} // namespace

TEST(BackBuffer, TwoThousandMovedObjectsRepaintAsEachOnItsOwnAndAsAWholePaint)
{
    TEditor e;
    AddFinePrint(e);
    e.Labeler.PaintCanvas(WholePanel);
    QImage before = e.Labeler.BackBuffer().Image().copy();

    // Every object but the photograph moves 3 pixels right and 2 down, as the alignment tools
    // move them. Each one's own rectangle covers where it was and where it is.
    Trectlist each;
    for (int32_t i = 1; i < e.Doc().Count(); ++i) {
        Tdrawobj *o = e.Doc().GetObject(i);
        const TRect was = o->GetScreenRect();
        const TRect b = o->Bounds;
        o->SetBounds({b.Left + 30, b.Top + 20, b.Right + 30, b.Bottom + 20});
        const TRect on = ClipToRect(WholePanel, BoundingRect(was, o->GetScreenRect()));
        if (on.Right > on.Left && on.Bottom > on.Top)
            each.AddRect(on);
    }
    ASSERT_GT(each.Count(), 1900);
    EXPECT_LE(e.Doc().GetInvalidList().Count(), MaxDirtyRects);
    e.Labeler.PaintCanvas({});
    const QImage repainted = e.Labeler.BackBuffer().Image().copy();

    // As the dirty list was painted before it had a bound: each object's rectangle filled and
    // painted on its own, template first.
    {
        Tcanvas canvas(&before);
        canvas.Brush().SetColor(clWhite);
        for (int32_t i = 0; i < each.Count(); ++i)
            canvas.FillRect(each.GetRect(i));
        Trectlist forProject;
        forProject.AssignList(each);
        const TRect &view = e.View().GetViewport();
        ASSERT_TRUE(e.Labeler.Template().Paint(canvas, each, {}, view, e.View().GetScale()));
        ASSERT_TRUE(e.Doc().Paint(canvas, forProject, {}, view, e.View().GetScale()));
        ASSERT_EQ(forProject.Count(), each.Count()); // no two touched
    }
    EXPECT_EQ(ImageDifference(repainted, before), "");

    // Both are what a paint of the whole panel gives.
    e.Doc().Invalidate(true);
    e.Labeler.PaintCanvas({});
    EXPECT_EQ(ImageDifference(repainted, e.Labeler.BackBuffer().Image()), "");
}

TEST(BackBuffer, AZoomStepPaintsOnceUntilTheDraftTimerEndsIt)
{
    TEditor e;
    AddFinePrint(e);
    e.Labeler.PaintCanvas(WholePanel);
    e.Labeler.Wheel(WheelNotch);
    EXPECT_GT(e.Labeler.PendingPanelRects().Count(), 0);
    e.Labeler.PaintCanvas({});
    // Every object was drawn in draft, which a repaint would only draw again.
    EXPECT_EQ(e.Labeler.PendingPanelRects().Count(), 0);
    const QImage drafted = e.Labeler.BackBuffer().Image().copy();

    // Drafting ends: everything is painted again, now as a paint of the whole panel gives it.
    e.Doc().DraftTimerTick();
    e.Labeler.Template().DraftTimerTick();
    EXPECT_GT(e.Labeler.PendingPanelRects().Count(), 0);
    e.Labeler.PaintCanvas({});
    EXPECT_EQ(e.Labeler.PendingPanelRects().Count(), 0);
    const QImage settled = e.Labeler.BackBuffer().Image().copy();
    e.Doc().Invalidate(true);
    e.Labeler.PaintCanvas({});
    EXPECT_EQ(ImageDifference(settled, e.Labeler.BackBuffer().Image()), "");
    EXPECT_NE(ImageDifference(drafted, settled), ""); // the photograph was a draft
}
