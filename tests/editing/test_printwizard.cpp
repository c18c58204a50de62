// The print wizard's logic: the nudge and its texts, the pages, the settings it opens with and
// leaves behind, the sheet picture and its clicks, the test print, and the animations' frames.

#include "printtestsupport.h"

#include "document/alphabitmap.h"
#include "document/text.h"
#include "editing/printjob.h"
#include "editing/printwizard.h"
#include "editing/wizardanimation.h"
#include "settings/registry.h"

#include <deque>
#include <gmock/gmock.h>

namespace {

struct TWizard {
    TWizard() : Wizard(Job) { Wizard.SetDocument(&Sheet.Project); }
    TTestSheet Sheet;
    Tprintjob Job;
    Tprintwizard Wizard;
};

// A wizard shown on the test sheet whose job prints on a recording printer at 20 dpi.
struct TPrintingWizard {
    TPrintingWizard()
    {
        Wizard.SetDocument(&Sheet.Project);
        Wizard.Showing();
    }
    TTestSheet Sheet;
    Trecordingprinter Printer{20, 0, 0};
    Tprintjob Job{&Printer};
    Tprintwizard Wizard{Job};
};
} // namespace

TEST(PrintWizard, NudgeTextsAreFractionsOfAnInchReducedOnlyWhenTheyDivide64)
{
    struct Case {
        int32_t Value;
        const char *Horizontal, *Vertical;
    };
    const Case cases[] = {
        {0, "No Horizontal Nudge", "No Vertical Nudge"},   {1, "Nudge Right 1/64\"", "Nudge Down 1/64\""},
        {2, "Nudge Right 1/32\"", "Nudge Down 1/32\""},    {3, "Nudge Right 3/64\"", "Nudge Down 3/64\""},
        {6, "Nudge Right 6/64\"", "Nudge Down 6/64\""},    {8, "Nudge Right 1/8\"", "Nudge Down 1/8\""},
        {12, "Nudge Right 12/64\"", "Nudge Down 12/64\""}, {16, "Nudge Right 1/4\"", "Nudge Down 1/4\""},
        {-1, "Nudge Left 1/64\"", "Nudge Up 1/64\""},      {-3, "Nudge Left 3/64\"", "Nudge Up 3/64\""},
        {-4, "Nudge Left 1/16\"", "Nudge Up 1/16\""},      {-16, "Nudge Left 1/4\"", "Nudge Up 1/4\""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(NudgeText(c.Value, false), c.Horizontal);
        EXPECT_EQ(NudgeText(c.Value, true), c.Vertical);
    }
}

TEST(PrintWizard, TheNudgeStopsAtAQuarterInchAndIsInItsSettings)
{
    TWizard w;
    for (int i = 0; i < 17; ++i)
        w.Wizard.SetNudgeX(w.Wizard.GetNudgeX() + 1);
    EXPECT_EQ(w.Wizard.GetNudgeX(), 16);
    EXPECT_EQ(w.Wizard.NudgeXText(), "Nudge Right 1/4\"");
    for (int i = 0; i < 40; ++i)
        w.Wizard.SetNudgeY(w.Wizard.GetNudgeY() - 1);
    EXPECT_EQ(w.Wizard.GetNudgeY(), -16);
    w.Wizard.SetNudgeY(-3);
    w.Wizard.SetNudgeY(17);
    EXPECT_EQ(w.Wizard.GetNudgeY(), -3);
    EXPECT_EQ(w.Wizard.NudgeYText(), "Nudge Up 3/64\"");
    EXPECT_EQ(w.Wizard.Settings().NudgeX, 16);
    EXPECT_EQ(w.Wizard.Settings().NudgeY, -3);
}

TEST(PrintWizard, SettingsOpenTheWizardAndTakeItsStateWhenItCloses)
{
    TMemoryStore settings;
    TWizard w;
    w.Wizard.SetNudgeX(5);
    w.Wizard.SelectPage(wpStep3);
    settings.Store.WriteInteger(QStringLiteral("nudge.x"), 40); // out of range: ignored
    settings.Store.WriteInteger(QStringLiteral("nudge.y"), -7);
    settings.Store.WriteBool(QStringLiteral("highquality_printing"), true);
    w.Wizard.LoadSettings(settings.Store);
    EXPECT_EQ(w.Wizard.GetPage(), wpIntroduction);
    EXPECT_EQ(w.Wizard.GetNudgeX(), 5);
    EXPECT_EQ(w.Wizard.GetNudgeY(), -7);
    EXPECT_TRUE(w.Wizard.GetHighQuality());

    w.Wizard.SetHighQuality(false);
    w.Wizard.SetNudgeX(-2);
    w.Wizard.StoreSettings(settings.Store);
    EXPECT_EQ(settings.Store.ReadInteger(QStringLiteral("nudge.x")), -2);
    EXPECT_EQ(settings.Store.ReadInteger(QStringLiteral("nudge.y")), -7);
    EXPECT_FALSE(settings.Store.ReadBool(QStringLiteral("highquality_printing"), true));
}

TEST(PrintWizard, ShowingMarksEverySpotOnlyWhenNoneIsMarked)
{
    TWizard w;
    w.Wizard.Showing();
    EXPECT_EQ(w.Sheet.Template.Geometry.MarkedCount(), 3);
    w.Sheet.Template.Geometry.GetSpot(0)->Marked = false;
    w.Sheet.Template.Geometry.GetSpot(1)->Marked = false;
    w.Wizard.Showing();
    EXPECT_EQ(w.Sheet.Template.Geometry.MarkedCount(), 1);
}

TEST(PrintWizard, SheetPictureScaleOriginAndClicks)
{
    TWizard w;
    // Before the picture is drawn a click toggles nothing.
    EXPECT_EQ(w.Wizard.ClickSheetPicture({30, 50}), 0);
    Talphabitmap picture;
    w.Wizard.DrawSheetPicture(picture, 201, 276, RGB(212, 208, 200));
    EXPECT_NEAR(w.Wizard.GetSheetScale(), 22.465, 0.0005);
    EXPECT_EQ(w.Wizard.GetSheetOrigin(), (TPoint{5, 14}));
    // The first spot, (0.5, 1) to (2.5, 2) inches: points are origin + inches x scale.
    const double s = w.Wizard.GetSheetScale();
    const auto at = [&](double x, double y) { return TPoint{5 + int(x * s), 14 + int(y * s)}; };
    EXPECT_EQ(w.Wizard.ClickSheetPicture(at(1.0, 1.5)), 1);
    EXPECT_TRUE(w.Sheet.Template.Geometry.GetSpot(0)->Marked);
    EXPECT_EQ(w.Wizard.ClickSheetPicture(at(1.0, 1.5)), 1);
    EXPECT_FALSE(w.Sheet.Template.Geometry.GetSpot(0)->Marked);
    EXPECT_EQ(w.Wizard.ClickSheetPicture(at(3.0, 1.5)), 0); // between the spots

    // Exactly on an edge: a spot whose left edge falls on a whole pixel.
    w.Sheet.Template.Geometry.GetSpot(1)->SpotLeft = 100.0 / s;
    EXPECT_EQ(w.Wizard.ClickSheetPicture({5 + 100, 14 + int(1.5 * s)}), 0);
    EXPECT_EQ(w.Wizard.ClickSheetPicture({5 + 101, 14 + int(1.5 * s)}), 1);

    // A landscape sheet: the height limits.
    w.Sheet.Template.Geometry.Orientation = 1;
    w.Wizard.DrawSheetPicture(picture, 201, 276, clWhite);
    EXPECT_NEAR(w.Wizard.GetSheetScale(), 201 / 11.0 * 0.95, 1e-9);
    EXPECT_EQ(w.Wizard.GetSheetOrigin(), (TPoint{5, 64})); // (276 - 8.5 x 17.359) / 2 = 64.2
}

TEST(PrintWizard, TheSheetPictureShowsChosenSpotsTinted)
{
    TWizard w;
    w.Sheet.Template.Geometry.GetSpot(1)->Marked = true;
    Talphabitmap picture;
    const TColor window = RGB(212, 208, 200);
    w.Wizard.DrawSheetPicture(picture, 201, 276, window);
    const QImage &image = picture.GetImage();
    const double s = w.Wizard.GetSheetScale();
    const auto rgb = [&](double x, double y) {
        return image.pixel(5 + int(x * s), 14 + int(y * s)) & 0xFFFFFFu;
    };
    EXPECT_EQ(image.pixel(2, 100) & 0xFFFFFFu, 0xD4D0C8u); // the window's colour
    EXPECT_EQ(image.pixel(0, 100) & 0xFFFFFFu, 0u);        // its frame
    EXPECT_EQ(rgb(6, 8), 0xFFFFFFu);                       // paper
    EXPECT_EQ(rgb(1.5, 1.8), 0xFFFFFFu);                   // unchosen spot: the label's white
    EXPECT_EQ(qBlue(rgb(5, 1.8)), 255);                    // chosen: under blue
    EXPECT_LT(qRed(rgb(5, 1.8)), 160);
}

TEST(PrintWizard, PrintTestPrintsOneSheetWhateverTheCounter)
{
    TPrintingWizard w;
    Trecordingprinter &printer = w.Printer;
    Tprintjob &job = w.Job;
    Tprintwizard &wizard = w.Wizard;
    std::vector<TPrintSettings> printed;
    wizard.OnPrint = [&](const TPrintSettings &settings) {
        printed.push_back(settings);
        return job.PrintSheets(settings);
    };
    wizard.SetHighQuality(true);
    wizard.SetCopies(4);
    EXPECT_TRUE(wizard.PrintTest());
    EXPECT_EQ(printer.Pages.size(), 1u);
    EXPECT_TRUE(wizard.Print());
    EXPECT_EQ(printer.Pages.size(), 4u);
    // Both print with the quality set and every spot the showing marked.
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0].Copies, 1);
    for (const TPrintSettings &settings : printed) {
        EXPECT_TRUE(settings.HighQuality);
        EXPECT_EQ(settings.Spots, (std::vector<int32_t>{0, 1, 2}));
    }
}

