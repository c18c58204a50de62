#include "labelertest.h"

#include "document/drawlist.h"
#include "editing/zoom.h"

#include <gmock/gmock.h>

TEST(LabelView, ScrollRangesOfAnEmptyLabelReachHalfAnInchAround)
{
    TEditor e;
    // The 4 x 3.5 inch label lies at 10000 .. 10400 across and 10000 .. 10350 down at zoom 1.
    EXPECT_EQ(e.Host.Vertical.Min, 9500);
    EXPECT_EQ(e.Host.Vertical.Max, 10850);
    EXPECT_EQ(e.Host.Horizontal.Min, 9500);
    EXPECT_EQ(e.Host.Horizontal.Max, 10900);
    EXPECT_EQ(e.Host.Vertical.PageSize, PanelHeight);
    // An object far right and below widens the ranges.
    e.AddShape({101000, 101000, 106000, 107000});
    e.View().UpdateScrollBars();
    EXPECT_EQ(e.Host.Horizontal.Max, 10600 + 500);
    EXPECT_EQ(e.Host.Vertical.Max, 10700 + 500);
}

TEST(LabelView, ZoomStaysWithinItsLimitsAndTheTrackBarWithinItsEnds)
{
    struct Case {
        double Asked, Zoom;
        int32_t Track;
    };
    const Case cases[] = {{1.0, 1.0, 1}, {0.01, 0.0625, -3}, {20000, 10000, 17}, {9.5, 9.5, 17},
                          {0.5, 0.5, 0}, {2.5, 2.5, 4},      {0.0, 2.5, 4}}; // 0 is ignored
    TEditor e;
    for (const Case &c : cases) {
        e.View().SetZoom(c.Asked);
        EXPECT_EQ(e.View().GetZoom(), c.Zoom) << c.Asked;
        EXPECT_EQ(e.Toolbox.GetTrackPosition(), c.Track) << c.Asked;
        EXPECT_EQ(e.Toolbox.GetZoomText(), ZoomText(c.Zoom)) << c.Asked;
    }
}

TEST(LabelView, ZoomAtBringsThePointToThePanelsCentre)
{
    TEditor e;
    const TPoint corner = e.At(101000, 100500);
    e.View().ZoomAt(corner, 2.0);
    const TPoint after = e.At(101000, 100500);
    EXPECT_EQ(after, (TPoint{PanelWidth / 2, PanelHeight / 2}));
    // The objects hit-test under the new view at once, before any paint.
    Tdrawobj *o = e.AddShape({101000, 100500, 101500, 101000});
    e.View().ZoomAt({0, 0}, 1.0);
    EXPECT_EQ(o->ScreenLeft(), e.At(101000, 0).X);
}

TEST(LabelView, WheelNotchesMoveTheTrackBarOnePositionEach)
{
    struct Case {
        std::vector<int32_t> Deltas;
        double Zoom;
    };
    const Case cases[] = {
        {{120}, 1.5}, {{-120}, 0.5},      {{60, 60}, 1.5},    {{40, 40, 30}, 1.0},
        {{240}, 2.0}, {{100, -100}, 1.0}, {{120, -120}, 1.0},
    };
    for (const Case &c : cases) {
        TEditor e;
        for (int32_t d : c.Deltas)
            e.Labeler.Wheel(d);
        EXPECT_EQ(e.View().GetZoom(), c.Zoom) << c.Deltas.size() << " deltas from " << c.Deltas[0];
    }
    // At the end of the track bar the wheel changes nothing.
    TEditor e;
    e.View().SetZoom(9.5);
    e.Labeler.Wheel(120);
    EXPECT_EQ(e.View().GetZoom(), 9.5);
    EXPECT_EQ(e.Toolbox.GetTrackPosition(), 17);
}

