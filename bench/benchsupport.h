#pragma once
// What the benchmark programs share.

#include <QImage>
#include <benchmark/benchmark.h>

// A 12-megapixel photograph: smooth gradients with some detail, as a camera gives (made once).
const QImage &Photo();

// The main of a benchmark program of the document model: an application on the offscreen
// platform, the module initialisations, then every benchmark registered.
int RunDocumentBenchmarks(int argc, char **argv);

// The wall time and the CPU time of every thread of the process over the measured part of each
// iteration. Qt scales images on worker threads, which the benchmark library's own CPU time (the
// main thread's) leaves out. A benchmark using it runs with UseManualTime(): Measure gives the
// iteration its wall time, and Report adds the counter "cpu_ms", all threads' CPU time per
// iteration in milliseconds.
class TProcessMeter {
public:
    template <typename Work> void Measure(benchmark::State &state, Work &&work)
    {
        const double cpu = ProcessCpuSeconds();
        const double wall = WallSeconds();
        work();
        const double wallTaken = WallSeconds() - wall;
        Cpu += ProcessCpuSeconds() - cpu;
        state.SetIterationTime(wallTaken);
    }
    void Report(benchmark::State &state) const;

private:
    static double ProcessCpuSeconds();
    static double WallSeconds();
    double Cpu = 0.0;
};
