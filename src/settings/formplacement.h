#pragma once
// Window placement: a window's state and bounds kept in a settings store under value names made
// from its name, and put back only where a monitor still shows it.

#include "platform/types.h"
#include "settings/registry.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

enum TWindowState : int32_t { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

// What placement needs of a window or of a control inside one; TWidgetPlacement adapts a widget.
class Tplacementtarget {
public:
    virtual ~Tplacementtarget() = default;

    virtual QString Name() const = 0;
    // Empty for a window: every window is owned by the application, which has no name.
    virtual QString OwnerName() const = 0;
    virtual bool IsForm() const = 0;
    virtual TWindowState GetWindowState() const = 0;
    virtual void SetWindowState(TWindowState state) = 0;
    // Outer bounds in screen pixels for a window, bounds in its window for a control.
    virtual TRect GetBounds() const = 0;
    virtual void SetBounds(const TRect &r) = 0;
};

// The value-name prefix: owner name, ".", name, ".", name (".frm_labeler.frm_labeler").
QString FormPlacementKey(const Tplacementtarget &w);

// Writes prefix + ".windowstate" for a window, and prefix + ".bounds" (the 16-byte bounds record
// of r, or of the current bounds when r is all zeros) while the window is in its normal state.
// An empty prefix stands for FormPlacementKey(w). A control writes nothing.
void SaveFormPlacementRect(const Tplacementtarget &w, Tregistry &store, const TRect &r,
                           const QString &prefix = {});
void SaveFormPlacement(const Tplacementtarget &w, Tregistry &store, const QString &prefix = {});

// Applies the stored state (windows only), then, when the window is in its normal state, the
// stored bounds if they meet the work area of a monitor.
void RestoreFormPlacement(Tplacementtarget &w, Tregistry &store, const QString &prefix = {});
inline void RestoreFormPlacement(Tplacementtarget &&w, Tregistry &store, const QString &prefix = {})
{
    RestoreFormPlacement(w, store, prefix);
}

// The bounds record: Left, Top, Right, Bottom as little-endian signed 32-bit integers.
constexpr int BoundsRecordSize = 16;
std::array<uint8_t, BoundsRecordSize> BoundsRecord(const TRect &r);
TRect BoundsFromRecord(const std::array<uint8_t, BoundsRecordSize> &record);

// The work areas of the monitors, in screen pixels (none without a QGuiApplication).
std::vector<TRect> MonitorWorkAreas();
// True when r and some work area have pixels in common.
bool MeetsAMonitor(const TRect &r, const std::vector<TRect> &workAreas);
// Window bounds moved onto the work area they meet most (the first one when they meet none),
// then shrunk to it where they are larger, so the whole window shows. Bounds without area, or
// without a work area to go to, stay as they are.
TRect FitInsideWorkArea(const TRect &bounds, const std::vector<TRect> &workAreas);
// Where a window opens that has no placement of its own: share of the work area across and
// down, centred in it.
TRect CentredInWorkArea(const TRect &workArea, double share);

inline TRect RectFromQRect(const QRect &q)
{
    return {q.left(), q.top(), q.left() + q.width(), q.top() + q.height()};
}

// Adapts a widget for placement: any class with QWidget's interface, instantiated by the layers
// that link QtWidgets. A top-level widget is a window; a child is a control owned by its window.
template <class TWidget> class TWidgetPlacement : public Tplacementtarget {
public:
    explicit TWidgetPlacement(TWidget &w) : Widget(w) {}

    // Base
    QString Name() const override { return Widget.objectName(); }
    QString OwnerName() const override
    {
        return Widget.isWindow() ? QString() : Widget.window()->objectName();
    }
    bool IsForm() const override { return Widget.isWindow(); }
    TWindowState GetWindowState() const override
    {
        const Qt::WindowStates state = Widget.windowState();
        if (state & Qt::WindowMinimized)
            return wsMinimized;
        if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
            return wsMaximized;
        return wsNormal;
    }
    void SetWindowState(TWindowState state) override
    {
        Widget.setWindowState(state == wsMinimized   ? Qt::WindowMinimized
                              : state == wsMaximized ? Qt::WindowMaximized
                                                     : Qt::WindowNoState);
    }
    TRect GetBounds() const override
    {
        return RectFromQRect(Widget.isWindow() ? Widget.frameGeometry() : Widget.geometry());
    }
    void SetBounds(const TRect &r) override
    {
        if (!Widget.isWindow()) {
            Widget.setGeometry(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
            return;
        }
        const QRect frame = Widget.frameGeometry();
        const QRect client = Widget.geometry();
        Widget.move(r.Left, r.Top);
        Widget.resize(r.Right - r.Left - (frame.width() - client.width()),
                      r.Bottom - r.Top - (frame.height() - client.height()));
    }

private:
    TWidget &Widget;
};

template <class TWidget> TWidgetPlacement<TWidget> WidgetPlacement(TWidget &w)
{
    return TWidgetPlacement<TWidget>(w);
}
