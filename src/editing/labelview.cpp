#include "editing/labelview.h"

#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "editing/zoom.h"
#include "platform/rnd.h"

#include <algorithm>
#include <limits>

namespace {

// Raises the depth for a scope; while above 0, scroll bar changes do not move the viewport.
class TScrollSync {
public:
    explicit TScrollSync(int32_t &depth) : Depth(depth) { ++Depth; }
    ~TScrollSync() { --Depth; }
    TScrollSync(const TScrollSync &) = delete;
    TScrollSync &operator=(const TScrollSync &) = delete;

private:
    int32_t &Depth;
};

} // namespace

Tlabelview::Tlabelview(Tdrawlist &document, Tlabelerhost &host) : Document(document), Host(host)
{
    Horizontal.SmallChange = Vertical.SmallChange = ScrollLineStep;
}

void Tlabelview::SetZoom(double zoom)
{
    if (zoom == 0)
        return;
    Zoom = ClampZoom(zoom);
    Scale = Zoom * ScalePerZoom;
    // The track bar shows the nearest position it has; beyond 9.0 it stays at its end.
    TrackPosition = TrackPositionOfZoom(Zoom);
    if (OnZoomShown)
        OnZoomShown(Zoom, TrackPosition);
    GiveDocumentsTheView();
    UpdateScrollBars();
}

void Tlabelview::ZoomAt(const TPoint &panelPoint, double zoom)
{
    if (zoom == 0)
        return;
    const double newScale = ClampZoom(zoom) * ScalePerZoom;
    int32_t left = Viewport.Left;
    int32_t top = Viewport.Top;
    if (Scale != 0) {
        const int32_t docX = PixelToDoc(SaturatedAdd(panelPoint.X, Viewport.Left), 0, Scale);
        const int32_t docY = PixelToDoc(SaturatedAdd(panelPoint.Y, Viewport.Top), 0, Scale);
        left = SaturatedAdd(DocToPixel(docX, 0, newScale), -(Viewport.Right / 2));
        top = SaturatedAdd(DocToPixel(docY, 0, newScale), -(Viewport.Bottom / 2));
    }
    SetZoom(zoom);
    {
        const TScrollSync sync(ScrollSyncDepth);
        SetViewport(left, top);
    }
    UpdateScrollBars();
}

void Tlabelview::ZoomAtCentre(double zoom)
{
    ZoomAt({Viewport.Right / 2, Viewport.Bottom / 2}, zoom);
}

int32_t Tlabelview::WheelNotches(int32_t delta)
{
    const int64_t total = int64_t(WheelRemainder) + delta;
    const int64_t notches = total / WheelNotch;
    WheelRemainder = int32_t(total - notches * WheelNotch);
    return int32_t(notches);
}

void Tlabelview::StepTrack(int32_t steps)
{
    MoveTrack(int32_t(std::clamp<int64_t>(int64_t(TrackPosition) + steps, ZoomTrackMin, ZoomTrackMax)));
}

void Tlabelview::MoveTrack(int32_t position)
{
    const int32_t target = std::clamp(position, ZoomTrackMin, ZoomTrackMax);
    if (target == TrackPosition)
        return;
    // Slow objects draw in draft until the draft timer ends it.
    Document.SetDraftAll(true);
    if (tlabeltemplate *t = Document.GetTemplate())
        t->SetDraftAll(true);
    ZoomAtCentre(ZoomOfTrackPosition(target));
    Document.Invalidate(true);
}

