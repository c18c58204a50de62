#include "labelertest.h"

#include "common/testsupport.h"
#include "document/drawlist.h"
#include "document/shape.h"

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
    s->SetShapeStyle(1);
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
