// Builds the sample labels the README shows and the program ships, through the document library:
//     ambrelo-samplelabel <program folder> <front.wlp> <back.wlp>
// A front and a back label for a bottle of Pinot Noir on the 3½ × 4 in stock template that the
// program folder's "templates" holds. The front: a cream ground, a double frame, a painted
// vineyard at dusk in a round medallion, the winery, the varietal, the vintage between two rules,
// the appellation and the legal lines. The back: the same ground and frame, the producer's text,
// the health warning, an EAN-13 for the shops and a QR code that opens the wine's electronic
// label. The picture is painted here, so the projects carry no image from elsewhere. The build
// runs it; scripts/screenshots.sh opens what it made.

#include "document/code.h"
#include "document/globals.h"
#include "document/labelproject.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/colors.h"
#include "platform/platform.h"
#include "platform/rnd.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>

namespace {

const QString TemplateName = QStringLiteral("templates/3.5 x 4 in, 4 per sheet.wlt");
constexpr double LabelWidth = 3.5;
constexpr double LabelHeight = 4.0;

// Document units are thousandths of an inch from the label's top-left at (LabelOrigin,
// LabelOrigin); font heights and pen widths are hundredths of an inch.
constexpr int32_t LabelOriginUnits = LabelCorner;

constexpr TColor Cream = RGB(249, 244, 232);
constexpr TColor Claret = RGB(112, 22, 44);
constexpr TColor Gold = RGB(168, 132, 64);
constexpr TColor Ink = RGB(46, 40, 38);

int32_t Units(double inches)
{
    return LabelOriginUnits + rnd(inches * 1000);
}

TRect Inches(double left, double top, double right, double bottom)
{
    return {Units(left), Units(top), Units(right), Units(bottom)};
}

// A figure (a polygon is a diamond): filled in fill, outlined in a pen of width hundredths of an inch, or
// not.
std::unique_ptr<Tvnlshape> Figure(TShapeStyle style, const TRect &bounds, std::optional<TColor> fill,
                                  std::optional<TColor> outline, int32_t width = 1)
{
    auto shape = std::make_unique<Tvnlshape>();
    shape->SetBounds(bounds);
    shape->SetShapeStyle(style);
    if (style == TShapeStyle::Polygon)
        shape->SetSideCount(4); // a diamond: the first corner points up
    shape->SetDrawFill(fill.has_value());
    if (fill)
        shape->Brush.SetColor(*fill);
    shape->SetDrawOutline(outline.has_value());
    if (outline) {
        shape->Pen.SetColor(*outline);
        shape->Pen.SetWidth(width);
    }
    return shape;
}

// A centred line of text whose characters are height hundredths of an inch tall.
std::unique_ptr<Tvnltext> Line(const QString &text, const TRect &bounds, const QString &font, int32_t height,
                               uint8_t style, TColor color, THorizontalAlign align = THorizontalAlign::Centre)
{
    auto box = std::make_unique<Tvnltext>();
    box->SetBounds(bounds);
    box->SetText(text);
    box->Font.SetName(font);
    box->Font.SetHeight(-height);
    box->Font.SetStyle(style);
    box->Font.SetColor(color);
    box->SetHAlign(align);
    box->SetVAlign(TVerticalAlign::Middle);
    return box;
}

// A ridge across the picture: its height at x (0 .. 1 of the width) as a sum of gentle waves,
// filled down to the bottom.
QPainterPath Ridge(double side, double level, double a1, double f1, double p1, double a2, double f2,
                   double p2)
{
    QPainterPath path;
    path.moveTo(0, side);
    for (int i = 0; i <= 200; ++i) {
        const double x = i / 200.0;
        const double y = level + a1 * std::sin(f1 * x + p1) + a2 * std::sin(f2 * x + p2);
        path.lineTo(x * side, y * side);
    }
    path.lineTo(side, side);
    path.closeSubpath();
    return path;
}

void PaintSky(QPainter &p, double side)
{
    QLinearGradient sky(0, 0, 0, side * 0.62);
    sky.setColorAt(0.0, QColor(104, 92, 138));
    sky.setColorAt(0.45, QColor(206, 138, 132));
    sky.setColorAt(0.8, QColor(240, 190, 138));
    sky.setColorAt(1.0, QColor(250, 222, 160));
    p.fillRect(QRectF(0, 0, side, side), sky);
    QRadialGradient glow(side * 0.64, side * 0.52, side * 0.3);
    glow.setColorAt(0.0, QColor(255, 246, 214, 255));
    glow.setColorAt(0.18, QColor(255, 240, 200, 255));
    glow.setColorAt(0.22, QColor(255, 226, 170, 140));
    glow.setColorAt(1.0, QColor(255, 210, 150, 0));
    p.fillRect(QRectF(0, 0, side, side), glow);
}

// The foreground slope with rows of vines running down it towards the viewer.
void PaintVineyard(QPainter &p, double side)
{
    const QPainterPath slope = Ridge(side, 0.66, 0.035, 3.1, 0.6, 0.012, 9.0, 1.0);
    QLinearGradient ground(0, side * 0.62, 0, side);
    ground.setColorAt(0.0, QColor(128, 138, 70));
    ground.setColorAt(1.0, QColor(70, 86, 40));
    p.fillPath(slope, ground);

    p.save();
    p.setClipPath(slope, Qt::IntersectClip);
    // The rows meet at a point far behind the hill, to the right of the sun.
    const QPointF vanishing(side * 0.78, side * 0.42);
    for (int row = -14; row <= 14; ++row) {
        const QPointF foot(side * (0.5 + row * 0.075), side * 1.02);
        const double near = 1.0 - std::abs(row) / 20.0;
        QLinearGradient shade(vanishing, foot);
        shade.setColorAt(0.0, QColor(70, 84, 40, 0));
        shade.setColorAt(0.35, QColor(52, 68, 30, 200));
        shade.setColorAt(1.0, QColor(34, 50, 22, 255));
        QPainterPath vines;
        const QPointF left(foot.x() - side * 0.018 * near, foot.y());
        const QPointF right(foot.x() + side * 0.018 * near, foot.y());
        vines.moveTo(vanishing);
        vines.quadTo(QPointF((vanishing.x() + left.x()) / 2 - side * 0.02, (vanishing.y() + left.y()) / 2),
                     left);
        vines.lineTo(right);
        vines.quadTo(QPointF((vanishing.x() + right.x()) / 2 - side * 0.02, (vanishing.y() + right.y()) / 2),
                     vanishing);
        p.fillPath(vines, shade);
    }
    p.restore();
}

// A farmhouse with a red roof and two cypresses on the far ridge.
void PaintFarm(QPainter &p, double side)
{
    const auto s = [side](double v) { return v * side; };
    const QColor cypress(44, 58, 44);
    for (const double x : {0.27, 0.305}) {
        QPainterPath tree;
        const double h = x < 0.3 ? 0.13 : 0.105;
        tree.moveTo(s(x), s(0.585 - h));
        tree.cubicTo(s(x + 0.022), s(0.585 - h * 0.6), s(x + 0.02), s(0.585), s(x), s(0.59));
        tree.cubicTo(s(x - 0.02), s(0.585), s(x - 0.022), s(0.585 - h * 0.6), s(x), s(0.585 - h));
        p.fillPath(tree, cypress);
    }
    p.fillRect(QRectF(s(0.34), s(0.535), s(0.09), s(0.05)), QColor(236, 222, 196));
    p.fillRect(QRectF(s(0.39), s(0.55), s(0.014), s(0.022)), QColor(120, 84, 60));
    QPainterPath roof;
    roof.moveTo(s(0.33), s(0.538));
    roof.lineTo(s(0.385), s(0.505));
    roof.lineTo(s(0.44), s(0.538));
    roof.closeSubpath();
    p.fillPath(roof, ToQColor(Claret));
}

// The medallion: a vineyard at dusk in a circle, ringed in claret and gold, on the label's cream
// so its square corners do not show.
QImage Medallion(int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(ToQColor(Cream));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = side;
    const QRectF circle(s * 0.03, s * 0.03, s * 0.94, s * 0.94);
    QPainterPath round;
    round.addEllipse(circle);
    p.setClipPath(round);
    PaintSky(p, s);
    p.fillPath(Ridge(s, 0.55, 0.03, 2.2, 2.4, 0.015, 6.0, 0.3), QColor(150, 124, 152));
    p.fillPath(Ridge(s, 0.6, 0.025, 3.4, 4.0, 0.01, 7.0, 2.0), QColor(118, 112, 122));
    PaintFarm(p, s);
    PaintVineyard(p, s);
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ToQColor(Claret), s * 0.022));
    p.drawEllipse(circle);
    p.setPen(QPen(ToQColor(Gold), s * 0.006));
    p.drawEllipse(circle.adjusted(s * 0.024, s * 0.024, -s * 0.024, -s * 0.024));
    return image;
}

