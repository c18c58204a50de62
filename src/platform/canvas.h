#pragma once
// The drawing surface every drawing rule goes through: a QPainter on an image, a printer or
// a widget, with the current pen, brush and font of a Windows device context.
//
// Rectangles follow the system rule: (Left, Top, Right, Bottom) covers the pixels from Left
// to Right - 1 and from Top to Bottom - 1. Lines exclude their end point.
// The pen's mix mode applies to Rectangle and lines on raster targets (images, widgets);
// on a printer or PDF, which have no raster operations, every mode draws as copy.
// FillRect and FrameRect always copy the brush, whatever the mix mode.

#include "platform/gdiobjects.h"
#include "platform/types.h"

#include <QImage>
#include <memory>
#include <span>
#include <vector>

class QPainter;
class QPaintDevice;

// Block-transfer raster operations.
enum class TCopyMode : uint8_t { SrcCopy, SrcInvert, SrcAnd, SrcPaint, NotSrcCopy };

// How stretched block transfers resample: smooth (halftone) or nearest pixel (colour on colour).
enum class TStretchMode : uint8_t { Halftone, ColorOnColor };

class Tcanvas {
public:
    Tcanvas();
    // Binds to the image (which must outlive the binding); begins a painter on it.
    explicit Tcanvas(QImage *image);
    // Binds to any paint device: a printer, a PDF writer, a widget inside its paint event.
    explicit Tcanvas(QPaintDevice *device);
    // Borrows a painter that is already active; never ends it.
    explicit Tcanvas(QPainter *painter);
    ~Tcanvas();
    Tcanvas(const Tcanvas &) = delete;
    Tcanvas &operator=(const Tcanvas &) = delete;

    void Bind(QImage *image);
    void Bind(QPaintDevice *device);
    void Bind(QPainter *painter);
    // Ends an owned painter (pending drawing is flushed) and forgets the target.
    void Unbind();

    bool IsBound() const;
    // Raster targets support mix modes and raster operations.
    bool IsRaster() const;
    // Resolution of the target in dots per inch (96 for images).
    int DpiX() const;
    int DpiY() const;
    // Makes the canvas report dpi instead of its target's resolution (0: the target's own), for an
    // image that stands for a page at that resolution. Hatches and pen styles scale with it.
    // Binding again goes back to the target's resolution.
    void SetResolution(int dpi);
    QPainter *Painter() const;

    // The current drawing tools. Setting one copies all of its properties.
    Tpen &Pen() { return FPen; }
    Tbrush &Brush() { return FBrush; }
    Tfont &Font() { return FFont; }
    void SetPen(const Tpen &p) { FPen.Assign(p); }
    void SetBrush(const Tbrush &b) { FBrush.Assign(b); }
    void SetFont(const Tfont &f) { FFont.Assign(f); }

    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode m) { FCopyMode = m; }
    TStretchMode StretchMode() const { return FStretchMode; }
    void SetStretchMode(TStretchMode m) { FStretchMode = m; }

    // Fills r with the brush (its colour and hatch), no outline.
    void FillRect(const TRect &r);
    // A frame one pixel wide just inside r, in the brush colour.
    void FrameRect(const TRect &r);
    // Outline with the pen, interior with the brush; both under the pen's mix mode.
    void Rectangle(const TRect &r);
    void MoveTo(int x, int y);
    // A line with the pen from the current position to (x, y), which is not drawn.
    void LineTo(int x, int y);
    TPoint PenPos() const { return FPenPos; }

    // Block transfer of the whole source image with its top-left at (x, y), under CopyMode.
    void Draw(int x, int y, const QImage &source);
    // Stretched block transfer of source rectangle src onto dest, under CopyMode and StretchMode.
    void CopyRect(const TRect &dest, const QImage &source, const TRect &src);
    // Blends src of source onto dest with a constant alpha (0..255). With perPixelAlpha the
    // source pixels are premultiplied 0xAARRGGBB words whose alpha is used as well; without
    // it the source alpha is ignored. False, drawing nothing, when src does not lie inside
    // the source image or either rectangle has a side of 0 or less.
    bool AlphaBlend(const TRect &dest, const QImage &source, const TRect &src, uint8_t constantAlpha,
                    bool perPixelAlpha);

private:
    struct TMix;

    void Begin(QPaintDevice *device, bool raster);
    int PenWidth() const;
    // The target's pixels in painter coordinates, within the painter's clip: raster drawing
    // that walks pixels is bounded by it.
    QRect VisibleBounds() const;
    void FillWithBrush(const TRect &area, const TMix &mix);
    void FillRects(const std::vector<QRect> &rects, const QColor &color, const TMix &mix);
    // One-pixel pen lines along the points, each segment without its end point; the pen style
    // runs on across the corners.
    void DrawThinPolyline(std::span<const TPoint> points, const TMix &mix);
    void DrawThinPolylineAsVector(std::span<const TPoint> points);
    void DrawWideLine(const TPoint &from, const TPoint &to, const TMix &mix);
    void DrawWideFrame(const TRect &outer, const TRect &inner, const TMix &mix);

    std::unique_ptr<QPainter> OwnedPainter;
    QPainter *ActivePainter = nullptr;
    bool Raster = false;
    int Resolution = 0;
    Tpen FPen;
    Tbrush FBrush;
    Tfont FFont;
    TCopyMode FCopyMode = TCopyMode::SrcCopy;
    TStretchMode FStretchMode = TStretchMode::ColorOnColor;
    TPoint FPenPos;
};
