#include "document/drawobj.h"

#include "document/globals.h"
#include "document/undolevel.h"
#include "platform/canvas.h"
#include "platform/clipboard.h"
#include "platform/rnd.h"
#include "platform/streams.h"
#include "platform/tickcount.h"

#include <QBuffer>
#include <algorithm>
#include <utility>

namespace {
// The placeholder's overhang tint: pure blue, as a pixel word.
constexpr uint32_t OpaqueBlue = 0xFF0000FFu;
} // namespace

Tdrawobj::Tdrawobj() : Id(ObjectSerial++), Hint(QStringLiteral("Draw object")) {}

Tdrawobj::~Tdrawobj() = default;

namespace {
// Screen positions and sizes stay within ±2^29 pixels, so that the difference of any two, or
// one grown by a margin, is still an int32 however far out an object lies or however large the
// scale (a thumbnail of a label 0.001 inch wide draws 152 pixels per unit).
constexpr double ScreenReach = double(1 << 29);

int32_t OnScreen(double pixels)
{
    return rnd(std::clamp(pixels, -ScreenReach, ScreenReach));
}
} // namespace

int32_t Tdrawobj::ScreenWidth() const
{
    return OnScreen(Width() * ViewScale);
}

int32_t Tdrawobj::ScreenHeight() const
{
    return OnScreen(Height() * ViewScale);
}

int32_t Tdrawobj::DocToScreen(int32_t value, bool across) const
{
    if (across)
        return OnScreen((double(value) - OutputOrigin.X) * ViewScale - Viewport.Left);
    return OnScreen((double(value) - OutputOrigin.Y) * ViewScale - Viewport.Top);
}

int32_t Tdrawobj::ScreenToDoc(int32_t pixel, bool across) const
{
    if (across)
        return rnd((double(pixel) + Viewport.Left) / ViewScale) + OutputOrigin.X;
    return rnd((double(pixel) + Viewport.Top) / ViewScale) + OutputOrigin.Y;
}

void Tdrawobj::SetWidth(int32_t w)
{
    SetBounds({Bounds.Left, Bounds.Top, Bounds.Left + w, Bounds.Bottom});
}

void Tdrawobj::SetHeight(int32_t h)
{
    SetBounds({Bounds.Left, Bounds.Top, Bounds.Right, Bounds.Top + h});
}

void Tdrawobj::SetLeft(int32_t x)
{
    SetBounds({x, Bounds.Top, Bounds.Right + x - Bounds.Left, Bounds.Bottom});
}

void Tdrawobj::SetTop(int32_t y)
{
    SetBounds({Bounds.Left, y, Bounds.Right, Bounds.Bottom + y - Bounds.Top});
}

void Tdrawobj::AddInvalidArea()
{
    if (!IsEmptyRect(GetScreenRect()))
        InvalidRects.AddRect(GetInvalidRect());
}

void Tdrawobj::SetSelected(bool value)
{
    if (value == Selected)
        return;
    // Taken before the change, so the handles of a selected object are included.
    InvalidRects.AddRect(GetInvalidRect());
    Selected = value;
    if (OnSelectedChange)
        OnSelectedChange(this);
    ReportChange();
}

void Tdrawobj::ReportChange()
{
    if (OnInvalidate) {
        if (InvalidRects.Count() == 0)
            AddInvalidArea();
        OnInvalidate(InvalidRects);
    }
    // Emptied also when nobody listens: an object that is not attached would otherwise
    // collect areas without end, and report stale ones once it is attached.
    InvalidRects.SetCount(0);
    if (ViewScale == 0.0)
        PendingRepaint = true;
}

void Tdrawobj::BeginChange(uint8_t kind, const QString &name)
{
    Modified = true;
    ChangeName = name;
    if (OnBeforeChange)
        OnBeforeChange(this, kind);
    LastChangeKind = kind;
}

void Tdrawobj::ClearUndoName()
{
    ChangeName = QStringLiteral("*unassigned*");
}

void Tdrawobj::StartTiming()
{
    TimingStart = static_cast<int32_t>(GetTickCount());
}

