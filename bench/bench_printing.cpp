// Printing: one sheet of 30 spots drawn into the 600 dpi PDF printer, and the preview's repaint
// of that sheet at 600 x 800. Targets: under 20 ms a sheet, under 15 ms a repaint. The same sheet
// with a QR code and an EAN-13 on each label instead: under 30 ms a sheet (measured on the
// two-core build machine, shared with other builds: 4.9 ms; 7.7 ms under a load of 6).
//
// bench_printing --write-merge-files FOLDER writes the same label with a field for runs from a
// table (bench/merge_benchmark.sh) as wine-merge.wlt and wine-merge.wlp.
// bench_printing --write-peer-files FOLDER writes wine.wlt and wine.wlp there: the label of the
// peer document the side-by-side comparison uses (bench/peer_benchmark.sh), built as a template
// and project of ours: 30 labels of 2.625 x 1 inch in three columns of ten on US Letter, each a
// light box, a red ring and two lines of bold 10-point Liberation Sans.

#include "document/alphabitmap.h"
#include "document/code.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "document/labeltemplate.h"
#include "document/shape.h"
#include "document/text.h"
#include "editing/printjob.h"
#include "platform/platform.h"
#include "printing/pdfprinter.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {
constexpr TRect LabelUnits{100000, 100000, 102625, 101000};
constexpr int Columns = 3;
constexpr int Rows = 10;

// Thousandths of an inch from the label's top-left.
TRect Place(int left, int top, int width, int height)
{
    return {LabelUnits.Left + left, LabelUnits.Top + top, LabelUnits.Left + left + width,
            LabelUnits.Top + top + height};
}

struct TWineSheet {
    TWineSheet()
    {
        for (Tdrawlist *d : {static_cast<Tdrawlist *>(&Template), &Project})
            d->SetLabelRect({LabelUnits.Left, LabelUnits.Top, LabelUnits.Left, LabelUnits.Top});
        Template.SetLabelWidth(2.625);
        Template.SetLabelHeight(1.0);
        Template.Title = QStringLiteral("Address Labels 2.625 x 1 in, 30 a sheet");
        for (int row = 0; row < Rows; ++row)
            for (int column = 0; column < Columns; ++column) {
                auto spot = std::make_unique<Tlabelgeometry>();
                spot->SpotLeft = 0.15625 + column * 2.78125;
                spot->SpotTop = 0.5 + row * 1.0;
                spot->SpotWidth = 2.625;
                spot->SpotHeight = 1.0;
                spot->Marked = true;
                Template.Geometry.Add(std::move(spot));
            }
        Project.SetTemplate(&Template);

        auto box = std::make_unique<Tvnlshape>();
        box->Bounds = Place(100, 100, 2400, 800);
        box->SetShapeStyle(TShapeStyle::Rectangle);
        box->SetDrawFill(true);
        box->SetDrawOutline(true);
        box->Brush.SetColor(RGB(255, 255, 230)); // the peer's light yellow at half alpha over white
        box->Pen.SetColor(clBlack);
        box->Pen.SetWidth(1); // 1 point
        Project.AddObject(std::move(box));
        auto ring = std::make_unique<Tvnlshape>();
        ring->Bounds = Place(200, 200, 600, 600);
        ring->SetShapeStyle(TShapeStyle::Ellipse);
        ring->SetDrawFill(false);
        ring->SetDrawOutline(true);
        ring->Pen.SetColor(RGB(204, 0, 0));
        ring->Pen.SetWidth(3); // 2 points
        Project.AddObject(std::move(ring));
        auto text = std::make_unique<Tvnltext>();
        text->Bounds = Place(900, 200, 1500, 600);
        text->Font.SetName(QStringLiteral("Liberation Sans"));
        text->Font.SetHeight(-14); // 10 points
        text->Font.SetStyle(fsBold);
        text->SetText(QStringLiteral("Chateau Example\r\nGrand Vin 2019"));
        Project.AddObject(std::move(text));
        Project.Title = QStringLiteral("Chateau Example");
    }
    tlabeltemplate Template;
    Tdrawlist Project;
};

