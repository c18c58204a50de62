#include "editing/printjob.h"

#include "document/alphabitmap.h"
#include "document/csvtable.h"
#include "document/drawlist.h"
#include "document/fields.h"
#include "document/labeltemplate.h"
#include "document/picture.h"
#include "editing/calibration.h"
#include "editing/printer.h"
#include "platform/canvas.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "platform/rnd.h"
#include "platform/scopedvalue.h"

#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <limits>
#include <optional>

const QString NoSpotsMessage =
    QStringLiteral("No label spots are selected for printing. Please select step 3 "
                   "\r\nand select one or more label spots to print.");
const QString PrinterBusyMessage = QStringLiteral("Printer is already printing, please wait");
const QString NoPrinterMessage =
    QStringLiteral("There is no printer to print on. Please install a printer, or choose one with Setup.");
const QString OtherSpotsPrintMessage = QStringLiteral("The other marked spots will be printed.");
const QString UnreadableTableMessage =
    QStringLiteral("The table \"%1\" cannot be read: %2. Nothing was printed.");
const QString LeftOutText = QStringLiteral("label %1: object %2 is left out: %3");
const QString EmptyTableMessage = QStringLiteral("The table \"%1\" holds no records. Nothing was printed.");

namespace {
constexpr double LetterShort = 8.5;
constexpr double LetterLong = 11.0;
// The label is drawn this far beyond its spot on every side, in inches.
constexpr double Bleed = 0.0625;
constexpr double NudgeStepsPerInch = 64.0;
// Pictures in the preview are drawn from caches of at most this many pixels a side.
constexpr int32_t PreviewPictureLimit = 100;
const TColor SpotOutline = RGB(128, 128, 128);
const QString PrintingCaption = QStringLiteral("Printing");
const QString JobTitlePrefix = QStringLiteral("Fennbrook label - ");
// The progress window's caption while a run prints.
const QString RunCaption = QStringLiteral("Printing sheet %1 of %2");

// The page's size in inches and the printable area's offset from the printer, read in this
// order; what cannot be read keeps its value.
void ReadPrinterSheet(const Tprinter &printer, TPoint &margin, double &width, double &height)
{
    try {
        margin.X = -printer.GetDeviceCaps(TDeviceCap::PhysicalOffsetX);
        margin.Y = -printer.GetDeviceCaps(TDeviceCap::PhysicalOffsetY);
        const int32_t dpiX = printer.GetDeviceCaps(TDeviceCap::LogPixelsX);
        const int32_t dpiY = printer.GetDeviceCaps(TDeviceCap::LogPixelsY);
        const int32_t pageWidth = printer.GetDeviceCaps(TDeviceCap::PhysicalWidth);
        const int32_t pageHeight = printer.GetDeviceCaps(TDeviceCap::PhysicalHeight);
        if (dpiX > 0 && dpiY > 0 && pageWidth > 0 && pageHeight > 0) {
            width = double(pageWidth) / dpiX;
            height = double(pageHeight) / dpiY;
        }
    } catch (const EPrinter &) {
    }
}

// On paper, the printer's scale correction: everything drawn while it lives is scaled about the
// sheet's top-left corner (corner, in canvas pixels), after the nudge that the positions hold
// already. Without a correction the painter is left as it is, so the pages stay as they were.
class TScaledSheet {
public:
    TScaledSheet(Tcanvas &canvas, const TPrintSettings &settings, const TPoint &corner)
        : Painter(canvas.Painter())
    {
        const int32_t x = std::clamp(settings.ScaleX, -MaxScaleCorrection, MaxScaleCorrection);
        const int32_t y = std::clamp(settings.ScaleY, -MaxScaleCorrection, MaxScaleCorrection);
        if (!Painter || (x == 0 && y == 0)) {
            Painter = nullptr;
            return;
        }
        Saved = Painter->worldTransform();
        QTransform scaled = Saved;
        scaled.translate(corner.X, corner.Y);
        scaled.scale(ScaleFactor(x), ScaleFactor(y));
        scaled.translate(-corner.X, -corner.Y);
        Painter->setWorldTransform(scaled);
    }
    ~TScaledSheet()
    {
        if (Painter)
            Painter->setWorldTransform(Saved);
    }
    TScaledSheet(const TScaledSheet &) = delete;
    TScaledSheet &operator=(const TScaledSheet &) = delete;

private:
    QPainter *Painter;
    QTransform Saved;
};

TRect Moved(const TRect &r, const TPoint &by)
{
    return {r.Left + by.X, r.Top + by.Y, r.Right + by.X, r.Bottom + by.Y};
}
} // namespace