void Tdrawobj::StopTiming()
{
    DrawTime = static_cast<int32_t>(GetTickCount() - static_cast<uint32_t>(TimingStart));
}

void Tdrawobj::ResumeTiming()
{
    TimingStart = static_cast<int32_t>(GetTickCount() - static_cast<uint32_t>(DrawTime));
}

void Tdrawobj::WriteRecordBlock(QIODevice &stream) const
{
    QBuffer record;
    record.open(QIODevice::ReadWrite);
    WriteToStream(record);
    WriteInt32(stream, static_cast<int32_t>(record.size()));
    WriteBytes(stream, record.data());
}

void Tdrawobj::PasteRecord(int format)
{
    QBuffer data;
    data.open(QIODevice::ReadWrite);
    TheClipboard().savetomemstream(format, data);
    if (data.size() > 0)
        ReadRecordBlock(data, false);
}

bool Tdrawobj::ReadRecordBlock(QIODevice &stream, bool skip)
{
    int32_t length = 0;
    const bool framed = ReadInt32(stream, length);
    const qint64 bounded = std::clamp<qint64>(length, 0, Remaining(stream));
    const bool whole = framed && bounded == length;
    if (skip) {
        SkipBytes(stream, bounded);
        return whole;
    }
    // The record is read in place when the stream is in memory (a whole file, a copy).
    TRecordFrame record;
    record.setData(ReadBytesView(stream, bounded));
    record.open(QIODevice::ReadOnly);
    ReadFromStream(record);
    return whole && !record.Overran();
}

void Tdrawobj::SetDraft(bool value)
{
    const bool changed = value != Draft;
    Draft = value;
    if (changed)
        ReportChange();
}

TRect Tdrawobj::GetInvalidRect() const
{
    if (!Selected)
        return GetScreenRect();
    return GrowRect(GrowRect(GetScreenRect(), HandleInflate), ScaledHandleSize());
}

TRect Tdrawobj::GetScreenRect() const
{
    return {DocToScreen(Bounds.Left, true), DocToScreen(Bounds.Top, false), DocToScreen(Bounds.Right, true),
            DocToScreen(Bounds.Bottom, false)};
}

void Tdrawobj::SetScreenRect(const TRect &r)
{
    SetBounds({ScreenToDoc(r.Left, true), ScreenToDoc(r.Top, false), ScreenToDoc(r.Right, true),
               ScreenToDoc(r.Bottom, false)});
}

void Tdrawobj::SetBounds(const TRect &rect)
{
    BeginChange(ckGeometry, QString());
    AddInvalidArea();
    Bounds = rect;
    if (Bounds.Right < Bounds.Left)
        std::swap(Bounds.Left, Bounds.Right);
    if (Bounds.Bottom < Bounds.Top)
        std::swap(Bounds.Top, Bounds.Bottom);
    if (Bounds.Bottom - Bounds.Top < MinObjectSize)
        Bounds.Bottom = Bounds.Top + MinObjectSize;
    if (Bounds.Right - Bounds.Left < MinObjectSize)
        Bounds.Right = Bounds.Left + MinObjectSize;
    AddInvalidArea();
    ReportChange();
}

void Tdrawobj::SetView(const TRect &viewport, double scale)
{
    ViewScale = scale;
    Viewport = viewport;
    if (PendingRepaint) {
        PendingRepaint = false;
        InvalidRects.SetCount(0);
        ReportChange();
    }
}

bool Tdrawobj::IsPickable(TTool tool) const
{
    return tool == TTool::Select || tool == TTool::Zoom || tool == TTool::Alignment;
}

bool Tdrawobj::ShowsHandles(TTool tool) const
{
    return Tdrawobj::IsPickable(tool);
}

void Tdrawobj::ResetAspect()
{
    if (Height() < Width())
        SetWidth(Height());
    else
        SetHeight(Width());
    ReportChange();
}

