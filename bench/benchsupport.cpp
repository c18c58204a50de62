#include "benchsupport.h"

#include "document/globals.h"
#include "platform/platform.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <random>

const QImage &Photo()
{
    static const QImage photo = [] {
        QImage image(4000, 3000, QImage::Format_RGB32);
        std::mt19937 random(3);
        std::uniform_int_distribution<int> noise(-6, 6);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = qRgb(std::clamp(x / 16 + noise(random), 0, 255),
                               std::clamp(y / 12 + noise(random), 0, 255),
                               std::clamp((x + y) / 28 + noise(random), 0, 255));
        }
        return image;
    }();
    return photo;
}

double TProcessMeter::ProcessCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double TProcessMeter::WallSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void TProcessMeter::Report(benchmark::State &state) const
{
    state.counters["cpu_ms"] = benchmark::Counter(Cpu * 1e3, benchmark::Counter::kAvgIterations);
}

int RunDocumentBenchmarks(int argc, char **argv)
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
