#include "document/code.h"

#include "document/fields.h"

#include "document/globals.h"
#include "document/shape.h"
#include "platform/canvas.h"
#include "platform/clipboard.h"
#include "platform/rnd.h"
#include "platform/scopedvalue.h"
#include "platform/streams.h"
#include "platform/stringstream.h"

#include <QBuffer>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {
constexpr uint8_t ShowTextFlag = 1;
// The quiet zone's frame on screen, and the crossed box of a code that does not encode.
constexpr TColor QuietZoneFrame = 0x00E6D8D0; // a pale blue-grey
constexpr TColor RefusalColor = 0x002020C0;   // a dark red
constexpr TColor RefusalFill = 0x00F0F0FF;    // a pale pink
constexpr int32_t RefusalFontHeight = -12;
constexpr int32_t RefusalMargin = 4;
// Copied codes go to other programs at this many pixels a module.
constexpr int32_t CopiedLinearModule = 3;
constexpr int32_t CopiedMatrixModule = 8;

std::vector<TPoint> HexagonCorners(const TCodeHexagon &h, const TCodePlacement &p, const TCodeVector &v)
{
    // Pointed at the top and bottom unless turned a quarter.
    const double start = h.Rotation == 90 || h.Rotation == 270 ? 0.0 : 90.0;
    std::vector<TPoint> corners;
    for (int i = 0; i < 6; ++i) {
        const double a = (start + 60.0 * i) * std::numbers::pi / 180.0;
        corners.push_back(
            {rnd(p.X(h.X + h.Diameter / 2 * std::cos(a))), rnd(p.Y(h.Y - h.Diameter / 2 * std::sin(a), v))});
    }
    return corners;
}
} // namespace

double TCodePlacement::Y(double modules, const TCodeVector &v) const
{
    if (modules <= v.BarZoneBottom)
        return Top + (v.BarZoneBottom > 0 ? modules / v.BarZoneBottom * BarsHeight : 0.0);
    return Top + BarsHeight + (modules - v.BarZoneBottom) * Module;
}

TCodePlacement PlaceCode(const TCodeVector &vector, bool linear, const TRect &box, bool output)
{
    TCodePlacement p;
    const double w = box.Right - box.Left, h = box.Bottom - box.Top;
    if (!(vector.Width > 0) || !(vector.Height > 0) || w <= 0 || h <= 0)
        return p;
    p.Module = linear ? w / vector.Width : std::min(w / vector.Width, h / vector.Height);
    p.Snapped = p.Module >= 1 && (output || std::floor(p.Module) / p.Module >= ScreenSnapShare);
    if (p.Snapped)
        p.Module = std::floor(p.Module);
    p.Width = vector.Width * p.Module;
    p.Left = box.Left + std::floor((w - p.Width) / 2);
    if (linear) {
        const double textZone = (vector.Height - vector.BarZoneBottom) * p.Module;
        p.BarsHeight = std::max(h - textZone, 0.0);
        p.Height = p.BarsHeight + textZone;
        p.Top = box.Top;
    } else {
        p.Height = vector.Height * p.Module;
        p.BarsHeight = p.Height;
        p.Top = box.Top + std::floor((h - p.Height) / 2);
    }
    return p;
}

