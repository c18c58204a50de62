#include "document/shape.h"

#include "document/globals.h"
#include "platform/canvas.h"
#include "platform/clipboard.h"
#include "platform/rnd.h"
#include "platform/streams.h"

#include <QBuffer>
#include <cmath>
#include <numbers>

namespace {
constexpr uint32_t NoFillBit = 1u << 29;
constexpr uint32_t NoOutlineBit = 1u << 30;
constexpr uint32_t MixModeMask = 0xFFu;
// More corners than this look like an ellipse; the bound keeps a damaged side count from
// asking for billions of vertices.
constexpr int32_t MaxPolygonCorners = 4096;

template <typename E> E EnumFromOrdinal(uint32_t ordinal, E last, E fallback)
{
    return ordinal <= static_cast<uint32_t>(last) ? static_cast<E>(ordinal) : fallback;
}
} // namespace

const char *const ShapeStyleCaptions[8] = {"Ellipse",         "Rectangle",       "Polygon",
                                           "Round Rect",      "Vertical Line",   "Horizontal Line",
                                           "Diagonal Line /", "Diagonal Line \\"};

TColor TintTowardsBlue(TColor c)
{
    // System colours are resolved first: their top byte is a marker, not a colour.
    const TColor plain = ColorToRGB(c);
    const TColor blue = clBlue;
    TColor result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t byte = (plain >> shift) & 0xFF;
        const uint32_t blueByte = (blue >> shift) & 0xFF;
        result |= ((136 * byte + 119 * blueByte) / 255) << shift;
    }
    return result;
}

Tvnlshape::Tvnlshape()
{
    Hint = QStringLiteral("Shape Tool:\\nSelect the shape's appearance from the Tool Box");
    Pen.OnChanging = [this] { PenOrBrushChanging(); };
    Brush.OnChanging = [this] { PenOrBrushChanging(); };
    Pen.OnChange = [this] { PenOrBrushChanged(); };
    Brush.OnChange = [this] { PenOrBrushChanged(); };
    HandleInflate = 2;
}

void Tvnlshape::SetShapeStyle(TShapeStyle value)
{
    if (value != ShapeStyle)
        BeginChange(ckProperty, QStringLiteral("shapestyle"));
    ShapeStyle = value;
    VerticesValid = false;
    ReportChange();
}

void Tvnlshape::SetSideCount(int32_t n)
{
    if (n != SideCount)
        BeginChange(ckProperty, QStringLiteral("sidecount"));
    SideCount = n;
    VerticesValid = false;
    ReportChange();
}

void Tvnlshape::SetAngle(double radians)
{
    // Every turn is recorded, however small: a few degrees on the dial is a change to undo.
    if (radians != Angle)
        BeginChange(ckProperty, QString::asprintf("angle %.2f", radians));
    Angle = radians;
    VerticesValid = false;
    ReportChange();
}

void Tvnlshape::SetCurveX(int32_t value)
{
    if (value != CurveX)
        BeginChange(ckProperty, QStringLiteral("curvex"));
    CurveX = value;
    ReportChange();
}

void Tvnlshape::SetCurveY(int32_t value)
{
    if (value != CurveY)
        BeginChange(ckProperty, QStringLiteral("curvey"));
    CurveY = value;
    ReportChange();
}

void Tvnlshape::SetDrawFill(bool flag)
{
    if (flag != DrawFill)
        BeginChange(ckProperty, QStringLiteral("drawfill"));
    DrawFill = flag;
    ReportChange();
}

void Tvnlshape::SetDrawOutline(bool flag)
{
    if (flag != DrawOutline)
        BeginChange(ckProperty, QStringLiteral("drawfill"));
    DrawOutline = flag;
    VerticesValid = false;
    ReportChange();
}

void Tvnlshape::PenOrBrushChanging()
{
    BeginChange(ckProperty, QStringLiteral("pen or brush change"));
}

void Tvnlshape::PenOrBrushChanged()
{
    VerticesValid = false;
    ReportChange();
}

bool Tvnlshape::KeepsAspect() const
{
    return ShapeStyle != TShapeStyle::VerticalLine && ShapeStyle != TShapeStyle::HorizontalLine;
}

