// How the editor's work grows with the label: 20, 200 and 2000 objects (text boxes and filled
// shapes in a grid over the label) and the photo project (a 12-megapixel photograph across the
// label under 20 objects), each through the editor's logic on a 1280 x 900 panel: opening the
// file, the first paint, a zoom step with its repaint, a drag step with its repaint, saving and
// loading. Every figure is the wall time (the time column) and, as "cpu_ms", the CPU time of all
// threads of the process per iteration, Qt's image-scaling workers included.
//
// Targets: a zoom step under 16 ms of CPU with 2000 objects, under 4 ms with 200, at most 12 times
// the 200-object figure with 2000; a zoom step with the photograph under 30 ms; saving the photo
// project under 500 ms, loading it under 300 ms.

#include "benchsupport.h"
#include "editorhost.h"

#include "document/labeltemplate.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/textlayout.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace {

// The argument that stands for the photo project.
constexpr int64_t PhotoProject = 0;
// Objects over the photograph in the photo project.
constexpr int PhotoProjectObjects = 20;
// The label, in document units.
constexpr int32_t LabelLeft = LabelCorner, LabelTop = LabelCorner, LabelWide = 4000, LabelHigh = 3500;
// The repaints the window's timer (every 30 ms) makes before the draft timer (750 ms) ends
// drafting, at most.
constexpr int RepaintsWhileDrafting = 25;

// count objects in a grid over the label, alternately a numbered text box and a filled shape,
// each inside its cell; the text's font shrinks with the cells, as fine print does.
void AddGrid(Tdrawlist &doc, int count)
{
    const int columns = int(std::ceil(std::sqrt(count * double(LabelWide) / LabelHigh)));
    const int rows = (count + columns - 1) / columns;
    const int32_t cellWide = LabelWide / columns, cellHigh = LabelHigh / rows;
    const int32_t points = std::clamp(cellHigh * 72 / 1000 / 2, 4, 12);
    for (int i = 0; i < count; ++i) {
        const int32_t x = LabelLeft + (i % columns) * cellWide, y = LabelTop + (i / columns) * cellHigh;
        const TRect bounds{x + cellWide / 10, y + cellHigh / 10, x + cellWide * 9 / 10,
                           y + cellHigh * 9 / 10};
        if (i % 2 == 0) {
            auto text = std::make_unique<Tvnltext>();
            text->Font.SetHeight(-points);
            text->SetText(QStringLiteral("No. %1").arg(i + 1));
            text->SetBounds(bounds);
            doc.AddObject(std::move(text));
        } else {
            auto shape = std::make_unique<Tvnlshape>();
            shape->SetShapeStyle(TShapeStyle(i % 4));
            shape->SetDrawFill(true);
            shape->Brush.SetColor(RGB(120 + i % 100, 30, 60));
            shape->SetBounds(bounds);
            doc.AddObject(std::move(shape));
        }
    }
}

void AddPhoto(Tdrawlist &doc)
{
    auto photo = std::make_unique<Tvnlpic>();
    photo->SetPicture(Photo());
    photo->SetBounds({LabelLeft, LabelTop, LabelLeft + LabelWide, LabelTop + 3000});
    doc.AddObject(std::move(photo));
}

QString SceneName(int64_t scene)
{
    return scene == PhotoProject ? QStringLiteral("photo") : QString::number(scene);
}

// The project of a scene, saved once per run into a temporary folder.
const QString &SceneFile(int64_t scene)
{
    static QTemporaryDir folder;
    static std::map<int64_t, QString> files;
    auto found = files.find(scene);
    if (found != files.end())
        return found->second;
    Tdrawlist doc;
    doc.SetLabelRect({LabelLeft, LabelTop, LabelLeft + 1, LabelTop + 1});
    doc.SetLabelWidth(LabelWide / 1000.0);
    doc.SetLabelHeight(LabelHigh / 1000.0);
    if (scene == PhotoProject) {
        AddPhoto(doc);
        AddGrid(doc, PhotoProjectObjects);
    } else {
        AddGrid(doc, int(scene));
    }
    const QString path = folder.filePath(SceneName(scene) + QStringLiteral(".wlp"));
    doc.SaveToFile(path);
    return files.emplace(scene, path).first->second;
}

// The editor with the scene's project opened and painted whole at zoom 1.
struct TSceneEditor : TEditorHarness {
    explicit TSceneEditor(int64_t scene)
    {
        Open(scene);
        ShowLabel();
    }
    void Open(int64_t scene) { Labeler->DropFiles({SceneFile(scene)}, std::nullopt); }
    // What the window's repaint timer does: the pending rectangles, then the paint of them.
    bool RepaintPending()
    {
        if (Labeler->PendingPanelRects().Count() == 0)
            return false;
        Labeler->PaintCanvas({});
        return true;
    }
};

void Open(benchmark::State &state)
{
    TSceneEditor e(state.range(0));
    TProcessMeter meter;
    for (auto _ : state)
        meter.Measure(state, [&] { e.Open(state.range(0)); });
    meter.Report(state);
}

