#include "editing/printwizard.h"

#include "document/alphabitmap.h"
#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "editing/printjob.h"
#include "platform/canvas.h"
#include "platform/filedialog.h"
#include "platform/rnd.h"
#include "settings/registry.h"
#include "settings/userfolders.h"

#include <QFileInfo>
#include <algorithm>
#include <cstdlib>

const char *const LastPdfPathSetting = "lastpdfpath";
const char *const SavePdfTitle = "Save as PDF";
const char *const PdfFileFilter = "PDF files (*.pdf)|*.pdf";

namespace {
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
}

void Tprintwizard::StoreSettings(Tregistryex &store) const
{
    store.WriteBool(HighQualitySetting, Values.HighQuality);
    store.WriteInteger(NudgeXSetting, Values.NudgeX);
    store.WriteInteger(NudgeYSetting, Values.NudgeY);
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

bool Tprintwizard::PrintTest()
{
    TPrintSettings test = Settings();
    test.Copies = 1;
    return PrintWith(test);
}

bool Tprintwizard::Print()
{
    return PrintWith(Settings());
}

bool Tprintwizard::PrintWith(const TPrintSettings &settings)
{
    if (!Job)
        return false;
    return OnPrint ? OnPrint(settings) : Job->PrintSheets(settings);
}

bool Tprintwizard::SaveAsPdf()
{
    if (!Job || !OnSaveAsPdf)
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
    if (!OnSaveAsPdf(file, Settings()))
        return false;
    if (Store)
        Store->WriteString(QString::fromLatin1(LastPdfPathSetting), QFileInfo(file).absolutePath());
    return true;
}
