// The wizard and the preview as windows: their wiring to the logic, the texts they show, the
// pictures that move, the settings around a showing, and the preview's paint.

#include "printingtestsupport.h"
#include "printtestsupport.h"

#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "editing/printjob.h"
#include "platform/filedialog.h"
#include "platform/messages.h"

#include "printing/printdialog.h"
#include "printing/showpreview.h"
#include "settings/registry.h"
#include "widgets/drawpanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gmock/gmock.h>

namespace {
struct TWindows {
    TWindows() : Wizard(Preview) { Wizard.SetDocument(&Sheet.Project); }
    TTestSheet Sheet;
    Tfrm_showpreview Preview;
    Tfrm_printdialog Wizard;
};

QStringList TextsOf(QWidget *page)
{
    QStringList texts;
    for (const QLabel *label : page->findChildren<QLabel *>())
        if (!label->text().isEmpty())
            texts << label->text();
    return texts;
}
} // namespace

TEST(PrintWizardWindow, ButtonsStepThePagesAndNudge)
{
    TWindows w;
    w.Wizard.show();
    EXPECT_EQ(w.Wizard.windowTitle(), "Printing Your Labels");
    EXPECT_FALSE(w.Wizard.btn_previous->isEnabled());
    QTest::mouseClick(w.Wizard.btn_next, Qt::LeftButton);
    QTest::mouseClick(w.Wizard.btn_next, Qt::LeftButton);
    EXPECT_EQ(w.Wizard.ps_steps->currentIndex(), wpStep2);
    EXPECT_EQ(w.Wizard.ps_steps->tabText(wpStep2), "Step 2");
    EXPECT_TRUE(w.Wizard.btn_previous->isEnabled());
    QTest::mouseClick(w.Wizard.btn_nudgeright, Qt::LeftButton);
    QTest::mouseClick(w.Wizard.btn_nudgeright, Qt::LeftButton);
    QTest::mouseClick(w.Wizard.btn_nudgeup, Qt::LeftButton);
    EXPECT_EQ(w.Wizard.lbl_nudgex->text(), "Nudge Right 1/32\"");
    EXPECT_EQ(w.Wizard.lbl_nudgey->text(), "Nudge Up 1/64\"");
    EXPECT_EQ(w.Wizard.Logic().Settings().NudgeX, 2);
    EXPECT_EQ(w.Wizard.Logic().Settings().NudgeY, -1);
    EXPECT_THAT(
        TextsOf(w.Wizard.ts_step3),
        testing::Contains("Adjust Vertical Nudge to print the labels higher or  lower on the page. "));
    EXPECT_THAT(TextsOf(w.Wizard.ts_step1),
                testing::Contains("* Repeat until  the test page lines up with your label stock"));
    EXPECT_EQ(w.Wizard.btn_printtest2->text(), "Print Test ");
    EXPECT_EQ(w.Wizard.btn_print->text(), "Print  ");
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(w.Wizard.btn_next, Qt::LeftButton);
    EXPECT_EQ(w.Wizard.ps_steps->currentIndex(), wpPrint);
    EXPECT_FALSE(w.Wizard.btn_next->isEnabled());
    // The keys go round.
    w.Wizard.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.Wizard));
    QTest::keyClick(&w.Wizard, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(w.Wizard.ps_steps->currentIndex(), wpIntroduction);
    QTest::keyClick(&w.Wizard, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w.Wizard.ps_steps->currentIndex(), wpPrint);
}

TEST(PrintWizardWindow, PicturesMoveOnlyOnTheirPageAndTheSheetTakesClicks)
{
    TWindows w;
    w.Wizard.show();
    w.Wizard.ps_steps->setCurrentIndex(wpStep1);
    EXPECT_TRUE(w.Wizard.tmr_labeldemo->isActive());
    EXPECT_EQ(w.Wizard.img_labeldemo->pixmap().size(), QSize(225, 185));
    w.Wizard.ps_steps->setCurrentIndex(wpPrint);
    EXPECT_FALSE(w.Wizard.tmr_labeldemo->isActive());
    EXPECT_TRUE(w.Wizard.tmr_imgprint->isActive());
    EXPECT_EQ(w.Wizard.Animations().GetPrintedRows(), 8);

    // Every spot was chosen when the wizard showed; a click on the first spot's middle
    // (1.5 x 22.465 + 5, 1.5 x 22.465 + 14) leaves it out.
    EXPECT_EQ(w.Sheet.Template.Geometry.MarkedCount(), 3);
    w.Wizard.ps_steps->setCurrentIndex(wpStep3);
    QTest::mouseClick(w.Wizard.img_selectprint, Qt::LeftButton, {}, QPoint(38, 47));
    EXPECT_FALSE(w.Sheet.Template.Geometry.GetSpot(0)->Marked);
    EXPECT_EQ(w.Sheet.Template.Geometry.MarkedCount(), 2);
    w.Wizard.hide();
    EXPECT_FALSE(w.Wizard.tmr_imgprint->isActive());
}