TSheetFit FitSheet(int32_t width, int32_t height, double ratio)
{
    TSheetFit fit{{0, 0}, {width, height}};
    if (width <= 0 || height <= 0 || !(ratio > 0))
        return fit;
    if (double(width) / height > ratio)
        fit.Size.X = rnd(height * ratio);
    else
        fit.Size.Y = rnd(width / ratio);
    fit.Origin = {(width - fit.Size.X) / 2, (height - fit.Size.Y) / 2};
    return fit;
}

Tlabelgeometrylist *Tprintjob::Spots() const
{
    if (!Document)
        return nullptr;
    tlabeltemplate *own = Document->AsTemplate();
    tlabeltemplate *source = own ? own : Document->GetTemplate();
    return source ? &source->Geometry : nullptr;
}

std::vector<int32_t> Tprintjob::PrintingSpots(const TPrintSettings &settings) const
{
    const Tlabelgeometrylist *spots = Spots();
    return spots ? spots->PrintableSpots(settings.Spots) : std::vector<int32_t>();
}

std::unique_ptr<Trunlabels> Tprintjob::OpenRun(const TPrintSettings &settings) const
{
    if (!Document || (!settings.Run.IsRun() && Document->Fields().isEmpty()))
        return nullptr;
    return std::make_unique<Trunlabels>(settings.Run);
}

TRunLayout Tprintjob::LayoutOf(const TPrintSettings &settings, const Trunlabels &labels) const
{
    return LayoutRun(PrintingSpots(settings), labels.Run().StartSpot, labels.Labels());
}

void Tprintjob::NoteLeftOut(const TFieldValues &values)
{
    // What the label's own data could not make: a code whose filled data does not encode.
    const TScopedValue<const TFieldValues *> fill(FieldFill, &values);
    bool counted = false;
    for (int32_t i = 0; i < Document->Count(); ++i) {
        const Tdrawobj &object = *Document->GetObject(i);
        if (object.Fields().isEmpty())
            continue;
        const QString problem = object.PrintProblem();
        if (problem.isEmpty())
            continue;
        if (!counted)
            ++LabelsLeftOut;
        counted = true;
        // The copies of a record, and a same-label sheet's spots, are named once.
        const QString line = LeftOutText.arg(values.Number).arg(i + 1).arg(problem);
        if (LeftOut.size() < MaxLeftOutNamed && !LeftOut.contains(line))
            LeftOut.append(line);
    }
}

Trunlabels *Tprintjob::PreviewRun(const TPrintSettings &settings)
{
    const bool wanted = Document && (settings.Run.IsRun() || !Document->Fields().isEmpty());
    if (!wanted) {
        PreviewLabels.reset();
        PreviewOpened = false;
        return nullptr;
    }
    if (!PreviewOpened || !PreviewLabels || !(PreviewLabelsOf == settings.Run)) {
        PreviewOpened = true;
        PreviewLabelsOf = settings.Run;
        PreviewLabels = OpenRun(settings);
    }
    return PreviewLabels.get();
}

