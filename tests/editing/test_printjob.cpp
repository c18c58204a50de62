// The sheet composition and the print job through a printer that records its pages: where the
// labels land for the nudge, the resolution and the printer's margin, what is printed and what
// is refused, and the preview's fit and pixels.

#include "printtestsupport.h"

#include "document/alphabitmap.h"
#include "document/shape.h"
#include "editing/printjob.h"

#include <gmock/gmock.h>
#include <limits>

namespace {
// The black box's top-left on a page, found from outside it: its left edge along its middle row,
// its top edge along its middle column. spot is where the spot's top-left should be.
TPoint BoxCorner(const QImage &page, const TPoint &spot, int32_t dpi)
{
    const int32_t quarter = dpi / 4;
    return {FirstDark(page, spot.X - quarter, spot.Y + quarter, 1, 0),
            FirstDark(page, spot.X + dpi, spot.Y - quarter, 0, 1)};
}
} // namespace

TEST(PrintJob, LabelsLandWhereSpotNudgeAndMarginPutThem)
{
    struct Case {
        int32_t Dpi, OffsetX, OffsetY, NudgeX, NudgeY;
        TPoint Expected; // the first spot's top-left on the printable area
    };
    const Case cases[] = {
        {100, 0, 0, 0, 0, {50, 100}},
        {600, 0, 0, 16, 0, {300 + 150, 600}}, // 1/4 inch at 600 dpi is 150 pixels
        {600, 0, 0, 0, -16, {300, 600 - 150}},
        {300, 18, 24, 0, 0, {150 - 18, 300 - 24}},
        {200, 10, 10, -3, 5, {100 - 10 - 9, 200 - 10 + 16}}, // 3/64 at 200 dpi is 9.375, 5/64 is 15.625
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Dpi << " dpi, nudge " << c.NudgeX << "," << c.NudgeY);
        TTestSheet sheet;
        sheet.Template.Geometry.GetSpot(0)->Marked = true;
        Trecordingprinter printer(c.Dpi, c.OffsetX, c.OffsetY, 4.0, 3.0);
        Tprintjob job(&printer);
        job.SetDocument(&sheet.Project);
        TPrintSettings settings = MarkedSettings(sheet);
        settings.NudgeX = c.NudgeX;
        settings.NudgeY = c.NudgeY;
        ASSERT_TRUE(job.PrintSheets(settings));
        ASSERT_EQ(printer.Pages.size(), 1u);
        const TPoint corner = BoxCorner(printer.Pages[0], c.Expected, c.Dpi);
        EXPECT_EQ(corner.X, c.Expected.X);
        EXPECT_EQ(corner.Y, c.Expected.Y);
    }
}

TEST(PrintJob, TheScaleCorrectionMovesEachColumnByItsShareOfItsDistanceFromTheSheetsLeftEdge)
{
    // Three columns of the test label at 0.5, 3 and 5.5 inches, one row at 1 inch, on a 300 dpi
    // printer whose printable area starts 30 pixels in: the correction is about the sheet's
    // corner, not the printable area's, and comes after the nudge.
    struct Case {
        int32_t ScaleX, ScaleY, NudgeX;
        double FactorX, FactorY; // what the correction should come to
    };
    const Case cases[] = {
        {0, 0, 0, 1.0, 1.0},    {100, 0, 0, 1.01, 1.0},  {-100, 0, 0, 0.99, 1.0},
        {0, 200, 0, 1.0, 1.02}, {100, 0, 16, 1.01, 1.0}, {500, -900, 0, 1.03, 0.97}, // held to 3 %
    };
    const double columns[] = {0.5, 3.0, 5.5};
    constexpr int32_t Dpi = 300, Offset = 30;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.ScaleX << "," << c.ScaleY << " nudge " << c.NudgeX);
        TTestSheet sheet;
        sheet.Template.Geometry.Clear();
        for (const double left : columns)
            AddSpot(sheet.Template, left, 1, TestLabelWidth, TestLabelHeight);
        Trecordingprinter printer(Dpi, Offset, Offset);
        Tprintjob job(&printer);
        job.SetDocument(&sheet.Project);
        TPrintSettings settings;
        settings.Spots = {0, 1, 2};
        settings.ScaleX = c.ScaleX;
        settings.ScaleY = c.ScaleY;
        settings.NudgeX = c.NudgeX;
        ASSERT_TRUE(job.PrintSheets(settings));
        const QImage &page = printer.Pages.at(0);
        const double nudge = c.NudgeX / 64.0;
        const int32_t top = int32_t(std::lround(1.0 * c.FactorY * Dpi)) - Offset;
        for (const double left : columns) {
            SCOPED_TRACE(left);
            const double expected = (left + nudge) * c.FactorX * Dpi - Offset;
            const TPoint corner = BoxCorner(page, {int32_t(expected), top}, Dpi);
            if (c.ScaleX == 0 && c.ScaleY == 0) {
                // No correction: every edge on its pixel as before.
                EXPECT_EQ(corner.X, int32_t(std::lround(expected)));
                EXPECT_EQ(corner.Y, top);
            } else {
                EXPECT_NEAR(corner.X, expected, 1.0);
                EXPECT_NEAR(corner.Y, top, 1.0);
            }
        }
    }
}

