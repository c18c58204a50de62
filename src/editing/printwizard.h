#pragma once
// The print wizard's logic: the print settings the wizard and the preview show (the printer
// offset, or nudge, in 1/64-inch steps with its texts, the quality, the pages, the spots), the
// five pages and their order, the settings it opens with and leaves behind, and the picture of
// the sheet on which a click chooses the spots to print. The job itself is the preview's.

#include "document/printsettings.h"
#include "editing/calibration.h"
#include "editing/printcheck.h"
#include "platform/colors.h"
#include "platform/types.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class Talphabitmap;
class Tdrawlist;
class Tprintjob;
class Tregistryex;

// Where "Save as PDF..." last wrote ("lastpdfpath"), and its dialog.
extern const char *const LastPdfPathSetting;
extern const char *const SavePdfTitle;
extern const char *const PdfFileFilter;
// The question a print started outside the wizard asks about the check's findings.
extern const QString CheckedQuestionTitle;
extern const QString CheckedQuestion;

// The question before a run of more than LargeRunLabels labels prints, and the notes the
// Print page shows of a label's fields.
extern const QString LargeRunQuestion;
extern const QString FieldsWithoutRunNote;
extern const QString UnknownFieldsNote;
// Shown after a run printed labels without a code their data could not make, before the job's
// list of them.
extern const QString LeftOutMessage;

// The run kept in the settings for the project at fullPath (under a hash of the path, never in
// the project file); the same label on every spot when none is kept or the value is damaged.
TDataRun RememberedRun(const Tregistryex &store, const QString &fullPath);

// The pages in order.
enum TWizardPage : int32_t { wpIntroduction, wpStep1, wpStep2, wpStep3, wpPrint };
constexpr int32_t WizardPageCount = 5;

// The sheet picture's tint of a spot chosen to print: blue at alpha 136.
constexpr uint32_t ChosenSpotTint = 0x88FF0000u;

// "No Horizontal Nudge", "Nudge Right 1/8\"", "Nudge Up 3/64\"" and so on: the offset as a
// fraction of an inch, reduced only when it divides 64.
QString NudgeText(int32_t value, bool vertical);

class Tprintwizard {
public:
    explicit Tprintwizard(Tprintjob &job);
    // A wizard whose job (the preview's) comes later, through SetJob.
    Tprintwizard();

    // The job that prints and previews: it gets the wizard's document now and whenever it
    // changes. Without one nothing prints.
    void SetJob(Tprintjob *job);
    // The document to print, in the wizard and in the job.
    void SetDocument(Tdrawlist *document);
    Tdrawlist *GetDocument() const { return Document; }

    // The value the wizard and the preview print with: the nudge, the quality and the pages
    // set here, and the spots the document's sheet marks now.
    const TPrintSettings &Settings();

    // An offset beyond MaxNudge either way is ignored.
    void SetNudgeX(int32_t value);
    void SetNudgeY(int32_t value);
    int32_t GetNudgeX() const { return Values.NudgeX; }
    int32_t GetNudgeY() const { return Values.NudgeY; }
    const QString &NudgeXText() const { return NudgeXCaption; }
    const QString &NudgeYText() const { return NudgeYCaption; }

    int32_t GetPage() const { return Page; }
    // A page outside the five is ignored.
    void SelectPage(int32_t page);
    // The buttons stop at the first and the last page; the keys go round.
    void NextPage();
    void PreviousPage();
    void CyclePage(bool forward);
    bool PreviousEnabled() const { return Page != wpIntroduction; }
    bool NextEnabled() const { return Page != wpPrint; }

    // The scale corrections in hundredths of a per cent, part of the settings printed with; a
    // value off the steps or beyond the limits is ignored.
    void SetScaleX(int32_t value);
    void SetScaleY(int32_t value);
    int32_t GetScaleX() const { return Values.ScaleX; }
    int32_t GetScaleY() const { return Values.ScaleY; }
    // What the printer prints with: its offsets and scale corrections.
    TCalibration Calibration() const { return {Values.NudgeX, Values.NudgeY, Values.ScaleX, Values.ScaleY}; }
    void SetCalibration(const TCalibration &calibration);

    // The printer the calibration belongs to (PdfPrinterName for a PDF file; empty for none).
    // Choosing another one keeps the calibration of the one before in the settings and takes
    // the new one's (the offsets "nudge.x" and "nudge.y" hold for a printer without its own).
    void SetPrinterName(const QString &name);
    const QString &GetPrinterName() const { return PrinterName; }

    // "Print Ruler Page": the ruler page on the printer, through its calibration. True when it
    // printed.
    bool PrintRulerPage();
    // The distances measured on the ruler page, as typed (an empty text leaves its direction
    // as it was): the corrections follow from the ones the page was printed with (those the
    // printer had when the wizard opened or the printer was chosen, before any ruler page), so
    // applying the same distances again changes nothing. They are kept for the printer at once.
    // False, changing nothing, with the reason in MeasureMessage.
    bool ApplyMeasurements(const QString &across, const QString &down);
    const QString &GetMeasureMessage() const { return MeasureMessage; }