void Tprintjob::DrawSheet(const TPrintSettings &settings, const TPoint &sheetSize, const TPoint &origin,
                          Tcanvas &canvas, bool onScreen, const TSheetLabels *labels)
{
    Tlabelgeometrylist *spots = Spots();
    if (!spots || sheetSize.X <= 0 || sheetSize.Y <= 0)
        return;
    const bool wide = sheetSize.X > sheetSize.Y;
    double sheetWidth = wide ? LetterLong : LetterShort;
    double sheetHeight = wide ? LetterShort : LetterLong;
    TPoint margin{};
    if (!onScreen && Printer)
        ReadPrinterSheet(*Printer, margin, sheetWidth, sheetHeight);
    // Inches per pixel.
    const double sx = sheetWidth / sheetSize.X;
    const double sy = sheetHeight / sheetSize.Y;
    const TPoint nudge{rnd(settings.NudgeX / NudgeStepsPerInch / sx),
                       rnd(settings.NudgeY / NudgeStepsPerInch / sy)};
    // On screen the margin stays 0: the preview shows the nudge, not the printer's margin.
    const TPoint shift{origin.X + nudge.X + margin.X, origin.Y + nudge.Y + margin.Y};
    const int32_t bleed = rnd(Bleed / sx);
    Tprogressreport *progress = onScreen ? nullptr : ProgressWindow();
    // The preview shows the sheet as it should land: the correction is the printer's.
    std::optional<TScaledSheet> scaled;
    if (!onScreen)
        scaled.emplace(canvas, settings, TPoint{origin.X + margin.X, origin.Y + margin.Y});

    // A spot off the page, or of a size no page holds, has nothing to draw and no pixel
    // position to draw it at.
    const std::vector<int32_t> printing = PrintingSpots(settings);
    for (size_t slot = 0; slot < printing.size(); ++slot) {
        const int32_t i = printing[slot];
        // The label of a run that falls here; a spot before the run's start or after its end
        // stays empty.
        const TFieldValues *values = nullptr;
        if (labels) {
            const int64_t label =
                labels->Labels.Run().IsRun() ? labels->Layout.LabelAt(labels->Sheet, int32_t(slot)) : 0;
            if (label < 0)
                continue;
            values = &labels->Labels.Label(label);
        }
        const Tlabelgeometry &spot = *spots->GetSpot(i);
        const TRect r =
            Moved({rnd(spot.SpotLeft / sx), rnd(spot.SpotTop / sy),
                   rnd((spot.SpotLeft + spot.SpotWidth) / sx), rnd((spot.SpotTop + spot.SpotHeight) / sy)},
                  shift);
        const TRect bounds{r.Left - bleed, r.Top - bleed, r.Right + bleed, r.Bottom + bleed};
        if (onScreen) {
            canvas.Brush().SetColor(clWhite);
            canvas.Brush().SetStyle(TBrushStyle::Solid);
            canvas.Pen().SetColor(SpotOutline);
            canvas.Pen().SetWidth(1);
            canvas.Pen().SetStyle(TPenStyle::Solid);
            canvas.Rectangle(r);
        }
        bool painted = false;
        {
            // The cache limit goes back to none on every way out, also when drawing fails.
            const TScopeEnd limitEnd([this] { Document->SetPictureCacheLimit(0); });
            const TScopedValue<bool> output(Document->OutputMode, true);
            const TScopedValue<const TFieldValues *> fill(Document->Fill, values);
            if (!settings.HighQuality)
                Document->SetPictureCacheLimit(onScreen ? PreviewPictureLimit : AutomaticCacheLimit);
            canvas.SetStretchMode(TStretchMode::Halftone);
            // The label's width fills the spot's; its height follows from its proportions.
            painted =
                Document->PaintRect(canvas, bounds, {0, 0}, {-r.Left, -r.Top, r.Width(), r.Height()}, -1);
        }
        if (!painted && onScreen && InvalidatePreview)
            InvalidatePreview();
        if (values && !onScreen)
            NoteLeftOut(*values);
        // Window events are handled between the spots of a job only: never inside a paint.
        if (!onScreen && ProcessMessages)
            ProcessMessages();
        if (progress)
            progress->StepProgress();
    }
    canvas.Pen().SetColor(clBlack);
    canvas.Pen().SetWidth(1);
}