bool Tvnlshape::CanPaste() const
{
    return TheClipboard().HasFormat(ShapeClipboardFormat);
}

void Tvnlshape::PasteFromClipboard(int32_t format)
{
    PasteRecord(format == -1 ? ShapeClipboardFormat : format);
}

void Tvnlshape::CopyToClipboard(int32_t format)
{
    TheClipboard().Clear();
    QBuffer data;
    data.open(QIODevice::ReadWrite);
    WriteRecordBlock(data);
    TheClipboard().loadfrommemstream(format == -1 ? ShapeClipboardFormat : format, data);
}

void Tvnlshape::SetBounds(const TRect &rect)
{
    Tdrawobj::SetBounds(rect);
    VerticesValid = false;
}

void Tvnlshape::SetView(const TRect &viewport, double scale)
{
    const bool moved = scale != ViewScale || viewport.Left != Viewport.Left || viewport.Top != Viewport.Top;
    Tdrawobj::SetView(viewport, scale);
    if (moved)
        VerticesValid = false;
}

int32_t Tvnlshape::ScreenPenWidth() const
{
    // However wide a damaged record makes the pen, the outline's shrink of the bounds stays
    // within reach of the screen positions.
    return rnd(std::clamp(Pen.Width() * ViewScale * 10, -double(1 << 27), double(1 << 27)));
}

void Tvnlshape::PreparePenAndBrush(Tcanvas &canvas, bool output) const
{
    canvas.SetPen(Pen);
    canvas.SetBrush(Brush);
    canvas.Pen().SetWidth(ScreenPenWidth());
    if (DrawOutline) {
        canvas.Pen().SetStyle(TPenStyle::Solid);
    } else if (DrawFill || output) {
        canvas.Pen().SetStyle(TPenStyle::Clear);
        canvas.Pen().SetWidth(1);
    }
    // Neither outline nor fill on screen: the stored pen keeps the shape visible.
    canvas.Brush().SetStyle(DrawFill ? TBrushStyle::Solid : TBrushStyle::Clear);
}

void Tvnlshape::ComputeVertices(int32_t penWidth)
{
    VerticesValid = true;
    TRect q = GetScreenRect();
    if (DrawOutline)
        q = GrowRect(q, rnd(penWidth * -0.5));
    const double rx = (q.Right - q.Left) / 2.0;
    const double ry = (q.Bottom - q.Top) / 2.0;
    const int32_t n = std::clamp(SideCount, 0, MaxPolygonCorners);
    Vertices.resize(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        const double theta = 2 * std::numbers::pi / n * i + Angle - std::numbers::pi / 2;
        Vertices[i] = {rnd(rx + (rx * std::cos(theta) + q.Left)), rnd(ry + (ry * std::sin(theta) + q.Top))};
    }
}

void Tvnlshape::DrawFigure(Tcanvas &canvas)
{
    const int32_t w = canvas.Pen().Width();
    TRect r = GetScreenRect();
    // The outline lies inside the bounds.
    if (DrawOutline)
        r = GrowRect(r, rnd(w * -0.5));
    const auto line = [&](int x1, int y1, int x2, int y2) {
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    };
    switch (ShapeStyle) {
    case TShapeStyle::Ellipse:
        canvas.Ellipse(r);
        break;
    case TShapeStyle::Rectangle:
        canvas.Rectangle(r);
        break;
    case TShapeStyle::Polygon:
        if (!VerticesValid)
            ComputeVertices(w);
        canvas.Polygon(Vertices);
        break;
    case TShapeStyle::RoundRect:
        canvas.RoundRect(r, rnd(CurveX * ViewScale * 10), rnd(CurveY * ViewScale * 10));
        break;
    case TShapeStyle::VerticalLine: {
        const int32_t mx = r.Left + (r.Right - r.Left) / 2;
        line(mx, r.Bottom, mx, r.Top);
        break;
    }
    case TShapeStyle::HorizontalLine: {
        const int32_t my = r.Top + (r.Bottom - r.Top) / 2;
        line(r.Left, my, r.Right, my);
        break;
    }
    case TShapeStyle::DiagonalUp:
        line(r.Right, r.Top, r.Left, r.Bottom);
        break;
    case TShapeStyle::DiagonalDown:
        line(r.Left, r.Top, r.Right, r.Bottom);
        break;
    default:
        break; // an unknown style draws nothing
    }
}