void Tlabelview::UpdateScrollBars()
{
    const TScrollSync sync(ScrollSyncDepth);
    // Min goes to 0 first, so that the new Max never lies below the old Min.
    Horizontal.Min = Vertical.Min = 0;
    Vertical.Max = std::max(SaturatedAdd(Document.ExtentBottom(), ScrollMargin),
                            SaturatedAdd(Document.ExtentTop(), 1 - ScrollMargin));
    Horizontal.Max = std::max(SaturatedAdd(Document.ExtentRight(), ScrollMargin),
                              SaturatedAdd(Document.ExtentLeft(), 1 - ScrollMargin));
    Vertical.Min = std::max(0, Document.ExtentTop() - ScrollMargin);
    Horizontal.Min = std::max(0, Document.ExtentLeft() - ScrollMargin);
    // However large the panel, the ranges reach far enough to show the label in its middle.
    const TRect label = Document.LabelScreenRect({0, 0, Viewport.Right, Viewport.Bottom}, Scale);
    const int32_t centreX = label.Left + (label.Right - label.Left) / 2;
    const int32_t centreY = label.Top + (label.Bottom - label.Top) / 2;
    Horizontal.Min = std::clamp(SaturatedAdd(centreX, -(Viewport.Right / 2)), 0, Horizontal.Min);
    Vertical.Min = std::clamp(SaturatedAdd(centreY, -(Viewport.Bottom / 2)), 0, Vertical.Min);
    Horizontal.Max = std::max(Horizontal.Max, SaturatedAdd(centreX, Viewport.Right - Viewport.Right / 2));
    Vertical.Max = std::max(Vertical.Max, SaturatedAdd(centreY, Viewport.Bottom - Viewport.Bottom / 2));
    Vertical.PageSize = Viewport.Bottom;
    Horizontal.PageSize = Viewport.Right;
    Horizontal.Position = Horizontal.Clamped(Viewport.Left);
    Vertical.Position = Vertical.Clamped(Viewport.Top);
    PublishScrollBars();
}

void Tlabelview::CenterScreen()
{
    const TRect label = Document.LabelScreenRect({0, 0, Viewport.Right, Viewport.Bottom}, Scale);
    SetScrollPosition(true, label.Top + (label.Bottom - label.Top) / 2 - Viewport.Bottom / 2);
    SetScrollPosition(false, label.Left + (label.Right - label.Left) / 2 - Viewport.Right / 2);
}

void Tlabelview::CentreScrollBars()
{
    UpdateScrollBars();
    SetScrollPosition(false,
                      Horizontal.Min + (Horizontal.Max - Horizontal.Min) / 2 - Horizontal.PageSize / 2);
    SetScrollPosition(true, Vertical.Min + (Vertical.Max - Vertical.Min) / 2 - Vertical.PageSize / 2);
}

void Tlabelview::SetScrollPosition(bool vertical, int32_t position)
{
    TScrollBarState &bar = vertical ? Vertical : Horizontal;
    const int32_t clamped = bar.Clamped(position);
    if (clamped == bar.Position)
        return;
    bar.Position = clamped;
    PublishScrollBars();
    if (ScrollSyncDepth == 0)
        SetViewport(Horizontal.Position, Vertical.Position);
}

void Tlabelview::PanelResized(int32_t width, int32_t height)
{
    const TPoint before{Viewport.Right, Viewport.Bottom};
    const TPoint offset{Viewport.Left, Viewport.Top};
    Viewport.Right = std::max(width, 0);
    Viewport.Bottom = std::max(height, 0);
    Horizontal.LargeChange = std::max(Viewport.Right / 2, 1);
    Vertical.LargeChange = std::max(Viewport.Bottom / 2, 1);
    GiveDocumentsTheView();
    UpdateScrollBars();
    // What showed in the panel's middle stays there (a label in the middle stays in the middle
    // when the window is resized or maximised).
    if (before.X > 0 && before.Y > 0) {
        SetScrollPosition(false, SaturatedAdd(offset.X, (before.X - Viewport.Right) / 2));
        SetScrollPosition(true, SaturatedAdd(offset.Y, (before.Y - Viewport.Bottom) / 2));
    }
}

void Tlabelview::GiveDocumentsTheView()
{
    if (tlabeltemplate *t = Document.GetTemplate())
        t->SetDocumentView(Viewport, Scale);
    Document.SetDocumentView(Viewport, Scale);
    Document.Invalidate(true);
}

void Tlabelview::SetViewport(int32_t left, int32_t top)
{
    Viewport.Left = std::max(left, 0);
    Viewport.Top = std::max(top, 0);
    Host.ViewportChanged(Viewport);
    GiveDocumentsTheView();
}

void Tlabelview::PublishScrollBars()
{
    Host.ScrollBarsChanged(Horizontal, Vertical);
}