const QString Serif = QStringLiteral("P052");
const QString Sans = QStringLiteral("Liberation Sans");

// The cream ground and the double frame both labels share.
void AddGround(Tdrawlist &label)
{
    label.AddObject(
        Figure(TShapeStyle::Rectangle, Inches(0, 0, LabelWidth, LabelHeight), Cream, std::nullopt));
    label.AddObject(Figure(TShapeStyle::Rectangle, Inches(0.12, 0.12, LabelWidth - 0.12, LabelHeight - 0.12),
                           std::nullopt, Claret, 3));
    label.AddObject(Figure(TShapeStyle::Rectangle, Inches(0.19, 0.19, LabelWidth - 0.19, LabelHeight - 0.19),
                           std::nullopt, Gold, 1));
}

// A word-wrapped block of text, left aligned, from its top.
std::unique_ptr<Tvnltext> Block(const QString &text, const TRect &bounds, int32_t height, uint8_t style)
{
    std::unique_ptr<Tvnltext> box = Line(text, bounds, Sans, height, style, Ink, THorizontalAlign::Left);
    box->SetVAlign(TVerticalAlign::Top);
    return box;
}

// A code of the symbology with its modules of the size given, from its top-left.
std::unique_ptr<Tvnlcode> Code(TSymbology symbology, const QString &data, double left, double top,
                               double moduleInches)
{
    auto code = std::make_unique<Tvnlcode>();
    code->SetSymbology(uint8_t(symbology));
    code->SetData(data);
    const TCodeResult &r = code->Encoded();
    if (!r.Vector)
        throw std::runtime_error(r.Error.toStdString());
    code->SetBounds(
        Inches(left, top, left + r.Vector->Width * moduleInches, top + r.Vector->Height * moduleInches));
    return code;
}