TEST(LabelView, TheViewOwnsTheTrackPositionWithOrWithoutAToolWindow)
{
    // The wheel and the track bar reach the same zoom; the tool window only shows it.
    for (const bool toolWindow : {false, true}) {
        SCOPED_TRACE(toolWindow ? "with a tool window" : "without a tool window");
        TEditor e;
        tlabeltemplate &t = e.Labeler.Template();
        if (!toolWindow)
            e.Labeler.ConnectToolbox(nullptr, nullptr);
        e.Labeler.Wheel(2 * WheelNotch);
        EXPECT_EQ(e.View().GetTrackPosition(), 3);
        EXPECT_EQ(e.View().GetZoom(), 2.0);
        // Slow objects draw in draft while the zoom steps.
        EXPECT_TRUE(e.Doc().IsDraftAll());
        EXPECT_TRUE(t.IsDraftAll());
        e.Toolbox.TrackBarMoved(-1);
        EXPECT_EQ(e.View().GetZoom(), toolWindow ? ZoomOfTrackPosition(-1) : 2.0);
        for (int i = 0; i < 30; ++i)
            e.Labeler.Wheel(-WheelNotch);
        EXPECT_EQ(e.View().GetTrackPosition(), ZoomTrackMin);
        EXPECT_EQ(e.View().GetZoom(), ZoomOfTrackPosition(ZoomTrackMin));
        EXPECT_EQ(e.Toolbox.GetTrackPosition(), toolWindow ? ZoomTrackMin : ZoomTrackInitial);
        if (toolWindow) {
            EXPECT_EQ(e.Toolbox.GetZoomText(), ZoomText(e.View().GetZoom()));
        }
    }
}

TEST(LabelView, CenterScreenPutsTheLabelsCentreInThePanelsCentre)
{
    TEditor e;
    e.View().CenterScreen();
    const TPoint centre = e.At(102000, 101750);
    EXPECT_NEAR(centre.X, PanelWidth / 2, 1);
    EXPECT_NEAR(centre.Y, PanelHeight / 2, 1);
}

TEST(LabelView, TheLabelStaysCentredAtAnyZoomWhenThePanelGrowsOrShrinks)
{
    struct Case {
        double Zoom;
        TPoint Before, After; // panel sizes: a resize, or a maximise
    };
    const Case cases[] = {{1.0, {800, 600}, {1900, 1100}},
                          {0.25, {800, 600}, {1900, 1100}},
                          {0.25, {1900, 1100}, {640, 480}},
                          {4.0, {800, 600}, {1900, 1100}},
                          {0.0625, {300, 200}, {900, 700}}};
    for (const Case &c : cases) {
        TEditor e;
        e.View().PanelResized(c.Before.X, c.Before.Y);
        e.View().SetZoom(c.Zoom);
        e.View().CenterScreen();
        const auto centredIn = [&](const TPoint &panel) {
            const TPoint centre = e.At(102000, 101750);
            EXPECT_NEAR(centre.X, panel.X / 2, 1) << c.Zoom << " in " << panel;
            EXPECT_NEAR(centre.Y, panel.Y / 2, 1) << c.Zoom << " in " << panel;
        };
        centredIn(c.Before);
        e.View().PanelResized(c.After.X, c.After.Y);
        centredIn(c.After);
        e.View().CenterScreen();
        centredIn(c.After);
    }
}

TEST(LabelView, ScrollingNeverLeavesANegativeOffset)
{
    TEditor e;
    e.View().SetZoom(0.0625); // the label at 625 pixels: the range starts at 125
    e.View().SetScrollPosition(false, -5000);
    e.View().SetScrollPosition(true, -5000);
    EXPECT_GE(e.View().GetViewport().Left, 0);
    EXPECT_GE(e.View().GetViewport().Top, 0);
    e.View().ZoomAt({0, 0}, 0.0625);
    EXPECT_EQ(e.View().GetViewport().Left, 0);
    EXPECT_EQ(e.Host.Viewport, e.View().GetViewport());
}
