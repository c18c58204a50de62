#include "common/testsupport.h"
#include "widgets/previewdialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <gmock/gmock.h>
#include <stdexcept>

namespace {

// A folder with a project, a template and a picture file in it.
struct TFolder {
    QTemporaryDir Dir;

    TFolder()
    {
        for (const char *name : {"one.wlp", "two.wlp", "sheet.wlt"}) {
            QFile f(Path(name));
            f.open(QIODevice::WriteOnly);
            f.write("x");
        }
    }
    QString Path(const QString &name) const { return Dir.filePath(name); }
};

// An open dialog on screen whose selection the test moves the way Qt's dialog reports it.
struct TShownDialog {
    Topenpreviewdialog Dialog;
    TFolder Folder;
    int Calls = 0;
    QStringList Previewed;

    TShownDialog()
    {
        Dialog.SetBlankMessage("No preview");
        Dialog.setDirectory(Folder.Dir.path());
        Dialog.show();
    }
    void Select(const QString &name) { emit Dialog.currentChanged(Folder.Path(name)); }
    // A handler that counts its calls, remembers the file and leaves the result as given.
    void CountCalls(bool result)
    {
        Dialog.ongetpreview = [this, result](Tfiledialog *sender, bool &drawn) {
            ++Calls;
            Previewed << sender->GetFileName();
            drawn = result;
        };
    }
    QImage PanelPicture() const { return Dialog.PaintPanel->grab().toImage(); }
    QPoint PanelCentre() const { return Dialog.PaintPanel->rect().center(); }
};

// Runs the dialog; act is called once it is on screen and ends it (the dialog is rejected
// afterwards if act left it open, so a test never hangs).
bool ExecuteWith(Topenpreviewdialog &dialog, std::function<void()> act)
{
    QTimer::singleShot(0, &dialog, [&dialog, act] {
        act();
        if (dialog.isVisible())
            dialog.reject();
    });
    return dialog.Execute();
}

// Qt's dialog checks the choice in accept(), public only through QDialog.
void Accept(QDialog &dialog)
{
    dialog.accept();
}

QRect InDialog(const QWidget *w, const QWidget *dialog)
{
    return QRect(w->mapTo(dialog, QPoint(0, 0)), w->size());
}

} // namespace

TEST(PreviewDialog, ThePaneStandsBesideTheFileList)
{
    TShownDialog shown;
    // The list and the detail view take turns in one stacked widget.
    const auto *list = shown.Dialog.findChild<QWidget *>(QStringLiteral("stackedWidget"));
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(shown.Dialog.pnl_preview->isVisible());
    const QRect pane = InDialog(shown.Dialog.pnl_preview, &shown.Dialog);
    const QRect files = InDialog(list, &shown.Dialog);
    EXPECT_GE(pane.left(), files.right());
    EXPECT_LE(pane.top(), files.top());
    EXPECT_GE(pane.bottom(), files.bottom());
    EXPECT_LE(pane.right(), shown.Dialog.rect().right());

    const QRect caption = InDialog(shown.Dialog.PictureLabel, &shown.Dialog);
    const QRect picture = InDialog(shown.Dialog.PaintPanel, &shown.Dialog);
    EXPECT_GE(caption.height(), 32);
    EXPECT_LE(caption.bottom(), picture.top());
    EXPECT_EQ(InDialog(shown.Dialog.lbl_blankmsg, &shown.Dialog),
              shown.Dialog.PaintPanel->contentsRect().translated(picture.topLeft()));
}

