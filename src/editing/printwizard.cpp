#include "editing/printwizard.h"

#include "document/alphabitmap.h"
#include "document/csvtable.h"
#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "editing/printjob.h"
#include "editing/rulerpage.h"
#include "platform/canvas.h"
#include "platform/filedialog.h"
#include "platform/messages.h"
#include "platform/rnd.h"
#include "settings/registry.h"
#include "settings/userfolders.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

const char *const LastPdfPathSetting = "lastpdfpath";
const char *const SavePdfTitle = "Save as PDF";
const char *const PdfFileFilter = "PDF files (*.pdf)|*.pdf";
const QString CheckedQuestionTitle = QStringLiteral("This would come out wrong:");
const QString CheckedQuestion = QStringLiteral("Print anyway?");

const QString LargeRunQuestion =
    QStringLiteral("This run prints %1 labels on %2 sheets. Do you want to print them all?");
const QString FieldsWithoutRunNote = QStringLiteral(
    "The label has fields (%1): every spot gets the first label. Numbered labels or labels from a table fill "
    "each one.");
const QString LeftOutMessage =
    QStringLiteral("%1 of the labels were printed without what their data could not make:\n\n");
const QString UnknownFieldsNote = QStringLiteral("Nothing fills %1: printed as written.");

namespace {
// The run kept for a project: "printrun." and the SHA-1 of its full path, holding
// "kind;from;count;step;copies;start spot;table".
const QString RunSettingPrefix = QStringLiteral("printrun.");
constexpr int RunFieldCount = 6;
const QString NudgeXSetting = QStringLiteral("nudge.x");
const QString NudgeYSetting = QStringLiteral("nudge.y");
const QString HighQualitySetting = QStringLiteral("highquality_printing");
constexpr int32_t NudgeDenominator = 64;
// The page fills this share of the sheet picture's shorter fit.
constexpr double SheetPictureFill = 0.95;

bool ValidNudge(int32_t value)
{
    return value >= -MaxNudge && value <= MaxNudge;
}

// The spots the document prints on, or nullptr.
Tlabelgeometrylist *SpotsOf(Tdrawlist *document)
{
    if (!document)
        return nullptr;
    tlabeltemplate *own = document->AsTemplate();
    tlabeltemplate *source = own ? own : document->GetTemplate();
    return source ? &source->Geometry : nullptr;
}
} // namespace

QString NudgeText(int32_t value, bool vertical)
{
    if (value == 0)
        return vertical ? QStringLiteral("No Vertical Nudge") : QStringLiteral("No Horizontal Nudge");
    int32_t numerator = std::abs(value);
    int32_t denominator = NudgeDenominator;
    if (numerator >= 2 && NudgeDenominator % numerator == 0) {
        denominator = NudgeDenominator / numerator;
        numerator = 1;
    }
    const QString direction = vertical ? (value > 0 ? QStringLiteral("Down") : QStringLiteral("Up"))
                                       : (value > 0 ? QStringLiteral("Right") : QStringLiteral("Left"));
    return QStringLiteral("Nudge %1 %2/%3\"").arg(direction).arg(numerator).arg(denominator);
}

Tprintwizard::Tprintwizard() : NudgeXCaption(NudgeText(0, false)), NudgeYCaption(NudgeText(0, true)) {}

Tprintwizard::Tprintwizard(Tprintjob &job) : Tprintwizard()
{
    Job = &job;
}

void Tprintwizard::SetJob(Tprintjob *job)
{
    Job = job;
    if (Job)
        Job->SetDocument(Document);
}

const TPrintSettings &Tprintwizard::Settings()
{
    const Tlabelgeometrylist *spots = SpotsOf(Document);
    Values.Spots = spots ? spots->MarkedSpots() : std::vector<int32_t>();
    return Values;
}

void Tprintwizard::SetScaleX(int32_t value)
{
    if (!ValidScaleCorrection(value))
        return;
    Values.ScaleX = value;
}

void Tprintwizard::SetScaleY(int32_t value)
{
    if (!ValidScaleCorrection(value))
        return;
    Values.ScaleY = value;
}

void Tprintwizard::SetCalibration(const TCalibration &calibration)
{
    SetNudgeX(calibration.NudgeX);
    SetNudgeY(calibration.NudgeY);
    SetScaleX(calibration.ScaleX);
    SetScaleY(calibration.ScaleY);
    RulerScaleX = Values.ScaleX;
    RulerScaleY = Values.ScaleY;
}

