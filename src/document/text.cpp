#include "document/text.h"

#include "document/fields.h"

#include "platform/canvas.h"
#include "platform/clipboard.h"
#include "platform/rnd.h"
#include "platform/streams.h"
#include "platform/stringstream.h"
#include "platform/textlayout.h"

#include <algorithm>

const QString DefaultTextPrompt = QStringLiteral("* Click here to add text *");

namespace {
const QString PromptFontName = QStringLiteral("Microsoft Sans Serif");
// Word break, expanded tabs, no prefix characters, and a partly visible last line left out.
constexpr uint32_t TextFormat = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL;

// Leading and trailing blanks and control characters removed, as the prompt test needs.
QString TrimmedOfBlanksAndControls(const QString &s)
{
    qsizetype first = 0, last = s.size();
    while (first < last && s[first].unicode() <= 0x20)
        ++first;
    while (last > first && s[last - 1].unicode() <= 0x20)
        --last;
    return s.mid(first, last - first);
}

// The lines with text that lie wholly or partly below a box of height pixels: an edit control
// shows no line that is only partly visible. Empty lines do not count.
int32_t CutLines(const Ttextlayout &layout, int32_t height)
{
    if (layout.Height() <= height || layout.LineHeight() <= 0)
        return 0;
    const size_t shown = size_t(std::max(height, 0) / layout.LineHeight());
    int32_t cut = 0;
    for (size_t i = shown; i < layout.Lines().size(); ++i)
        if (layout.Lines()[i].Width > 0)
            ++cut;
    return cut;
}

// Where the text starts below the box top, for a text textHeight high in a box height high.
int32_t TextTop(TVerticalAlign align, int32_t height, int32_t textHeight, int32_t last)
{
    switch (align) {
    case TVerticalAlign::Top:
        return 0;
    case TVerticalAlign::Middle:
        return std::max(height / 2 - textHeight / 2, 0);
    case TVerticalAlign::Bottom:
        return std::max(height - textHeight, 0);
    default:
        return last; // an unknown alignment keeps the last offset
    }
}
} // namespace

Tvnltext::Tvnltext()
{
    Hint =
        QStringLiteral("Text Tool:\\nClick on the text box to edit the text.\\nChange the appearance of the "
                       "text in the toolbox");
    HandleInflate = 10;
    Font.SetName(PromptFontName);
    Font.OnChanging = [this] { FontChanging(); };
    MeasureBitmap.SetSize(1, 1);
    AspectLockDefault = false;
    DefaultSize = {2000, 500};
}

void Tvnltext::SetText(const QString &s)
{
    if (s == Text)
        return;
    BeginChange(ckProperty, QStringLiteral("text"));
    Text = s;
    Changed();
}

void Tvnltext::SetPlaceholderText(const QString &s)
{
    PlaceholderText = s;
    if (s.indexOf(u'*') != 0)
        PlaceholderText = QStringLiteral("* ") + s + QStringLiteral(" *");
}

void Tvnltext::FontChanging()
{
    BeginChange(ckProperty, QStringLiteral("fontchanged"));
}

bool Tvnltext::IsShowingPlaceholder() const
{
    return !DrawingForOutput && TrimmedOfBlanksAndControls(Text).isEmpty();
}

THorizontalAlign Tvnltext::EffectiveHAlign() const
{
    return IsShowingPlaceholder() ? THorizontalAlign::Centre : HAlign;
}

TVerticalAlign Tvnltext::EffectiveVAlign() const
{
    return IsShowingPlaceholder() ? TVerticalAlign::Middle : VAlign;
}

QStringList Tvnltext::Fields() const
{
    return FieldsIn(Text);
}

QString Tvnltext::DisplayText() const
{
    if (!IsShowingPlaceholder())
        return FieldFill ? FillFields(Text, *FieldFill) : Text;
    return PlaceholderText.trimmed().isEmpty() ? DefaultTextPrompt : PlaceholderText;
}

void Tvnltext::ApplyFont(Tcanvas &canvas) const
{
    canvas.Font().Assign(Font);
    if (IsShowingPlaceholder())
        canvas.Font().SetName(PromptFontName);
    canvas.Font().SetHeight(rnd(Font.Height() * ViewScale * 10));
    canvas.Font().SetCharset(DEFAULT_CHARSET);
}