TEST(PreviewDialog, ADescriptionShowsWrappedInFullAndAnEndlessOneInTheToolTip)
{
    TShownDialog shown;
    const QString description =
        QStringLiteral("4 x 3 1/3 in, 6 per sheet (2 across, 3 down): front labels for "
                       "750 ml wine bottles, Bordeaux and Burgundy alike");
    QString caption_text = description;
    shown.Dialog.ongetpreview = [&](Tfiledialog *sender, bool &drawn) {
        sender->SetPreviewCaption(caption_text);
        drawn = true;
    };
    shown.Select("sheet.wlt");
    const QLabel &caption = *shown.Dialog.PictureLabel;
    EXPECT_EQ(QString(caption.text()).replace(QLatin1Char('\n'), QLatin1Char(' ')), description);
    EXPECT_GT(caption.text().count(QLatin1Char('\n')), 1);
    QCoreApplication::processEvents();
    EXPECT_LE(caption.heightForWidth(caption.contentsRect().width()), caption.height());
    EXPECT_TRUE(caption.toolTip().isEmpty());

    caption_text = description.repeated(40);
    shown.Select("one.wlp");
    EXPECT_TRUE(caption.text().endsWith(QChar(0x2026))) << caption.text().toStdString();
    EXPECT_EQ(caption.toolTip(), caption_text);
}

TEST(PreviewDialog, SelectingTheSameFileTwiceAsksForOnePreview)
{
    TShownDialog shown;
    shown.CountCalls(true);
    shown.Select("one.wlp");
    shown.Select("one.wlp");
    EXPECT_EQ(shown.Calls, 1);
    shown.Select("two.wlp");
    shown.Select("one.wlp");
    EXPECT_EQ(shown.Calls, 3);
    EXPECT_EQ(shown.Previewed, (QStringList{shown.Folder.Path("one.wlp"), shown.Folder.Path("two.wlp"),
                                            shown.Folder.Path("one.wlp")}));
}

TEST(PreviewDialog, TheHandlerDrawsIntoAPictureAsWideAsAThumbnail)
{
    TShownDialog shown;
    QSize given;
    QStringList files{"not empty"};
    shown.Dialog.ongetpreview = [&](Tfiledialog *sender, bool &drawn) {
        given = sender->PreviewImage().size();
        files = sender->GetFiles();
        sender->PreviewImage().fill(Qt::blue);
        sender->SetPreviewCaption(" (4.00x3.50) v2");
        drawn = true;
    };
    shown.Select("sheet.wlt");
    EXPECT_EQ(given.width(), 152);
    EXPECT_EQ(given, shown.Dialog.PaintPanel->contentsRect().size());
    EXPECT_TRUE(files.isEmpty());
    EXPECT_EQ(shown.Dialog.PictureLabel->text(), " (4.00x3.50) v2");
    EXPECT_FALSE(shown.Dialog.lbl_blankmsg->isVisible());
    EXPECT_EQ(PixelAt(shown.PanelPicture(), shown.PanelCentre().x(), shown.PanelCentre().y()),
              RGB(0, 0, 255));
}

TEST(PreviewDialog, NobodyDrawingShowsTheBlankMessageOverAButtonFacePicture)
{
    struct Case {
        const char *What;
        bool Handler;
        bool Result;
        const char *File;
        int Calls;
    };
    const Case cases[] = {
        {"no handler", false, false, "one.wlp", 0},
        {"handler leaves false", true, false, "one.wlp", 1},
        {"no such file", true, true, "missing.wlp", 0},
        {"a folder", true, false, ".", 1},
    };
    for (const Case &c : cases) {
        TShownDialog shown;
        if (c.Handler)
            shown.Dialog.ongetpreview = [&shown, &c](Tfiledialog *sender, bool &drawn) {
                ++shown.Calls;
                sender->PreviewImage().fill(Qt::red);
                drawn = c.Result;
            };
        shown.Select(c.File);
        EXPECT_EQ(shown.Calls, c.Calls) << c.What;
        EXPECT_TRUE(shown.Dialog.lbl_blankmsg->isVisible()) << c.What;
        const QImage &picture = shown.Dialog.PreviewImage();
        ASSERT_FALSE(picture.isNull()) << c.What;
        EXPECT_EQ(PixelAt(picture, 0, 0), ColorToRGB(clBtnFace)) << c.What;
        EXPECT_EQ(PixelAt(picture, picture.width() - 1, picture.height() - 1), ColorToRGB(clBtnFace))
            << c.What;
        const QImage panel = shown.PanelPicture();
        EXPECT_EQ(PixelAt(panel, shown.PanelCentre().x(), 10), ColorToRGB(clBtnFace)) << c.What;
    }
}

