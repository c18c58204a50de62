// A printer's calibration: corrections from measured lengths in inches and millimetres, their
// limits, per-printer storage with the shared offsets for a printer without its own, and the
// ruler page by its pixels.

#include "printtestsupport.h"

#include "editing/calibration.h"
#include "editing/printjob.h"
#include "editing/printwizard.h"
#include "editing/rulerpage.h"
#include "platform/filedialog.h"
#include "settings/registry.h"

#include <gmock/gmock.h>

namespace {
struct TStore {
    TStore()
    {
        SetRootBackend(HKEY_CURRENT_USER, Backend);
        Store.OpenKey(QString::fromLatin1(SettingsKeyPath), true);
    }
    ~TStore() { SetRootBackend(HKEY_CURRENT_USER, nullptr); }
    std::shared_ptr<Tmemorybackend> Backend = std::make_shared<Tmemorybackend>();
    Tregistryex Store;
};

} // namespace

TEST(Calibration, MeasuredLengthsInInchesOrMillimetresGiveCorrectionsInSteps)
{
    struct Case {
        const char *Typed;
        double Expected;
        int32_t Current;
        bool Ok;
        int32_t Corrected;
    };
    const Case cases[] = {
        {"8", RulerAcross, 0, true, 0},
        {"7.92 in", RulerAcross, 0, true, 100},  // 8 / 7.92 = 1.0101: +1.00 %
        {"8.08\"", RulerAcross, 0, true, -100},  // 8 / 8.08 = 0.9901
        {"201.2 mm", RulerAcross, 0, true, 100}, // 7.921 in
        {"201,2", RulerAcross, 0, true, 100},    // a number over 50 is millimetres
        {"10.02", RulerDown, 0, true, -20},      // -0.1996 % to the nearest 0.05 %
        {"254 MM", RulerDown, 0, true, 0},
        {"8.04", RulerAcross, 100, true, 50}, // printed at +1 %, still 0.5 % long
        {"7.7", RulerAcross, 0, false, 0},    // +3.9 %: beyond the limits
        {"8.26", RulerAcross, 0, false, 0},
        {"", RulerAcross, 0, false, 0},
        {"eight", RulerAcross, 0, false, 0},
        {"-8", RulerAcross, 0, false, 0},
        {"0", RulerAcross, 0, false, 0},
        {"8 ft", RulerAcross, 0, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Typed);
        double inches = 0;
        QString error;
        int32_t corrected = -1;
        const bool ok = ParseMeasuredLength(QString::fromUtf8(c.Typed), inches, error) &&
                        CorrectionFromMeasurement(c.Expected, inches, c.Current, corrected, error);
        EXPECT_EQ(ok, c.Ok) << error.toStdString();
        if (c.Ok)
            EXPECT_EQ(corrected, c.Corrected);
        else
            EXPECT_FALSE(error.isEmpty());
    }
}

