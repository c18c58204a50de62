// The editor window: its start-up under a real X server (Xvfb), a drag frame through the logic
// and a wheel zoom step, both painted into the back buffer of a 1280 x 900 panel.

#include "benchsupport.h"
#include "editorhost.h"

#include "document/drawlist.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/streams.h"
#include "platform/stringstream.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// An editor over a label of 30 objects: the 12-megapixel photograph across the label, shapes and
// texts over it; the view at zoom 1 shows all of the label on a 1280 x 900 panel.
struct TBenchEditor : TEditorHarness {
    TBenchEditor()
    {
        Tdrawlist &doc = Labeler->Document();
        auto photo = std::make_unique<Tvnlpic>();
        photo->SetPicture(Photo());
        photo->SetBounds({100000, 100000, 104000, 103000});
        doc.AddObject(std::move(photo));
        for (int i = 0; i < 29; ++i) {
            const int32_t x = 100100 + (i % 6) * 620, y = 100100 + (i / 6) * 620;
            if (i % 3 == 2) {
                auto text = std::make_unique<Tvnltext>();
                text->SetText(QStringLiteral("Reserve %1").arg(i));
                text->SetBounds({x, y, x + 600, y + 300});
                doc.AddObject(std::move(text));
            } else {
                auto shape = std::make_unique<Tvnlshape>();
                shape->SetShapeStyle(TShapeStyle(i % 4));
                shape->SetDrawFill(true);
                shape->SetDrawOutline(true);
                shape->SetBounds({x, y, x + 500, y + 500});
                doc.AddObject(std::move(shape));
            }
        }
        ShowLabel();
    }
};

// One mouse move of a selected shape in the middle of a drag, and the repaint of what it dirtied
// (the repaint timer's work): the shape over the photograph goes back and forth by 6 pixels.
void DragFrame(benchmark::State &state)
{
    TBenchEditor e;
    Tcanvasinput &input = e.Labeler->Input();
    Tdrawlist &doc = e.Labeler->Document();
    Tdrawobj *shape = doc.GetObject(8);
    doc.SelectObject(shape);
    const TPoint p = e.At(shape->Left() + 250, shape->Top() + 250);
    input.MouseDown(TMouseButton::Left, p, false, false);
    for (int i = 0; i < 4; ++i)
        input.MouseMove({p.X + i, p.Y}, false, false);
    e.Labeler->PaintCanvas({});
    int step = 0;
    for (auto _ : state) {
        step = step == 0 ? 6 : 0;
        input.MouseMove({p.X + step, p.Y + step}, false, false);
        e.Labeler->PendingPanelRects();
        e.Labeler->PaintCanvas({});
    }
    input.MouseUp(TMouseButton::Left, p, false, false);
}
BENCHMARK(DragFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One notch of the wheel (alternately in and out) with its repaint of the whole panel, slow
// objects drawn in draft as while the user zooms.
void WheelZoomStep(benchmark::State &state)
{
    TBenchEditor e;
    int32_t delta = 120;
    for (auto _ : state) {
        e.Labeler->Wheel(delta);
        e.Labeler->PaintCanvas({});
        delta = -delta;
    }
}
BENCHMARK(WheelZoomStep)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Project files of version 1, as the program wrote them before thumbnails were kept: the header,
// no thumbnail, and 20 objects (shapes, texts and a 320 x 240 photograph in each).
QByteArray VersionOneProject(int index)
{
    Tdrawlist doc;
    doc.SetLabelRect({100000, 100000, 104000, 103500});
    auto photo = std::make_unique<Tvnlpic>();
    photo->SetPicture(Photo().scaled(320, 240));
    photo->SetBounds({100200, 100200, 103400, 102600});
    doc.AddObject(std::move(photo));
    for (int i = 0; i < 19; ++i) {
        const int32_t x = 100100 + (i % 5) * 750, y = 100100 + (i / 5) * 800;
        if (i % 2 == 0) {
            auto text = std::make_unique<Tvnltext>();
            text->SetText(QStringLiteral("Cuvée %1\r\nEstate bottled").arg(index * 20 + i));
            text->SetBounds({x, y, x + 700, y + 400});
            doc.AddObject(std::move(text));
        } else {
            auto shape = std::make_unique<Tvnlshape>();
            shape->SetShapeStyle(TShapeStyle(i % 4));
            shape->SetDrawFill(true);
            shape->SetBounds({x, y, x + 600, y + 600});
            doc.AddObject(std::move(shape));
        }
    }
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    WriteInt32(bytes, 1);
    WriteBytes(bytes, QByteArrayLiteral("vnlabel_v1"));
    WriteUInt8(bytes, 0);
    WriteInt32(bytes, 0);
    tstringwrapstream strings(&bytes);
    strings.WriteLString(QStringLiteral("Label %1").arg(index));
    strings.WriteLString(QStringLiteral("4.00x3.50"));
    strings.WriteLString(QString());
    doc.SaveObjects(bytes);
    return bytes.data();
}

// Convert To New Version of 100 version-1 projects of 20 objects each, without backups: each is
// loaded into the editor, painted whole into its back buffer and saved with a new thumbnail.
// Target: under 3 s. The files are written back in version 1 before each run, untimed.
void ConvertHundredProjects(benchmark::State &state)
{
    TBenchEditor e;
    QTemporaryDir dir;
    QStringList files;
    std::vector<QByteArray> contents;
    for (int i = 0; i < 100; ++i) {
        files << dir.filePath(QStringLiteral("label%1.wlp").arg(i));
        contents.push_back(VersionOneProject(i));
    }
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < files.size(); ++i) {
            QFile f(files[i]);
            if (!f.open(QIODevice::WriteOnly) || f.write(contents[size_t(i)]) != contents[size_t(i)].size()) {
                state.SkipWithError("cannot write the projects");
                return;
            }
        }
        state.ResumeTiming();
        if (e.Labeler->ConvertFiles(files, false) != files.size()) {
            state.SkipWithError("not every project was converted");
            return;
        }
    }
}
BENCHMARK(ConvertHundredProjects)->Unit(benchmark::kMillisecond)->Iterations(5);

// "ambrelo --setregversion" under Xvfb: the program starts, creates its windows, shows the
// editor and ends as soon as its message loop runs. Wall time of the whole process.
void Startup(benchmark::State &state)
{
    QTemporaryDir dir;
    QProcess xvfb;
    xvfb.start(QStringLiteral("Xvfb"),
               {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                QStringLiteral("tcp")});
    QString display;
    if (xvfb.waitForStarted(5000) && xvfb.waitForReadyRead(15000))
        display = QString::fromLatin1(xvfb.readLine()).trimmed();
    if (display.isEmpty()) {
        state.SkipWithError("Xvfb did not start (install the xvfb package)");
        return;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + display);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    for (auto _ : state) {
        QProcess program;
        program.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        program.start(QStringLiteral(AMBRELO_PROGRAM), {QStringLiteral("--setregversion")});
        if (!program.waitForFinished(30000) || program.exitCode() != 0) {
            state.SkipWithError("the program did not end by itself");
            break;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    xvfb.terminate();
    xvfb.waitForFinished(5000);
}
BENCHMARK(Startup)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    return RunDocumentBenchmarks(argc, argv);
}
