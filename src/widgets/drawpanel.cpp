#include "widgets/drawpanel.h"

#include "platform/rnd.h"
#include "platform/scopedvalue.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QWheelEvent>
#include <algorithm>
#include <optional>

namespace {

std::optional<TMouseButton> ReportedButton(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return TMouseButton::Left;
    case Qt::RightButton:
        return TMouseButton::Right;
    case Qt::MiddleButton:
        return TMouseButton::Middle;
    default:
        return std::nullopt;
    }
}

TPoint PanelPoint(const QPointF &p)
{
    return {rnd(p.x()), rnd(p.y())};
}

bool Ctrl(const QInputEvent *e)
{
    return e->modifiers().testFlag(Qt::ControlModifier);
}

bool Shift(const QInputEvent *e)
{
    return e->modifiers().testFlag(Qt::ShiftModifier);
}

} // namespace

Tvnldrawpanel::Tvnldrawpanel(QWidget *parent) : QWidget(parent)
{
    // The owner paints every pixel, so neither Qt nor the parent paints beneath the panel.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Moves without a button held set the cursor over handles and objects.
    setMouseTracking(true);
}

void Tvnldrawpanel::SetViewport(const TRect &r, bool notify)
{
    Viewport = {std::max(0, r.Left), std::max(0, r.Top), width(), height()};
    if (notify && OnViewportmove)
        OnViewportmove(this);
    update();
}

void Tvnldrawpanel::Paint()
{
    if (onpaint)
        onpaint(this);
}

void Tvnldrawpanel::paintEvent(QPaintEvent *event)
{
    CurrentPaintRegion = event->region();
    const TScopedValue<bool> inPaint(InPaint, true);
    Paint();
}

void Tvnldrawpanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    SetViewport(Viewport, false);
}

void Tvnldrawpanel::mousePressEvent(QMouseEvent *event)
{
    const auto button = ReportedButton(event->button());
    if (button && onmousedown)
        onmousedown(this, *button, PanelPoint(event->position()), Ctrl(event), Shift(event));
}

void Tvnldrawpanel::mouseMoveEvent(QMouseEvent *event)
{
    if (onmousemove)
        onmousemove(this, PanelPoint(event->position()), Ctrl(event), Shift(event));
}

void Tvnldrawpanel::mouseReleaseEvent(QMouseEvent *event)
{
    const auto button = ReportedButton(event->button());
    if (button && onmouseup)
        onmouseup(this, *button, PanelPoint(event->position()), Ctrl(event), Shift(event));
}

void Tvnldrawpanel::wheelEvent(QWheelEvent *event)
{
    if (!onmousewheel || event->angleDelta().y() == 0) {
        event->ignore();
        return;
    }
    onmousewheel(this, event->angleDelta().y(), PanelPoint(event->position()), Ctrl(event), Shift(event));
}