TEST(PrintWizard, WhatTheCheckFindsHoldsPrintBackUntilPrintAnyway)
{
    TPrintingWizard w;
    Trecordingprinter &printer = w.Printer;
    Tprintwizard &wizard = w.Wizard;
    // An empty text box: it shows its prompt and would print nothing.
    auto empty = std::make_unique<Tvnltext>();
    empty->Bounds = {100100, 100100, 100900, 100300};
    w.Sheet.Project.AddObject(std::move(empty));
    wizard.SetCopies(2);
    EXPECT_FALSE(wizard.Print());
    EXPECT_TRUE(printer.Pages.empty());
    EXPECT_EQ(wizard.Pending(), Tprintwizard::TPending::Print);
    ASSERT_EQ(wizard.GetProblems().size(), 1u);
    EXPECT_EQ(wizard.GetProblems()[0].Issue, TPrintIssue::EmptyPrompt);
    // Cancel prints nothing; asked again, Print Anyway prints what was asked for.
    wizard.CancelPending();
    EXPECT_FALSE(wizard.PrintAnyway());
    EXPECT_TRUE(printer.Pages.empty());
    EXPECT_FALSE(wizard.Print());
    EXPECT_TRUE(wizard.PrintAnyway());
    EXPECT_EQ(printer.Pages.size(), 2u);
    EXPECT_EQ(wizard.Pending(), Tprintwizard::TPending::None);
    // A test page is for lining up: it prints unchecked.
    EXPECT_TRUE(wizard.PrintTest());
    EXPECT_EQ(printer.Pages.size(), 1u);
    // A print started in the preview asks, listing the findings.
    Tmessagelog log;
    log.Answer = mrCancel;
    EXPECT_FALSE(wizard.ConfirmChecked());
    log.Answer = mrOk;
    EXPECT_TRUE(wizard.ConfirmChecked());
    ASSERT_EQ(log.Texts.size(), 2);
    EXPECT_EQ(log.Texts[0], CheckedQuestionTitle + QStringLiteral("\n\u2022 ") +
                                wizard.GetProblems()[0].Text + QStringLiteral("\n\n") + CheckedQuestion);
    w.Sheet.Project.RemoveObject(w.Sheet.Project.Count() - 1);
    EXPECT_TRUE(wizard.ConfirmChecked());
    EXPECT_EQ(log.Texts.size(), 2);
}