TEST(PreviewDialog, AHandlerThatFailsLeavesTheBlankMessage)
{
    TShownDialog shown;
    shown.Dialog.ongetpreview = [](Tfiledialog *sender, bool &drawn) {
        sender->PreviewImage().fill(Qt::red);
        drawn = true;
        throw std::runtime_error("damaged thumbnail");
    };
    shown.Select("one.wlp");
    EXPECT_TRUE(shown.Dialog.lbl_blankmsg->isVisible());
    EXPECT_EQ(PixelAt(shown.Dialog.PreviewImage(), 5, 5), ColorToRGB(clBtnFace));
}

TEST(PreviewDialog, ShowingTheDialogAgainForgetsTheLastPreview)
{
    TShownDialog shown;
    shown.CountCalls(true);
    shown.Select("one.wlp");
    shown.Dialog.hide();
    shown.Dialog.show();
    EXPECT_TRUE(shown.Dialog.PreviewImage().isNull());
    EXPECT_TRUE(shown.Dialog.lbl_blankmsg->isVisible());
    EXPECT_EQ(shown.Dialog.PaintPanel->GetCaption(), "(None)");
    shown.Select("one.wlp");
    EXPECT_EQ(shown.Calls, 2);
}

TEST(SilentPaintPanel, APaintThatFailsShowsInvalidImage)
{
    TSilentPaintPanel panel;
    panel.resize(120, 80);
    panel.SetCaption("(None)");
    panel.onpaint = [](TSilentPaintPanel *, QPainter &painter) {
        painter.fillRect(0, 0, 120, 80, Qt::red);
        throw std::runtime_error("bad picture");
    };
    const QImage painted = panel.grab().toImage();
    EXPECT_EQ(panel.GetCaption(), "Invalid image");
    EXPECT_EQ(PixelAt(painted, 10, 40), ColorToRGB(clBtnFace));
}

TEST(PreviewImage, ThePictureFitsItsBoxProportionallyAndCentred)
{
    struct Case {
        QSize Picture;
        QRect Box;
        QRect Placed;
    };
    const Case cases[] = {
        {{200, 100}, {0, 0, 100, 100}, {0, 25, 100, 50}},
        {{100, 200}, {0, 0, 100, 100}, {25, 0, 50, 100}},
        {{10, 10}, {2, 2, 152, 100}, {28, 2, 100, 100}},
        {{1000, 1}, {0, 0, 100, 100}, {0, 49, 100, 1}},
        {{0, 0}, {0, 0, 100, 100}, {}},
        {{50, 50}, {0, 0, 0, 0}, {}},
    };
    for (const Case &c : cases) {
        Tpreviewimage image;
        if (!c.Picture.isEmpty())
            image.SetPicture(QImage(c.Picture, QImage::Format_RGB32));
        EXPECT_EQ(image.PictureRect(c.Box), c.Placed) << c.Picture.width() << "x" << c.Picture.height();
    }
}