std::array<Tdrawobj::THandlePoint, 8> Tdrawobj::HandlePoints() const
{
    const TRect g = GrowRect(GetScreenRect(), HandleInflate);
    const int32_t midX = g.Left + (g.Right - g.Left) / 2;
    const int32_t midY = g.Top + (g.Bottom - g.Top) / 2;
    return {{{{g.Left, g.Top}, hcTopLeft},
             {{g.Right, g.Bottom}, hcBottomRight},
             {{g.Left, g.Bottom}, hcBottomLeft},
             {{g.Right, g.Top}, hcTopRight},
             {{g.Left, midY}, hcLeft},
             {{g.Right, midY}, hcRight},
             {{midX, g.Top}, hcTop},
             {{midX, g.Bottom}, hcBottom}}};
}

int32_t Tdrawobj::ScaledHandleSize() const
{
    return std::max(HandleSize, rnd(HandleSize * HandleScale));
}

int32_t Tdrawobj::ScaledHandleReach()
{
    return std::max(HandleReach, rnd(HandleReach * HandleScale));
}

TRect Tdrawobj::HandleRect(const TPoint &p) const
{
    const int32_t size = ScaledHandleSize();
    const int32_t left = p.X - size / 2;
    const int32_t top = p.Y - size / 2;
    return {left, top, left + size + 1, top + size + 1};
}

int32_t Tdrawobj::HandleAt(const TPoint &p) const
{
    if (!Selected)
        return hcNone;
    // The last handle that contains the point wins, so on small objects the edge-middle
    // handles win over the corners and bottom-middle over everything.
    int32_t code = hcNone;
    // A click a few pixels beside the square still takes it.
    for (const THandlePoint &h : HandlePoints()) {
        const TRect r = GrowRect(HandleRect(h.Point), ScaledHandleReach());
        if (r.Left <= p.X && p.X < r.Right && r.Top <= p.Y && p.Y < r.Bottom)
            code = h.Code;
    }
    return code;
}

bool Tdrawobj::ContainsPoint(const TPoint &p) const
{
    const TRect g = GrowRect(GetScreenRect(), HandleInflate);
    return g.Left < p.X && p.X < g.Right && g.Top < p.Y && p.Y < g.Bottom;
}

void Tdrawobj::DrawSelection(Tcanvas &canvas, TTool tool)
{
    const TRect g = GrowRect(GetScreenRect(), HandleInflate);
    canvas.Pen().SetMode(TPenMode::Xor);
    canvas.Pen().SetWidth(4);
    canvas.Pen().SetColor(clBlack);
    canvas.FrameRect(g);

    canvas.Pen().SetStyle(TPenStyle::Solid);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetColor(clBlack);
    canvas.Brush().SetColor(clWhite);
    canvas.SetCopyMode(TCopyMode::SrcInvert);
    if (ShowsHandles(tool)) {
        for (const THandlePoint &h : HandlePoints()) {
            const TRect r = HandleRect(h.Point);
            // Under the XOR mix mode the white fill inverts what lies beneath.
            canvas.Rectangle(r);
            canvas.FrameRect(r);
        }
    }
    canvas.SetCopyMode(TCopyMode::SrcCopy);
    canvas.Pen().SetMode(TPenMode::Copy);
}

void Tdrawobj::Draw(Tcanvas &canvas, const TRect & /*clip*/, bool /*output*/, const TRect &viewport,
                    double scale)
{
    StartTiming();
    SetView(viewport, scale);
    const TRect r = GetScreenRect();
    canvas.Brush().SetColor(clBlack);
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    canvas.FillRect(r);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetColor(Selected ? clHighlight : clWhite);
    canvas.MoveTo(r.Left, r.Top);
    canvas.LineTo(r.Right, r.Bottom);
    // One colour all over, so a buffer of bounded size stretched over a larger object (one a
    // damaged file makes millions of pixels wide) gives the same picture.
    OverhangBuffer.SetSize(std::min(ScreenWidth(), MaxUniformBufferSide),
                           std::min(ScreenHeight(), MaxUniformBufferSide));
    OverhangBuffer.Fill(OpaqueBlue);
    StopTiming();
}