TEST(Calibration, TwoPrintersKeepTheirOwnAndOneWithoutTakesTheSharedOffsets)
{
    TStore s;
    StoreCalibration(s.Store, QStringLiteral("Laser"), {3, -2, 100, -50});
    StoreCalibration(s.Store, PdfPrinterName, {-1, 4, 0, 25});
    const TCalibration shared{7, 8, 0, 0};
    EXPECT_EQ(LoadCalibration(s.Store, QStringLiteral("Laser"), shared), (TCalibration{3, -2, 100, -50}));
    EXPECT_EQ(LoadCalibration(s.Store, QStringLiteral("PDF"), shared), (TCalibration{-1, 4, 0, 25}));
    EXPECT_EQ(LoadCalibration(s.Store, QStringLiteral("Inkjet"), shared), (TCalibration{7, 8, 0, 0}));
    // The caller's store stays on its key; the values live below it, one key per printer.
    EXPECT_EQ(s.Store.GetCurrentPath().toStdString(), "software\\fennbrook\\ambrelo");
    EXPECT_EQ(s.Backend->ReadValue(QStringLiteral("software\\fennbrook\\ambrelo\\printers\\Laser"),
                                   QStringLiteral("scale.x")),
              std::optional<TRegValue>(int32_t(100)));
    // A name with a backslash stays one key; values beyond the limits are ignored.
    StoreCalibration(s.Store, QStringLiteral("office\\hp"), {1, 1, 5, 5});
    EXPECT_EQ(LoadCalibration(s.Store, QStringLiteral("office\\hp"), shared), (TCalibration{1, 1, 5, 5}));
    s.Backend->WriteValue(QStringLiteral("software\\fennbrook\\ambrelo\\printers\\Laser"),
                          QStringLiteral("scale.y"), int32_t(900));
    s.Backend->WriteValue(QStringLiteral("software\\fennbrook\\ambrelo\\printers\\Laser"),
                          QStringLiteral("nudge.x"), int32_t(40));
    EXPECT_EQ(LoadCalibration(s.Store, QStringLiteral("Laser"), shared), (TCalibration{7, -2, 100, 0}));
}

TEST(Calibration, TheWizardKeepsEachPrintersCalibrationAndWritesTheSharedOffsets)
{
    TStore s;
    s.Store.WriteInteger(QStringLiteral("nudge.x"), 2);
    s.Store.WriteInteger(QStringLiteral("nudge.y"), -1);
    TTestSheet sheet;
    Tprintjob job;
    Tprintwizard wizard(job);
    wizard.SetDocument(&sheet.Project);
    wizard.SetPrinterName(QStringLiteral("Laser"));
    wizard.LoadSettings(s.Store);
    EXPECT_EQ(wizard.Calibration(), (TCalibration{2, -1, 0, 0}));
    wizard.SetNudgeX(5);
    ASSERT_TRUE(wizard.ApplyMeasurements(QStringLiteral("7.96"), QStringLiteral("254.5 mm")));
    EXPECT_EQ(wizard.Calibration(), (TCalibration{5, -1, 50, -20}));
    EXPECT_EQ(wizard.GetMeasureMessage().toStdString(),
              "Scale corrected by +0.50 % across and -0.20 % down for Laser.");
    // The same distances again change nothing: they were measured on a page printed without.
    ASSERT_TRUE(wizard.ApplyMeasurements(QStringLiteral("7.96"), QString()));
    EXPECT_EQ(wizard.Calibration(), (TCalibration{5, -1, 50, -20}));
    // A ruler page printed now carries the correction: what it measures refines it.
    Trecordingprinter printer(100, 0, 0);
    job.SetPrinter(&printer);
    ASSERT_TRUE(wizard.PrintRulerPage());
    ASSERT_TRUE(wizard.ApplyMeasurements(QStringLiteral("8.02"), QString()));
    EXPECT_EQ(wizard.Calibration(), (TCalibration{5, -1, 25, -20}));
    ASSERT_TRUE(wizard.ApplyMeasurements(QStringLiteral("7.96"), QString()));
    EXPECT_EQ(wizard.Calibration(), (TCalibration{5, -1, 100, -20}));
    wizard.SetScaleX(50);
    // Another printer starts from the shared offsets; coming back finds the first one's.
    wizard.SetPrinterName(PdfPrinterName);
    EXPECT_EQ(wizard.Calibration(), (TCalibration{2, -1, 0, 0}));
    wizard.SetPrinterName(QStringLiteral("Laser"));
    EXPECT_EQ(wizard.Calibration(), (TCalibration{5, -1, 50, -20}));
    // A bad measurement changes nothing and says why.
    EXPECT_FALSE(wizard.ApplyMeasurements(QStringLiteral("8"), QStringLiteral("11 in")));
    EXPECT_THAT(wizard.GetMeasureMessage().toStdString(),
                testing::StartsWith("Down: 11.000 in is more than 3 %"));
    EXPECT_EQ(wizard.Calibration(), (TCalibration{5, -1, 50, -20}));
    // Save as PDF writes with the calibration of "PDF", then the printer's, unsaved nudge and all,
    // comes back.
    StoreCalibration(s.Store, PdfPrinterName, {1, 1, 15, 0});
    wizard.SetNudgeY(3);
    TPrintSettings written;
    wizard.OnSaveAsPdf = [&written](const QString &, const TPrintSettings &settings) {
        written = settings;
        return true;
    };
    SetFileDialogFactory([](TFileDialogKind kind) {
        struct TAnswer : Tfiledialog {
            using Tfiledialog::Tfiledialog;
            bool Execute() override { return true; }
        };
        auto dialog = std::make_unique<TAnswer>(kind);
        dialog->SetFileName(QStringLiteral("/tmp/labels.pdf"));
        return dialog;
    });
    EXPECT_TRUE(wizard.SaveAsPdf());
    EXPECT_EQ((TCalibration{written.NudgeX, written.NudgeY, written.ScaleX, written.ScaleY}),
              (TCalibration{1, 1, 15, 0}));
    EXPECT_EQ(wizard.Calibration(), (TCalibration{5, 3, 50, -20}));
    // Also without a printer, whose values are kept nowhere.
    wizard.SetPrinterName(QString());
    wizard.SetNudgeX(7);
    EXPECT_TRUE(wizard.SaveAsPdf());
    EXPECT_EQ(wizard.Calibration().NudgeX, 7);
    SetFileDialogFactory(nullptr);
    wizard.SetPrinterName(QStringLiteral("Laser"));
    wizard.SetNudgeY(-1);
    wizard.StoreSettings(s.Store);
    EXPECT_EQ(s.Store.ReadInteger(QStringLiteral("nudge.x")), 5);
    EXPECT_EQ(LoadCalibration(s.Store, QStringLiteral("Laser"), {}), (TCalibration{5, -1, 50, -20}));
}