TEST(PrintJob, TheSpotIsPaintedIntoItsRectangleClippedToItGrownBySixteenthInch)
{
    // A spot at (0.5, 1), 3 x 4 inches, on a 300 dpi printer whose printable area starts at
    // (18, 24): the label's rectangle is (132, 276)-(1032, 1476), its clip that grown by 19.
    TTestSheet sheet;
    Tlabelgeometry &spot = *sheet.Template.Geometry.GetSpot(0);
    spot = {};
    spot.SpotLeft = 0.5;
    spot.SpotTop = 1;
    spot.SpotWidth = 3;
    spot.SpotHeight = 4;
    spot.Marked = true;
    sheet.Template.SetLabelWidth(3);
    sheet.Template.SetLabelHeight(4);
    sheet.Project.ClearObjects();
    // A box far beyond the label on every side shows the clip.
    auto beyond = std::make_unique<Tvnlshape>();
    beyond->Bounds = {98000, 98000, 106000, 106000};
    beyond->SetShapeStyle(TShapeStyle::Rectangle);
    beyond->SetDrawOutline(false);
    beyond->SetDrawFill(true);
    beyond->Brush.SetColor(clBlack);
    sheet.Project.AddObject(std::move(beyond));
    Trecordingprinter printer(300, 18, 24);
    Tprintjob job(&printer);
    job.SetDocument(&sheet.Project);
    ASSERT_TRUE(job.PrintSheets(MarkedSettings(sheet, 1)));
    const QImage &page = printer.Pages.at(0);
    EXPECT_EQ(FirstDark(page, 0, 800, 1, 0), 132 - 19);
    EXPECT_EQ(FirstDark(page, page.width() - 1, 800, -1, 0), 1032 + 19 - 1);
    EXPECT_EQ(FirstDark(page, 500, 0, 0, 1), 276 - 19);
    EXPECT_EQ(FirstDark(page, 500, page.height() - 1, 0, -1), 1476 + 19 - 1);
}

TEST(PrintJob, CopiesPrintOnePageEachAndStepProgressPerSpot)
{
    TTestSheet sheet;
    sheet.Template.Geometry.GetSpot(0)->Marked = true;
    sheet.Template.Geometry.GetSpot(2)->Marked = true;
    sheet.Project.Title = QStringLiteral("Merlot");
    Tcountingprogress progress;
    Trecordingprinter printer(50, 0, 0);
    Tprintjob job(&printer);
    job.SetDocument(&sheet.Project);
    ASSERT_TRUE(job.PrintSheets(MarkedSettings(sheet, 3)));
    EXPECT_EQ(printer.Pages.size(), 3u);
    EXPECT_EQ(progress.Steps, 6);
    EXPECT_EQ(progress.Maximum, 6);
    EXPECT_EQ(progress.Caption, "Printing");
    EXPECT_FALSE(progress.Shown);
    EXPECT_EQ(printer.Title, "Fennbrook label - Merlot - ");
    // The marked spots print, the one between them does not.
    for (const QImage &page : printer.Pages) {
        EXPECT_TRUE(IsDark(page, 25 + 50, 50 + 12));   // spot 1 at (0.5, 1) inch
        EXPECT_FALSE(IsDark(page, 200 + 50, 50 + 12)); // spot 2 at (4, 1)
        EXPECT_TRUE(IsDark(page, 25 + 50, 200 + 12));  // spot 3 at (0.5, 4)
    }
}