TEST(PreviewDialog, ExecuteAppliesTheSetUpAndReturnsTheChoice)
{
    TFolder folder;
    Topenpreviewdialog dialog;
    dialog.SetFilter("Wine Label Project (*.wlp)|*.wlp|Wine Label Template (*.wlt)|*.wlt");
    dialog.SetFilterIndex(2);
    dialog.SetDefaultExt("wlt");
    dialog.SetTitle("Open Wine Label Template");
    dialog.SetInitialDir(folder.Dir.path());
    QString title;
    QStringList filters;
    QString filter;
    QString folderShown;
    const bool confirmed = ExecuteWith(dialog, [&] {
        title = dialog.windowTitle();
        filters = dialog.nameFilters();
        filter = dialog.selectedNameFilter();
        folderShown = dialog.directory().absolutePath();
        dialog.selectFile(folder.Path("sheet.wlt"));
        Accept(dialog);
    });
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(title, "Open Wine Label Template");
    EXPECT_THAT(filters, testing::ElementsAre("Wine Label Project (*.wlp) (*.wlp)",
                                              "Wine Label Template (*.wlt) (*.wlt)"));
    EXPECT_EQ(filter, "Wine Label Template (*.wlt)");
    EXPECT_EQ(folderShown, QDir(folder.Dir.path()).absolutePath());
    EXPECT_EQ(dialog.GetFileName(), folder.Path("sheet.wlt"));
    EXPECT_EQ(dialog.GetFiles(), QStringList{folder.Path("sheet.wlt")});
    EXPECT_EQ(dialog.GetFilterIndex(), 2);
}