void DrawCodeVector(Tcanvas &canvas, const TCodeVector &vector, const TCodePlacement &place, TColor color,
                    uint8_t symbology)
{
    if (!(place.Module > 0))
        return;
    std::vector<TRect> boxes;
    boxes.reserve(vector.Boxes.size());
    for (const TCodeBox &b : vector.Boxes)
        boxes.push_back({rnd(place.X(b.X)), rnd(place.Y(b.Y, vector)), rnd(place.X(b.X + b.Width)),
                         rnd(place.Y(b.Y + b.Height, vector))});
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    canvas.Brush().SetColor(color);
    canvas.FillRectList(boxes);

    canvas.Pen().SetStyle(TPenStyle::Clear);
    for (const TCodeHexagon &h : vector.Hexagons)
        canvas.Polygon(HexagonCorners(h, place, vector));
    for (const TCodeCircle &c : vector.Circles) {
        const double r = c.Diameter / 2 + c.Width / 2;
        const TRect disc{rnd(place.X(c.X - r)), rnd(place.Y(c.Y - r, vector)), rnd(place.X(c.X + r)),
                         rnd(place.Y(c.Y + r, vector))};
        canvas.Brush().SetColor(c.Background ? clWhite : color);
        if (c.Width > 0) {
            canvas.Pen().SetStyle(TPenStyle::InsideFrame);
            canvas.Pen().SetColor(c.Background ? clWhite : color);
            canvas.Pen().SetWidth(std::max(1, rnd(c.Width * place.Module)));
            canvas.Brush().SetStyle(TBrushStyle::Clear);
        }
        canvas.Ellipse(disc);
        canvas.Pen().SetStyle(TPenStyle::Clear);
        canvas.Brush().SetStyle(TBrushStyle::Solid);
    }
    canvas.Pen().SetStyle(TPenStyle::Solid);

    canvas.Brush().SetStyle(TBrushStyle::Clear);
    canvas.Font().SetName(CodeTextFont(symbology));
    canvas.Font().SetStyle(0);
    canvas.Font().SetColor(color);
    for (const TCodeText &t : vector.Texts) {
        canvas.Font().SetHeight(-std::max(1, rnd(t.Size * place.Module)));
        const int32_t width = canvas.TextWidth(t.Text);
        int32_t x = rnd(place.X(t.X));
        if (t.Align == 0)
            x -= width / 2;
        else if (t.Align == 2)
            x -= width;
        canvas.TextOut(x, rnd(place.Y(t.Baseline, vector)) - canvas.TextAscent(), t.Text);
    }
    canvas.Brush().SetStyle(TBrushStyle::Solid);
}

Tvnlcode::Tvnlcode()
{
    Hint = QStringLiteral("Code Tool:\\nType what the code holds in the tool window.\\nChoose its "
                          "symbology there; a code that cannot be made shows why");
    HandleInflate = 2;
    Spec.Data = QString::fromLatin1(SymbologyInfo(Spec.Symbology)->Example);
}

void Tvnlcode::Announce(const char *what)
{
    BeginChange(ckProperty, QString::fromLatin1(what));
}

void Tvnlcode::SetSymbology(uint8_t symbology)
{
    if (symbology == Spec.Symbology)
        return;
    Announce("symbology");
    Spec.Symbology = symbology;
    ResetCaches();
    Changed();
}

void Tvnlcode::SetData(const QString &data)
{
    if (data == Spec.Data)
        return;
    Announce("codedata");
    Spec.Data = data;
    ResetCaches();
    Changed();
}

void Tvnlcode::SetQrLevel(uint8_t level)
{
    if (level == Spec.QrLevel)
        return;
    Announce("qrlevel");
    Spec.QrLevel = level;
    ResetCaches();
    Changed();
}

void Tvnlcode::SetShowText(bool show)
{
    if (show == Spec.ShowText)
        return;
    Announce("showtext");
    Spec.ShowText = show;
    Flags = show ? Flags | ShowTextFlag : Flags & ~ShowTextFlag;
    ResetCaches();
    Changed();
}

void Tvnlcode::SetColor(TColor color)
{
    if (color == Color)
        return;
    Announce("codecolor");
    Color = color;
    Changed();
}

const TCodeResult &Tvnlcode::Encoded() const
{
    // While a run paints, the data filled for the label; the encoding of the last filled data
    // is kept, so labels that fill alike encode once.
    if (FieldFill && HasFields(Spec.Data)) {
        TCodeSpec filled = Spec;
        filled.Data = FillFields(Spec.Data, *FieldFill);
        if (!FilledEncoding || filled.Data != FilledData) {
            FilledEncoding = EncodeCode(filled);
            FilledData = filled.Data;
        }
        return *FilledEncoding;
    }
    if (!Encoding)
        Encoding = EncodeCode(Spec);
    return *Encoding;
}