TEST(RulerPage, EachMarkHasAMillimetreScaleOnThePaperLessThePrintersMargin)
{
    // The nudge is left out, so a mark a quarter inch from the edge stays on the paper.
    Trecordingprinter printer(600, 25, 30);
    ASSERT_TRUE(PrintRulerPage(printer, {16, -8, 0, 0}));
    const QImage &page = printer.Pages[0];
    // Below the left mark: eleven ticks a millimetre (23.6 pixels) apart, centred on the mark.
    const int32_t tickRow = int32_t((MarkAcrossY + MarkLength / 2 + 0.07) * 600) - 30;
    const std::vector<double> ticks = DarkRunCentres(page, 0, tickRow, 1, 0);
    ASSERT_EQ(ticks.size(), 22u);
    for (size_t i = 1; i < 11; ++i)
        EXPECT_NEAR(ticks[i] - ticks[i - 1], 600 / 25.4, 1.0) << i;
    EXPECT_NEAR(ticks[5], 0.25 * 600 - 25, 1.0);
    EXPECT_NEAR(ticks[16] - ticks[5], RulerAcross * 600, 1.0);
    EXPECT_EQ(printer.Title.toStdString(), RulerJobTitle.toStdString());
    EXPECT_GT(FirstDark(page, int32_t(1.0 * 600), int32_t(1.5 * 600), 0, 1), 0);
}

TEST(RulerPage, WithoutAPrinterOrWhileItIsBusyNothingPrints)
{
    Tmessagelog log;
    Trecordingprinter none(600, 0, 0);
    none.IsAvailable = false;
    EXPECT_FALSE(PrintRulerPage(none, {}));
    Trecordingprinter busy(600, 0, 0);
    busy.Busy = true;
    EXPECT_FALSE(PrintRulerPage(busy, {}));
    EXPECT_TRUE(none.Pages.empty() && busy.Pages.empty());
    EXPECT_EQ(log.Texts, (std::vector<QString>{NoPrinterMessage, PrinterBusyMessage}));
}