void Tprintwizard::SetPrinterName(const QString &name)
{
    if (name == PrinterName)
        return;
    if (Store)
        StoreCalibration(*Store, PrinterName, Calibration());
    PrinterName = name;
    if (!Store)
        return;
    // A printer without values of its own takes the offsets the settings hold for every printer.
    TCalibration shared = Calibration();
    if (Store->ValueExists(NudgeXSetting))
        shared.NudgeX = Store->ReadInteger(NudgeXSetting, shared.NudgeX);
    if (Store->ValueExists(NudgeYSetting))
        shared.NudgeY = Store->ReadInteger(NudgeYSetting, shared.NudgeY);
    SetCalibration(LoadCalibration(*Store, PrinterName, shared));
}

bool Tprintwizard::PrintRulerPage()
{
    Tprinter *printer = Job ? Job->GetPrinter() : nullptr;
    if (!OnPrintRulerPage && !printer) {
        MessageBox(NoPrinterMessage, TMsgIcon::Error);
        return false;
    }
    if (!(OnPrintRulerPage ? OnPrintRulerPage(Calibration()) : ::PrintRulerPage(*printer, Calibration())))
        return false;
    RulerScaleX = Values.ScaleX;
    RulerScaleY = Values.ScaleY;
    return true;
}

bool Tprintwizard::ApplyMeasurements(const QString &across, const QString &down)
{
    int32_t corrected[2] = {Values.ScaleX, Values.ScaleY};
    const int32_t printedWith[2] = {RulerScaleX, RulerScaleY};
    const struct {
        const QString &Text;
        double Expected;
        const char *Name;
    } directions[2] = {{across, RulerAcross, "Across"}, {down, RulerDown, "Down"}};
    for (int i = 0; i < 2; ++i) {
        if (directions[i].Text.trimmed().isEmpty())
            continue;
        double inches = 0;
        QString error;
        if (!ParseMeasuredLength(directions[i].Text, inches, error) ||
            !CorrectionFromMeasurement(directions[i].Expected, inches, printedWith[i], corrected[i], error)) {
            MeasureMessage = QStringLiteral("%1: %2").arg(QLatin1String(directions[i].Name), error);
            return false;
        }
    }
    SetScaleX(corrected[0]);
    SetScaleY(corrected[1]);
    MeasureMessage = QStringLiteral("Scale corrected by %1 across and %2 down for %3.")
                         .arg(ScaleCorrectionText(Values.ScaleX), ScaleCorrectionText(Values.ScaleY),
                              PrinterName.isEmpty() ? QStringLiteral("this printer") : PrinterName);
    if (Store)
        StoreCalibration(*Store, PrinterName, Calibration());
    return true;
}

void Tprintwizard::SetDocument(Tdrawlist *document)
{
    Document = document;
    if (Job)
        Job->SetDocument(document);
}

void Tprintwizard::SetNudgeX(int32_t value)
{
    if (!ValidNudge(value))
        return;
    Values.NudgeX = value;
    NudgeXCaption = NudgeText(value, false);
}

void Tprintwizard::SetNudgeY(int32_t value)
{
    if (!ValidNudge(value))
        return;
    Values.NudgeY = value;
    NudgeYCaption = NudgeText(value, true);
}

void Tprintwizard::SelectPage(int32_t page)
{
    if (page >= 0 && page < WizardPageCount)
        Page = page;
}

void Tprintwizard::NextPage()
{
    SelectPage(Page + 1);
}

void Tprintwizard::PreviousPage()
{
    SelectPage(Page - 1);
}

void Tprintwizard::CyclePage(bool forward)
{
    Page = (Page + (forward ? 1 : WizardPageCount - 1)) % WizardPageCount;
}

void Tprintwizard::LoadSettings(Tregistryex &store)
{
    Store = &store;
    SelectPage(wpIntroduction);
    if (store.ValueExists(NudgeXSetting))
        SetNudgeX(store.ReadInteger(NudgeXSetting, Values.NudgeX));
    if (store.ValueExists(NudgeYSetting))
        SetNudgeY(store.ReadInteger(NudgeYSetting, Values.NudgeY));
    if (store.ValueExists(HighQualitySetting))
        Values.HighQuality = store.ReadBool(HighQualitySetting, Values.HighQuality);
    SetCalibration(LoadCalibration(store, PrinterName, Calibration()));
    PendingRequest = TPending::None;
}