TEST(PrintWizardWindow, ExecuteReadsAndWritesTheSettingsWhateverTheResult)
{
    SetRootBackend(HKEY_CURRENT_USER, std::make_shared<Tmemorybackend>());
    Tregistryex store;
    store.OpenKey(QString::fromLatin1(SettingsKeyPath), true);
    store.WriteInteger(QStringLiteral("nudge.x"), 4);
    store.WriteInteger(QStringLiteral("nudge.y"), 99);
    store.WriteBool(QStringLiteral("highquality_printing"), true);
    TWindows w;
    w.Wizard.SetNudgeY(-2);
    int seenPage = -1;
    bool seenQuality = false;
    QTimer::singleShot(0, &w.Wizard, [&] {
        seenPage = w.Wizard.ps_steps->currentIndex();
        seenQuality = w.Wizard.chk_highquality->isChecked();
        w.Wizard.chk_highquality->setChecked(false);
        QTest::mouseClick(w.Wizard.btn_nudgeleft, Qt::LeftButton);
        QTest::mouseClick(w.Wizard.btn_done, Qt::LeftButton);
    });
    EXPECT_EQ(w.Wizard.Execute(w.Sheet.Project, store), mrCancel);
    EXPECT_EQ(seenPage, wpIntroduction);
    EXPECT_TRUE(seenQuality);
    EXPECT_EQ(store.ReadInteger(QStringLiteral("nudge.x")), 3);
    EXPECT_EQ(store.ReadInteger(QStringLiteral("nudge.y")), -2); // 99 was ignored
    EXPECT_FALSE(store.ReadBool(QStringLiteral("highquality_printing"), true));
    SetRootBackend(HKEY_CURRENT_USER, nullptr);
}

TEST(PrintWizardWindow, BothQualityBoxesAndThePagesCounterAreTheWizardsSettings)
{
    TWindows w;
    w.Wizard.show();
    w.Wizard.chk_highquality->setChecked(true);
    w.Wizard.ed_pagecount->setValue(7);
    EXPECT_TRUE(w.Wizard.Logic().Settings().HighQuality);
    EXPECT_EQ(w.Wizard.Logic().Settings().Copies, 7);
    // "Preview " shows the same setting; the preview's box changes it for both.
    bool shown = false;
    QTimer::singleShot(0, &w.Preview, [&] {
        shown = w.Preview.chk_highquality->isChecked();
        w.Preview.chk_highquality->setChecked(false);
        QTest::mouseClick(w.Preview.btn_close, Qt::LeftButton);
    });
    QTest::mouseClick(w.Wizard.btn_preview, Qt::LeftButton);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(w.Wizard.Logic().Settings().HighQuality);
    EXPECT_FALSE(w.Wizard.chk_highquality->isChecked());
}

TEST(PreviewWindow, PaintsTheSheetFittedOverBlack)
{
    TWindows w;
    w.Sheet.Template.Geometry.GetSpot(0)->Marked = true;
    w.Preview.resize(700, 500);
    w.Preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.Preview));
    const QImage shot = w.Preview.dpnl_canvas->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    const int width = shot.width();
    const int height = shot.height();
    // The page is narrower than the panel in proportion: black at the sides, paper in the middle.
    const double ratio = 8.5 / 11;
    const int sheetWidth = int(height * ratio);
    ASSERT_LT(sheetWidth + 10, width);
    EXPECT_EQ(shot.pixel(2, height / 2) & 0xFFFFFFu, 0u);
    EXPECT_EQ(shot.pixel(width - 3, height / 2) & 0xFFFFFFu, 0u);
    // The marked spot's box: a quarter of its height in, at its horizontal middle.
    const double perInch = height / 11.0;
    const int left = (width - sheetWidth) / 2;
    EXPECT_TRUE(IsDark(shot, left + int(1.5 * perInch), int(1.12 * perInch)));
    EXPECT_EQ(w.Preview.SheetBitmap().Width(), width);
    w.Preview.hide();
    EXPECT_EQ(w.Preview.SheetBitmap().Width(), 0);
}

namespace {
// Answers the save dialog with one file name and the message box with OK, recording the texts.
struct TScriptedSave {
    explicit TScriptedSave(const QString &file)
        : Files(file.isEmpty() ? std::deque<QStringList>() : std::deque<QStringList>{{file}})
    {
    }
    TScriptedFiles Files;
    TMessageRecorder Boxes;
    std::vector<QString> &Messages = Boxes.Texts;
};
} // namespace