void ComposeBack(Tdrawlist &label)
{
    AddGround(label);
    label.AddObject(
        Line(QStringLiteral("LARKSPUR HILL"), Inches(0.25, 0.28, 3.25, 0.62), Serif, 20, 0, Claret));
    label.AddObject(Line(QStringLiteral("PINOT NOIR  ·  WILLAMETTE VALLEY  ·  2021"),
                         Inches(0.25, 0.6, 3.25, 0.76), Sans, 7, fsBold, Gold));
    label.AddObject(
        Block(QStringLiteral("Hand-harvested from the oldest blocks of our estate and aged eleven "
                             "months in French oak: red cherry, cranberry and forest floor, "
                             "with a long, silky finish. Serve at 60 °F with roast duck or "
                             "mushroom risotto.\r\nGrown, produced and bottled by Fennbrook "
                             "Cellars, 1420 Larkspur Hill Road, Dundee, Oregon."),
              Inches(0.32, 0.84, 3.18, 1.72), 8, 0));
    label.AddObject(Block(QStringLiteral("GOVERNMENT WARNING: (1) According to the Surgeon General, women "
                                         "should not drink alcoholic beverages during pregnancy because of "
                                         "the risk of birth defects. (2) Consumption of alcoholic beverages "
                                         "impairs your ability to drive a car or operate machinery, and may "
                                         "cause health problems."),
                          Inches(0.32, 1.6, 3.18, 2.24), 7, fsBold));
    label.AddObject(Line(QStringLiteral("Contains sulfites  ·  Alc. 13.5% by vol.  ·  750 ml"),
                         Inches(0.25, 2.36, 3.25, 2.52), Sans, 7, 0, Ink));
    // The shops' EAN-13 at its nominal size; the electronic label's QR code beside it.
    label.AddObject(Code(TSymbology::Ean13, QStringLiteral("4006381333931"), 0.3, 2.72, 0.013));
    label.AddObject(Code(TSymbology::QrCode,
                         QStringLiteral("https://www.fennbrook.example/e-label/larkspur-pinot-2021"), 2.18,
                         2.66, 0.025));
    label.AddObject(
        Line(QStringLiteral("Ingredients & nutrition"), Inches(1.9, 3.68, 3.3, 3.82), Sans, 6, 0, Ink));
}