TEST(PrintJob, RefusalsSayWhyAndPrintNothing)
{
    struct Case {
        const char *Name;
        bool Marked, Available, Busy;
        const QString &Message;
        TMsgIcon Icon;
    };
    const Case cases[] = {
        {"no spot", false, true, false, NoSpotsMessage, TMsgIcon::Error},
        {"no printer", true, false, false, NoPrinterMessage, TMsgIcon::Error},
        {"busy", true, true, true, PrinterBusyMessage, TMsgIcon::Information},
    };
    EXPECT_EQ(NoSpotsMessage,
              "No label spots are selected for printing. Please select step 3 \r\nand select one "
              "or more label spots to print.");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TTestSheet sheet;
        sheet.Template.Geometry.GetSpot(1)->Marked = c.Marked;
        Trecordingprinter printer(50, 0, 0);
        printer.IsAvailable = c.Available;
        printer.Busy = c.Busy;
        Tmessagelog messages;
        Tcountingprogress progress;
        Tprintjob job(&printer);
        job.SetDocument(&sheet.Project);
        EXPECT_FALSE(job.PrintSheets(MarkedSettings(sheet, 2)));
        EXPECT_THAT(messages.Texts, testing::ElementsAre(c.Message));
        EXPECT_EQ(messages.Icons.at(0), c.Icon);
        EXPECT_TRUE(printer.Pages.empty());
        EXPECT_EQ(progress.Steps, 0);
        // A busy printer keeps its orientation.
        EXPECT_EQ(printer.OrientationCalls, 0);
    }
}

TEST(PrintJob, SpotsThatCannotPrintAreNamedAndTheOthersPrintOnlyWhenTheUserAgrees)
{
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double Inf = std::numeric_limits<double>::infinity();
    struct Case {
        double Left, Top, Width, Height;
        const char *Says;
    };
    const char *const offPage = "Spot 2 lies outside the 8.5 \u00d7 11 in page.";
    const Case cases[] = {
        {20, 1, 2, 1, offPage},
        {1e12, 1e12, 2, 1, offPage},
        {NaN, 1, 2, 1, offPage},
        {0.5, 1, Inf, 1, offPage},
        {0.5, 1, 1e9, 1, "Spot 2 is too large to print."},
        {0.5, 1, 2, 0.001, "Spot 2 is too small to print."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Says);
        SCOPED_TRACE(testing::Message() << c.Left << " " << c.Top << " " << c.Width << " " << c.Height);
        TTestSheet sheet;
        Tlabelgeometrylist &spots = sheet.Template.Geometry;
        *spots.GetSpot(1) = *Spot(c.Left, c.Top, c.Width, c.Height);
        spots.GetSpot(1)->Marked = true;
        Trecordingprinter printer(50, 0, 0);
        Tprintjob job(&printer);
        job.SetDocument(&sheet.Project);
        // The preview leaves the spot out.
        Talphabitmap preview;
        job.PaintPreview(MarkedSettings(sheet), preview, 425, 550);

        // Alone, it prints nothing.
        Tmessagelog alone;
        EXPECT_FALSE(job.PrintSheets(MarkedSettings(sheet, 1)));
        EXPECT_THAT(alone.Texts, testing::ElementsAre(c.Says));
        EXPECT_THAT(alone.Icons, testing::ElementsAre(TMsgIcon::Error));
        EXPECT_TRUE(printer.Pages.empty());

        // With a spot that prints, the user is asked; Cancel prints nothing, OK the spot that can.
        spots.GetSpot(0)->Marked = true;
        Tmessagelog asked;
        asked.Answer = mrCancel;
        EXPECT_FALSE(job.PrintSheets(MarkedSettings(sheet, 1)));
        EXPECT_TRUE(printer.Pages.empty());
        asked.Answer = mrOk;
        Tcountingprogress progress;
        ASSERT_TRUE(job.PrintSheets(MarkedSettings(sheet, 1)));
        const QString question = QString::fromUtf8(c.Says) + QStringLiteral("\n\n") + OtherSpotsPrintMessage;
        EXPECT_THAT(asked.Texts, testing::ElementsAre(question, question));
        EXPECT_THAT(asked.Icons, testing::ElementsAre(TMsgIcon::Warning, TMsgIcon::Warning));
        ASSERT_EQ(printer.Pages.size(), 1u);
        EXPECT_TRUE(IsDark(printer.Pages[0], 25 + 50, 50 + 12)); // spot 1 at (0.5, 1) inch
        EXPECT_EQ(progress.Steps, 1);
    }
}