Tfont Tvnltext::GetScaledFont()
{
    Tcanvas &canvas = MeasureBitmap.Canvas();
    ApplyFont(canvas);
    Tfont scaled;
    scaled.Assign(canvas.Font());
    return scaled;
}

bool Tvnltext::TextAreaContains(const TPoint &p)
{
    const TRect r = GetScreenRect();
    const int32_t top = r.Top + TextOffset;
    Tcanvas &canvas = MeasureBitmap.Canvas();
    const int32_t bottom = top + std::max(TextHeight, canvas.TextHeight(QStringLiteral("I")));
    return r.Left < p.X && p.X < r.Right && top < p.Y && p.Y < bottom;
}

uint32_t Tvnltext::DrawingFormat() const
{
    switch (EffectiveHAlign()) {
    case THorizontalAlign::Right:
        return TextFormat | DT_RIGHT;
    case THorizontalAlign::Centre:
        return TextFormat | DT_CENTER;
    default:
        return TextFormat;
    }
}

bool Tvnltext::CanPaste() const
{
    return TheClipboard().HasFormat(CF_TEXT);
}

void Tvnltext::PasteFromClipboard(int32_t /*format*/)
{
    SetText(TheClipboard().Text());
    ReportChange();
}

void Tvnltext::CopyToClipboard(int32_t /*format*/)
{
    TheClipboard().SetText(Text);
}

void Tvnltext::DrawSelection(Tcanvas &canvas, TTool tool)
{
    Tdrawobj::DrawSelection(canvas, tool);
    canvas.DrawFocusRect(GrowRect(GetScreenRect(), 2));
}

void Tvnltext::DrawScreenMarks(Tcanvas &canvas)
{
    if (HiddenLines <= 0)
        return;
    const TRect r = OversetMarkRect();
    canvas.Pen().SetMode(TPenMode::Copy);
    canvas.Pen().SetStyle(TPenStyle::Solid);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetColor(OversetMarkColor);
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    canvas.Brush().SetColor(clWhite);
    canvas.Rectangle(r);
    const int32_t cx = r.Left + OversetMarkSize / 2;
    const int32_t cy = r.Top + OversetMarkSize / 2;
    const int32_t arm = OversetMarkSize / 2 - 2;
    canvas.MoveTo(cx - arm, cy);
    canvas.LineTo(cx + arm + 1, cy);
    canvas.MoveTo(cx, cy - arm);
    canvas.LineTo(cx, cy + arm + 1);
}

TRect Tvnltext::OversetMarkRect() const
{
    const TRect s = GetScreenRect();
    const int32_t half = OversetMarkSize / 2;
    return {s.Right - 1 - half, s.Bottom - 1 - half, s.Right - 1 - half + OversetMarkSize,
            s.Bottom - 1 - half + OversetMarkSize};
}

TRect Tvnltext::GetInvalidRect() const
{
    // The overset mark reaches past the box's corner.
    return Selected ? Tdrawobj::GetInvalidRect() : GrowRect(GetScreenRect(), OversetMarkSize / 2 + 1);
}

void Tvnltext::DrawDraft(Tcanvas &canvas, const TRect &clip, const TRect &viewport, double scale)
{
    Draw(canvas, clip, false, viewport, scale);
}

void Tvnltext::Draw(Tcanvas &canvas, const TRect & /*clip*/, bool output, const TRect &viewport, double scale)
{
    Tfont saved;
    saved.Assign(canvas.Font());
    DrawingForOutput = output;
    SetView(viewport, scale);
    StartTiming();
    ApplyFont(canvas);
    canvas.Brush().SetStyle(TBrushStyle::Clear);
    // A font too small to show at this scale draws nothing rather than a default size.
    const bool visible = canvas.Font().Height() != 0;

    // Measured with an underscore after the text, so that a text ending in a line break, and
    // an empty one, still count their last line.
    const QString text = DisplayText();
    TRect r = GetScreenRect();
    TRect measured = r;
    TextHeight = visible ? canvas.DrawLayout(canvas.CachedLayout(MeasuredLayout, text + u'_', r.Width(),
                                                                 DrawingFormat() | DT_CALCRECT),
                                             measured, DrawingFormat() | DT_CALCRECT)
                         : 0;

    const int32_t h = ScreenHeight();
    TextOffset = TextTop(EffectiveVAlign(), h, TextHeight, TextOffset);
    if (!output)
        FullTextHeight = TextHeight;
    TextHeight = std::min(TextHeight, h);

    if (visible) {
        r.Top += TextOffset;
        const Ttextlayout &layout = canvas.CachedLayout(DrawnLayout, text, r.Width(), DrawingFormat());
        canvas.DrawLayout(layout, r, DrawingFormat());
        if (!output)
            HiddenLines = IsShowingPlaceholder() ? 0 : CutLines(layout, h - TextOffset);
    } else if (!output) {
        HiddenLines = 0;
    }
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    StopTiming();
    canvas.Font().Assign(saved);
}

