#pragma once
// The editor's view of the label: the zoom factor with its track-bar position, the scroll offset
// into the plane of world pixels (document units times the scale), and the two scroll bars whose
// ranges follow the label and the objects with a margin. Documents get the view whenever it changes, so
// objects hit-test under the view the user sees.

#include "editing/labelerhost.h"
#include "platform/types.h"

#include <cstdint>
#include <functional>

class Tdrawlist;

// Pixels around the label and the objects that the scroll bars reach beyond them.
constexpr int32_t ScrollMargin = 500;
// A click on a scroll bar's arrow scrolls this many pixels.
constexpr int32_t ScrollLineStep = 10;
// The wheel's delta of one notch.
constexpr int32_t WheelNotch = 120;

class Tlabelview {
public:
    // The view shows document over its template (when it has one); host shows the viewport and
    // the scroll bars.
    Tlabelview(Tdrawlist &document, Tlabelerhost &host);

    double GetZoom() const { return Zoom; }
    double GetScale() const { return Scale; }
    const TRect &GetViewport() const { return Viewport; }
    int32_t GetTrackPosition() const { return TrackPosition; }
    const TScrollBarState &GetHorizontal() const { return Horizontal; }
    const TScrollBarState &GetVertical() const { return Vertical; }

    // Zooming: SetZoom keeps the scroll offset; ZoomAt brings the document point under a panel
    // point to the panel's centre. A zoom of exactly 0 is ignored; others are kept within limits.
    void SetZoom(double zoom);
    void ZoomAt(const TPoint &panelPoint, double zoom);
    void ZoomAtCentre(double zoom);
    // The wheel: the whole notches (delta 120, forward positive) that delta completes; high-resolution
    // wheels and touchpads send smaller deltas, which add up.
    int32_t WheelNotches(int32_t delta);
    // The zoom's track-bar position, which the view owns and the tool window shows: moves it to
    // position (kept within its ends) and zooms at the centre to the position's factor, the
    // documents drawing in draft until the draft timer ends it; nothing when it is there already.
    // The tool window's track bar asks for this.
    void MoveTrack(int32_t position);
    // The same steps positions on (the wheel's notches).
    void StepTrack(int32_t steps);

    // Recomputes both scroll bars' ranges from the document's extents and puts their positions
    // at the scroll offset.
    void UpdateScrollBars();
    // Puts the label's centre at the panel's centre, as far as the scroll ranges allow.
    void CenterScreen();
    // Puts both scroll bars in the middle of their ranges (the first show).
    void CentreScrollBars();
    // A scroll bar moved by the user or by the view: it moves the viewport unless the view itself
    // is setting the bars.
    void SetScrollPosition(bool vertical, int32_t position);
    // The panel now has this size.
    void PanelResized(int32_t width, int32_t height);
    // Gives the documents the current view (and asks for a full repaint).
    void GiveDocumentsTheView();

    // The zoom factor and the track bar's position the tool window shows; raised by every zoom.
    std::function<void(double zoom, int32_t trackPosition)> OnZoomShown;

private:
    void SetViewport(int32_t left, int32_t top);
    void PublishScrollBars();

    Tdrawlist &Document;
    Tlabelerhost &Host;
    double Zoom = 1.0;
    double Scale = 0.1;
    TRect Viewport;
    int32_t ScrollSyncDepth = 0;
    TScrollBarState Horizontal;
    TScrollBarState Vertical;
    int32_t TrackPosition = 1;
    int32_t WheelRemainder = 0;
};
