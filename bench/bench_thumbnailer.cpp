// The thumbnailer as a file manager runs it: a whole process, started, reading the header of a
// project that holds a 12-megapixel photograph, and writing the thumbnail at the normal and the
// large size.
// Target: under 30 ms a file (wall time), however large the pictures behind the header are.
// "process CPU ms" is the CPU time of each thumbnailer process itself, which a busy machine does
// not stretch as it stretches the wall time.

#include "benchsupport.h"

#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "document/picture.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

namespace {

double ChildrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

const QString Thumbnailer = QStringLiteral(AMBRELO_THUMBNAILER);

QString PhotoProject(const QTemporaryDir &folder)
{
    Tdrawlist project;
    project.SetLabelRect({100000, 100000, 100001, 100001});
    project.SetLabelWidth(4.0);
    project.SetLabelHeight(3.0);
    auto picture = std::make_unique<Tvnlpic>();
    picture->SetPicture(Photo());
    picture->SetBounds({100000, 100000, 104000, 103000});
    project.AddObject(std::move(picture));
    const QString path = folder.filePath(QStringLiteral("photo label.wlp"));
    project.SaveToFile(path);
    return path;
}

void ThumbnailerOfAPhotoProject(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString input = PhotoProject(folder);
    const QString output = folder.filePath(QStringLiteral("thumbnail.png"));
    const double cpuBefore = ChildrenCpuMs();
    const QByteArray program = QFile::encodeName(Thumbnailer), in = QFile::encodeName(input),
                     out = QFile::encodeName(output);
    QByteArray size = QByteArray::number(state.range(0));
    char flag[] = "-s";
    char *const arguments[] = {
        const_cast<char *>(program.constData()), flag,   size.data(), const_cast<char *>(in.constData()),
        const_cast<char *>(out.constData()),     nullptr};
    for (auto _ : state) {
        // posix_spawn starts the program without copying this process, as a file manager's
        // launcher does; only the thumbnailer's own work is measured.
        pid_t child = 0;
        int status = -1;
        if (posix_spawn(&child, program.constData(), nullptr, nullptr, arguments, environ) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the thumbnailer failed");
            break;
        }
    }
    state.counters["file MB"] = double(QFileInfo(input).size()) / 1e6;
    state.counters["process CPU ms"] = (ChildrenCpuMs() - cpuBefore) / double(state.iterations());
}
// The normal and the large size of freedesktop.org thumbnails.
BENCHMARK(ThumbnailerOfAPhotoProject)
    ->Arg(128)
    ->Arg(256)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(30);

} // namespace

int main(int argc, char **argv)
{
    return RunDocumentBenchmarks(argc, argv);
}
