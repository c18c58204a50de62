// The template editor: "GO" with 10 columns by 10 rows (the most spots a template file holds)
// over a template with a background of text boxes, shapes and a picture, ending in the preview's
// redraw at 600 x 450. Target: under 20 ms.

#include "benchsupport.h"

#include "document/labeltemplate.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "editing/templateeditor.h"

#include <benchmark/benchmark.h>

namespace {

void SetUpLabel(Tdrawlist &doc)
{
    doc.SetLabelRect({100000, 100000, 100001, 100001});
    doc.SetLabelWidth(0.75);
    doc.SetLabelHeight(1.0);
}

// A small label's background: a frame, a few shapes, two lines of text and a photograph.
void AddBackground(tlabeltemplate &t)
{
    auto frame = std::make_unique<Tvnlshape>();
    frame->Bounds = {100020, 100020, 100730, 100980};
    frame->SetShapeStyle(TShapeStyle::RoundRect);
    t.AddObject(std::move(frame));
    for (int i = 0; i < 4; ++i) {
        auto s = std::make_unique<Tvnlshape>();
        s->Bounds = {100060 + i * 160, 100700, 100200 + i * 160, 100900};
        s->SetShapeStyle(TShapeStyle(i % 4));
        s->SetDrawFill(true);
        s->Brush.SetColor(RGB(120 + i * 20, 30, 60));
        t.AddObject(std::move(s));
    }
    for (int i = 0; i < 2; ++i) {
        auto text = std::make_unique<Tvnltext>();
        text->Bounds = {100060, 100060 + i * 150, 100700, 100200 + i * 150};
        text->SetText(i == 0 ? QStringLiteral("Domaine des Collines")
                             : QStringLiteral("Appellation contrôlée"));
        t.AddObject(std::move(text));
    }
    auto picture = std::make_unique<Tvnlpic>();
    picture->SetPicture(Photo());
    picture->SetBounds({100100, 100350, 100650, 100650});
    t.AddObject(std::move(picture));
}

// The editor showing a template with its project attached, the layout fields set for 10 columns
// of 10 labels 0.75 by 1 inch.
struct TEditorShowing {
    tlabeltemplate Template;
    Tdrawlist Project;
    Ttemplateeditor Editor;

    TEditorShowing()
    {
        SetUpLabel(Template);
        SetUpLabel(Project);
        AddBackground(Template);
        Project.SetTemplate(&Template);
        Editor.SetPreviewSize(600, 450);
        Editor.SetEditedTemplate(&Template);
        Editor.Shown();
        for (TLayoutField f : {TLayoutField::LeftMargin, TLayoutField::TopMargin})
            Editor.LayoutFieldChanged(f, 0.25, 0);
        for (TLayoutField f : {TLayoutField::HGutter, TLayoutField::VGutter})
            Editor.LayoutFieldChanged(f, 0.05, 0);
        Editor.LayoutFieldChanged(TLayoutField::Columns, 10, 10);
        Editor.LayoutFieldChanged(TLayoutField::Rows, 10, 10);
        Editor.LayoutFieldChanged(TLayoutField::LabelWidth, 0.75, 0);
        Editor.LayoutFieldChanged(TLayoutField::LabelHeight, 1.0, 0);
    }
    ~TEditorShowing() { Editor.Closed(); }

    // "GO" ends in the preview's redraw.
    bool Go()
    {
        const bool done = Editor.Go() && Template.Geometry.Count() == 100;
        benchmark::DoNotOptimize(Editor.GetPreview().constBits());
        return done;
    }
};

// The label is rendered anew each time; its picture keeps the screen-size image it made when the
// preview was first drawn.
void GoTenByTen(benchmark::State &state)
{
    TEditorShowing showing;
    for (auto _ : state) {
        if (!showing.Go()) {
            state.SkipWithError("GO did not lay out 100 spots");
            break;
        }
    }
}
BENCHMARK(GoTenByTen)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunDocumentBenchmarks(argc, argv);
}