int32_t Tvnltext::HiddenLinesAt(double scale)
{
    if (TrimmedOfBlanksAndControls(Text).isEmpty() || !(scale > 0))
        return 0;
    Tcanvas &canvas = MeasureBitmap.Canvas();
    Tfont saved;
    saved.Assign(canvas.Font());
    canvas.Font().Assign(Font);
    canvas.Font().SetHeight(rnd(Font.Height() * scale * 10));
    canvas.Font().SetCharset(DEFAULT_CHARSET);
    int32_t cut = 0;
    if (canvas.Font().Height() != 0) {
        const int32_t width = rnd(Width() * scale);
        const int32_t height = rnd(Height() * scale);
        // Measured as Draw measures: with an underscore after the text for its last line.
        const auto measured = canvas.LayoutText(Text + u'_', width, DrawingFormat() | DT_CALCRECT);
        const int32_t top = TextTop(VAlign, height, measured->Height(), 0);
        cut = CutLines(*canvas.LayoutText(Text, width, DrawingFormat()), height - top);
    }
    canvas.Font().Assign(saved);
    return cut;
}

void Tvnltext::DrawOverhang(Tcanvas &canvas, const TRect &clip, const TRect & /*labelRect*/,
                            const TRect & /*viewport*/, double /*scale*/)
{
    // A translucent blue box over the part outside the label; the text is not drawn again.
    const TRect c = ClipToRect(clip, GetScreenRect());
    if (c.Right <= c.Left || c.Bottom <= c.Top)
        return;
    OverhangBuffer.SetSize(std::min(c.Width(), MaxUniformBufferSide),
                           std::min(c.Height(), MaxUniformBufferSide));
    OverhangBuffer.Fill(0xFF0000FFu);
    canvas.AlphaBlend(c, OverhangBuffer.GetImage(), OverhangBuffer.ClientRect(), 136, false);
}

void Tvnltext::WriteToStream(QIODevice &stream) const
{
    Tdrawobj::WriteToStream(stream);
    tstringwrapstream strings(&stream, false);
    strings.WriteLString(Text);
    strings.WriteLString(Font.Name());
    WriteInt32(stream, Font.PixelsPerInch());
    WriteInt32(stream, Font.Charset());
    WriteInt32(stream, static_cast<int32_t>(Font.Color()));
    WriteInt32(stream, Font.Height());
    WriteUInt8(stream, Font.Style());
    WriteUInt8(stream, static_cast<uint8_t>(VAlign));
    WriteUInt8(stream, static_cast<uint8_t>(HAlign));
}

void Tvnltext::ReadFromStream(QIODevice &stream)
{
    Tdrawobj::ReadFromStream(stream);
    // A string whose length runs past the record's end is not taken, nor anything after it.
    tstringwrapstream strings(&stream, false);
    QString s;
    if (!strings.ReadWholeLString(s))
        return;
    SetText(s);
    if (!strings.ReadWholeLString(s))
        return;
    Font.SetName(s);
    int32_t i = 0;
    uint8_t b = 0;
    if (ReadInt32(stream, i))
        Font.SetPixelsPerInch(i);
    if (ReadInt32(stream, i))
        Font.SetCharset(static_cast<uint8_t>(i));
    if (ReadInt32(stream, i))
        Font.SetColor(static_cast<TColor>(i));
    if (ReadInt32(stream, i))
        Font.SetHeight(i);
    if (ReadUInt8(stream, b))
        Font.SetStyle(b);
    // Any number, known or not, is kept as stored.
    if (ReadUInt8(stream, b))
        VAlign = static_cast<TVerticalAlign>(b);
    if (ReadUInt8(stream, b))
        HAlign = static_cast<THorizontalAlign>(b);
}