TEST(PrintJob, TheSettingsNameTheSpotsThatPrintWhateverTheSheetMarks)
{
    struct Case {
        std::vector<int32_t> Spots;
        bool Prints[3];
    };
    const Case cases[] = {
        {{1}, {false, true, false}},
        {{0, 2}, {true, false, true}},
        // Numbers the sheet lacks name no spot.
        {{2, 3, -1}, {false, false, true}},
        {{3, -1}, {}},
        {{}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Spots));
        TTestSheet sheet;
        sheet.Template.Geometry.GetSpot(0)->Marked = true;
        Trecordingprinter printer(50, 0, 0);
        Tmessagelog messages;
        Tprintjob job(&printer);
        job.SetDocument(&sheet.Project);
        TPrintSettings settings;
        settings.Spots = c.Spots;
        const bool any = c.Prints[0] || c.Prints[1] || c.Prints[2];
        EXPECT_EQ(job.PrintSheets(settings), any);
        EXPECT_EQ(messages.Texts, any ? std::vector<QString>() : std::vector<QString>{NoSpotsMessage});
        if (!any)
            continue;
        ASSERT_EQ(printer.Pages.size(), 1u);
        const QImage &page = printer.Pages[0];
        EXPECT_EQ(IsDark(page, 25 + 50, 50 + 12), c.Prints[0]);  // spot 1 at (0.5, 1) inch
        EXPECT_EQ(IsDark(page, 200 + 50, 50 + 12), c.Prints[1]); // spot 2 at (4, 1)
        EXPECT_EQ(IsDark(page, 25 + 50, 200 + 12), c.Prints[2]); // spot 3 at (0.5, 4)
    }
}

TEST(PrintJob, AFailureEndsTheJobHidesProgressAndReachesTheCaller)
{
    TTestSheet sheet;
    sheet.Template.Geometry.GetSpot(0)->Marked = true;
    Trecordingprinter printer(50, 0, 0);
    printer.FailAtPage = 2;
    Tcountingprogress progress;
    Tprintjob job(&printer);
    job.SetDocument(&sheet.Project);
    EXPECT_THROW(job.PrintSheets(MarkedSettings(sheet, 5)), EPrinter);
    EXPECT_EQ(printer.EndDocCalls, 1);
    EXPECT_EQ(printer.Pages.size(), 2u);
    EXPECT_FALSE(progress.Shown);
    // The document is no longer in output mode and has no picture limit left.
    EXPECT_FALSE(sheet.Project.OutputMode);
}

TEST(PrintJob, PrinterQuantitiesThatCannotBeReadKeepLetterDefaults)
{
    // A 4 x 3 inch page at 100 dpi whose resolution cannot be read: the margin was read before
    // it and counts; the page is taken for the landscape letter sheet its 400 x 300 pixels stand
    // for, 11/400 inch a pixel across and 8.5/300 down. The spot at (0.5, 1) inch lands at
    // (18, 35), less the margin.
    TTestSheet sheet;
    sheet.Template.Geometry.GetSpot(0)->Marked = true;
    Trecordingprinter printer(100, 10, 20, 4.0, 3.0);
    printer.Failing = {TDeviceCap::LogPixelsX};
    Tprintjob job(&printer);
    job.SetDocument(&sheet.Project);
    ASSERT_TRUE(job.PrintSheets(MarkedSettings(sheet, 1)));
    const QImage &page = printer.Pages.at(0);
    EXPECT_EQ(FirstDark(page, 0, 15 + 8, 1, 0), 18 - 10);
    EXPECT_EQ(FirstDark(page, 8 + 30, 0, 0, 1), 35 - 20);
}

