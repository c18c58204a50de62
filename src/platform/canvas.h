#pragma once
// The drawing surface every drawing rule goes through: a QPainter on an image, a printer or
// a widget, with the current pen, brush and font of a Windows device context.
//
// Rectangles follow the system rule: (Left, Top, Right, Bottom) covers the pixels from Left
// to Right - 1 and from Top to Bottom - 1. Lines exclude their end point.
// The pen's mix mode applies to Rectangle and lines on raster targets (images, widgets);
// on a printer or PDF, which have no raster operations, every mode draws as copy.
// FillRect and FrameRect always copy the brush, whatever the mix mode.
// Every operation stays inside the canvas clip region (see SetClipRect).

#include "platform/gdiobjects.h"
#include "platform/types.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QPainter;
class Ttextlayout;
class QPainterPath;
class QPaintDevice;

// Flags of DrawTextEx, with the system's values.
enum TDrawTextFlags : uint32_t {
    DT_TOP = 0x0,
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_EDITCONTROL = 0x2000,
};

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
    // Fills every rectangle with the brush's colour, no outline, as one drawing: on a printer or
    // PDF the rectangles stay vector shapes. Empty rectangles draw nothing.
    void FillRectList(std::span<const TRect> rects);
    // A frame one pixel wide just inside r, in the brush colour.
    void FrameRect(const TRect &r);
    // Outline with the pen, interior with the brush; both under the pen's mix mode.
    void Rectangle(const TRect &r);
    // Closed figures: the outline with the pen, the inside with the brush, under the pen's mix
    // mode; outline and inside never share a pixel, so a mix mode touches each pixel once.
    // With a one-pixel pen the outline lies on the outermost pixels of the bounds; a wider pen
    // is centred on that line (kept inside with InsideFrame); with a clear pen the inside
    // covers Left .. Right - 2 and Top .. Bottom - 2, as a rectangle's does.
    void Ellipse(const TRect &r);
    // Through the points' pixels, closed back to the first, filled alternately.
    void Polygon(std::span<const TPoint> points);
    // A rectangle whose corners are quarters of an ellipse cornerWidth by cornerHeight.
    void RoundRect(const TRect &r, int cornerWidth, int cornerHeight);
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

    // The system's focus rectangle: every other pixel of a one-pixel frame on the outermost
    // pixels of r, inverted (XOR), so that drawing it twice restores the image. The dots lie
    // where the device coordinates add up to an even number. On a printer or PDF a dotted
    // black frame.
    void DrawFocusRect(const TRect &r);

    // Clipping. The region starts as the whole target; SetClipRect makes it one rectangle,
    // ExcludeClipRect takes a rectangle out of the current region, RemoveClip goes back to
    // the whole target. Every drawing operation stays inside the region.
    // The region is in painter coordinates, as every rectangle the canvas takes; it stays
    // until it is changed or the canvas is bound again, and it is applied to the painter
    // during each drawing call only (a borrowed painter's own clip is intersected with it
    // and comes back unchanged). An empty rectangle for SetClipRect clips everything away.
    // Without a painter these do nothing.
    void SetClipRect(const TRect &r);
    void ExcludeClipRect(const TRect &r);
    void RemoveClip();
    bool HasClip() const;

    // Text in the canvas font and its colour. With a solid brush the text's cells are first
    // filled with the brush colour (an opaque background); with any other brush style the
    // text is drawn without background.
    //
    // DrawTextEx lays out text in r as the system does: DT_WORDBREAK wraps at word
    // boundaries within r's width (a word wider than the box is broken), CR LF, CR and LF end
    // lines, DT_EXPANDTABS expands tabs to 8 average characters, without DT_NOPREFIX an
    // ampersand marks the next character as underlined ("&&" is one ampersand),
    // DT_EDITCONTROL leaves out a last line that is only partly visible, DT_CENTER and
    // DT_RIGHT align each line, DT_VCENTER and DT_BOTTOM apply to DT_SINGLELINE. The text is
    // clipped to r unless DT_NOCLIP. With DT_CALCRECT nothing is drawn: r's Right becomes
    // Left plus the widest line (when wrapping, at most r's width) and its Bottom becomes Top
    // plus the height of all lines. Returns the height of the text drawn or measured.
    // In detail: lines lie one font line height (ascent plus descent) apart; blanks where a
    // line wraps do not count towards its width, blanks before a line break do; a text that
    // ends in a line break ends in an empty line, which counts (an empty text is one empty
    // line); DT_WORDBREAK breaks where Unicode allows a line break (at blanks, after hyphens);
    // without DT_EXPANDTABS a tab shows as a blank; with DT_SINGLELINE each line break shows
    // as a blank; DT_EDITCONTROL also leaves out the lines after a partly visible one; the
    // opaque background covers each drawn line's width times the line height.
    int DrawTextEx(const QString &text, TRect &r, uint32_t flags);
    // The layout DrawTextEx makes for text in a box boxWidth pixels wide, in the canvas font
    // for this target; DrawLayout then draws or measures it as DrawTextEx would.
    std::unique_ptr<Ttextlayout> LayoutText(const QString &text, int32_t boxWidth, uint32_t flags) const;
    int DrawLayout(const Ttextlayout &layout, TRect &r, uint32_t flags);
    // The layout in cache when it was made for the same text, font, resolution, width and
    // flags; otherwise a new one, kept in cache.
    const Ttextlayout &CachedLayout(std::unique_ptr<Ttextlayout> &cache, const QString &text,
                                    int32_t boxWidth, uint32_t flags) const;
    // A single line at (x, y) (its top-left), no wrapping, no prefix processing.
    void TextOut(int x, int y, const QString &text);
    // Width and height of a single line in the canvas font; the height is the font's line
    // height (ascent plus descent), also for an empty text. Without a painter, measuring
    // (these and DT_CALCRECT) is for the screen and drawing does nothing (DrawTextEx gives 0).
    int TextWidth(const QString &text);
    int TextHeight(const QString &text);
    // How far the canvas font's baseline lies below the top of a line TextOut draws.
    int TextAscent();

    // The canvas font as a QFont for this target: a negative height is the character height
    // (em size) in device pixels, a positive one the cell height, 0 the default height.
    // The height is in device pixels of the target whatever its logical resolution (on a
    // 600 dpi PDF writer -100 is 100 of its pixels); the default is -11 at 96 dpi, scaled
    // by DpiY(). The name goes through QFont's matching, so the platform's substitutions
    // apply. Not kerned, as the system draws text; grey-scale antialiasing.
    QFont ResolvedFont() const;

private:
    struct TMix;

    // Saves the painter around one drawing call, sets it up for the system's pixel rules and
    // applies the canvas clip; restores the painter when it goes. Every drawing call, in
    // canvas.cpp and canvastext.cpp, goes through one.
    class TPainterState {
    public:
        explicit TPainterState(const Tcanvas &canvas);
        ~TPainterState();
        TPainterState(const TPainterState &) = delete;
        TPainterState &operator=(const TPainterState &) = delete;

    private:
        QPainter &Painter;
    };

    void Begin(QPaintDevice *device, bool raster);
    int PenWidth() const;
    // The paint device of the painter, nullptr without one: text is measured for it.
    const QPaintDevice *Device() const;
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
    // A closed figure given by its outline's centre line (through pixel centres) and, for a
    // clear pen, the area it fills.
    void DrawClosedFigure(const QPainterPath &centreLine, const QPainterPath &clearPenArea);
    // The brush (solid or hatched) inside a path.
    void FillPathWithBrush(const QPainterPath &path, const TMix &mix);

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
    // The clip region in painter coordinates; none is the whole target.
    std::optional<QRegion> Clip;
};
