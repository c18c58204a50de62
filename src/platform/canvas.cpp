#include "platform/canvas.h"

#include "platform/rnd.h"

#include <QBitmap>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRegion>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <utility>

namespace {

constexpr int ScreenDpi = 96;
constexpr int HatchSize = 8;
// Patterns grow with the resolution up to this many device pixels per pattern pixel.
constexpr int MaxPatternScale = 64;
constexpr int32_t MaxPenWidth = 1 << 16;
// Rectangle coordinates beyond this lie far outside any device; clamping them keeps the
// arithmetic on pen widths and insets inside 32 bits.
constexpr int32_t CoordinateLimit = 1 << 28;
// Clip rectangles are clamped to this, and the whole target that ExcludeClipRect starts from
// is this square: the painter maps the region through its transform in 32-bit integers.
constexpr int32_t ClipLimit = 1 << 24;

bool IsRasterDevice(const QPaintDevice *device)
{
    const int type = device->devType();
    return type == QInternal::Image || type == QInternal::Pixmap || type == QInternal::Widget;
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int FloorMod(int64_t a, int b)
{
    return int(a - FloorDiv(a, b) * b);
}

bool IsEmpty(const TRect &r)
{
    return r.Right <= r.Left || r.Bottom <= r.Top;
}

TRect Clamped(const TRect &r, int32_t bound = CoordinateLimit)
{
    const auto limit = [bound](int32_t v) { return std::clamp(v, -bound, bound); };
    return {limit(r.Left), limit(r.Top), limit(r.Right), limit(r.Bottom)};
}

// Rectangle takes its corners in either order, as the system does.
TRect Normalized(const TRect &r)
{
    return Clamped({std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                    std::max(r.Top, r.Bottom)});
}

TRect Inset(const TRect &r, int32_t n)
{
    return {r.Left + n, r.Top + n, r.Right - n, r.Bottom - n};
}

// Only for non-empty rectangles.
QRect ToQRect(const TRect &r)
{
    return QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1));
}

QPointF PixelCentre(const TPoint &p)
{
    return QPointF(p.X + 0.5, p.Y + 0.5);
}

// The four non-overlapping sides of a one-pixel frame on the outermost pixels of r.
std::vector<QRect> FrameSides(const TRect &r)
{
    std::vector<QRect> sides{ToQRect({r.Left, r.Top, r.Right, r.Top + 1})};
    if (r.Bottom - r.Top > 1)
        sides.push_back(ToQRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}));
    if (r.Bottom - r.Top > 2) {
        sides.push_back(ToQRect({r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1}));
        if (r.Right - r.Left > 1)
            sides.push_back(ToQRect({r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1}));
    }
    return sides;
}

// Where brush and pen patterns lie on the device: device pixels per pattern pixel, and the
// device position of the painter's origin, so that patterns line up with the device.
struct TPatternGrid {
    int ScaleX = 1;
    int ScaleY = 1;
    int OriginX = 0;
    int OriginY = 0;
};

int PatternScale(int dpi)
{
    return std::clamp(rnd(double(dpi) / ScreenDpi), 1, MaxPatternScale);
}

TPatternGrid GridOf(const QPainter &painter, int dpiX, int dpiY)
{
    const QTransform &t = painter.worldTransform();
    return {PatternScale(dpiX), PatternScale(dpiY), rnd(t.dx()), rnd(t.dy())};
}

// The system's 8 x 8 hatch patterns, one byte a row, the top bit leftmost; set bits are drawn.
using THatchRows = std::array<uint8_t, HatchSize>;

