// Codes: one QR code of 200 characters encoded and drawn (target under 2 ms), and a sheet of 30
// labels, each with a QR code and an EAN-13, drawn into the 600 dpi PDF printer (target under
// 30 ms a sheet). Measured on the two-core build machine under a load of about 6: 0.72 ms, and
// 7.7 ms a sheet (5.0 ms of processor time).

#include "document/code.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "document/labeltemplate.h"
#include "editing/printjob.h"
#include "platform/canvas.h"
#include "platform/platform.h"
#include "printing/qtprinter.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
constexpr TRect LabelUnits{100000, 100000, 102625, 101000};

QString Address200()
{
    const QString address =
        QStringLiteral("https://www.fennbrook.example/e-label/larkspur-pinot-2021?lot=42");
    return address + QStringLiteral("&x=") + QString(200 - address.size() - 3, u'7');
}

std::unique_ptr<Tvnlcode> Code(TSymbology symbology, const QString &data, const TRect &bounds)
{
    auto code = std::make_unique<Tvnlcode>();
    code->SetSymbology(uint8_t(symbology));
    code->SetData(data);
    code->SetBounds(bounds);
    return code;
}

// Encoding from the data each time (nothing kept from the last round) and drawing the symbol, an
// inch square, at 300 dots per inch for output.
void EncodeAndDrawQrCode200(benchmark::State &state)
{
    auto code = Code(TSymbology::QrCode, Address200(), {0, 0, 1000, 1000});
    QImage image(300, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    Tcanvas canvas(&image);
    const TRect view{0, 0, 300, 300};
    for (auto _ : state) {
        code->ResetCaches();
        code->Draw(canvas, view, true, view, 0.3);
        benchmark::DoNotOptimize(image.constBits());
    }
    if (!code->PrintProblem().isEmpty())
        state.SkipWithError(code->PrintProblem().toStdString().c_str());
}
BENCHMARK(EncodeAndDrawQrCode200)->Unit(benchmark::kMillisecond);

// 30 labels of 2.625 x 1 inch, three columns of ten on US Letter, each with an EAN-13 at its
// nominal size and a QR code of the wine's address.
struct TCodeSheet {
    TCodeSheet()
    {
        for (Tdrawlist *d : {static_cast<Tdrawlist *>(&Template), &Project})
            d->SetLabelRect({LabelUnits.Left, LabelUnits.Top, LabelUnits.Left, LabelUnits.Top});
        Template.SetLabelWidth(2.625);
        Template.SetLabelHeight(1.0);
        for (int row = 0; row < 10; ++row)
            for (int column = 0; column < 3; ++column) {
                auto spot = std::make_unique<Tlabelgeometry>();
                spot->SpotLeft = 0.15625 + column * 2.78125;
                spot->SpotTop = 0.5 + row * 1.0;
                spot->SpotWidth = 2.625;
                spot->SpotHeight = 1.0;
                spot->Marked = true;
                Template.Geometry.Add(std::move(spot));
            }
        Project.SetTemplate(&Template);
        const int32_t l = LabelUnits.Left, t = LabelUnits.Top;
        Project.AddObject(Code(TSymbology::Ean13, QStringLiteral("4006381333931"),
                               {l + 80, t + 60, l + 80 + 1469, t + 60 + 880}));
        Project.AddObject(Code(TSymbology::QrCode,
                               QStringLiteral("https://www.fennbrook.example/e-label/larkspur-pinot-2021"),
                               {l + 1700, t + 100, l + 2500, t + 900}));
    }
    tlabeltemplate Template;
    Tdrawlist Project;
};

void SheetOfCodesIntoPdf(benchmark::State &state)
{
    TCodeSheet sheet;
    QTemporaryDir folder;
    Tqtprinter printer(folder.filePath(QStringLiteral("codes.pdf")));
    Tprintjob job(&printer);
    job.SetDocument(&sheet.Project);
    printer.SetOrientation(0);
    const TPoint size{printer.GetDeviceCaps(TDeviceCap::PhysicalWidth),
                      printer.GetDeviceCaps(TDeviceCap::PhysicalHeight)};
    printer.BeginDoc();
    bool first = true;
    for (auto _ : state) {
        if (!first)
            printer.NewPage();
        first = false;
        job.DrawSheet(size, {0, 0}, printer.Canvas(), false);
    }
    printer.EndDoc();
}
BENCHMARK(SheetOfCodesIntoPdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InitPlatform();
    InitDocumentModule();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
