// The wizard and the preview as windows: their wiring to the logic, the texts they show, the
// pictures that move, the settings around a showing, and the preview's paint.

#include "printtestsupport.h"

#include "printing/printdialog.h"
#include "printing/showpreview.h"
#include "settings/registry.h"
#include "widgets/drawpanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
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
    EXPECT_EQ(w.Preview.Job().NudgeX, 2);
    EXPECT_EQ(w.Preview.Job().NudgeY, -1);
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
