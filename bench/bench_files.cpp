// Saving and loading: a realistic project (20 text boxes, 10 shapes and a 12-megapixel
// photograph) and a template of 30 spots with 10 background objects, through real files.

#include "benchsupport.h"

#include "document/drawlist.h"
#include "document/globals.h"
#include "document/labeltemplate.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void SetUpLabel(Tdrawlist &doc, double width, double height)
{
    doc.SetLabelRect({100000, 100000, 100001, 100001});
    doc.SetLabelWidth(width);
    doc.SetLabelHeight(height);
}

void AddTextsAndShapes(Tdrawlist &doc, int texts, int shapes)
{
    for (int i = 0; i < texts; ++i) {
        auto t = std::make_unique<Tvnltext>();
        t->Bounds = {100100 + (i % 4) * 900, 100100 + (i / 4) * 600, 100950 + (i % 4) * 900,
                     100650 + (i / 4) * 600};
        t->SetText(QStringLiteral("Domaine des Collines %1\r\nAppellation contrôlée").arg(i));
        doc.AddObject(std::move(t));
    }
    for (int i = 0; i < shapes; ++i) {
        auto s = std::make_unique<Tvnlshape>();
        s->Bounds = {100050 + i * 350, 102900, 100350 + i * 350, 103400};
        s->SetShapeStyle(TShapeStyle(i % 4));
        s->SetDrawFill(true);
        s->Brush.SetColor(RGB(120 + i * 10, 30, 60));
        doc.AddObject(std::move(s));
    }
}

QTemporaryDir &Folder()
{
    static QTemporaryDir folder;
    return folder;
}

struct TProject {
    tlabeltemplate Template;
    Tdrawlist Doc;
    TProject()
    {
        SetUpLabel(Template, 4.0, 3.5);
        SetUpLabel(Doc, 4.0, 3.5);
        Doc.SetTemplate(&Template);
        AddTextsAndShapes(Doc, 20, 10);
        auto picture = std::make_unique<Tvnlpic>();
        picture->SetPicture(Photo());
        picture->SetBounds({100000, 100000, 104000, 103000});
        Doc.AddObject(std::move(picture));
    }
};

// 3 columns of 10 labels 2.625 by 1 inch, as address-label stock has them.
void AddSpots(tlabeltemplate &t)
{
    for (int row = 0; row < 10; ++row)
        for (int column = 0; column < 3; ++column) {
            auto spot = std::make_unique<Tlabelgeometry>();
            spot->SpotLeft = 0.1875 + column * 2.75;
            spot->SpotTop = 0.5 + row;
            spot->SpotWidth = 2.625;
            spot->SpotHeight = 1.0;
            t.Geometry.Add(std::move(spot));
        }
}

void ProjectSave(benchmark::State &state)
{
    TProject project;
    const QString path = Folder().filePath(QStringLiteral("project.wlp"));
    for (auto _ : state)
        project.Doc.SaveToFile(path);
    state.counters["bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(ProjectSave)->Unit(benchmark::kMillisecond)->Iterations(3);

void ProjectLoad(benchmark::State &state)
{
    const QString path = Folder().filePath(QStringLiteral("project-load.wlp"));
    TProject{}.Doc.SaveToFile(path);
    tlabeltemplate t;
    SetUpLabel(t, 4.0, 3.5);
    for (auto _ : state) {
        Tdrawlist doc;
        SetUpLabel(doc, 4.0, 3.5);
        doc.SetTemplate(&t);
        doc.LoadFromFile(path);
        benchmark::DoNotOptimize(doc.Count());
    }
    state.counters["bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(ProjectLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

void TemplateSave(benchmark::State &state)
{
    tlabeltemplate t;
    SetUpLabel(t, 2.625, 1.0);
    AddTextsAndShapes(t, 4, 6);
    AddTextsAndShapes(t.StarterObjects, 3, 0);
    AddSpots(t);
    t.Title = QStringLiteral("Address labels, 30 per sheet");
    const QString path = Folder().filePath(QStringLiteral("stock.wlt"));
    for (auto _ : state)
        t.SaveToFile(path);
    state.counters["bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(TemplateSave)->Unit(benchmark::kMillisecond);

void TemplateLoad(benchmark::State &state)
{
    const QString path = Folder().filePath(QStringLiteral("stock-load.wlt"));
    {
        tlabeltemplate t;
        SetUpLabel(t, 2.625, 1.0);
        AddTextsAndShapes(t, 4, 6);
        AddTextsAndShapes(t.StarterObjects, 3, 0);
        AddSpots(t);
        t.SaveToFile(path);
    }
    for (auto _ : state) {
        tlabeltemplate t;
        SetUpLabel(t, 4.0, 3.5);
        t.LoadFromFile(path);
        benchmark::DoNotOptimize(t.Geometry.Count());
    }
    state.counters["bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(TemplateLoad)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunDocumentBenchmarks(argc, argv);
}