double Tvnlcode::ModuleSize() const
{
    const TCodeResult &r = Encoded();
    if (!r.Vector || !Info())
        return 0;
    const TCodeVector &v = *r.Vector;
    const double across = Width() / v.Width;
    return Info()->Linear ? across : std::min(across, Height() / v.Height);
}

double Tvnlcode::Magnification() const
{
    const TSymbologyInfo *info = Info();
    return info && info->NominalModule > 0 ? ModuleSize() / info->NominalModule : 0.0;
}

QString Tvnlcode::SizeWarning() const
{
    const double m = Magnification();
    if (m <= 0 || m >= SmallestMagnification)
        return {};
    return QStringLiteral("%1 at %2 % of its nominal size: shop scanners need at least %3 %")
        .arg(QString::fromLatin1(Info()->Name))
        .arg(rnd(m * 100))
        .arg(rnd(SmallestMagnification * 100));
}

QStringList Tvnlcode::Fields() const
{
    return FieldsIn(Spec.Data);
}

QString Tvnlcode::PrintProblem() const
{
    return Encoded().Error;
}

int32_t Tvnlcode::FileVersionNeeded() const
{
    return CodeFileVersion;
}

TPoint Tvnlcode::GetDefaultSize(int32_t) const
{
    const TCodeResult &r = Encoded();
    const TSymbologyInfo *info = Info();
    if (!r.Vector || !info)
        return DefaultSize;
    const int32_t width = rnd(r.Vector->Width * info->DefaultModule);
    return {width, info->Linear ? rnd(r.Vector->Height * info->DefaultModule) : width};
}

void Tvnlcode::ResetAspect()
{
    const TCodeResult &r = Encoded();
    if (!r.Vector || !Info() || !Info()->Linear) {
        Tdrawobj::ResetAspect();
        return;
    }
    SetHeight(rnd(Width() * r.Vector->Height / r.Vector->Width));
    ReportChange();
}

bool Tvnlcode::CanPaste() const
{
    return TheClipboard().HasFormat(CodeClipboardFormat);
}

void Tvnlcode::PasteFromClipboard(int32_t format)
{
    PasteRecord(format == -1 ? CodeClipboardFormat : format);
}

void Tvnlcode::CopyToClipboard(int32_t format)
{
    QBuffer data;
    data.open(QIODevice::ReadWrite);
    WriteRecordBlock(data);
    const TCodeResult &r = Encoded();
    const bool linear = Info() && Info()->Linear;
    TheClipboard().SetContents(r.Vector ? r.ReadsAs : Spec.Data,
                               RenderImage(linear ? CopiedLinearModule : CopiedMatrixModule),
                               format == -1 ? CodeClipboardFormat : format, data.data());
}