TEST(PreviewDialog, TheTypeColumnNamesTheFilesTheFiltersDescribe)
{
    Topenpreviewdialog dialog;
    dialog.SetFilter("Wine Label Project (*.wlp)|*.wlp|Wine Label Template (*.wlt)|*.wlt|All Files|*");
    TFolder folder;
    const struct {
        const char *file;
        const char *type;
    } cases[] = {{"merlot.wlp", "Wine Label Project"},
                 {"sheet.WLT", "Wine Label Template"},
                 {"notes.txt", nullptr}}; // the desktop's own name, whatever it is
    for (const auto &c : cases) {
        QFile file(folder.Path(c.file));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // The filters take effect when the dialog runs.
    ExecuteWith(dialog, [&] {
        for (const auto &c : cases) {
            const QString type = dialog.iconProvider()->type(QFileInfo(folder.Path(c.file)));
            if (c.type)
                EXPECT_EQ(type, c.type) << c.file;
            else
                EXPECT_NE(type, "Wine Label Project") << c.file;
        }
    });
}

TEST(PreviewDialog, CancellingKeepsTheNameItStartedWith)
{
    TFolder folder;
    Topenpreviewdialog dialog;
    dialog.SetFileName(folder.Path("one.wlp"));
    dialog.ongetpreview = [](Tfiledialog *, bool &drawn) { drawn = true; };
    const bool confirmed = ExecuteWith(dialog, [&] {
        emit dialog.currentChanged(folder.Path("two.wlp"));
        dialog.reject();
    });
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(dialog.GetFileName(), folder.Path("one.wlp"));
    EXPECT_TRUE(dialog.GetFiles().isEmpty());
}

TEST(PreviewDialog, AFilterIndexOutsideTheFiltersStartsOnTheFirst)
{
    for (int32_t index : {0, -4, 3, 1}) {
        Topenpreviewdialog dialog;
        dialog.SetFilter("Projects|*.wlp|Templates|*.wlt");
        dialog.SetFilterIndex(index);
        QString filter;
        ExecuteWith(dialog, [&] { filter = dialog.selectedNameFilter(); });
        EXPECT_EQ(filter, "Projects") << index;
    }
}

TEST(PreviewDialog, TheSaveDialogAddsTheDefaultExtension)
{
    TFolder folder;
    Tsavepreviewdialog dialog;
    dialog.SetFilter("Wine Label Project (*.wlp)|*.wlp");
    dialog.SetDefaultExt("wlp");
    dialog.SetInitialDir(folder.Dir.path());
    QString title;
    const bool confirmed = ExecuteWith(dialog, [&] {
        title = dialog.windowTitle();
        dialog.selectFile("label");
        Accept(dialog);
    });
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(title, "Save");
    EXPECT_EQ(dialog.GetFileName(), folder.Path("label.wlp"));
}

TEST(PreviewDialog, OptionsShapeTheDialog)
{
    struct Case {
        TOpenOptions Options;
        bool Pane;
        bool ReadOnlyBox;
        bool Resizable;
        QFileDialog::FileMode Mode;
    };
    const Case cases[] = {
        {ofHideReadOnly | ofEnableSizing, true, false, true, QFileDialog::AnyFile},
        {ofHideReadOnly, true, false, false, QFileDialog::AnyFile},
        {ofEnableSizing, true, true, true, QFileDialog::AnyFile},
        {ofHideReadOnly | ofEnableSizing | ofAllowMultiSelect, true, false, true, QFileDialog::ExistingFiles},
        {ofHideReadOnly | ofEnableSizing | ofFileMustExist, true, false, true, QFileDialog::ExistingFile},
        {ofHideReadOnly | ofEnableSizing | ofOldStyleDialog, false, false, true, QFileDialog::AnyFile},
    };
    for (const Case &c : cases) {
        Topenpreviewdialog dialog;
        dialog.SetOptions(c.Options);
        bool pane = false;
        bool box = false;
        bool resizable = false;
        QFileDialog::FileMode mode = QFileDialog::Directory;
        ExecuteWith(dialog, [&] {
            pane = dialog.pnl_preview->isVisible();
            box = dialog.chk_readonly->isVisible();
            resizable = dialog.minimumSize() != dialog.maximumSize();
            mode = dialog.fileMode();
        });
        EXPECT_EQ(pane, c.Pane) << c.Options;
        EXPECT_EQ(box, c.ReadOnlyBox) << c.Options;
        EXPECT_EQ(resizable, c.Resizable) << c.Options;
        EXPECT_EQ(mode, c.Mode) << c.Options;
    }
}

TEST(PreviewDialog, TheReadOnlyBoxIsReportedInTheOptions)
{
    TFolder folder;
    Topenpreviewdialog dialog;
    dialog.SetOptions(ofEnableSizing);
    const bool confirmed = ExecuteWith(dialog, [&] {
        dialog.chk_readonly->setChecked(true);
        dialog.selectFile(folder.Path("one.wlp"));
        Accept(dialog);
    });
    EXPECT_TRUE(confirmed);
    EXPECT_TRUE(dialog.GetOptions() & ofReadOnly);
}

TEST(PreviewDialog, MultipleSelectionReturnsEveryChosenFile)
{
    TFolder folder;
    Topenpreviewdialog dialog;
    dialog.SetOptions(ofHideReadOnly | ofEnableSizing | ofAllowMultiSelect);
    dialog.SetInitialDir(folder.Dir.path());
    const bool confirmed = ExecuteWith(dialog, [&] {
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText("\"one.wlp\" \"two.wlp\"");
        Accept(dialog);
    });
    EXPECT_TRUE(confirmed);
    EXPECT_THAT(dialog.GetFiles(),
                testing::UnorderedElementsAre(folder.Path("one.wlp"), folder.Path("two.wlp")));
    EXPECT_TRUE(dialog.GetFiles().contains(dialog.GetFileName()));
}

TEST(PreviewDialog, InstalledDialogsAreThePreviewDialogs)
{
    InstallPreviewFileDialogs();
    std::unique_ptr<Tfiledialog> open = CreateFileDialog(TFileDialogKind::Open);
    std::unique_ptr<Tfiledialog> save = CreateFileDialog(TFileDialogKind::Save);
    SetFileDialogFactory(nullptr);
    EXPECT_NE(dynamic_cast<Topenpreviewdialog *>(open.get()), nullptr);
    EXPECT_EQ(dynamic_cast<Tsavepreviewdialog *>(open.get()), nullptr);
    EXPECT_NE(dynamic_cast<Tsavepreviewdialog *>(save.get()), nullptr);
    EXPECT_TRUE(save->IsSaveDialog());
}
