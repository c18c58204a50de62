#include "widgets/drawpanel.h"

#include <QResizeEvent>
#include <algorithm>

Tvnldrawpanel::Tvnldrawpanel(QWidget *parent) : QWidget(parent)
{
    // The owner paints every pixel, so neither Qt nor the parent paints beneath the panel.
    setAttribute(Qt::WA_OpaquePaintEvent);
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

void Tvnldrawpanel::paintEvent(QPaintEvent *)
{
    Paint();
}

void Tvnldrawpanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    SetViewport(Viewport, false);
}
