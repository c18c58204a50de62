#pragma once
// The surface a label is painted on: a widget that leaves all of its painting to its owner
// and keeps the viewport, the scroll origin of the view it shows with the panel's own size.

#include "platform/types.h"

#include <QRegion>
#include <QWidget>
#include <functional>

class Tvnldrawpanel : public QWidget {
    Q_OBJECT

public:
    explicit Tvnldrawpanel(QWidget *parent = nullptr);

    // Left and Top: the scroll origin, never negative. Right and Bottom: the panel's width and
    // height (an extent, not a corner).
    const TRect &GetViewport() const { return Viewport; }
    // Stores r with its origin clamped to 0 and the panel's size as its extent, raises
    // OnViewportmove when notify is set, and asks for a repaint.
    void SetViewport(const TRect &r, bool notify);
    // Raises onpaint. The panel's paint event calls it; anyone else asks for a paint with
    // update() or repaint().
    void Paint();
    // The part of the panel the current paint covers (the whole panel outside a paint event), for
    // an owner that copies only what Qt asks for.
    QRegion PaintRegion() const { return InPaint ? CurrentPaintRegion : QRegion(rect()); }

    // Paints the panel; the panel itself draws nothing, not even a background, so the handler
    // paints the whole visible view every time, whatever part of it Qt asked for. The handler
    // opens its own painter on the panel (QPainter p(sender), or Tcanvas canvas(sender)) and
    // ends it before it returns; a painter on the panel works only during this call.
    std::function<void(Tvnldrawpanel *)> onpaint;
    std::function<void(Tvnldrawpanel *)> OnViewportmove;

    // Mouse input in panel pixels, with the Ctrl and Shift keys as they were. Only the left,
    // right and middle buttons are reported. While a button is held the panel keeps the mouse
    // (Qt's implicit grab), so moves and the release come here even outside the panel.
    std::function<void(Tvnldrawpanel *, TMouseButton, TPoint, bool ctrl, bool shift)> onmousedown;
    std::function<void(Tvnldrawpanel *, TPoint, bool ctrl, bool shift)> onmousemove;
    std::function<void(Tvnldrawpanel *, TMouseButton, TPoint, bool ctrl, bool shift)> onmouseup;
    // The wheel in eighths of a degree (a notch of a common wheel is 120), vertical axis only.
    std::function<void(Tvnldrawpanel *, int delta, TPoint, bool ctrl, bool shift)> onmousewheel;

protected:
    // Base
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    TRect Viewport;
    QRegion CurrentPaintRegion;
    bool InPaint = false;
};