const THatchRows *HatchRowsOf(TBrushStyle style)
{
    static constexpr THatchRows horizontal{0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00};
    static constexpr THatchRows vertical{0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08};
    static constexpr THatchRows fdiagonal{0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
    static constexpr THatchRows bdiagonal{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
    static constexpr THatchRows cross{0x08, 0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08};
    static constexpr THatchRows diagcross{0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81};
    switch (style) {
    case TBrushStyle::Horizontal:
        return &horizontal;
    case TBrushStyle::Vertical:
        return &vertical;
    case TBrushStyle::FDiagonal:
        return &fdiagonal;
    case TBrushStyle::BDiagonal:
        return &bdiagonal;
    case TBrushStyle::Cross:
        return &cross;
    case TBrushStyle::DiagCross:
        return &diagcross;
    default:
        return nullptr;
    }
}

bool HatchBit(uint8_t row, int64_t cell)
{
    return (row >> (HatchSize - 1 - FloorMod(cell, HatchSize))) & 1;
}

// The first device coordinate after the pattern cell that holds pos.
int64_t CellEnd(int64_t pos, int scale, int origin)
{
    return (FloorDiv(pos + origin, scale) + 1) * scale - origin;
}

void AddHatchRow(std::vector<QRect> &runs, uint8_t row, int64_t left, int64_t right, int64_t top,
                 int64_t height, const TPatternGrid &grid)
{
    const auto add = [&](int64_t from, int64_t to) {
        runs.push_back(QRect(int(from), int(top), int(to - from), int(height)));
    };
    if (row == 0)
        return;
    if (row == 0xFF) {
        add(left, right);
        return;
    }
    std::optional<int64_t> runStart;
    for (int64_t x = left; x < right; x = CellEnd(x, grid.ScaleX, grid.OriginX)) {
        const bool on = HatchBit(row, FloorDiv(x + grid.OriginX, grid.ScaleX));
        if (on && !runStart)
            runStart = x;
        else if (!on && runStart) {
            add(*runStart, x);
            runStart.reset();
        }
    }
    if (runStart)
        add(*runStart, right);
}

// The rectangles that a hatch covers inside area: rows of pattern cells with the same bits
// become one band, and the set cells of a band one rectangle per run.
std::vector<QRect> HatchRuns(const QRect &area, const THatchRows &rows, const TPatternGrid &grid)
{
    const auto rowAt = [&](int64_t y) {
        return rows[FloorMod(FloorDiv(y + grid.OriginY, grid.ScaleY), HatchSize)];
    };
    std::vector<QRect> runs;
    const int64_t bottom = int64_t(area.bottom()) + 1;
    for (int64_t y = area.top(); y < bottom;) {
        const uint8_t row = rowAt(y);
        int64_t end = CellEnd(y, grid.ScaleY, grid.OriginY);
        while (end < bottom && rowAt(end) == row)
            end = CellEnd(end, grid.ScaleY, grid.OriginY);
        end = std::min(end, bottom);
        AddHatchRow(runs, row, area.left(), int64_t(area.right()) + 1, y, end - y, grid);
        y = end;
    }
    return runs;
}

// One tile of a hatch in the brush colour on a transparent ground, for targets that draw brushes
// themselves (printers, PDF).
QImage HatchTile(const THatchRows &rows, const TPatternGrid &grid, const QColor &color)
{
    QImage tile(HatchSize * grid.ScaleX, HatchSize * grid.ScaleY, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    for (int row = 0; row < HatchSize; ++row)
        for (int col = 0; col < HatchSize; ++col)
            if (HatchBit(rows[row], col))
                painter.fillRect(col * grid.ScaleX, row * grid.ScaleY, grid.ScaleX, grid.ScaleY, color);
    return tile;
}

// The pixels of a one-pixel line from From towards To, To excluded: pixel i lies i steps along the
// longer axis, the other coordinate rounded to the nearest, halves towards From.
class TLineSteps {
public:
    TLineSteps(const TPoint &from, const TPoint &to)
        : From(from), Dx(int64_t(to.X) - from.X), Dy(int64_t(to.Y) - from.Y),
          Steps(std::max(std::llabs(Dx), std::llabs(Dy))), XMajor(std::llabs(Dx) >= std::llabs(Dy))
    {
    }

    int64_t Count() const { return Steps; }

    QPoint At(int64_t i) const
    {
        const int64_t major = XMajor ? Dx : Dy;
        const int64_t minor = XMajor ? Dy : Dx;
        // i < Steps < 2^32 and |minor| <= Steps, so the product fits in 64 unsigned bits.
        const uint64_t product = uint64_t(i) * uint64_t(std::llabs(minor));
        uint64_t minorSteps = product / uint64_t(Steps);
        if (2 * (product % uint64_t(Steps)) > uint64_t(Steps))
            ++minorSteps;
        const int64_t majorOffset = major < 0 ? -i : i;
        const int64_t minorOffset = minor < 0 ? -int64_t(minorSteps) : int64_t(minorSteps);
        return XMajor ? QPoint(int(From.X + majorOffset), int(From.Y + minorOffset))
                      : QPoint(int(From.X + minorOffset), int(From.Y + majorOffset));
    }

    // The steps [first, last) whose pixels lie inside bounds along the longer axis.
    std::pair<int64_t, int64_t> Within(const QRect &bounds) const
    {
        const int64_t start = XMajor ? From.X : From.Y;
        const int64_t low = XMajor ? bounds.left() : bounds.top();
        const int64_t high = XMajor ? bounds.right() : bounds.bottom();
        const bool forward = (XMajor ? Dx : Dy) >= 0;
        const int64_t first = std::max<int64_t>(0, forward ? low - start : start - high);
        const int64_t last = std::min<int64_t>(Steps, (forward ? high - start : start - low) + 1);
        return {first, std::max(first, last)};
    }

private:
    TPoint From;
    int64_t Dx;
    int64_t Dy;
    int64_t Steps;
    bool XMajor;
};

// The on and off lengths of the styled pens, in pixels on the screen.
std::span<const int> StyleLengths(TPenStyle style)
{
    static constexpr int dash[] = {18, 6};
    static constexpr int dot[] = {3, 3};
    static constexpr int dashDot[] = {9, 6, 3, 6};
    static constexpr int dashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (style) {
    case TPenStyle::Dash:
        return dash;
    case TPenStyle::Dot:
        return dot;
    case TPenStyle::DashDot:
        return dashDot;
    case TPenStyle::DashDotDot:
        return dashDotDot;
    default:
        return {};
    }
}

// Whether the pixel at a given index along a styled line is a dash or a gap.
class TPenDashes {
public:
    TPenDashes(TPenStyle style, int scale) : Lengths(StyleLengths(style)), Scale(scale)
    {
        for (int length : Lengths)
            Period += int64_t(length) * Scale;
    }

    bool Styled() const { return Period > 0; }

    bool IsDash(int64_t index) const
    {
        int64_t pos = index % Period;
        for (size_t k = 0; k < Lengths.size(); ++k) {
            const int64_t length = int64_t(Lengths[k]) * Scale;
            if (pos < length)
                return k % 2 == 0;
            pos -= length;
        }
        return true;
    }

private:
    std::span<const int> Lengths;
    int Scale;
    int64_t Period = 0;
};

// Pixels gathered into as few rectangles as runs of neighbours allow, for one fill call.
class TPixelRuns {
public:
    void Add(const QPoint &p)
    {
        if (!Runs.empty()) {
            QRect &last = Runs.back();
            if (last.height() == 1 && p.y() == last.top()) {
                if (p.x() == last.right() + 1) {
                    last.setRight(p.x());
                    return;
                }
                if (p.x() == last.left() - 1) {
                    last.setLeft(p.x());
                    return;
                }
            }
            if (last.width() == 1 && p.x() == last.left()) {
                if (p.y() == last.bottom() + 1) {
                    last.setBottom(p.y());
                    return;
                }
                if (p.y() == last.top() - 1) {
                    last.setTop(p.y());
                    return;
                }
            }
        }
        Runs.push_back(QRect(p, QSize(1, 1)));
    }

    const std::vector<QRect> &Rects() const { return Runs; }

private:
    std::vector<QRect> Runs;
};

QPainter::CompositionMode BlitComposition(TCopyMode mode, bool raster)
{
    if (!raster)
        return QPainter::CompositionMode_SourceOver;
    switch (mode) {
    case TCopyMode::SrcCopy:
        return QPainter::CompositionMode_Source;
    case TCopyMode::SrcInvert:
        return QPainter::RasterOp_SourceXorDestination;
    case TCopyMode::SrcAnd:
        return QPainter::RasterOp_SourceAndDestination;
    case TCopyMode::SrcPaint:
        return QPainter::RasterOp_SourceOrDestination;
    case TCopyMode::NotSrcCopy:
        return QPainter::RasterOp_NotSource;
    }
    return QPainter::CompositionMode_Source;
}

bool IsBlitValid(const TRect &dest, const QImage &source, const TRect &src)
{
    return !IsEmpty(dest) && !IsEmpty(src) && src.Left >= 0 && src.Top >= 0 && src.Right <= source.width() &&
           src.Bottom <= source.height();
}

bool HoldsWords(const QImage &image)
{
    const QImage::Format f = image.format();
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}

// Part of a source that holds 0xAARRGGBB words, seen in place as the given format.
QImage WordsView(const QImage &source, const QRect &part, QImage::Format format)
{
    const uchar *first = source.constBits() + qsizetype(part.top()) * source.bytesPerLine() + part.left() * 4;
    return QImage(first, part.width(), part.height(), source.bytesPerLine(), format);
}

bool IsOpaque(const QImage &words)
{
    for (int y = 0; y < words.height(); ++y) {
        const auto *line = reinterpret_cast<const uint32_t *>(words.constScanLine(y));
        if (!std::all_of(line, line + words.width(), [](uint32_t w) { return (w >> 24) == 0xFF; }))
            return false;
    }
    return true;
}

// Part of source as opaque words: block transfers take the colour bits and leave alpha behind.
// The source's own bits are used where they are opaque words already.
QImage OpaqueWords(const QImage &source, const QRect &part)
{
    if (!HoldsWords(source))
        return source.copy(part).convertToFormat(QImage::Format_RGB32);
    if (source.format() == QImage::Format_RGB32)
        return WordsView(source, part, QImage::Format_RGB32);
    const QImage words = WordsView(source, part, QImage::Format_ARGB32);
    return IsOpaque(words) ? WordsView(source, part, QImage::Format_RGB32)
                           : words.convertToFormat(QImage::Format_RGB32);
}

// Part of source as premultiplied words, the source's own bits where it holds words; a source
// without an alpha channel stays opaque.
QImage PremultipliedWords(const QImage &source, const QRect &part)
{
    if (!HoldsWords(source))
        return source.copy(part).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return WordsView(source, part,
                     source.format() == QImage::Format_RGB32 ? QImage::Format_RGB32
                                                             : QImage::Format_ARGB32_Premultiplied);
}

} // namespace

// How the pen's mix mode draws: not at all, or with a composition mode and, for modes whose
// result does not depend on the pen, a colour of their own.
struct Tcanvas::TMix {
    bool Draws = true;
    QPainter::CompositionMode Mode = QPainter::CompositionMode_SourceOver;
    std::optional<QColor> Fixed;

    QColor Resolve(const QColor &c) const { return Fixed ? *Fixed : c; }

    static TMix Of(TPenMode mode, bool raster)
    {
        const auto op = [](QPainter::CompositionMode m) { return TMix{true, m, std::nullopt}; };
        if (!raster)
            return {};
        switch (mode) {
        case TPenMode::Black:
            return {true, QPainter::CompositionMode_SourceOver, QColor(Qt::black)};
        case TPenMode::White:
            return {true, QPainter::CompositionMode_SourceOver, QColor(Qt::white)};
        case TPenMode::Nop:
            return {false, QPainter::CompositionMode_SourceOver, std::nullopt};
        case TPenMode::Not:
            return op(QPainter::RasterOp_NotDestination);
        case TPenMode::Copy:
            return {};
        case TPenMode::NotCopy:
            return op(QPainter::RasterOp_NotSource);
        case TPenMode::MergePenNot:
            return op(QPainter::RasterOp_SourceOrNotDestination);
        case TPenMode::MaskPenNot:
            return op(QPainter::RasterOp_SourceAndNotDestination);
        case TPenMode::MergeNotPen:
            return op(QPainter::RasterOp_NotSourceOrDestination);
        case TPenMode::MaskNotPen:
            return op(QPainter::RasterOp_NotSourceAndDestination);
        case TPenMode::Merge:
            return op(QPainter::RasterOp_SourceOrDestination);
        case TPenMode::NotMerge:
            return op(QPainter::RasterOp_NotSourceAndNotDestination);
        case TPenMode::Mask:
            return op(QPainter::RasterOp_SourceAndDestination);
        case TPenMode::NotMask:
            return op(QPainter::RasterOp_NotSourceOrNotDestination);
        case TPenMode::Xor:
            return op(QPainter::RasterOp_SourceXorDestination);
        case TPenMode::NotXor:
            return op(QPainter::RasterOp_NotSourceXorDestination);
        }
        return {};
    }
};

// Saves the painter's state around one drawing call, so that a borrowed painter comes back as
// it was lent. Drawing inside is aliased, for the pixel-exact look of the system. The canvas
// clip is canvas state: it is applied afresh inside every call, after the save, so that the
// restore cannot lose it and a borrowed painter's own clip still bounds it.
Tcanvas::TPainterState::TPainterState(const Tcanvas &canvas) : Painter(*canvas.ActivePainter)
{
    Painter.save();
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    Painter.setPen(Qt::NoPen);
    Painter.setOpacity(1.0);
    Painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // Without a clip of the painter's own, intersecting replaces.
    if (canvas.Clip)
        Painter.setClipRegion(*canvas.Clip, Qt::IntersectClip);
}

Tcanvas::TPainterState::~TPainterState()
{
    Painter.restore();
}

Tcanvas::Tcanvas() = default;

Tcanvas::Tcanvas(QImage *image)
{
    Bind(image);
}

Tcanvas::Tcanvas(QPaintDevice *device)
{
    Bind(device);
}

Tcanvas::Tcanvas(QPainter *painter)
{
    Bind(painter);
}

Tcanvas::~Tcanvas()
{
    Unbind();
}

void Tcanvas::Bind(QImage *image)
{
    Bind(static_cast<QPaintDevice *>(image));
}

void Tcanvas::Bind(QPaintDevice *device)
{
    Unbind();
    if (!device)
        return;
    if (device->devType() == QInternal::Image && static_cast<QImage *>(device)->isNull())
        return;
    Begin(device, IsRasterDevice(device));
}

void Tcanvas::Bind(QPainter *painter)
{
    Unbind();
    if (!painter || !painter->isActive())
        return;
    ActivePainter = painter;
    Raster = IsRasterDevice(painter->device());
}

void Tcanvas::Begin(QPaintDevice *device, bool raster)
{
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(device))
        return;
    painter->setRenderHint(QPainter::Antialiasing, false);
    OwnedPainter = std::move(painter);
    ActivePainter = OwnedPainter.get();
    Raster = raster;
}

void Tcanvas::Unbind()
{
    if (OwnedPainter)
        OwnedPainter->end();
    OwnedPainter.reset();
    ActivePainter = nullptr;
    Raster = false;
    Resolution = 0;
    Clip.reset();
}

bool Tcanvas::IsBound() const
{
    return ActivePainter != nullptr;
}

bool Tcanvas::IsRaster() const
{
    return Raster;
}

int Tcanvas::DpiX() const
{
    if (Resolution > 0)
        return Resolution;
    if (!ActivePainter || ActivePainter->device()->devType() == QInternal::Image)
        return ScreenDpi;
    return ActivePainter->device()->logicalDpiX();
}

int Tcanvas::DpiY() const
{
    if (Resolution > 0)
        return Resolution;
    if (!ActivePainter || ActivePainter->device()->devType() == QInternal::Image)
        return ScreenDpi;
    return ActivePainter->device()->logicalDpiY();
}

void Tcanvas::SetResolution(int dpi)
{
    Resolution = std::max(0, dpi);
}

QPainter *Tcanvas::Painter() const
{
    return ActivePainter;
}

const QPaintDevice *Tcanvas::Device() const
{
    return ActivePainter ? ActivePainter->device() : nullptr;
}

int Tcanvas::PenWidth() const
{
    return std::clamp(FPen.Width(), 1, MaxPenWidth);
}

QRect Tcanvas::VisibleBounds() const
{
    const QPaintDevice *device = ActivePainter->device();
    QRect bounds =
        ActivePainter->worldTransform().inverted().mapRect(QRect(0, 0, device->width(), device->height()));
    if (ActivePainter->hasClipping())
        bounds &= ActivePainter->clipBoundingRect().toAlignedRect();
    return bounds;
}

void Tcanvas::FillRects(const std::vector<QRect> &rects, const QColor &color, const TMix &mix)
{
    if (rects.empty())
        return;
    ActivePainter->setCompositionMode(mix.Mode);
    ActivePainter->setPen(Qt::NoPen);
    ActivePainter->setBrush(mix.Resolve(color));
    ActivePainter->drawRects(rects.data(), int(rects.size()));
}

void Tcanvas::FillWithBrush(const TRect &area, const TMix &mix)
{
    if (IsEmpty(area) || FBrush.Style() == TBrushStyle::Clear)
        return;
    const QColor color = ToQColor(FBrush.Color());
    const THatchRows *rows = HatchRowsOf(FBrush.Style());
    if (!rows) {
        FillRects({ToQRect(area)}, color, mix);
        return;
    }
    const TPatternGrid grid = GridOf(*ActivePainter, DpiX(), DpiY());
    if (Raster) {
        const QRect visible = ToQRect(area) & VisibleBounds();
        if (!visible.isEmpty())
            FillRects(HatchRuns(visible, *rows, grid), color, mix);
        return;
    }
    ActivePainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    ActivePainter->setBrushOrigin(-grid.OriginX, -grid.OriginY);
    ActivePainter->fillRect(ToQRect(area), QBrush(HatchTile(*rows, grid, mix.Resolve(color))));
}

void Tcanvas::FillRect(const TRect &r)
{
    const TRect area = Clamped(r);
    if (!ActivePainter || IsEmpty(area))
        return;
    TPainterState state(*this);
    FillWithBrush(area, TMix{});
}

void Tcanvas::FillRectList(std::span<const TRect> rects)
{
    if (!ActivePainter || rects.empty())
        return;
    std::vector<QRect> areas;
    areas.reserve(rects.size());
    for (const TRect &r : rects) {
        const TRect area = Normalized(r);
        if (!IsEmpty(area))
            areas.push_back(ToQRect(area));
    }
    TPainterState state(*this);
    FillRects(areas, ToQColor(FBrush.Color()), TMix{});
}

void Tcanvas::FrameRect(const TRect &r)
{
    const TRect area = Clamped(r);
    if (!ActivePainter || IsEmpty(area) || FBrush.Style() == TBrushStyle::Clear)
        return;
    TPainterState state(*this);
    FillRects(FrameSides(area), ToQColor(FBrush.Color()), TMix{});
}

void Tcanvas::Rectangle(const TRect &r)
{
    const TRect box = Normalized(r);
    const TMix mix = TMix::Of(FPen.Mode(), Raster);
    if (!ActivePainter || IsEmpty(box) || !mix.Draws)
        return;
    TPainterState state(*this);
    if (FPen.Style() == TPenStyle::Clear) {
        FillWithBrush({box.Left, box.Top, box.Right - 1, box.Bottom - 1}, mix);
        return;
    }
    const int32_t width = PenWidth();
    if (width == 1) {
        FillWithBrush(Inset(box, 1), mix);
        if (StyleLengths(FPen.Style()).empty()) {
            FillRects(FrameSides(box), ToQColor(FPen.Color()), mix);
            return;
        }
        const int32_t right = box.Right - 1;
        const int32_t bottom = box.Bottom - 1;
        if (box.Top == bottom)
            DrawThinPolyline(std::array{TPoint{box.Left, box.Top}, TPoint{box.Right, box.Top}}, mix);
        else if (box.Left == right)
            DrawThinPolyline(std::array{TPoint{box.Left, box.Top}, TPoint{box.Left, box.Bottom}}, mix);
        else
            DrawThinPolyline(std::array{TPoint{box.Left, box.Top}, TPoint{right, box.Top},
                                        TPoint{right, bottom}, TPoint{box.Left, bottom},
                                        TPoint{box.Left, box.Top}},
                             mix);
        return;
    }
    // A wide pen is centred on the one-pixel frame, the odd pixel outside; inside-frame keeps it
    // within the rectangle.
    const int32_t outside = width / 2;
    const TRect outer = FPen.Style() == TPenStyle::InsideFrame
                            ? box
                            : TRect{box.Left - outside, box.Top - outside, box.Right - 1 - outside + width,
                                    box.Bottom - 1 - outside + width};
    const TRect inner = Inset(outer, width);
    FillWithBrush(inner, mix);
    DrawWideFrame(outer, inner, mix);
}

void Tcanvas::DrawWideFrame(const TRect &outer, const TRect &inner, const TMix &mix)
{
    // The system's wide pens join with round corners.
    const qreal radius = PenWidth() / 2.0;
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRoundedRect(QRectF(ToQRect(outer)), radius, radius);
    if (!IsEmpty(inner))
        path.addRect(QRectF(ToQRect(inner)));
    ActivePainter->setCompositionMode(mix.Mode);
    ActivePainter->fillPath(path, mix.Resolve(ToQColor(FPen.Color())));
}

namespace {
// The pixels a path covers when filled without antialiasing (pixel centres inside), as a region.
QRegion RegionOf(const QPainterPath &path, const QRect &within)
{
    if (within.isEmpty() || path.isEmpty())
        return {};
    QImage mask(within.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.translate(-within.topLeft());
        p.fillPath(path, Qt::white);
    }
    const QImage bits = mask.createMaskFromColor(qRgb(255, 255, 255), Qt::MaskOutColor);
    return QRegion(QBitmap::fromImage(bits)).translated(within.topLeft());
}

QRectF CentreLineBox(const TRect &r)
{
    return QRectF(r.Left + 0.5, r.Top + 0.5, r.Right - r.Left - 1, r.Bottom - r.Top - 1);
}

QRectF ClearPenBox(const TRect &r)
{
    return QRectF(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1);
}
} // namespace

void Tcanvas::FillPathWithBrush(const QPainterPath &path, const TMix &mix)
{
    const QRectF bounds = path.boundingRect();
    ActivePainter->save();
    ActivePainter->setClipPath(path, Qt::IntersectClip);
    FillWithBrush(
        Clamped(TRect{int32_t(std::floor(bounds.left())), int32_t(std::floor(bounds.top())),
                      int32_t(std::ceil(bounds.right())) + 1, int32_t(std::ceil(bounds.bottom())) + 1}),
        mix);
    ActivePainter->restore();
}

void Tcanvas::DrawClosedFigure(const QPainterPath &centreLine, const QPainterPath &clearPenArea)
{
    const TMix mix = TMix::Of(FPen.Mode(), Raster);
    if (!ActivePainter || !mix.Draws)
        return;
    TPainterState state(*this);
    const bool outlined = FPen.Style() != TPenStyle::Clear;
    QPainterPath band;
    QPainterPath inside = outlined ? centreLine : clearPenArea;
    inside.setFillRule(Qt::OddEvenFill);
    if (outlined) {
        QPainterPathStroker stroker;
        stroker.setWidth(PenWidth());
        stroker.setJoinStyle(Qt::RoundJoin);
        stroker.setCapStyle(Qt::RoundCap);
        const std::span<const int> lengths = StyleLengths(FPen.Style());
        if (PenWidth() == 1 && !lengths.empty()) {
            QList<qreal> pattern;
            for (int length : lengths)
                pattern << qreal(length) * PatternScale(DpiX());
            stroker.setDashPattern(pattern);
            stroker.setCapStyle(Qt::FlatCap);
        }
        band = stroker.createStroke(centreLine);
    }
    if (!Raster) {
        // Vector targets: the same areas as paths; mix modes draw as copy there.
        if (FBrush.Style() != TBrushStyle::Clear) {
            FillPathWithBrush(inside, mix);
        }
        if (outlined)
            ActivePainter->fillPath(band, ToQColor(FPen.Color()));
        return;
    }
    if (mix.Mode == QPainter::CompositionMode_SourceOver) {
        // Copying: the outline simply covers the inside's edge, as the same aliased fills
        // would give as separate pixel sets.
        if (FBrush.Style() == TBrushStyle::Solid) {
            ActivePainter->fillPath(inside, mix.Resolve(ToQColor(FBrush.Color())));
        } else if (FBrush.Style() != TBrushStyle::Clear) {
            FillPathWithBrush(inside, mix);
        }
        if (outlined)
            ActivePainter->fillPath(band, mix.Resolve(ToQColor(FPen.Color())));
        return;
    }
    // Other mix modes need exact pixel sets, the outline taken out of the inside, so that
    // each pixel is mixed once.
    const QRect visible = VisibleBounds();
    const QRect extent = (band.boundingRect() | inside.boundingRect()).toAlignedRect().adjusted(-1, -1, 1, 1);
    const QRect within = extent & visible;
    if (within.isEmpty())
        return;
    const QRegion outline = RegionOf(band, within);
    const QRegion interior = RegionOf(inside, within).subtracted(outline);
    const TRect area{within.left(), within.top(), within.right() + 1, within.bottom() + 1};
    if (!interior.isEmpty() && FBrush.Style() != TBrushStyle::Clear) {
        ActivePainter->save();
        ActivePainter->setClipRegion(interior, Qt::IntersectClip);
        FillWithBrush(area, mix);
        ActivePainter->restore();
    }
    if (!outline.isEmpty()) {
        ActivePainter->save();
        ActivePainter->setClipRegion(outline, Qt::IntersectClip);
        FillRects({within}, ToQColor(FPen.Color()), mix);
        ActivePainter->restore();
    }
}

void Tcanvas::Ellipse(const TRect &r)
{
    const TRect box = Normalized(r);
    if (IsEmpty(box))
        return;
    QRectF line = CentreLineBox(box);
    if (FPen.Style() == TPenStyle::InsideFrame && PenWidth() > 1) {
        const qreal in = (PenWidth() - 1) / 2.0;
        line.adjust(in, in, -in, -in);
    }
    QPainterPath centre;
    centre.addEllipse(line);
    QPainterPath clearArea;
    clearArea.addEllipse(ClearPenBox(box));
    DrawClosedFigure(centre, clearArea);
}

void Tcanvas::Polygon(std::span<const TPoint> points)
{
    if (points.empty())
        return;
    QPolygonF centres, corners;
    for (const TPoint &p : points) {
        const TPoint c{std::clamp(p.X, -CoordinateLimit, CoordinateLimit),
                       std::clamp(p.Y, -CoordinateLimit, CoordinateLimit)};
        centres << PixelCentre(c);
        corners << QPointF(c.X, c.Y);
    }
    centres << centres.front();
    corners << corners.front();
    QPainterPath centre;
    centre.addPolygon(centres);
    QPainterPath clearArea;
    clearArea.addPolygon(corners);
    DrawClosedFigure(centre, clearArea);
}

void Tcanvas::RoundRect(const TRect &r, int cornerWidth, int cornerHeight)
{
    const TRect box = Normalized(r);
    if (IsEmpty(box))
        return;
    // The corner ellipse cannot be larger than the rectangle.
    const qreal rx = std::clamp(cornerWidth, 0, box.Right - box.Left) / 2.0;
    const qreal ry = std::clamp(cornerHeight, 0, box.Bottom - box.Top) / 2.0;
    QRectF line = CentreLineBox(box);
    if (FPen.Style() == TPenStyle::InsideFrame && PenWidth() > 1) {
        const qreal in = (PenWidth() - 1) / 2.0;
        line.adjust(in, in, -in, -in);
    }
    QPainterPath centre;
    centre.addRoundedRect(line, rx, ry);
    QPainterPath clearArea;
    clearArea.addRoundedRect(ClearPenBox(box), rx, ry);
    DrawClosedFigure(centre, clearArea);
}

void Tcanvas::MoveTo(int x, int y)
{
    FPenPos = {x, y};
}

void Tcanvas::LineTo(int x, int y)
{
    const TPoint from = FPenPos;
    FPenPos = {x, y};
    const TMix mix = TMix::Of(FPen.Mode(), Raster);
    if (!ActivePainter || FPen.Style() == TPenStyle::Clear || !mix.Draws)
        return;
    TPainterState state(*this);
    if (PenWidth() > 1)
        DrawWideLine(from, FPenPos, mix);
    else
        DrawThinPolyline(std::array{from, FPenPos}, mix);
}

void Tcanvas::DrawThinPolyline(std::span<const TPoint> points, const TMix &mix)
{
    if (!Raster) {
        DrawThinPolylineAsVector(points);
        return;
    }
    // Styled pens fill their gaps with the brush colour while the brush is solid, as the
    // system's opaque background mode does; with any other brush the gaps stay as they were.
    const TPenDashes dashes(FPen.Style(), PatternScale(DpiX()));
    const bool drawsGaps = dashes.Styled() && FBrush.Style() == TBrushStyle::Solid;
    const QRect bounds = VisibleBounds();
    TPixelRuns dashRuns;
    TPixelRuns gapRuns;
    int64_t index = 0;
    for (size_t k = 1; k < points.size(); ++k) {
        const TLineSteps steps(points[k - 1], points[k]);
        const auto [first, last] = steps.Within(bounds);
        for (int64_t i = first; i < last; ++i) {
            if (!dashes.Styled() || dashes.IsDash(index + i))
                dashRuns.Add(steps.At(i));
            else if (drawsGaps)
                gapRuns.Add(steps.At(i));
        }
        index += steps.Count();
    }
    FillRects(dashRuns.Rects(), ToQColor(FPen.Color()), mix);
    FillRects(gapRuns.Rects(), ToQColor(FBrush.Color()), mix);
}

void Tcanvas::DrawThinPolylineAsVector(std::span<const TPoint> points)
{
    QPainterPath path(PixelCentre(points.front()));
    const bool closed = points.size() > 2 && points.front() == points.back();
    for (size_t k = 1; k < points.size() - (closed ? 1 : 0); ++k)
        path.lineTo(PixelCentre(points[k]));
    if (closed)
        path.closeSubpath();
    QPen pen(ToQColor(FPen.Color()), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    const std::span<const int> lengths = StyleLengths(FPen.Style());
    if (!lengths.empty()) {
        if (FBrush.Style() == TBrushStyle::Solid) {
            QPen gaps = pen;
            gaps.setColor(ToQColor(FBrush.Color()));
            ActivePainter->strokePath(path, gaps);
        }
        const int scale = PatternScale(DpiX());
        QList<qreal> pattern;
        for (int length : lengths)
            pattern << qreal(length) * scale;
        pen.setDashPattern(pattern);
    }
    ActivePainter->strokePath(path, pen);
}

void Tcanvas::DrawWideLine(const TPoint &from, const TPoint &to, const TMix &mix)
{
    // The system's wide pens are solid, whatever their style, with round ends.
    const QPen pen(mix.Resolve(ToQColor(FPen.Color())), PenWidth(), Qt::SolidLine, Qt::RoundCap,
                   Qt::RoundJoin);
    ActivePainter->setCompositionMode(mix.Mode);
    ActivePainter->setPen(pen);
    ActivePainter->setBrush(Qt::NoBrush);
    ActivePainter->drawLine(PixelCentre(from), PixelCentre(to));
}

void Tcanvas::Draw(int x, int y, const QImage &source)
{
    if (!ActivePainter || source.isNull())
        return;
    TPainterState state(*this);
    ActivePainter->setCompositionMode(BlitComposition(FCopyMode, Raster));
    ActivePainter->drawImage(QPoint(x, y), OpaqueWords(source, source.rect()));
}

void Tcanvas::CopyRect(const TRect &dest, const QImage &source, const TRect &src)
{
    if (!ActivePainter || !IsBlitValid(dest, source, src))
        return;
    TPainterState state(*this);
    ActivePainter->setCompositionMode(BlitComposition(FCopyMode, Raster));
    ActivePainter->setRenderHint(QPainter::SmoothPixmapTransform, FStretchMode == TStretchMode::Halftone);
    ActivePainter->drawImage(ToQRect(dest), OpaqueWords(source, ToQRect(src)));
}

bool Tcanvas::AlphaBlend(const TRect &dest, const QImage &source, const TRect &src, uint8_t constantAlpha,
                         bool perPixelAlpha)
{
    if (!ActivePainter || !IsBlitValid(dest, source, src))
        return false;
    TPainterState state(*this);
    // Blending always stretches to the nearest pixel, whatever the stretch mode.
    ActivePainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    ActivePainter->setOpacity(constantAlpha / 255.0);
    const QRect part = ToQRect(src);
    ActivePainter->drawImage(ToQRect(dest),
                             perPixelAlpha ? PremultipliedWords(source, part) : OpaqueWords(source, part));
    return true;
}

void Tcanvas::DrawFocusRect(const TRect &r)
{
    const TRect area = Clamped(r);
    if (!ActivePainter || IsEmpty(area))
        return;
    TPainterState state(*this);
    if (!Raster) {
        const int32_t right = area.Right - 1;
        const int32_t bottom = area.Bottom - 1;
        QPainterPath path(PixelCentre({area.Left, area.Top}));
        path.lineTo(PixelCentre({right, area.Top}));
        path.lineTo(PixelCentre({right, bottom}));
        path.lineTo(PixelCentre({area.Left, bottom}));
        path.closeSubpath();
        QPen pen(Qt::black, 1, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setDashPattern({1, 1});
        ActivePainter->strokePath(path, pen);
        return;
    }
    // The system inverts the frame through a checkerboard pattern anchored to the device.
    const TPatternGrid grid = GridOf(*ActivePainter, ScreenDpi, ScreenDpi);
    const QRect visible = VisibleBounds();
    std::vector<QRect> dots;
    for (const QRect &side : FrameSides(area)) {
        const QRect part = side & visible;
        for (int y = part.top(); y <= part.bottom(); ++y)
            for (int x = part.left(); x <= part.right(); ++x)
                if (FloorMod(int64_t(x) + grid.OriginX + y + grid.OriginY, 2) == 0)
                    dots.push_back(QRect(x, y, 1, 1));
    }
    FillRects(dots, Qt::white, TMix::Of(TPenMode::Xor, true));
}

void Tcanvas::SetClipRect(const TRect &r)
{
    if (!ActivePainter)
        return;
    const TRect area = Clamped(r, ClipLimit);
    Clip = IsEmpty(area) ? QRegion() : QRegion(ToQRect(area));
}

void Tcanvas::ExcludeClipRect(const TRect &r)
{
    if (!ActivePainter)
        return;
    if (!Clip)
        Clip = QRegion(-ClipLimit, -ClipLimit, 2 * ClipLimit, 2 * ClipLimit);
    const TRect area = Clamped(r, ClipLimit);
    if (!IsEmpty(area))
        *Clip -= QRegion(ToQRect(area));
}

void Tcanvas::RemoveClip()
{
    Clip.reset();
}

bool Tcanvas::HasClip() const
{
    return Clip.has_value();
}
