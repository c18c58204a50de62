// Builds the stock label templates from the table of facts:
//     ambrelo-stocktemplates <table> <output folder>
// For each block of the table a template file "<name>.wlt": its spots laid out as the template
// editor's automatic layout lays them (row by row, each row left to right), the layout's values
// kept with them, its description, and starter objects that suit the label: prompt texts for
// the winery, the wine and the bottle's legal lines, and a frame. The folder is emptied of
// templates first, so a block taken out of the table takes its file with it. A table with a
// fault writes nothing and fails with a message naming the line.

#include "stocktable.h"

#include "document/globals.h"
#include "document/labeltemplate.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/colors.h"
#include "platform/platform.h"
#include "platform/rnd.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

// Document units are thousandths of an inch; the label's top-left lies at (LabelOrigin,
// LabelOrigin). Font heights, pen widths and corner sizes are hundredths of an inch.
constexpr int32_t UnitsPerInch = 1000;
constexpr int32_t LabelOriginUnits = 100000;
constexpr double HundredthsPerInch = 100.0;

constexpr TColor Claret = RGB(110, 20, 40);
constexpr TColor Ink = RGB(40, 40, 40);
const QString Serif = QStringLiteral("Liberation Serif");
const QString Sans = QStringLiteral("Liberation Sans");

// A prompt text, placed in fractions of the label's width and height. Its characters are
// Size times the box's height.
struct TPrompt {
    const char *Text;
    double Left, Top, Right, Bottom;
    double Size;
    const QString &Font;
    uint8_t Style;
    TColor Color;
    THorizontalAlign HAlign;
    TVerticalAlign VAlign;
};

// The frame: a figure inset from the label's edge by Inset times its shorter side.
struct TFrame {
    TShapeStyle Style;
    double Inset;
};

struct TDesign {
    const char *Name;
    bool HasFrame;
    TFrame Frame;
    std::vector<TPrompt> Prompts;
};

constexpr double LineSize = 0.62;
// The alignments the prompts take, short so that each prompt stays one row.
constexpr THorizontalAlign HLeft = THorizontalAlign::Left, HCentre = THorizontalAlign::Centre,
                           HRight = THorizontalAlign::Right;
constexpr TVerticalAlign VTop = TVerticalAlign::Top, VMiddle = TVerticalAlign::Middle;

const std::vector<TDesign> &Designs()
{
    static const std::vector<TDesign> designs{
        {"front",
         true,
         {TShapeStyle::RoundRect, 0.05},
         {
             {"Winery", 0.12, 0.11, 0.88, 0.29, LineSize, Serif, fsBold, Claret, HCentre, VMiddle},
             {"Varietal", 0.12, 0.35, 0.88, 0.51, LineSize, Serif, fsItalic, Ink, HCentre, VMiddle},
             {"Vintage", 0.25, 0.54, 0.75, 0.66, LineSize, Serif, 0, Claret, HCentre, VMiddle},
             {"Appellation", 0.12, 0.69, 0.88, 0.77, LineSize, Sans, 0, Ink, HCentre, VMiddle},
             {"Alc. 13.5% by vol.", 0.12, 0.80, 0.88, 0.87, LineSize, Sans, 0, Ink, HCentre, VMiddle},
         }},
        {"back",
         false,
         {},
         {
             {"Winery", 0.06, 0.06, 0.94, 0.24, LineSize, Serif, fsBold, Claret, HCentre, VMiddle},
             {"Tasting notes", 0.06, 0.28, 0.94, 0.72, 0.16, Sans, 0, Ink, HLeft, VTop},
             {"Alc. 13.5% by vol.", 0.06, 0.78, 0.5, 0.93, LineSize, Sans, 0, Ink, HLeft, VMiddle},
             {"750 ml", 0.5, 0.78, 0.94, 0.93, LineSize, Sans, 0, Ink, HRight, VMiddle},
         }},
        {"neck",
         true,
         {TShapeStyle::RoundRect, 0.06},
         {
             {"Winery", 0.1, 0.14, 0.9, 0.52, LineSize, Serif, fsBold, Claret, HCentre, VMiddle},
             {"Vintage", 0.1, 0.54, 0.9, 0.86, LineSize, Serif, 0, Ink, HCentre, VMiddle},
         }},
        {"round",
         true,
         {TShapeStyle::Ellipse, 0.05},
         {
             {"Winery", 0.2, 0.2, 0.8, 0.37, LineSize, Serif, fsBold, Claret, HCentre, VMiddle},
             {"Vintage", 0.25, 0.41, 0.75, 0.59, LineSize, Serif, 0, Ink, HCentre, VMiddle},
             {"Varietal", 0.2, 0.63, 0.8, 0.78, LineSize, Serif, fsItalic, Ink, HCentre, VMiddle},
         }},
        {"square",
         true,
         {TShapeStyle::RoundRect, 0.05},
         {
             {"Winery", 0.12, 0.12, 0.88, 0.3, LineSize, Serif, fsBold, Claret, HCentre, VMiddle},
             {"Varietal", 0.12, 0.35, 0.88, 0.51, LineSize, Serif, fsItalic, Ink, HCentre, VMiddle},
             {"Vintage", 0.25, 0.55, 0.75, 0.68, LineSize, Serif, 0, Claret, HCentre, VMiddle},
             {"Alc. 13.5% by vol.", 0.12, 0.76, 0.88, 0.85, LineSize, Sans, 0, Ink, HCentre, VMiddle},
         }},
    };
    return designs;
}