TEST(PrintPreview, TheSheetFitsThePanelCentred)
{
    struct Case {
        int32_t W, H;
        double Ratio;
        TSheetFit Fit;
    };
    const Case cases[] = {
        {400, 300, 0.75, {{87, 0}, {225, 300}}}, {300, 400, 0.75, {{0, 0}, {300, 400}}},
        {300, 500, 0.75, {{0, 50}, {300, 400}}}, {850, 1100, 8.5 / 11, {{0, 0}, {850, 1100}}},
        {0, 300, 0.75, {{0, 0}, {0, 300}}},
    };
    for (const Case &c : cases) {
        const TSheetFit fit = FitSheet(c.W, c.H, c.Ratio);
        EXPECT_EQ(fit.Origin, c.Fit.Origin) << c.W << "x" << c.H;
        EXPECT_EQ(fit.Size, c.Fit.Size) << c.W << "x" << c.H;
    }
}

TEST(PrintPreview, PageProportionsFollowTheTemplateAndThePrinter)
{
    struct Case {
        const char *Name;
        uint8_t Orientation;
        bool HasPrinter, First;
        double Ratio;
    };
    // The recording printer's page: 8.5 x 11 inches with a 10-pixel margin at 100 dpi.
    const double portrait = 830.0 / 1080.0;
    const Case cases[] = {
        {"no printer", 0, false, false, 8.5 / 11},
        {"no printer, landscape", 1, false, false, 11 / 8.5},
        {"printer", 0, true, false, portrait},
        {"printer, landscape", 1, true, false, 1 / portrait},
        // The first printer keeps its orientation; the sheet still shows the template's.
        {"first printer, landscape", 1, true, true, 1 / portrait},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TTestSheet sheet;
        sheet.Template.Geometry.Orientation = c.Orientation;
        Trecordingprinter printer(100, 10, 10);
        printer.IsAvailable = c.HasPrinter;
        printer.First = c.First;
        Tprintjob job(&printer);
        job.SetDocument(&sheet.Project);
        EXPECT_DOUBLE_EQ(job.PageRatio(), c.Ratio);
        EXPECT_EQ(printer.OrientationCalls, c.HasPrinter && !c.First ? 1 : 0);
    }
}

TEST(PrintPreview, ShowsTheNudgedLabelsOnHatchedPaperOverBlack)
{
    // 8.5 x 11 inches fill 425 x 550 pixels of a 445 x 550 panel: 50 pixels per inch from x 10.
    TTestSheet sheet;
    sheet.Template.Geometry.GetSpot(0)->Marked = true;
    Tprintjob job(nullptr);
    job.SetDocument(&sheet.Project);
    TPrintSettings settings = MarkedSettings(sheet);
    settings.NudgeX = 16; // 12.5 pixels, rounded to the even 12
    Talphabitmap bitmap;
    job.PaintPreview(settings, bitmap, 445, 550);
    const QImage &image = bitmap.GetImage();
    const auto white = [&](int x0, int x1, int y) {
        for (int x = x0; x <= x1; ++x)
            if ((image.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu)
                return false;
        return true;
    };
    EXPECT_EQ(image.pixel(5, 300) & 0xFFFFFFu, 0u);
    EXPECT_EQ(image.pixel(440, 300) & 0xFFFFFFu, 0u);
    // The marked spot at (0.5, 1) inch moved by 12 is columns 47 .. 146 inside a grey outline;
    // the box without outline fills all but its last column (47 .. 145) from row 50, with white
    // paper below it. Where the spot would lie without the nudge the paper is hatched.
    EXPECT_TRUE(IsDark(image, 47, 60));
    EXPECT_TRUE(IsDark(image, 145, 60));
    EXPECT_EQ(image.pixel(146, 60) & 0xFFFFFFu, 0x808080u);
    EXPECT_TRUE(white(134, 145, 97));
    EXPECT_FALSE(white(35, 46, 97));
    // The unmarked spot at (4, 1) inch is hatched like the paper around it.
    EXPECT_FALSE(white(230, 300, 60));
}