void Tdrawobj::DrawDraft(Tcanvas &canvas, const TRect & /*clip*/, const TRect &viewport, double scale)
{
    // Not timed: an object drawn in draft keeps the drawing time that put it there.
    SetView(viewport, scale);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetColor(clBlack);
    canvas.Brush().SetColor(clBlack);
    canvas.Brush().SetStyle(TBrushStyle::FDiagonal);
    canvas.Rectangle(GetScreenRect());
    canvas.Brush().SetStyle(TBrushStyle::Solid);
}

void Tdrawobj::DrawOverhang(Tcanvas &canvas, const TRect & /*clip*/, const TRect &labelRect,
                            const TRect & /*viewport*/, double /*scale*/)
{
    ResumeTiming();
    const TRect o = GetScreenRect();
    const TRect l{DocToScreen(labelRect.Left, true), DocToScreen(labelRect.Top, false),
                  DocToScreen(labelRect.Right, true), DocToScreen(labelRect.Bottom, false)};
    Trectlist pieces;
    pieces.Subtract(o, l);

    const bool perPixel = OverhangBuffer.HasAlpha;
    const uint8_t constantAlpha = perPixel ? 255 : 136;
    const QImage &buffer = OverhangBuffer.GetImage();
    const bool stretched =
        OverhangBuffer.Width() < o.Right - o.Left || OverhangBuffer.Height() < o.Bottom - o.Top;
    for (int32_t i = 0; i < pieces.Count(); ++i) {
        TRect p = pieces.GetRect(i);
        if (stretched) {
            canvas.AlphaBlend(p, buffer, OverhangBuffer.ClientRect(), constantAlpha, false);
            continue;
        }
        TRect s{p.Left - o.Left, p.Top - o.Top, p.Right - o.Left, p.Bottom - o.Top};
        s.Right = std::min(s.Right, OverhangBuffer.Width() - 1);
        s.Bottom = std::min(s.Bottom, OverhangBuffer.Height() - 1);
        p.Right = p.Left + (s.Right - s.Left);
        p.Bottom = p.Top + (s.Bottom - s.Top);
        if (canvas.AlphaBlend(p, buffer, s, constantAlpha, perPixel))
            continue;
        if (canvas.AlphaBlend(p, buffer, s, 136, false))
            continue;
        canvas.CopyRect(p, buffer, s);
    }
    StopTiming();
}

void Tdrawobj::SaveToUndo(Tundolevel &level) const
{
    WriteToStream(level.Stream());
}

void Tdrawobj::LoadFromUndo(Tundolevel &level)
{
    ReadFromStream(level.Stream());
}

void Tdrawobj::WriteToStream(QIODevice &stream) const
{
    WriteUInt8(stream, GetTypeCode());
    WriteBytes(stream, RecordSignature, RecordSignatureLength);
    WriteInt32(stream, Id);
    WriteInt32(stream, Bounds.Left);
    WriteInt32(stream, Bounds.Top);
    WriteInt32(stream, Bounds.Right);
    WriteInt32(stream, Bounds.Bottom);
}

void Tdrawobj::ReadFromStream(QIODevice &stream)
{
    uint8_t ignored = 0;
    ReadUInt8(stream, ignored);
    ReadBytes(stream, 8);
    const QByteArray version = ReadBytes(stream, 2);
    if (version == "ct") {
        RecordVersion = 0;
    } else {
        bool ok = false;
        RecordVersion = QString::fromLatin1(version).trimmed().toInt(&ok);
        if (!ok)
            RecordVersion = 0;
    }
    ResetCaches();
    if (RecordVersion > 1)
        SkipBytes(stream, 4);
    ReadInt32(stream, Bounds.Left);
    ReadInt32(stream, Bounds.Top);
    ReadInt32(stream, Bounds.Right);
    ReadInt32(stream, Bounds.Bottom);
    // A damaged record can hold any number; kept within reach, sizes and screen positions
    // computed from the bounds cannot overflow.
    for (int32_t *v : {&Bounds.Left, &Bounds.Top, &Bounds.Right, &Bounds.Bottom})
        *v = std::clamp(*v, -MaxCoordinate, MaxCoordinate);
}
