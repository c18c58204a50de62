// Hit testing over a full document, the rectangle algebra behind repainting, and the
// whole-bitmap alpha operations at screen size.

#include "document/alphabitmap.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "document/rectmath.h"
#include "platform/platform.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <random>

namespace {
constexpr int ObjectCount = 2000;
const TRect View{0, 0, 1920, 1080};

// 2,000 objects scattered over the view, the last few selected.
std::unique_ptr<Tdrawlist> MakeDocument()
{
    auto doc = std::make_unique<Tdrawlist>();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(0, 1800), y(0, 1000), side(20, 200);
    for (int i = 0; i < ObjectCount; ++i) {
        auto o = std::make_unique<Tdrawobj>();
        const int l = x(random), t = y(random);
        o->Bounds = {l, t, l + side(random), t + side(random)};
        doc->AddObject(std::move(o));
    }
    doc->SetDocumentView(View, 1.0);
    for (int i = ObjectCount - 20; i < ObjectCount; ++i)
        doc->GetObject(i)->SetSelected(true);
    return doc;
}

void ObjectAt(benchmark::State &state)
{
    auto doc = MakeDocument();
    // A point outside every object makes both passes scan the whole list.
    for (auto _ : state)
        benchmark::DoNotOptimize(doc->ObjectAt({1919, 1079}, true));
}
BENCHMARK(ObjectAt)->Unit(benchmark::kMicrosecond);

void SelectedHandleAt(benchmark::State &state)
{
    auto doc = MakeDocument();
    Tdrawobj *object = nullptr;
    for (auto _ : state)
        benchmark::DoNotOptimize(doc->SelectedHandleAt({1919, 1079}, object));
}
BENCHMARK(SelectedHandleAt)->Unit(benchmark::kMicrosecond);

void MergeOverlaps(benchmark::State &state)
{
    std::mt19937 random(11);
    std::uniform_int_distribution<int> x(0, 1800), y(0, 1000), side(5, 120);
    Trectlist source;
    for (int i = 0; i < 200; ++i) {
        const int l = x(random), t = y(random);
        source.AddRect({l, t, l + side(random), t + side(random)});
    }
    Trectlist list;
    for (auto _ : state) {
        list.AssignList(source);
        list.MergeOverlaps();
        benchmark::DoNotOptimize(list.Count());
    }
}
BENCHMARK(MergeOverlaps)->Unit(benchmark::kMicrosecond);

void Subtract(benchmark::State &state)
{
    Trectlist pieces;
    for (auto _ : state) {
        pieces.Subtract({0, 0, 1000, 800}, {300, 200, 600, 500});
        benchmark::DoNotOptimize(pieces.Count());
    }
}
BENCHMARK(Subtract);

struct FullHd {
    Talphabitmap bitmap;
    Talphabitmap source;
    FullHd()
    {
        bitmap.SetSize(1920, 1080);
        source.SetSize(1920, 1080);
        bitmap.Fill(0x80A0B0C0u);
        source.Fill(0xFF405060u);
    }
};

void SetAlpha(benchmark::State &state)
{
    FullHd f;
    for (auto _ : state) {
        f.bitmap.SetAlpha(0x80);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(SetAlpha)->Unit(benchmark::kMillisecond);

void Premultiply(benchmark::State &state)
{
    FullHd f;
    for (auto _ : state) {
        f.bitmap.Premultiply();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Premultiply)->Unit(benchmark::kMillisecond);

void AlphaFromChannels(benchmark::State &state)
{
    FullHd f;
    for (auto _ : state) {
        f.bitmap.AlphaFromChannels(f.source, RGB(255, 0, 0));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(AlphaFromChannels)->Unit(benchmark::kMillisecond);
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