void Compose(Tdrawlist &label)
{
    const QString serif = Serif;
    const QString sans = Sans;
    AddGround(label);

    auto picture = std::make_unique<Tvnlpic>();
    picture->SetPicture(Medallion(480));
    const double medallion = 1.4;
    picture->SetBounds(
        Inches((LabelWidth - medallion) / 2, 0.34, (LabelWidth + medallion) / 2, 0.34 + medallion));
    label.AddObject(std::move(picture));

    label.AddObject(
        Line(QStringLiteral("LARKSPUR HILL"), Inches(0.25, 1.76, 3.25, 2.24), serif, 30, 0, Claret));
    label.AddObject(
        Line(QStringLiteral("ESTATE  VINEYARDS"), Inches(0.25, 2.22, 3.25, 2.4), sans, 8, fsBold, Gold));
    label.AddObject(
        Line(QStringLiteral("Pinot Noir"), Inches(0.25, 2.4, 3.25, 2.96), serif, 32, fsItalic, Ink));

    // The vintage between two rules, each ending in a small diamond.
    const double rule = 3.13;
    label.AddObject(Figure(TShapeStyle::HorizontalLine, Inches(0.7, rule - 0.02, 1.35, rule + 0.02),
                           std::nullopt, Gold, 1));
    label.AddObject(Figure(TShapeStyle::HorizontalLine, Inches(2.15, rule - 0.02, 2.8, rule + 0.02),
                           std::nullopt, Gold, 1));
    for (const double x : {0.62, 2.88})
        label.AddObject(Figure(TShapeStyle::Polygon, Inches(x - 0.05, rule - 0.05, x + 0.05, rule + 0.05),
                               Claret, std::nullopt));
    label.AddObject(Line(QStringLiteral("2021"), Inches(1.35, 2.98, 2.15, 3.28), serif, 16, fsBold, Claret));

    label.AddObject(
        Line(QStringLiteral("WILLAMETTE VALLEY"), Inches(0.25, 3.28, 3.25, 3.48), sans, 9, 0, Ink));
    label.AddObject(Line(QStringLiteral("Alc. 13.5% by vol."), Inches(0.34, 3.54, 1.9, 3.74), sans, 8, 0, Ink,
                         THorizontalAlign::Left));
    label.AddObject(Line(QStringLiteral("750 ml"), Inches(1.9, 3.54, 3.16, 3.74), sans, 8, 0, Ink,
                         THorizontalAlign::Right));
}

int Fail(const QString &message)
{
    std::fprintf(stderr, "ambrelo-samplelabel: %s\n", message.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 4)
        return Fail(QStringLiteral("usage: ambrelo-samplelabel <program folder> <front.wlp> <back.wlp>"));
    InitPlatform();
    InitDocumentModule();
    // Template references are stored relative to the program's folder, so the project finds its
    // stock template wherever the program runs from.
    const QString programFolder = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    SetProgramFolder(programFolder);
    try {
        Tlabelproject files;
        files.OpenTemplate(QDir(programFolder).filePath(TemplateName));
        const tlabeltemplate &stock = files.Template();
        if (stock.GetLabelWidth() != LabelWidth || stock.GetLabelHeight() != LabelHeight)
            return Fail(TemplateName +
                        QStringLiteral(" is no longer 3.5 x 4 in; the design needs that size"));
        for (const bool front : {true, false}) {
            files.ClearProject();
            Tdrawlist &label = files.Project();
            label.Title = front ? QStringLiteral("Larkspur Hill Pinot Noir 2021, front label")
                                : QStringLiteral("Larkspur Hill Pinot Noir 2021, back label");
            if (front)
                Compose(label);
            else
                ComposeBack(label);
            files.Save(QString::fromLocal8Bit(argv[front ? 2 : 3]));
        }
    } catch (const std::exception &e) {
        return Fail(QString::fromUtf8(e.what()));
    }
    return 0;
}