void Tvnlshape::DrawDraft(Tcanvas &canvas, const TRect &clip, const TRect &viewport, double scale)
{
    Draw(canvas, clip, false, viewport, scale);
}

void Tvnlshape::Draw(Tcanvas &canvas, const TRect & /*clip*/, bool output, const TRect &viewport,
                     double scale)
{
    StartTiming();
    SetView(viewport, scale);
    PreparePenAndBrush(canvas, output);
    DrawFigure(canvas);
    StopTiming();
}

void Tvnlshape::DrawOverhang(Tcanvas &canvas, const TRect & /*clip*/, const TRect & /*labelRect*/,
                             const TRect &viewport, double scale)
{
    StartTiming();
    SetView(viewport, scale);
    PreparePenAndBrush(canvas, false);
    canvas.Pen().SetColor(TintTowardsBlue(Pen.Color()));
    canvas.Brush().SetColor(TintTowardsBlue(Brush.Color()));
    DrawFigure(canvas);
    StopTiming();
}

void Tvnlshape::WriteToStream(QIODevice &stream) const
{
    Tdrawobj::WriteToStream(stream);
    WriteInt32(stream, SideCount);
    WriteDouble(stream, Angle);
    WriteInt32(stream, CurveX);
    WriteInt32(stream, CurveY);
    WriteUInt8(stream, static_cast<uint8_t>(ShapeStyle));
    WriteInt32(stream, static_cast<int32_t>(Brush.Color()));
    WriteInt32(stream, static_cast<int32_t>(Brush.Style()) & 0x7F);
    WriteInt32(stream, static_cast<int32_t>(Pen.Color()));
    uint32_t flags = static_cast<uint32_t>(Pen.Mode()) & MixModeMask;
    if (!DrawFill)
        flags |= NoFillBit;
    if (!DrawOutline)
        flags |= NoOutlineBit;
    WriteInt32(stream, static_cast<int32_t>(flags));
    WriteInt32(stream, static_cast<int32_t>(Pen.Style()) & 0x7F);
    WriteInt32(stream, Pen.Width());
}

void Tvnlshape::ReadFromStream(QIODevice &stream)
{
    Tdrawobj::ReadFromStream(stream);
    int32_t i = 0;
    double d = 0;
    uint8_t b = 0;
    if (ReadInt32(stream, i))
        SetSideCount(i);
    if (ReadDouble(stream, d))
        SetAngle(std::isfinite(d) ? d : 0.0);
    if (ReadInt32(stream, i))
        CurveX = i;
    if (ReadInt32(stream, i))
        CurveY = i;
    if (ReadUInt8(stream, b))
        ShapeStyle = static_cast<TShapeStyle>(b); // any number, known or not, is kept
    // Ordinals outside their enumeration (a damaged record) read as the defaults.
    if (ReadInt32(stream, i))
        Brush.SetColor(static_cast<TColor>(i));
    if (ReadInt32(stream, i))
        Brush.SetStyle(EnumFromOrdinal(uint32_t(i) & 0xFF, TBrushStyle::DiagCross, TBrushStyle::Solid));
    if (ReadInt32(stream, i))
        Pen.SetColor(static_cast<TColor>(i));
    if (ReadInt32(stream, i)) {
        const uint32_t flags = static_cast<uint32_t>(i);
        SetDrawOutline((flags & NoOutlineBit) == 0);
        SetDrawFill((flags & NoFillBit) == 0);
        Pen.SetMode(EnumFromOrdinal(flags & MixModeMask, TPenMode::NotXor, TPenMode::Copy));
    }
    if (ReadInt32(stream, i))
        Pen.SetStyle(EnumFromOrdinal(uint32_t(i) & 0xFF, TPenStyle::InsideFrame, TPenStyle::Solid));
    if (ReadInt32(stream, i))
        Pen.SetWidth(i);
    SetShapeStyle(ShapeStyle);
}