void Tprintwizard::StoreSettings(Tregistryex &store) const
{
    store.WriteBool(HighQualitySetting, Values.HighQuality);
    store.WriteInteger(NudgeXSetting, Values.NudgeX);
    store.WriteInteger(NudgeYSetting, Values.NudgeY);
    StoreCalibration(store, PrinterName, Calibration());
}

void Tprintwizard::Showing()
{
    Tlabelgeometrylist *spots = SpotsOf(Document);
    if (!spots || spots->MarkedCount() > 0)
        return;
    for (int32_t i = 0; i < spots->Count(); ++i)
        spots->GetSpot(i)->Marked = true;
}

void Tprintwizard::DrawSheetPicture(Talphabitmap &picture, int32_t width, int32_t height, TColor windowColor)
{
    if (picture.Width() != width || picture.Height() != height)
        picture.SetSize(width, height);
    if (picture.Width() <= 0 || picture.Height() <= 0)
        return;
    picture.Fill(0xFF000000u);
    TPointPair page = PointPair(8.5, 11.0);
    if (const Tlabelgeometrylist *spots = SpotsOf(Document))
        spots->GetPageSize(page.X, page.Y);
    SheetScale = std::min(height / page.Y, width / page.X) * SheetPictureFill;
    SheetOrigin = {rnd((width - page.X * SheetScale) / 2), rnd((height - page.Y * SheetScale) / 2)};

    Tcanvas &canvas = picture.Canvas();
    canvas.Pen().SetColor(clBlack);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetStyle(TPenStyle::Solid);
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    canvas.Brush().SetColor(windowColor);
    canvas.Rectangle({0, 0, width, height});
    canvas.Brush().SetColor(clWhite);
    canvas.Rectangle({SheetOrigin.X, SheetOrigin.Y, width - SheetOrigin.X, height - SheetOrigin.Y});
    if (Document)
        PaintSheet(*Document, SheetOrigin, false, ChosenSpotTint, canvas, SheetScale);
    canvas.Unbind();
}

int32_t Tprintwizard::ClickSheetPicture(const TPoint &point)
{
    Tlabelgeometrylist *spots = SpotsOf(Document);
    if (SheetScale == 0 || !spots)
        return 0;
    const double x = (point.X - SheetOrigin.X) / SheetScale;
    const double y = (point.Y - SheetOrigin.Y) / SheetScale;
    int32_t toggled = 0;
    for (int32_t i = 0; i < spots->Count(); ++i) {
        Tlabelgeometry &spot = *spots->GetSpot(i);
        if (spot.SpotLeft < x && x < spot.SpotLeft + spot.SpotWidth && spot.SpotTop < y &&
            y < spot.SpotTop + spot.SpotHeight) {
            spot.Marked = !spot.Marked;
            ++toggled;
        }
    }
    return toggled;
}

const std::vector<TPrintProblem> &Tprintwizard::CheckLabel()
{
    Problems = Document ? CheckBeforePrinting(*Document) : std::vector<TPrintProblem>{};
    if (Document && (Values.Run.Kind != TRunKind::Table || TableReadable())) {
        const std::vector<TPrintProblem> fields = CheckFields(*Document, RunProbe());
        Problems.insert(Problems.end(), fields.begin(), fields.end());
    }
    return Problems;
}

bool Tprintwizard::Checked(TPending request)
{
    PendingRequest = TPending::None;
    if (CheckLabel().empty())
        return true;
    PendingRequest = request;
    return false;
}

bool Tprintwizard::ConfirmChecked()
{
    if (CheckLabel().empty())
        return true;
    QString text = CheckedQuestionTitle;
    for (const TPrintProblem &p : Problems)
        text += QStringLiteral("\n\u2022 ") + p.Text;
    text += QStringLiteral("\n\n") + CheckedQuestion;
    return MessageBox(text, TMsgIcon::Warning, TMsgButtons::OkCancel) == mrOk;
}

bool Tprintwizard::PrintAnyway()
{
    const TPending request = PendingRequest;
    PendingRequest = TPending::None;
    switch (request) {
    case TPending::Print:
        return ConfirmLargeRun() && PrintWith(Settings());
    case TPending::SaveAsPdf:
        return WritePdf();
    default:
        return false;
    }
}