QImage Tvnlcode::RenderImage(int32_t modulePixels) const
{
    const TCodeResult &r = Encoded();
    if (!r.Vector || !Info() || modulePixels < 1)
        return {};
    const TCodeVector &v = *r.Vector;
    QImage image(int(std::ceil(v.Width * modulePixels)), int(std::ceil(v.Height * modulePixels)),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    Tcanvas canvas(&image);
    const TRect box{0, 0, image.width(), image.height()};
    DrawCodeVector(canvas, v, PlaceCode(v, Info()->Linear, box, true), Color, Spec.Symbology);
    return image;
}

void Tvnlcode::DrawRefusal(Tcanvas &canvas, const QString &reason)
{
    const TRect r = GetScreenRect();
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    canvas.Brush().SetColor(RefusalFill);
    canvas.FillRect(r);
    canvas.Brush().SetColor(RefusalColor);
    canvas.FrameRect(r);
    canvas.Pen().SetStyle(TPenStyle::Solid);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetColor(RefusalColor);
    canvas.MoveTo(r.Left, r.Top);
    canvas.LineTo(r.Right, r.Bottom);
    canvas.MoveTo(r.Right - 1, r.Top);
    canvas.LineTo(r.Left - 1, r.Bottom);
    canvas.Font().SetName(QStringLiteral("Liberation Sans"));
    canvas.Font().SetHeight(RefusalFontHeight);
    canvas.Font().SetStyle(0);
    canvas.Font().SetColor(RefusalColor);
    TRect text = GrowRect(r, -RefusalMargin);
    canvas.Brush().SetColor(RefusalFill);
    canvas.DrawTextEx(ShownFileText(reason), text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
}

void Tvnlcode::Paint(Tcanvas &canvas, bool output, TColor color)
{
    // The canvas keeps its font for what the painter draws after the objects (the label's size).
    Tfont font;
    font.Assign(canvas.Font());
    const TScopeEnd kept([&canvas, &font] { canvas.SetFont(font); });
    const TCodeResult &r = Encoded();
    if (!r.Vector || !Info()) {
        // Nothing reaches paper: printing lists the code among its problems instead.
        if (!output)
            DrawRefusal(canvas, r.Error);
        return;
    }
    const TCodePlacement place = PlaceCode(*r.Vector, Info()->Linear, GetScreenRect(), output);
    DrawCodeVector(canvas, *r.Vector, place, color, Spec.Symbology);
    // Over the symbol, whose outermost pixels are quiet zone but for the ends of a linear code's
    // bars and text, so that the frame stays whole.
    if (!output) {
        canvas.Brush().SetStyle(TBrushStyle::Solid);
        canvas.Brush().SetColor(QuietZoneFrame);
        canvas.FrameRect(
            {rnd(place.Left), rnd(place.Top), rnd(place.Left + place.Width), rnd(place.Top + place.Height)});
    }
}

void Tvnlcode::DrawDraft(Tcanvas &canvas, const TRect &clip, const TRect &viewport, double scale)
{
    Draw(canvas, clip, false, viewport, scale);
}

void Tvnlcode::Draw(Tcanvas &canvas, const TRect & /*clip*/, bool output, const TRect &viewport, double scale)
{
    StartTiming();
    SetView(viewport, scale);
    Paint(canvas, output, Color);
    StopTiming();
}

void Tvnlcode::DrawOverhang(Tcanvas &canvas, const TRect & /*clip*/, const TRect & /*labelRect*/,
                            const TRect &viewport, double scale)
{
    ResumeTiming();
    SetView(viewport, scale);
    Paint(canvas, false, TintTowardsBlue(Color));
    StopTiming();
}

void Tvnlcode::WriteToStream(QIODevice &stream) const
{
    Tdrawobj::WriteToStream(stream);
    WriteUInt8(stream, Spec.Symbology);
    WriteUInt8(stream, Spec.QrLevel);
    WriteUInt8(stream, Flags);
    WriteInt32(stream, static_cast<int32_t>(Color));
    const QByteArray data = Spec.Data.toUtf8();
    WriteInt32(stream, static_cast<int32_t>(data.size()));
    WriteBytes(stream, data);
}

void Tvnlcode::ReadFromStream(QIODevice &stream)
{
    Tdrawobj::ReadFromStream(stream);
    uint8_t b = 0;
    int32_t i = 0;
    // A symbology or level this program does not know is kept as it is, and shows as a code
    // that cannot be made.
    if (ReadUInt8(stream, b))
        Spec.Symbology = b;
    if (ReadUInt8(stream, b))
        Spec.QrLevel = b;
    if (ReadUInt8(stream, b))
        Flags = b;
    Spec.ShowText = (Flags & ShowTextFlag) != 0;
    if (ReadInt32(stream, i))
        Color = static_cast<TColor>(i);
    if (ReadInt32(stream, i))
        Spec.Data = QString::fromUtf8(ReadBytes(stream, std::clamp<qint64>(i, 0, Remaining(stream))));
    ResetCaches();
}