    // Opening: the first page, and the offsets and quality the settings hold (offsets beyond
    // MaxNudge are ignored), then the printer's own calibration. Closing: the offsets and quality
    // back into the settings, and the calibration under the printer's key.
    void LoadSettings(Tregistryex &store);
    void StoreSettings(Tregistryex &store) const;
    // On showing: when no spot is chosen, every spot is.
    void Showing();

    // The sheet picture of width by height pixels: the window colour with a black frame, the
    // page in white, and every spot with the label in it, the chosen ones tinted blue.
    void DrawSheetPicture(Talphabitmap &picture, int32_t width, int32_t height, TColor windowColor);
    // Toggles every spot strictly inside which the click lies (none before the picture was
    // first drawn). Returns how many it toggled; the picture is drawn again either way.
    int32_t ClickSheetPicture(const TPoint &point);
    double GetSheetScale() const { return SheetScale; }
    const TPoint &GetSheetOrigin() const { return SheetOrigin; }

    // The "High Quality" check boxes of the wizard and the preview.
    void SetHighQuality(bool on) { Values.HighQuality = on; }
    bool GetHighQuality() const { return Values.HighQuality; }
    // The pages counter: the sheets Print and SaveAsPdf give (below 1 prints nothing).
    void SetCopies(int32_t copies) { Values.Copies = copies; }
    int32_t GetCopies() const { return Values.Copies; }

    // The look at the label before printing (the Print page lists it): done again on every call.
    const std::vector<TPrintProblem> &CheckLabel();
    const std::vector<TPrintProblem> &GetProblems() const { return Problems; }
    // The labels the Print page chooses: the same label on every spot, numbered labels, or one
    // per record of a table. A table is read through when chosen: TableText then says how many
    // records it holds, or why it cannot be read.
    void SetRun(const TDataRun &run);
    const TDataRun &GetRun() const { return Values.Run; }
    const QString &TableText() const { return TableInfo; }
    bool TableReadable() const { return TableRecords >= 0; }
    // The note under the choice: the label's fields when the same label prints on every spot,
    // the fields nothing fills in a run; empty when there is nothing to say.
    QString FieldsNote() const;
    // The pages box: the counter for the same label, the sheets a run needs (not editable);
    // 0 when its table cannot be read.
    bool PagesEditable() const { return !Values.Run.IsRun(); }
    int64_t PagesShown();
    // The choice and the table are kept for each project, under its full path, in the settings
    // (never in the project file): Execute loads them and stores them back.
    void LoadRun(Tregistryex &store);
    void StoreRun(Tregistryex &store) const;
    // A run of more than LargeRunLabels labels asks first (Print, Save as PDF and the
    // preview's Print); true to go on.
    bool ConfirmLargeRun();

    // "Print Test ": one sheet, whatever the pages counter says; "Print  ": the counter's
    // sheets. True when something was printed; the wizard stays open otherwise. Print and
    // SaveAsPdf check the label first: when something would come out wrong they do nothing but
    // keep the request (Pending), for "Print Anyway" (PrintAnyway) or "Cancel" (CancelPending).
    bool PrintTest();
    bool Print();
    // "Save as PDF...": asks for a PDF file (starting in the folder last saved to, the documents
    // folder at first) and writes the counter's sheets into it, the same sheets Print prints,
    // with the calibration of the printer "PDF". True when the file was written.
    bool SaveAsPdf();
    // For a print started elsewhere (the preview's Print): the check's findings in a warning
    // with OK and Cancel. True when nothing was found or the user goes on.
    bool ConfirmChecked();
    enum class TPending : uint8_t { None, Print, SaveAsPdf };
    TPending Pending() const { return PendingRequest; }
    bool PrintAnyway();
    void CancelPending() { PendingRequest = TPending::None; }
    // How the window prints and writes PDF files (the printer the set-up chose, a PDF file
    // through the safe PDF printer). Without them Print uses the job's printer and SaveAsPdf
    // writes nothing.
    std::function<bool(const TPrintSettings &settings)> OnPrint;
    std::function<bool(const QString &file, const TPrintSettings &settings)> OnSaveAsPdf;
    // How the window prints the ruler page (on a PDF file too); without it the job's printer.
    std::function<bool(const TCalibration &calibration)> OnPrintRulerPage;

private:
    bool PrintWith(const TPrintSettings &settings);
    // Checks the label when the request is not confirmed yet: true when it may go on.
    bool Checked(TPending request);
    bool WritePdf();
    void ReadTable();
    // The run's field names with an empty record: what a field may be filled from.
    TFieldValues RunProbe() const;
    void ReportLeftOut() const;

    Tprintjob *Job = nullptr;
    Tdrawlist *Document = nullptr;
    // The settings LoadSettings read, where SaveAsPdf remembers its folder.
    Tregistryex *Store = nullptr;
    TPrintSettings Values;
    // The corrections the last ruler page was printed with.
    int32_t RulerScaleX = 0;
    int32_t RulerScaleY = 0;
    QString PrinterName;
    QString MeasureMessage;
    std::vector<TPrintProblem> Problems;
    TPending PendingRequest = TPending::None;
    QString NudgeXCaption;
    QString NudgeYCaption;
    int32_t Page = wpIntroduction;
    QString TableInfo;
    int64_t TableRecords = 0;
    QStringList TableNames;
    TPoint SheetOrigin;
    double SheetScale = 0.0;
};