void Tprintwizard::SetRun(const TDataRun &run)
{
    const bool tableChanged =
        run.Kind == TRunKind::Table && (Values.Run.Kind != TRunKind::Table || run.Table != Values.Run.Table);
    Values.Run = run;
    if (tableChanged)
        ReadTable();
}

void Tprintwizard::ReadTable()
{
    TableNames.clear();
    TableInfo.clear();
    TableRecords = 0;
    if (Values.Run.Table.isEmpty())
        return;
    try {
        TDataRun counted = Values.Run;
        counted.CopiesPerRecord = 1;
        const Trunlabels labels(counted);
        TableRecords = labels.Records();
        TableNames = labels.Names();
        TableInfo =
            QStringLiteral("%1 (%2 records)").arg(QFileInfo(Values.Run.Table).fileName()).arg(TableRecords);
    } catch (const ECsvError &e) {
        TableRecords = -1;
        TableInfo =
            QStringLiteral("%1 cannot be read: %2").arg(QFileInfo(Values.Run.Table).fileName(), e.Message());
    }
}

TFieldValues Tprintwizard::RunProbe() const
{
    TFieldValues probe;
    if (Values.Run.Kind == TRunKind::Table) {
        probe.Names = std::make_shared<const QStringList>(TableNames);
        probe.Values = QStringList(TableNames.size());
    }
    return probe;
}

QString Tprintwizard::FieldsNote() const
{
    const QStringList fields = Document ? Document->Fields() : QStringList();
    if (fields.isEmpty())
        return {};
    if (!Values.Run.IsRun())
        return FieldsWithoutRunNote.arg(fields.join(QStringLiteral(", ")));
    const TFieldValues probe = RunProbe();
    QStringList unknown;
    for (const QString &field : fields)
        FillFields(field, probe, &unknown);
    return unknown.isEmpty() ? QString() : UnknownFieldsNote.arg(unknown.join(QStringLiteral(", ")));
}

int64_t Tprintwizard::PagesShown()
{
    if (!Values.Run.IsRun())
        return Values.Copies;
    if (Values.Run.Kind == TRunKind::Table && !TableReadable())
        return 0;
    const TPrintSettings &settings = Settings();
    const int64_t records = Values.Run.Kind == TRunKind::Table ? TableRecords : Values.Run.Count;
    const int64_t labels = std::min(records * std::max(Values.Run.CopiesPerRecord, 1), MaxRunLabels);
    const Tlabelgeometrylist *spots = SpotsOf(Document);
    return LayoutRun(spots ? spots->PrintableSpots(settings.Spots) : std::vector<int32_t>(),
                     Values.Run.StartSpot, labels)
        .Sheets;
}

QString RunSettingName(const QString &fullPath)
{
    if (fullPath.isEmpty())
        return {};
    return RunSettingPrefix +
           QString::fromLatin1(QCryptographicHash::hash(fullPath.toUtf8(), QCryptographicHash::Sha1).toHex());
}

TDataRun RememberedRun(const Tregistryex &store, const QString &fullPath)
{
    TDataRun run;
    const QString name = RunSettingName(fullPath);
    if (name.isEmpty() || !store.ValueExists(name))
        return run;
    const QString text = store.ReadString(name);
    std::array<int64_t, RunFieldCount> numbers{};
    bool ok = text.count(u';') >= RunFieldCount;
    for (int i = 0; ok && i < RunFieldCount; ++i)
        numbers[size_t(i)] = text.section(u';', i, i).toLongLong(&ok);
    if (!ok || numbers[0] < 0 || numbers[0] > int64_t(TRunKind::Table))
        return run;
    run.Kind = TRunKind(numbers[0]);
    run.From = numbers[1];
    run.Count = std::clamp<int64_t>(numbers[2], 1, MaxRunLabels);
    run.Step = numbers[3];
    run.CopiesPerRecord = int32_t(std::clamp<int64_t>(numbers[4], 1, MaxRecordCopies));
    run.StartSpot = int32_t(std::clamp<int64_t>(numbers[5], 1, std::numeric_limits<int32_t>::max()));
    run.Table = text.section(u';', RunFieldCount);
    return run;
}