// The paint of the whole panel after a file was opened: every cache is new.
void FirstPaint(benchmark::State &state)
{
    TSceneEditor e(state.range(0));
    TProcessMeter meter;
    for (auto _ : state) {
        e.Open(state.range(0));
        meter.Measure(state, [&] { e.PaintAll(); });
    }
    meter.Report(state);
}

// One notch of the wheel (alternately in and out) and the repaint the window's timer then makes;
// "layouts" counts the text layouts made per step.
void ZoomStep(benchmark::State &state)
{
    TSceneEditor e(state.range(0));
    TProcessMeter meter;
    int32_t delta = WheelNotch;
    const int64_t layouts = Ttextlayout::LayoutsMade();
    for (auto _ : state) {
        meter.Measure(state, [&] {
            e.Labeler->Wheel(delta);
            e.RepaintPending();
        });
        delta = -delta;
    }
    meter.Report(state);
    state.counters["layouts"] =
        benchmark::Counter(double(Ttextlayout::LayoutsMade() - layouts), benchmark::Counter::kAvgIterations);
}

// One notch of the wheel and every repaint the window's timer makes after it while the draft
// timer has not yet ended drafting; "repaints" counts them.
void ZoomStepWithFollowingRepaints(benchmark::State &state)
{
    TSceneEditor e(state.range(0));
    TProcessMeter meter;
    int32_t delta = WheelNotch;
    int64_t repaints = 0;
    for (auto _ : state) {
        meter.Measure(state, [&] {
            e.Labeler->Wheel(delta);
            for (int i = 0; i < RepaintsWhileDrafting && e.RepaintPending(); ++i)
                ++repaints;
        });
        delta = -delta;
    }
    meter.Report(state);
    state.counters["repaints"] = benchmark::Counter(double(repaints), benchmark::Counter::kAvgIterations);
}

// The draft timer ends drafting after a zoom step, and the repaint in full quality follows.
void ZoomEnds(benchmark::State &state)
{
    TSceneEditor e(state.range(0));
    TProcessMeter meter;
    int32_t delta = WheelNotch;
    for (auto _ : state) {
        e.Labeler->Wheel(delta);
        e.RepaintPending();
        delta = -delta;
        meter.Measure(state, [&] {
            for (Tdrawlist *doc : {&e.Labeler->Document(), static_cast<Tdrawlist *>(&e.Labeler->Template())})
                if (doc->DraftTimerEnabled())
                    doc->DraftTimerTick();
            e.RepaintPending();
        });
    }
    meter.Report(state);
}

// One mouse move in the middle of a drag of an object near the label's centre, and the repaint.
void Drag(benchmark::State &state)
{
    TSceneEditor e(state.range(0));
    Tdrawlist &doc = e.Labeler->Document();
    Tdrawobj *dragged = doc.GetObject(doc.Count() / 2);
    const TRect b = dragged->Bounds;
    const TPoint p = e.At(b.Left + (b.Right - b.Left) / 2, b.Top + (b.Bottom - b.Top) / 2);
    Tcanvasinput &input = e.Labeler->Input();
    input.MouseDown(TMouseButton::Left, p, false, false);
    for (int i = 0; i < 4; ++i)
        input.MouseMove({p.X + i, p.Y}, false, false);
    e.RepaintPending();
    TProcessMeter meter;
    int32_t step = 0;
    for (auto _ : state) {
        step = step == 0 ? 6 : 0;
        meter.Measure(state, [&] {
            input.MouseMove({p.X + step, p.Y + step}, false, false);
            e.RepaintPending();
        });
    }
    input.MouseUp(TMouseButton::Left, p, false, false);
    meter.Report(state);
}

void Save(benchmark::State &state)
{
    TSceneEditor e(state.range(0));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("saved.wlp"));
    TProcessMeter meter;
    for (auto _ : state)
        meter.Measure(state, [&] { e.Labeler->Document().SaveToFile(path); });
    meter.Report(state);
    state.counters["bytes"] = double(QFileInfo(path).size());
}

void Load(benchmark::State &state)
{
    const QString &path = SceneFile(state.range(0));
    tlabeltemplate t;
    TProcessMeter meter;
    for (auto _ : state) {
        Tdrawlist doc;
        doc.SetTemplate(&t);
        meter.Measure(state, [&] { doc.LoadFromFile(path); });
        benchmark::DoNotOptimize(doc.Count());
    }
    meter.Report(state);
    state.counters["bytes"] = double(QFileInfo(path).size());
}

void Scenes(benchmark::internal::Benchmark *b)
{
    b->Arg(20)->Arg(200)->Arg(2000)->Arg(PhotoProject)->ArgName("objects_or_0_photo");
    b->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(Open)->Apply(Scenes);
BENCHMARK(FirstPaint)->Apply(Scenes);
BENCHMARK(ZoomStep)->Apply(Scenes);
BENCHMARK(ZoomStepWithFollowingRepaints)->Apply(Scenes);
BENCHMARK(ZoomEnds)->Apply(Scenes);
BENCHMARK(Drag)->Apply(Scenes);
BENCHMARK(Save)->Apply(Scenes);
BENCHMARK(Load)->Apply(Scenes);

} // namespace

int main(int argc, char **argv)
{
    return RunDocumentBenchmarks(argc, argv);
}