int32_t Units(double inches)
{
    return rnd(inches * UnitsPerInch);
}

TRect LabelPart(const TStockSheet &sheet, double left, double top, double right, double bottom)
{
    return {LabelOriginUnits + Units(left * sheet.LabelWidth),
            LabelOriginUnits + Units(top * sheet.LabelHeight),
            LabelOriginUnits + Units(right * sheet.LabelWidth),
            LabelOriginUnits + Units(bottom * sheet.LabelHeight)};
}

std::unique_ptr<Tvnlshape> Frame(const TStockSheet &sheet, const TFrame &frame)
{
    const double shorter = std::min(sheet.LabelWidth, sheet.LabelHeight);
    const double inset = frame.Inset * shorter;
    auto shape = std::make_unique<Tvnlshape>();
    shape->SetBounds({LabelOriginUnits + Units(inset), LabelOriginUnits + Units(inset),
                      LabelOriginUnits + Units(sheet.LabelWidth - inset),
                      LabelOriginUnits + Units(sheet.LabelHeight - inset)});
    shape->SetShapeStyle(frame.Style);
    shape->SetDrawOutline(true);
    shape->SetDrawFill(false);
    shape->Pen.SetColor(Claret);
    // A hairline on a neck label, a firm line on a full sheet.
    shape->Pen.SetWidth(std::clamp(rnd(shorter * 1.2), 2, 8));
    const int32_t corner = rnd(shorter * 0.16 * HundredthsPerInch);
    shape->SetCurveX(corner);
    shape->SetCurveY(corner);
    return shape;
}

std::unique_ptr<Tvnltext> Prompt(const TStockSheet &sheet, const TPrompt &prompt)
{
    auto text = std::make_unique<Tvnltext>();
    const TRect box = LabelPart(sheet, prompt.Left, prompt.Top, prompt.Right, prompt.Bottom);
    text->SetBounds(box);
    text->SetText(QString::fromUtf8(prompt.Text));
    text->Font.SetName(prompt.Font);
    // Negative: the height of the characters themselves, without the line's leading.
    const double boxInches = double(box.Bottom - box.Top) / UnitsPerInch;
    text->Font.SetHeight(-std::max(rnd(boxInches * prompt.Size * HundredthsPerInch), 6));
    text->Font.SetStyle(prompt.Style);
    text->Font.SetColor(prompt.Color);
    text->SetHAlign(prompt.HAlign);
    text->SetVAlign(prompt.VAlign);
    return text;
}

void SetUpLabel(Tdrawlist &document, const TStockSheet &sheet)
{
    document.SetLabelRect({LabelOriginUnits, LabelOriginUnits, LabelOriginUnits + 1, LabelOriginUnits + 1});
    document.SetLabelWidth(sheet.LabelWidth);
    document.SetLabelHeight(sheet.LabelHeight);
}

// The spots as the automatic layout places them, with its values kept in the layout block.
void LayOut(Tlabelgeometrylist &geometry, const TStockSheet &sheet)
{
    geometry.Orientation = sheet.Orientation;
    geometry.LayOutGrid({sheet.LeftMargin, sheet.TopMargin, sheet.Columns, sheet.Rows, sheet.HGutter,
                         sheet.VGutter, sheet.LabelWidth, sheet.LabelHeight});
}

void WriteTemplate(const TStockSheet &sheet, const QString &path)
{
    tlabeltemplate stock;
    SetUpLabel(stock, sheet);
    SetUpLabel(stock.StarterObjects, sheet);
    LayOut(stock.Geometry, sheet);
    stock.Title = sheet.Description;
    const auto design = std::find_if(Designs().begin(), Designs().end(),
                                     [&](const TDesign &d) { return sheet.Design == QLatin1String(d.Name); });
    if (design == Designs().end())
        throw std::runtime_error("no starter objects for the design " + sheet.Design.toStdString());
    if (design->HasFrame)
        stock.StarterObjects.AddObject(Frame(sheet, design->Frame));
    for (const TPrompt &prompt : design->Prompts)
        stock.StarterObjects.AddObject(Prompt(sheet, prompt));
    stock.SaveToFile(path);
}

int Fail(const QString &message)
{
    std::fprintf(stderr, "ambrelo-stocktemplates: %s\n", message.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 3)
        return Fail(QStringLiteral("usage: ambrelo-stocktemplates <table> <output folder>"));
    InitPlatform();
    InitDocumentModule();

    QFile tableFile(QString::fromLocal8Bit(argv[1]));
    if (!tableFile.open(QIODevice::ReadOnly))
        return Fail(tableFile.fileName() + QStringLiteral(": ") + tableFile.errorString());
    const TStockTable table = ParseStockTable(QString::fromUtf8(tableFile.readAll()));
    if (!table.Errors.isEmpty())
        return Fail(tableFile.fileName() + QStringLiteral(":\n  ") +
                    table.Errors.join(QStringLiteral("\n  ")));

    QDir folder(QString::fromLocal8Bit(argv[2]));
    if (!folder.mkpath(QStringLiteral(".")))
        return Fail(QStringLiteral("cannot make ") + folder.path());
    for (const QString &old : folder.entryList({QStringLiteral("*.wlt")}, QDir::Files))
        folder.remove(old);
    try {
        for (const TStockSheet &sheet : table.Sheets)
            WriteTemplate(sheet, folder.filePath(sheet.Name + QStringLiteral(".wlt")));
    } catch (const std::exception &e) {
        return Fail(QString::fromUtf8(e.what()));
    }
    return 0;
}
