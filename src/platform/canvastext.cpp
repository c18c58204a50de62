// Text on the canvas: the canvas font resolved for the target, and the one layout that
// DrawTextEx, TextOut and the measurements share.

#include "platform/canvas.h"
#include "platform/textlayout.h"

#include "platform/rnd.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <vector>

namespace {

constexpr int ScreenDpi = 96;
// The system's default font height at screen resolution.
constexpr int DefaultFontHeight = -11;
// Larger heights are taken as this many pixels: glyphs are kept as bitmaps in the glyph
// cache, and a few tens of thousands of pixels high (a damaged record's font, or the thumbnail
// of a label 0.001 inch wide) fill gigabytes.
constexpr int MaxFontPixels = 1 << 12;
// The pixel size at which the cell height of a font is measured to map a positive height.
constexpr int ReferencePixels = 256;
constexpr int TabColumns = 8;
// A line width that no line without wrapping reaches.
constexpr qreal UnboundedWidth = 1 << 24;
// Boxes are clamped to this, so that their sizes and offsets stay inside 32 bits.
constexpr int32_t BoxLimit = 1 << 28;

TRect ClampedBox(const TRect &r)
{
    const auto limit = [](int32_t v) { return std::clamp(v, -BoxLimit, BoxLimit); };
    return {limit(r.Left), limit(r.Top), limit(r.Right), limit(r.Bottom)};
}

int32_t Saturated(int64_t v)
{
    return int32_t(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

QFontMetrics MetricsOf(const QFont &font, const QPaintDevice *device)
{
    return device ? QFontMetrics(font, device) : QFontMetrics(font);
}

// The pixel size whose cell height (ascent plus descent) comes closest to cell: scaled by the
// ratio measured at a reference size, then the neighbours tried, as hinting rounds the metrics.
int PixelSizeForCell(QFont font, int32_t cell, const QPaintDevice *device)
{
    const int target = std::min(cell, MaxFontPixels);
    font.setPixelSize(ReferencePixels);
    const QFontMetricsF reference = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
    if (!(reference.height() > 0))
        return target;
    const int estimate = std::clamp(rnd(target * ReferencePixels / reference.height()), 1, MaxFontPixels);
    int best = estimate;
    int bestError = std::numeric_limits<int>::max();
    for (int size : {estimate - 1, estimate, estimate + 1}) {
        if (size < 1 || size > MaxFontPixels)
            continue;
        font.setPixelSize(size);
        const int error = std::abs(MetricsOf(font, device).height() - target);
        if (error < bestError) {
            best = size;
            bestError = error;
        }
    }
    return best;
}

// The text between line breaks: CR LF, a lone CR and a lone LF each end a line, so a text
// that ends in a line break ends in an empty line.
std::vector<QString> SplitAtLineBreaks(const QString &text)
{
    std::vector<QString> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        parts.push_back(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    parts.push_back(text.mid(start));
    return parts;
}

// A single line shows each line break as one space.
QString BreaksAsSpaces(const QString &text)
{
    const std::vector<QString> parts = SplitAtLineBreaks(text);
    QString joined = parts.front();
    for (size_t k = 1; k < parts.size(); ++k)
        joined += u' ' + parts[k];
    return joined;
}

// One line of the source text as it is shown, and which of its characters are underlined.
struct TParagraph {
    QString Text;
    std::vector<int> Underlined;
};

// An ampersand is taken out and underlines the character after it; "&&" shows one ampersand,
// and an ampersand at the end shows nothing.
TParagraph WithoutPrefixes(const QString &text)
{
    TParagraph paragraph;
    paragraph.Text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (++i == text.size())
                break;
            if (text[i] != u'&')
                paragraph.Underlined.push_back(int(paragraph.Text.size()));
        }
        paragraph.Text += text[i];
    }
    return paragraph;
}

// The advance of the 52 letters in a font on a device. Every text box measures it for each
// layout, and shaping the letters took a third of laying out a short text: it is measured once
// per font and resolution. A label uses few fonts; beyond MeasuredFonts the oldest goes. The
// fonts are kept until the process ends (a font must not be freed after the application).
int LettersAdvance(const QFontMetrics &metrics, const QFont &font, const QPaintDevice *device)
{
    constexpr size_t MeasuredFonts = 16;
    struct TMeasured {
        QFont Font;
        int DpiX, DpiY;
        int Advance;
    };
    static std::mutex lock;
    static auto *measured = new std::vector<TMeasured>;
    static size_t oldest = 0;
    const int dpiX = device ? device->logicalDpiX() : 0, dpiY = device ? device->logicalDpiY() : 0;
    const std::lock_guard<std::mutex> guard(lock);
    for (const TMeasured &m : *measured)
        if (m.DpiX == dpiX && m.DpiY == dpiY && m.Font == font)
            return m.Advance;
    const int advance =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    if (measured->size() < MeasuredFonts) {
        measured->push_back({font, dpiX, dpiY, advance});
    } else {
        (*measured)[oldest] = {font, dpiX, dpiY, advance};
        oldest = (oldest + 1) % MeasuredFonts;
    }
    return advance;
}

// Tabs expand to 8 average characters; with DT_EDITCONTROL the average is the one an edit
// control takes (of the letters, rounded), otherwise the font's own.
qreal TabDistance(const QFontMetrics &metrics, const QFont &font, const QPaintDevice *device,
                  bool editControl)
{
    int average = metrics.averageCharWidth();
    if (editControl)
        average = (LettersAdvance(metrics, font, device) / 26 + 1) / 2;
    return qreal(TabColumns) * std::max(1, average);
}

} // namespace

std::atomic<int64_t> Ttextlayout::Made{0};

Ttextlayout::Ttextlayout(const QString &text, const QFont &font, const QPaintDevice *device, int32_t boxWidth,
                         uint32_t flags)
    : FText(text), FFont(font), FDeviceDpi(device ? device->logicalDpiY() : 0), FBoxWidth(boxWidth),
      FFlags(flags)
{
    ++Made;
    const QFontMetrics metrics = MetricsOf(font, device);
    FLineHeight = metrics.height();
    FAscent = metrics.ascent();
    const bool singleLine = flags & DT_SINGLELINE;
    const bool wraps = (flags & DT_WORDBREAK) && !singleLine;
    const bool expandTabs = flags & DT_EXPANDTABS;
    const qreal lineWidth = wraps ? qreal(std::max(0, boxWidth)) : UnboundedWidth;

    QTextOption option;
    option.setWrapMode(wraps ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setTextDirection(Qt::LeftToRight);
    if (expandTabs)
        option.setTabStopDistance(TabDistance(metrics, font, device, flags & DT_EDITCONTROL));

    const std::vector<QString> sources =
        singleLine ? std::vector<QString>{BreaksAsSpaces(text)} : SplitAtLineBreaks(text);
    for (const QString &source : sources) {
        TParagraph paragraph = (flags & DT_NOPREFIX) ? TParagraph{source, {}} : WithoutPrefixes(source);
        if (!expandTabs)
            paragraph.Text.replace(u'\t', u' ');
        auto layout = std::make_unique<QTextLayout>(paragraph.Text, font, device);
        layout->setTextOption(option);
        QList<QTextLayout::FormatRange> underlines;
        for (int at : paragraph.Underlined) {
            QTextLayout::FormatRange range;
            range.start = at;
            range.length = 1;
            range.format.setFontUnderline(true);
            underlines.append(range);
        }
        layout->setFormats(underlines);
        layout->beginLayout();
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(lineWidth);
            line.setPosition(QPointF(0, qreal(FLines.size()) * FLineHeight));
            const qreal width =
                wraps ? std::min(line.naturalTextWidth(), lineWidth) : line.naturalTextWidth();
            FLines.push_back({line, int(std::min<qreal>(std::ceil(width), UnboundedWidth))});
        }
        layout->endLayout();
        Layouts.push_back(std::move(layout));
    }
}

int Ttextlayout::Width() const
{
    int widest = 0;
    for (const TLine &line : FLines)
        widest = std::max(widest, line.Width);
    return widest;
}

QFont Tcanvas::ResolvedFont() const
{
    const QPaintDevice *device = Device();
    // The family goes through QFont's matching, so that the platform's substitutions apply.
    QFont font;
    if (!FFont.Name().isEmpty())
        font.setFamily(FFont.Name());
    const uint8_t style = FFont.Style();
    font.setWeight((style & fsBold) ? QFont::Bold : QFont::Normal);
    font.setItalic(style & fsItalic);
    font.setUnderline(style & fsUnderline);
    font.setStrikeOut(style & fsStrikeOut);
    // The system draws text with the fonts' advances, not kerned; grey-scale antialiasing
    // looks the same on every target.
    font.setKerning(false);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    int64_t height = FFont.Height();
    if (height == 0)
        height = -std::max(1, rnd(double(-DefaultFontHeight) * DpiY() / ScreenDpi));
    // Pixel sizes are device pixels of the target whatever its logical resolution.
    if (height < 0)
        font.setPixelSize(int(std::min<int64_t>(-height, MaxFontPixels)));
    else
        font.setPixelSize(PixelSizeForCell(font, int32_t(height), device));
    return device ? QFont(font, device) : font;
}

std::unique_ptr<Ttextlayout> Tcanvas::LayoutText(const QString &text, int32_t boxWidth, uint32_t flags) const
{
    return std::make_unique<Ttextlayout>(text, ResolvedFont(), Device(),
                                         ClampedBox({0, 0, boxWidth, 0}).Width(), flags);
}

const Ttextlayout &Tcanvas::CachedLayout(std::unique_ptr<Ttextlayout> &cache, const QString &text,
                                         int32_t boxWidth, uint32_t flags) const
{
    const QFont font = ResolvedFont();
    const QPaintDevice *device = Device();
    const int dpi = device ? device->logicalDpiY() : 0;
    const int32_t width = ClampedBox({0, 0, boxWidth, 0}).Width();
    if (!cache || cache->Text() != text || cache->Font() != font || cache->DeviceDpi() != dpi ||
        cache->BoxWidth() != width || cache->Flags() != flags)
        cache = std::make_unique<Ttextlayout>(text, font, device, width, flags);
    return *cache;
}

int Tcanvas::DrawTextEx(const QString &text, TRect &r, uint32_t flags)
{
    const TRect box = ClampedBox(r);
    const Ttextlayout lines(text, ResolvedFont(), Device(), box.Width(), flags);
    return DrawLayout(lines, r, flags);
}

int Tcanvas::DrawLayout(const Ttextlayout &lines, TRect &r, uint32_t flags)
{
    const TRect box = ClampedBox(r);
    const int height = lines.Height();
    if (flags & DT_CALCRECT) {
        r.Right = Saturated(int64_t(r.Left) + lines.Width());
        r.Bottom = Saturated(int64_t(r.Top) + height);
        return height;
    }
    if (!ActivePainter)
        return 0;
    const bool clipsToBox = !(flags & DT_NOCLIP);
    if (clipsToBox && (box.Right <= box.Left || box.Bottom <= box.Top))
        return height;
    TPainterState state(*this);
    if (clipsToBox)
        ActivePainter->setClipRect(QRect(box.Left, box.Top, box.Width(), box.Height()), Qt::IntersectClip);
    ActivePainter->setRenderHint(QPainter::TextAntialiasing, true);
    ActivePainter->setPen(ToQColor(FFont.Color()));
    int top = box.Top;
    if (flags & DT_SINGLELINE) {
        if (flags & DT_BOTTOM)
            top = box.Bottom - height;
        else if (flags & DT_VCENTER)
            top = box.Top + (box.Height() - height) / 2;
    }
    const bool opaque = FBrush.Style() == TBrushStyle::Solid;
    const QColor background = ToQColor(FBrush.Color());
    for (size_t i = 0; i < lines.Lines().size(); ++i) {
        const Ttextlayout::TLine &line = lines.Lines()[i];
        const int lineTop = top + int(i) * lines.LineHeight();
        // An edit control shows no line that is only partly visible.
        if ((flags & DT_EDITCONTROL) && lineTop + lines.LineHeight() > box.Bottom)
            break;
        int left = box.Left;
        if (flags & DT_CENTER)
            left += (box.Width() - line.Width) / 2;
        else if (flags & DT_RIGHT)
            left = box.Right - line.Width;
        if (opaque && line.Width > 0)
            ActivePainter->fillRect(QRect(left, lineTop, line.Width, lines.LineHeight()), background);
        // The line lies at its index times the line height; its baseline on a whole pixel.
        line.Line.draw(ActivePainter, QPointF(left, top + lines.Ascent() - line.Line.ascent()));
    }
    return height;
}

void Tcanvas::TextOut(int x, int y, const QString &text)
{
    TRect r{x, y, x, y};
    DrawTextEx(text, r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

int Tcanvas::TextWidth(const QString &text)
{
    TRect r;
    DrawTextEx(text, r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return r.Width();
}

int Tcanvas::TextHeight(const QString &)
{
    return MetricsOf(ResolvedFont(), Device()).height();
}

int Tcanvas::TextAscent()
{
    return MetricsOf(ResolvedFont(), Device()).ascent();
}