TEST(WizardAnimations, TheTestPageSlidesOnSlowerAndRests)
{
    Twizardanimations a;
    a.StartLabelDemo({225, 185}, clWhite);
    std::vector<int32_t> intervals;
    std::vector<TPoint> drawnAt;
    for (int i = 0; i < 21; ++i) {
        const TPoint before = a.DemoPosition();
        intervals.push_back(a.LabelDemoFrame());
        drawnAt.push_back(before.X == 0 ? TPoint{20, 10} : before);
    }
    EXPECT_EQ(intervals.front(), 80);
    EXPECT_EQ(intervals[1], 90);
    EXPECT_EQ(intervals[18], 260);
    EXPECT_EQ(intervals[19], 5000); // resting at (1, 0)
    EXPECT_EQ(drawnAt[19], (TPoint{1, 0}));
    EXPECT_EQ(drawnAt[1], (TPoint{19, 9}));
    EXPECT_EQ(drawnAt[20], (TPoint{20, 10})); // and again
    EXPECT_EQ(intervals[20], 80);
    EXPECT_EQ(a.Frame().size(), QSize(225, 185));
}

TEST(WizardAnimations, TheNudgedPageJittersAndPausesWhenItLinesUpAcross)
{
    Twizardanimations a;
    std::deque<int32_t> draws = {2, 2, 0, 5, 4, 0};
    std::vector<std::pair<int32_t, int32_t>> asked;
    a.Random = [&](int32_t low, int32_t high) {
        asked.emplace_back(low, high);
        const int32_t v = draws.front();
        draws.pop_front();
        return v;
    };
    a.StartLabelNudge({138, 168}, clWhite);
    EXPECT_EQ(a.LabelNudgeFrame(), 1000);
    EXPECT_EQ(a.NudgeOffset(), (TPoint{0, 0}));
    EXPECT_EQ(a.LabelNudgeFrame(), 400);
    EXPECT_EQ(a.NudgeOffset(), (TPoint{-2, 3}));
    EXPECT_EQ(a.LabelNudgeFrame(), 400);
    EXPECT_EQ(a.NudgeOffset(), (TPoint{2, -2}));
    EXPECT_THAT(asked, testing::Each(testing::AnyOf(std::pair{0, 4}, std::pair{0, 5})));
}