void Tprintwizard::LoadRun(Tregistryex &store)
{
    const TDataRun run = RememberedRun(store, Document ? Document->GetFullPath() : QString());
    Values.Run = {};
    TableInfo.clear();
    TableRecords = 0;
    TableNames.clear();
    SetRun(run);
}

void Tprintwizard::StoreRun(Tregistryex &store) const
{
    const QString name = RunSettingName(Document ? Document->GetFullPath() : QString());
    if (name.isEmpty())
        return;
    const TDataRun &run = Values.Run;
    store.WriteString(name, QStringLiteral("%1;%2;%3;%4;%5;%6;%7")
                                .arg(int(run.Kind))
                                .arg(run.From)
                                .arg(run.Count)
                                .arg(run.Step)
                                .arg(run.CopiesPerRecord)
                                .arg(run.StartSpot)
                                .arg(run.Table));
}

bool Tprintwizard::ConfirmLargeRun()
{
    if (!Values.Run.IsRun())
        return true;
    const int64_t records = Values.Run.Kind == TRunKind::Table ? TableRecords : Values.Run.Count;
    const int64_t labels = records * std::max(Values.Run.CopiesPerRecord, 1);
    if (labels <= LargeRunLabels)
        return true;
    return MessageBox(LargeRunQuestion.arg(labels).arg(PagesShown()), TMsgIcon::Confirmation,
                      TMsgButtons::OkCancel) == mrOk;
}

bool Tprintwizard::PrintTest()
{
    // A test sheet shows where the labels land, for lining up: the same label on every spot,
    // not checked.
    TPrintSettings test = Settings();
    test.Copies = 1;
    test.Run = {};
    return PrintWith(test);
}

bool Tprintwizard::Print()
{
    return Job && Checked(TPending::Print) && ConfirmLargeRun() && PrintWith(Settings());
}

bool Tprintwizard::PrintWith(const TPrintSettings &settings)
{
    if (!Job)
        return false;
    const bool printed = OnPrint ? OnPrint(settings) : Job->PrintSheets(settings);
    if (printed)
        ReportLeftOut();
    return printed;
}

void Tprintwizard::ReportLeftOut() const
{
    if (!Job || Job->LabelsLeftOut == 0)
        return;
    MessageBox(LeftOutMessage.arg(Job->LabelsLeftOut) + Job->LeftOut.join(QLatin1Char('\n')),
               TMsgIcon::Warning);
}

bool Tprintwizard::SaveAsPdf()
{
    return Job && OnSaveAsPdf && Checked(TPending::SaveAsPdf) && WritePdf();
}

bool Tprintwizard::WritePdf()
{
    if (!Job || !OnSaveAsPdf || !ConfirmLargeRun())
        return false;
    std::unique_ptr<Tfiledialog> dialog = CreateFileDialog(TFileDialogKind::Save);
    dialog->SetTitle(QString::fromLatin1(SavePdfTitle));
    dialog->SetFilter(QString::fromLatin1(PdfFileFilter));
    dialog->SetDefaultExt(QStringLiteral("pdf"));
    dialog->SetOptions(ofHideReadOnly | ofOverwritePrompt | ofEnableSizing);
    const QString remembered = Store ? Store->ReadString(QString::fromLatin1(LastPdfPathSetting)) : QString();
    dialog->SetInitialDir(StartFolder(remembered, DocumentsFolder()));
    if (Document && !Document->GetFileName().isEmpty())
        dialog->SetFileName(QFileInfo(Document->GetFileName()).completeBaseName() + QStringLiteral(".pdf"));
    if (!dialog->Execute())
        return false;
    const QString file = dialog->GetFileName();
    // A PDF file is printed with the calibration of the printer "PDF"; the printer chosen
    // gets its own back afterwards, as it was (also what is not stored yet), also when writing
    // fails.
    struct TBackTo {
        Tprintwizard &Wizard;
        QString Printer;
        TCalibration Calibration;
        ~TBackTo()
        {
            Wizard.SetPrinterName(Printer);
            Wizard.SetCalibration(Calibration);
        }
    } backTo{*this, PrinterName, Calibration()};
    SetPrinterName(PdfPrinterName);
    if (!OnSaveAsPdf(file, Settings()))
        return false;
    ReportLeftOut();
    if (Store)
        Store->WriteString(QString::fromLatin1(LastPdfPathSetting), QFileInfo(file).absolutePath());
    return true;
}
