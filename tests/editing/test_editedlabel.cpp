// The label being edited keeps its corner and its width whatever other documents are opened,
// previewed, drawn, printed or edited meanwhile: a new picture's default size and where the
// sheet prints are the edited label's.

#include "labelertest.h"
#include "printtestsupport.h"

#include "document/labelproject.h"
#include "document/shape.h"
#include "editing/printjob.h"
#include "editing/templateeditor.h"
#include "platform/platform.h"

#include <QTemporaryDir>
#include <functional>
#include <gmock/gmock.h>

namespace {
struct TFiles {
    QString Project, OtherProject, OtherTemplate;
};

// A project of width x height inches with a black box at its corner, on a template with one spot
// at (0.5, 1) inch; both saved in folder.
QString SaveLabel(const QString &folder, const QString &name, double width, double height)
{
    Tlabelproject label;
    tlabeltemplate &sheet = label.Template();
    sheet.SetLabelWidth(width);
    sheet.SetLabelHeight(height);
    AddSpot(sheet, 0.5, 1, width, height);
    sheet.SaveToFile(folder + QLatin1Char('/') + name + QStringLiteral(".wlt"));
    auto box = std::make_unique<Tvnlshape>();
    box->SetShapeStyle(TShapeStyle::Rectangle);
    box->SetDrawFill(true);
    box->Brush.SetColor(clBlack);
    box->SetBounds({LabelCorner, LabelCorner, LabelCorner + 500, LabelCorner + 500});
    label.Project().AddObject(std::move(box));
    const QString project = folder + QLatin1Char('/') + name + QStringLiteral(".wlp");
    label.Save(project);
    return project;
}

// The width of the picture a click with the image tool makes on the label (a 300 x 100 pixel
// image, 3 inches at its natural size), taken back afterwards.
int32_t NewPictureWidth(TEditor &e)
{
    QImage image(300, 100, QImage::Format_RGB32);
    image.fill(Qt::red);
    e.Toolbox.SetPreviewPicture(image);
    e.Input().ToolButtonClicked(TTool::Image, QString());
    const int32_t before = e.Doc().Count();
    e.Click(e.At(LabelCorner + 100, LabelCorner + 100));
    if (e.Doc().Count() != before + 1)
        return -1;
    const int32_t width = e.Doc().GetObject(before)->Width();
    e.Labeler.Undo();
    return width;
}

// The sheet of the edited project at 50 dots per inch, its one spot printed.
QImage PrintedSheet(Tdrawlist &project)
{
    Trecordingprinter printer(50, 0, 0);
    Tprintjob job(&printer);
    job.SetDocument(&project);
    TPrintSettings settings;
    settings.Spots = {0};
    if (!job.PrintSheets(settings))
        return {};
    return printer.Pages.at(0);
}

// An open dialog showing a file in its preview, then cancelled.
class TPreviewingDialog : public Tfiledialog {
public:
    TPreviewingDialog() : Tfiledialog(TFileDialogKind::Open) {}
    bool Execute() override { return false; }
};
} // namespace

TEST(EditedLabel, OtherDocumentsLeaveItsCornerAndWidthAlone)
{
    QTemporaryDir dir;
    SetProgramFolder(dir.path());
    const QString project = SaveLabel(dir.path(), QStringLiteral("narrow"), 2.0, 1.0);
    const QString other = SaveLabel(dir.path(), QStringLiteral("wide"), 6.0, 5.0);
    const QString otherTemplate = dir.filePath(QStringLiteral("wide.wlt"));

    struct Case {
        const char *Name;
        std::function<void()> Use;
    };
    TEditor *Edited = nullptr;
    const Case cases[] = {
        {"a file previewed in the open dialog",
         [&] {
             TPreviewingDialog dialog;
             dialog.SetFileName(other);
             dialog.PreviewImage() = QImage(200, 200, QImage::Format_RGB32);
             bool drawn = false;
             Tdrawlist::PreviewFile(&dialog, drawn);
         }},
        {"another project opened with its template, as the export opens it",
         [&] {
             Tlabelproject label;
             label.Open(other);
         }},
        {"another template read on its own",
         [&] {
             tlabeltemplate sheet;
             sheet.LoadFromFile(otherTemplate);
         }},
        {"another project saved with its thumbnail",
         [&] {
             Tlabelproject label;
             label.Open(other);
             label.Save(dir.filePath(QStringLiteral("copy.wlp")));
         }},
        {"another project printed and previewed",
         [&] {
             Tlabelproject label;
             label.Open(other);
             Talphabitmap preview;
             Tprintjob job(nullptr);
             job.SetDocument(&label.Project());
             job.PaintPreview({0, 0, false, 1, {0}, {}}, preview, 200, 260);
             PrintedSheet(label.Project());
         }},
        {"its own template shown in the template editor and closed",
         [&] {
             Ttemplateeditor editor;
             editor.SetEditedTemplate(&Edited->Labeler.Template());
             editor.Shown();
             editor.Closed();
         }},
        {"another template shown in the template editor",
         [&] {
             tlabeltemplate sheet;
             sheet.LoadFromFile(otherTemplate);
             Ttemplateeditor editor;
             editor.SetEditedTemplate(&sheet);
             editor.Shown();
             editor.Closed();
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TEditor e;
        Edited = &e;
        e.Labeler.OpenRecent(project);
        ASSERT_EQ(e.Doc().GetLabelWidth(), 2.0);
        // At 2 inches the 3-inch picture is made half its size.
        ASSERT_EQ(NewPictureWidth(e), 1500);
        const QImage sheet = PrintedSheet(e.Doc());
        ASSERT_FALSE(sheet.isNull());
        c.Use();
        EXPECT_EQ(NewPictureWidth(e), 1500);
        EXPECT_EQ(PrintedSheet(e.Doc()), sheet);
    }
    SetProgramFolder(QString());
}
