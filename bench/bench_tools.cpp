// The tool window: creating it (part of the program's start-up), opening its font list, and
// giving a shape style to a large selection.

#include "document/drawlist.h"
#include "document/globals.h"
#include "document/shape.h"
#include "editing/toolbox.h"
#include "platform/platform.h"
#include "settings/regbackend.h"
#include "settings/registry.h"
#include "tools/toolwindow.h"

#include <QApplication>
#include <QComboBox>
#include <benchmark/benchmark.h>

namespace {

// A settings store in memory, open on the settings key.
struct TBenchStore {
    std::shared_ptr<Tmemorybackend> Backend = std::make_shared<Tmemorybackend>();
    Tregistryex Store;
    TBenchStore()
    {
        SetRootBackend(HKEY_CURRENT_USER, Backend);
        Store.OpenKey(QString::fromLatin1(SettingsKeyPath), true);
    }
    ~TBenchStore() { SetRootBackend(HKEY_CURRENT_USER, nullptr); }
};

void CreateToolWindow(benchmark::State &state)
{
    TBenchStore settings;
    for (auto _ : state) {
        auto window = std::make_unique<Tfrm_toolbox>(settings.Store);
        benchmark::DoNotOptimize(window.get());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(CreateToolWindow)->Unit(benchmark::kMillisecond);

// The list draws the entries it shows, whatever the number of fonts installed.
void OpenFontList(benchmark::State &state)
{
    TBenchStore settings;
    Tfrm_toolbox window(settings.Store);
    window.Logic().SelectTool(TTool::Text);
    window.show();
    QApplication::processEvents();
    state.counters["fonts"] = window.cb_fontname->count();
    for (auto _ : state) {
        window.cb_fontname->showPopup();
        QApplication::processEvents();
        window.cb_fontname->hidePopup();
        QApplication::processEvents();
    }
}
BENCHMARK(OpenFontList)->Unit(benchmark::kMillisecond);

// 200 selected shapes on a view, taking in turn two styles that differ in every property.
void ApplyShapeStyleToSelection(benchmark::State &state)
{
    TBenchStore settings;
    Tdrawlist doc;
    doc.SetLabelRect({100000, 100000, 100001, 100001});
    doc.SetLabelWidth(4.0);
    doc.SetLabelHeight(3.5);
    for (int i = 0; i < 200; ++i) {
        auto shape = std::make_unique<Tvnlshape>();
        Tvnlshape *s = shape.get();
        doc.AddObject(std::move(shape));
        const int32_t x = 100000 + (i % 20) * 200, y = 100000 + (i / 20) * 300;
        s->SetBounds({x, y, x + 180, y + 250});
        s->SetSelected(true);
    }
    doc.SetDocumentView({9000, 9000, 1920, 1080}, 0.1);
    doc.CloseUndoGroup();
    Tvnlshape styles[2];
    styles[0].SetShapeStyle(TShapeStyle::Polygon);
    styles[0].SetSideCount(7);
    styles[0].SetAngle(0.5);
    styles[0].Pen.SetColor(clRed);
    styles[0].Pen.SetWidth(3);
    styles[0].Brush.SetColor(clBlue);
    styles[0].SetDrawFill(true);
    styles[1].SetShapeStyle(TShapeStyle::RoundRect);
    styles[1].SetCurveX(200);
    styles[1].SetCurveY(300);
    styles[1].SetDrawOutline(true);
    Ttoolbox toolbox(settings.Store);
    toolbox.SetDocument(&doc);
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        toolbox.LoadShapeStyle(styles[turn]);
        turn = 1 - turn;
        doc.ClearInvalid();
        state.ResumeTiming();
        toolbox.ApplyShapeStyle(nullptr);
    }
    benchmark::DoNotOptimize(doc.GetUndoList().Count());
}
BENCHMARK(ApplyShapeStyleToSelection)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitPlatform();
    InitDocumentModule();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