TEST(PrintWizardWindow, PdfFilesGetTheExportsSheetsAndNothingPrintedKeepsTheWizardOpen)
{
    QTemporaryDir folder;
    const TSheetFiles files = WriteSheetFiles(folder.path());
    const QString exported = folder.filePath(QStringLiteral("exported.pdf"));
    const TRun run =
        RunProgram(ProgramPath(), {QStringLiteral("--export-pdf"), exported, QStringLiteral("--nudge"),
                                   QStringLiteral("3,-2"), files.Project});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    const QImage expected = RenderPage(exported, 1, 100);
    ASSERT_FALSE(expected.isNull());

    SetRootBackend(HKEY_CURRENT_USER, std::make_shared<Tmemorybackend>());
    Tregistryex store;
    store.OpenKey(QString::fromLatin1(SettingsKeyPath), true);
    tlabeltemplate labelTemplate;
    Tdrawlist project;
    // As the editor holds them: the label's corner at (100000, 100000).
    for (Tdrawlist *d : {static_cast<Tdrawlist *>(&labelTemplate), &project})
        d->SetLabelRect({100000, 100000, 100001, 100001});
    project.SetTemplate(&labelTemplate);
    ASSERT_TRUE(project.LoadFromFile(files.Project));
    // The project names its template as the program (not this test) finds it.
    labelTemplate.LoadFromFile(files.Template);
    Tfrm_showpreview preview;
    Tfrm_printdialog wizard(preview);
    const auto run_wizard = [&](QPushButton *button, int page) {
        wizard.SetNudgeX(3);
        wizard.SetNudgeY(-2);
        bool stayed = false;
        QTimer::singleShot(0, &wizard, [&] {
            wizard.ps_steps->setCurrentIndex(page);
            QTest::mouseClick(button, Qt::LeftButton);
            stayed = wizard.isVisible() && wizard.ps_steps->currentIndex() == page;
            if (wizard.isVisible())
                QTest::mouseClick(wizard.btn_done, Qt::LeftButton);
        });
        const int result = wizard.Execute(project, store);
        return std::pair{result, stayed};
    };

    // "Save as PDF...": the file the user names gets the export's sheets; the wizard is done.
    const QString saved = folder.filePath(QStringLiteral("saved.pdf"));
    {
        TScriptedSave answer(saved);
        EXPECT_EQ(run_wizard(wizard.btn_savepdf, wpPrint).first, mrOk);
        EXPECT_THAT(answer.Messages, testing::IsEmpty());
    }
    EXPECT_EQ(RenderPage(saved, 1, 100), expected);
    EXPECT_EQ(store.ReadString(QString::fromLatin1(LastPdfPathSetting)), folder.path());

    // A PDF file chosen in the printer set-up is what Print prints on.
    const QString chosen = folder.filePath(QStringLiteral("chosen.pdf"));
    preview.Printer().GetQPrinter().setOutputFormat(QPrinter::PdfFormat);
    preview.Printer().GetQPrinter().setOutputFileName(chosen);
    EXPECT_EQ(run_wizard(wizard.btn_print, wpPrint).first, mrOk);
    EXPECT_EQ(RenderPage(chosen, 1, 100), expected);

    // A file that cannot be written says so; no printer says so: the wizard stays where it was.
    {
        TScriptedSave answer(folder.filePath(QStringLiteral("no-such-folder/x.pdf")));
        const auto [result, stayed] = run_wizard(wizard.btn_savepdf, wpStep3);
        EXPECT_EQ(result, mrCancel);
        EXPECT_TRUE(stayed);
        ASSERT_EQ(answer.Messages.size(), 1u);
        EXPECT_THAT(answer.Messages[0].toStdString(), testing::StartsWith("Could not write"));
    }
    // (Without queues Qt keeps the PDF format: no file name is what says no PDF was chosen.)
    preview.Printer().GetQPrinter().setOutputFileName(QString());
    preview.Printer().GetQPrinter().setOutputFormat(QPrinter::NativeFormat);
    preview.Printer().GetQPrinter().setPrinterName(QStringLiteral("no-such-queue"));
    {
        TScriptedSave answer{QString()};
        const auto [result, stayed] = run_wizard(wizard.btn_print, wpPrint);
        EXPECT_EQ(result, mrCancel);
        EXPECT_TRUE(stayed);
        EXPECT_THAT(answer.Messages, testing::ElementsAre(NoPrinterMessage));
    }
    SetRootBackend(HKEY_CURRENT_USER, nullptr);
}
