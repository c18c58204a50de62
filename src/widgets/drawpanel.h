#pragma once
// The surface a label is painted on: a widget that leaves all of its painting to its owner
// and keeps the viewport, the scroll origin of the view it shows with the panel's own size.

#include "platform/types.h"

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

    // Paints the panel; the panel itself draws nothing, not even a background, so the handler
    // paints the whole visible view every time, whatever part of it Qt asked for. The handler
    // opens its own painter on the panel (QPainter p(sender), or Tcanvas canvas(sender)) and
    // ends it before it returns; a painter on the panel works only during this call.
    std::function<void(Tvnldrawpanel *)> onpaint;
    std::function<void(Tvnldrawpanel *)> OnViewportmove;

protected:
    // Base
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    TRect Viewport;
};