// Draws the sheet of the project into the 600 dpi PDF printer in every round, a page each.
void DrawSheetsIntoPdf(benchmark::State &state, Tdrawlist &project)
{
    QTemporaryDir folder;
    Tpdfprinter printer(folder.filePath(QStringLiteral("sheets.pdf")));
    Tprintjob job(&printer);
    job.SetDocument(&project);
    printer.SetOrientation(0);
    const TPoint size{printer.GetDeviceCaps(TDeviceCap::PhysicalWidth),
                      printer.GetDeviceCaps(TDeviceCap::PhysicalHeight)};
    TPrintSettings settings;
    settings.Spots = project.GetTemplate()->Geometry.MarkedSpots();
    printer.BeginDoc();
    bool first = true;
    for (auto _ : state) {
        if (!first)
            printer.NewPage();
        first = false;
        job.DrawSheet(settings, size, {0, 0}, printer.Canvas(), false);
    }
    printer.Commit();
}

void DrawSheetIntoPdf(benchmark::State &state)
{
    TWineSheet sheet;
    DrawSheetsIntoPdf(state, sheet.Project);
}
BENCHMARK(DrawSheetIntoPdf)->Unit(benchmark::kMillisecond);

std::unique_ptr<Tvnlcode> Code(TSymbology symbology, const QString &data, const TRect &bounds)
{
    auto code = std::make_unique<Tvnlcode>();
    code->SetSymbology(uint8_t(symbology));
    code->SetData(data);
    code->SetBounds(bounds);
    return code;
}

// Each label an EAN-13 at its nominal size and a QR code of the wine's address.
void DrawSheetOfCodesIntoPdf(benchmark::State &state)
{
    TWineSheet sheet;
    sheet.Project.ClearObjects();
    sheet.Project.AddObject(
        Code(TSymbology::Ean13, QStringLiteral("4006381333931"), Place(80, 60, 1469, 880)));
    sheet.Project.AddObject(Code(TSymbology::QrCode,
                                 QStringLiteral("https://www.fennbrook.example/e-label/larkspur-pinot-2021"),
                                 Place(1700, 100, 800, 800)));
    DrawSheetsIntoPdf(state, sheet.Project);
}
BENCHMARK(DrawSheetOfCodesIntoPdf)->Unit(benchmark::kMillisecond);

void PreviewRepaint(benchmark::State &state)
{
    TWineSheet sheet;
    Tprintjob job(nullptr);
    job.SetDocument(&sheet.Project);
    Talphabitmap bitmap;
    TPrintSettings settings;
    settings.Spots = sheet.Template.Geometry.MarkedSpots();
    job.PaintPreview(settings, bitmap, 600, 800);
    for (auto _ : state) {
        job.PaintPreview(settings, bitmap, 600, 800);
        benchmark::DoNotOptimize(bitmap.GetImage().constBits());
    }
}
BENCHMARK(PreviewRepaint)->Unit(benchmark::kMillisecond);

// The same label with a field, for runs from a table: wine-merge.wlt and wine-merge.wlp.
int WriteMergeFiles(const QString &folder)
{
    TWineSheet sheet;
    dynamic_cast<Tvnltext &>(*sheet.Project.GetObject(2))
        .SetText(QStringLiteral("Chateau Example\r\nLot ${lot}"));
    sheet.Template.SaveToFile(QDir(folder).filePath(QStringLiteral("wine-merge.wlt")));
    sheet.Project.SaveToFile(QDir(folder).filePath(QStringLiteral("wine-merge.wlp")));
    return 0;
}

int WritePeerFiles(const QString &folder)
{
    TWineSheet sheet;
    // The project names its template relative to the program that opens it, as the editor does.
    sheet.Template.SaveToFile(QDir(folder).filePath(QStringLiteral("wine.wlt")));
    sheet.Project.SaveToFile(QDir(folder).filePath(QStringLiteral("wine.wlp")));
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InitPlatform();
    InitDocumentModule();
    if (argc == 3 && std::strcmp(argv[1], "--write-peer-files") == 0)
        return WritePeerFiles(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "--write-merge-files") == 0)
        return WriteMergeFiles(QString::fromLocal8Bit(argv[2]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