TEST(WizardAnimations, ThePrintedPageIsRevealedEightRowsAFrame)
{
    Twizardanimations a;
    a.StartPrint({201, 276}, RGB(255, 255, 255));
    std::vector<int32_t> rows;
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(a.PrintFrame(), 100);
        rows.push_back(a.GetPrintedRows());
    }
    EXPECT_EQ(rows[0], 8);
    EXPECT_EQ(rows[19], 160);
    EXPECT_EQ(rows[20], 0);
}

TEST(WizardAnimations, PicturesHaveTheirRolesAndCutOutsKeepOnlyTheInk)
{
    // The first label's left edge at (11, 30): an outline on the test page only; paper between
    // the labels is white; a cut-out keeps the ink and drops the paper.
    const QImage test = TestPagePicture();
    EXPECT_EQ(test.size(), QSize(DemoPictureWidth, DemoPictureHeight));
    EXPECT_TRUE(IsDark(test, 11, 30));
    EXPECT_FALSE(IsDark(PrintedPagePicture(), 11, 30));
    EXPECT_NE(LabelStockPicture().pixel(30, 45) & 0xFFFFFFu, 0xFFFFFFu);
    Talphabitmap cutOut;
    MakeCutOut(cutOut, test);
    EXPECT_EQ(qAlpha(cutOut.GetImage().pixel(64, 8)), 0);
    EXPECT_GT(qAlpha(cutOut.GetImage().pixel(11, 30)), 200);
}