bool Tprintjob::PrintSheets(const TPrintSettings &settings)
{
    Tlabelgeometrylist *spots = Spots();
    const int32_t printable = spots ? spots->PrintableCount(settings.Spots) : 0;
    const QString unprintable = spots ? spots->UnprintableSpots(settings.Spots) : QString();
    // Spots the sheet lacks are no spots.
    if (printable == 0 && unprintable.isEmpty()) {
        MessageBox(NoSpotsMessage, TMsgIcon::Error);
        return false;
    }
    if (!unprintable.isEmpty()) {
        if (printable == 0) {
            MessageBox(unprintable, TMsgIcon::Error);
            return false;
        }
        if (MessageBox(unprintable + QStringLiteral("\n\n") + OtherSpotsPrintMessage, TMsgIcon::Warning,
                       TMsgButtons::OkCancel) != mrOk)
            return false;
    }
    // A table is read through before anything prints: a damaged one prints nothing.
    std::unique_ptr<Trunlabels> labels;
    try {
        labels = OpenRun(settings);
    } catch (const ECsvError &e) {
        MessageBox(UnreadableTableMessage.arg(settings.Run.Table, e.Message()), TMsgIcon::Error);
        return false;
    }
    const bool run = labels && settings.Run.IsRun();
    const TRunLayout layout = labels ? LayoutOf(settings, *labels) : TRunLayout{};
    const int64_t sheets = run ? layout.Sheets : settings.Copies;
    if (run && sheets == 0) {
        MessageBox(EmptyTableMessage.arg(settings.Run.Table), TMsgIcon::Error);
        return false;
    }
    if (!Printer || !Printer->Available()) {
        MessageBox(NoPrinterMessage, TMsgIcon::Error);
        return false;
    }
    if (sheets < 1)
        return false;
    if (!Printer->Printing())
        Printer->SetOrientation(spots->Orientation);
    const TPoint sheet{Printer->GetDeviceCaps(TDeviceCap::PhysicalWidth),
                       Printer->GetDeviceCaps(TDeviceCap::PhysicalHeight)};
    if (Printer->Printing()) {
        MessageBox(PrinterBusyMessage, TMsgIcon::Information);
        return false;
    }
    Tprogressreport *progress = ProgressWindow();
    if (progress)
        progress->BeginProgress(
            PrintingCaption,
            int32_t(std::min<int64_t>(sheets * printable, std::numeric_limits<int32_t>::max())));
    if (progress && run)
        progress->OfferCancel();
    const auto hideProgress = [progress] {
        if (progress)
            progress->HideProgress();
    };
    Printer->SetTitle(JobTitlePrefix + Document->GetTitle() + QStringLiteral(" - ") +
                      Document->GetFileName());
    try {
        Printer->BeginDoc();
    } catch (...) {
        hideProgress();
        throw;
    }
    bool cancelled = false;
    LeftOut.clear();
    LabelsLeftOut = 0;
    try {
        for (int64_t page = 0; page < sheets; ++page) {
            if (run && progress) {
                if (progress->Cancelled()) {
                    cancelled = true;
                    break;
                }
                progress->SetProgressCaption(RunCaption.arg(page + 1).arg(sheets));
            }
            if (page > 0)
                Printer->NewPage();
            if (labels) {
                const TSheetLabels onSheet{*labels, layout, page};
                DrawSheet(settings, sheet, {0, 0}, Printer->Canvas(), false, &onSheet);
            } else {
                DrawSheet(settings, sheet, {0, 0}, Printer->Canvas(), false);
            }
        }
    } catch (...) {
        Printer->EndDoc();
        hideProgress();
        throw;
    }
    Printer->EndDoc();
    if (PrintingSeen && InvalidatePreview)
        InvalidatePreview();
    hideProgress();
    return !cancelled;
}

double Tprintjob::PageRatio()
{
    const Tlabelgeometrylist *spots = Spots();
    const bool landscape = spots && spots->Orientation == 1;
    const double letter = landscape ? LetterLong / LetterShort : LetterShort / LetterLong;
    if (!Printer || !Printer->Available())
        return letter;
    try {
        if (!Printer->Printing() && !Printer->IsFirstPrinter())
            Printer->SetOrientation(landscape ? 1 : 0);
        const int32_t width = Printer->GetDeviceCaps(TDeviceCap::HorzRes);
        const int32_t height = Printer->GetDeviceCaps(TDeviceCap::VertRes);
        if (width <= 0 || height <= 0)
            return letter;
        // A printer left in the other orientation still shows the sheet the template prints on.
        const double ratio = double(width) / height;
        return (ratio > 1) == landscape ? ratio : 1 / ratio;
    } catch (const EPrinter &) {
        return letter;
    }
}

void Tprintjob::PaintPreview(const TPrintSettings &settings, Talphabitmap &bitmap, int32_t width,
                             int32_t height, int64_t page)
{
    PrintingSeen = Printer && Printer->Printing();
    if (bitmap.Width() != width || bitmap.Height() != height)
        bitmap.SetSize(width, height);
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0)
        return;
    bitmap.Fill(0xFF000000u);
    const TSheetFit fit = FitSheet(width, height, PageRatio());
    const TRect sheet{fit.Origin.X, fit.Origin.Y, fit.Origin.X + fit.Size.X, fit.Origin.Y + fit.Size.Y};
    Tcanvas &canvas = bitmap.Canvas();
    canvas.Pen().SetColor(clBlack);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetStyle(TPenStyle::Solid);
    canvas.Brush().SetColor(clWhite);
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    canvas.Rectangle(sheet);
    // Hatched wherever no marked spot covers the paper.
    canvas.Brush().SetColor(clBlack);
    canvas.Brush().SetStyle(TBrushStyle::FDiagonal);
    canvas.Rectangle(sheet);
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    if (Trunlabels *labels = PreviewRun(settings)) {
        const TRunLayout layout = LayoutOf(settings, *labels);
        const TSheetLabels onSheet{*labels, layout,
                                   std::clamp<int64_t>(page, 0, std::max<int64_t>(layout.Sheets - 1, 0))};
        DrawSheet(settings, fit.Size, fit.Origin, canvas, true, &onSheet);
    } else {
        DrawSheet(settings, fit.Size, fit.Origin, canvas, true);
    }
    // Ended, so the window may share the pixels while it shows them.
    canvas.Unbind();
}
