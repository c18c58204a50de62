#include "codecs/svg.h"

#include <QPainter>
#include <QRegularExpression>
#include <QSizeF>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// No side of the rendering beyond this, however narrow the other: QPainter's raster engine and
// every consumer of the picture stay far from their integer limits.
constexpr double SvgMaxSide = 65535;

// How far into the data "<svg" must come for LooksLikeSvg: room for an XML declaration, a
// doctype and the comment an editor puts first.
constexpr qsizetype SvgSniffBytes = 4096;

struct TUnit {
    const char *Name;
    double PerInch;
};

constexpr TUnit AbsoluteUnits[] = {{"", CssPixelsPerInch},
                                   {"px", CssPixelsPerInch},
                                   {"in", 1},
                                   {"cm", 2.54},
                                   {"mm", 25.4},
                                   {"q", 101.6},
                                   {"pt", 72},
                                   {"pc", 6}};

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Where the number at the start of text ends: sign, digits, fraction, exponent. An "e" that no
// digit follows belongs to the unit (em, ex).
qsizetype NumberLength(QStringView text)
{
    qsizetype i = 0;
    const auto at = [&](qsizetype k) { return k < text.size() ? text[k] : QChar(); };
    if (at(i) == u'+' || at(i) == u'-')
        ++i;
    while (IsDigit(at(i)))
        ++i;
    if (at(i) == u'.')
        for (++i; IsDigit(at(i)); ++i)
            ;
    if (at(i) == u'e' || at(i) == u'E') {
        qsizetype k = i + 1;
        if (at(k) == u'+' || at(k) == u'-')
            ++k;
        if (IsDigit(at(k))) {
            while (IsDigit(at(k)))
                ++k;
            i = k;
        }
    }
    return i;
}

// A length in absolute units, in inches; nothing for a relative, unknown or non-positive one.
std::optional<double> LengthInInches(QStringView text)
{
    text = text.trimmed();
    const qsizetype length = NumberLength(text);
    bool ok = false;
    const double value = text.left(length).toDouble(&ok);
    if (!ok || !(value > 0) || !std::isfinite(value))
        return std::nullopt;
    const QString unit = text.mid(length).trimmed().toString().toLower();
    for (const TUnit &u : AbsoluteUnits)
        if (unit == QLatin1String(u.Name))
            return value / u.PerInch;
    return std::nullopt;
}

// The width and height of a viewBox ("min-x min-y width height"), when both are positive.
std::optional<QSizeF> ViewBoxSize(QStringView text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    const QStringList parts = text.toString().split(separators, Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return std::nullopt;
    bool okWidth = false, okHeight = false;
    const double width = parts[2].toDouble(&okWidth), height = parts[3].toDouble(&okHeight);
    if (!okWidth || !okHeight || !(width > 0) || !(height > 0) || !std::isfinite(width * height))
        return std::nullopt;
    return QSizeF(width, height);
}

struct TSvgRoot {
    std::optional<double> Width; // inches
    std::optional<double> Height;
    std::optional<QSizeF> ViewBox;
};

// The size attributes of the root element; nothing when the data is not an SVG document.
std::optional<TSvgRoot> ReadRoot(const QByteArray &bytes)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    if (!xml.isStartElement() || xml.name() != u"svg")
        return std::nullopt;
    const QXmlStreamAttributes attributes = xml.attributes();
    return TSvgRoot{LengthInInches(attributes.value(QLatin1String("width"))),
                    LengthInInches(attributes.value(QLatin1String("height"))),
                    ViewBoxSize(attributes.value(QLatin1String("viewBox")))};
}

// The declared size in inches, by the rules in svg.h; fallback is the renderer's own size in
// CSS pixels, for a drawing that declares nothing usable.
QSizeF DeclaredInches(const TSvgRoot &root, QSizeF fallback)
{
    if (root.Width && root.Height)
        return {*root.Width, *root.Height};
    if (root.ViewBox) {
        const double aspect = root.ViewBox->width() / root.ViewBox->height();
        if (root.Width)
            return {*root.Width, *root.Width / aspect};
        if (root.Height)
            return {*root.Height * aspect, *root.Height};
        return *root.ViewBox / CssPixelsPerInch;
    }
    return fallback / CssPixelsPerInch;
}

// Whether a size in inches can be rendered: both sides positive, and 300 pixels an inch of
// each side and of the area a finite number. A side can be finite and its pixels not (1e306
// inches by 1e-306 have an area of one square inch), and RenderSize counts in pixels.
bool RenderableSize(QSizeF inches)
{
    const double width = inches.width() * SvgPixelsPerInch, height = inches.height() * SvgPixelsPerInch;
    return width > 0 && height > 0 && std::isfinite(width) && std::isfinite(height) &&
           std::isfinite(width * height);
}

// The rendering's size in pixels: 300 per inch, or fewer within SvgMaxPixels and SvgMaxSide.
QSize RenderSize(QSizeF inches)
{
    const double width = inches.width() * SvgPixelsPerInch, height = inches.height() * SvgPixelsPerInch;
    const double scale = std::min(
        {1.0, std::sqrt(double(SvgMaxPixels) / (width * height)), SvgMaxSide / width, SvgMaxSide / height});
    // Unscaled, a side rounds up so the resolution is at least 300 per inch; scaled, down so
    // the rendering stays within its bounds. A small epsilon keeps 2in from giving 601.
    const auto side = [&](double v) {
        return std::max(1, int(scale < 1 ? std::floor(v * scale) : std::ceil(v - 1e-6)));
    };
    return {side(width), side(height)};
}

// The resolution of a rendered side in dots per meter, as near as an int holds it: a drawing
// of a hundred-millionth of an inch still renders one pixel wide, and one of 10^300 inches
// 65535.
int DotsPerMeter(int pixels, double inches)
{
    constexpr double MetersPerInch = 0.0254;
    const double dpm = pixels / inches / MetersPerInch;
    return int(std::lround(std::clamp(dpm, 1.0, double(std::numeric_limits<int>::max()))));
}

} // namespace

bool LooksLikeSvg(const QByteArray &bytes)
{
    QByteArrayView head = QByteArrayView(bytes).first(std::min(bytes.size(), SvgSniffBytes));
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.sliced(3);
    head = head.trimmed();
    return head.startsWith('<') && head.contains("<svg");
}

TDecodeResult ReadSvg(const QByteArray &bytes)
{
    const std::optional<TSvgRoot> root = ReadRoot(bytes);
    if (!root)
        return NotReadable(QStringLiteral("not an SVG drawing"));
    QSvgRenderer renderer(bytes);
    if (!renderer.isValid())
        return Damaged(QStringLiteral("the SVG drawing cannot be read"));
    const QSizeF inches = DeclaredInches(*root, renderer.defaultSize());
    if (!RenderableSize(inches))
        return Damaged(QStringLiteral("the SVG drawing declares no size it can be drawn at"));

    const QSize size = RenderSize(inches);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return OutOfMemory(size.width(), size.height());
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        renderer.setAspectRatioMode(Qt::KeepAspectRatio);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    image.setDotsPerMeterX(DotsPerMeter(size.width(), inches.width()));
    image.setDotsPerMeterY(DotsPerMeter(size.height(), inches.height()));
    return Decoded(std::move(image).convertToFormat(QImage::Format_ARGB32));
}
