#pragma once
// The sheet composition that the print preview shows and the print job prints: the label
// document drawn into the spots of its template's sheet that the print settings name, shifted by
// their printer offset (the nudge, in 1/64 inch), on the screen scaled to fit the preview, on
// paper at the printer's resolution, one sheet per copy.

#include "document/datarun.h"
#include "document/printsettings.h"
#include "platform/types.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class Talphabitmap;
class Tcanvas;
class Tdrawlist;
class Tlabelgeometrylist;
class Tprinter;

// The messages the job shows.
extern const QString NoSpotsMessage;
extern const QString PrinterBusyMessage;
extern const QString NoPrinterMessage;
// Asked after the marked spots that cannot print are named, when others can.
extern const QString OtherSpotsPrintMessage;
// "The table "%1" cannot be read: %2. Nothing was printed." and "The table "%1" holds no
// records. Nothing was printed."
extern const QString UnreadableTableMessage;
extern const QString EmptyTableMessage;
// "label 17: object 3 is left out: EAN-13 takes 12 or 13 digits; ..." (the label's ${n}).
extern const QString LeftOutText;
// The most labels whose left-out objects a job names.
constexpr qsizetype MaxLeftOutNamed = 20;

// The labels of one sheet of a run: where the run's labels fall, and their values.
struct TSheetLabels {
    Trunlabels &Labels;
    const TRunLayout &Layout;
    int64_t Sheet = 0;
};

// Where the sheet sits in the preview panel and how large it is.
struct TSheetFit {
    TPoint Origin;
    TPoint Size;
};
// The largest sheet of width / height ratio that fits a panel width by height, centred.
TSheetFit FitSheet(int32_t width, int32_t height, double ratio);

class Tprintjob {
public:
    // The job prints on printer (which outlives it); nullptr is a system without printers.
    explicit Tprintjob(Tprinter *printer = nullptr) : Printer(printer) {}

    void SetDocument(Tdrawlist *document) { Document = document; }
    Tdrawlist *GetDocument() const { return Document; }
    Tprinter *GetPrinter() const { return Printer; }
    // The printer the next job goes to (the same one again afterwards, when a PDF file took one
    // job); nullptr is a system without printers.
    void SetPrinter(Tprinter *printer) { Printer = printer; }
    // The spots of the document's template (of the document itself when it is a template);
    // nullptr without either.
    Tlabelgeometrylist *Spots() const;

    // Draws the spots settings names on one sheet sheetSize pixels large at origin on canvas,
    // leaving out those that cannot print (Tlabelgeometrylist::Fit). On screen each spot is
    // first filled white inside a grey outline and the printable margin is left out; on paper
    // the page's size, resolution and margin come from the printer, and the printer's scale
    // correction (settings.ScaleX, ScaleY, held to the limits) scales everything about the
    // sheet's top-left corner after the nudge. Without a correction the painter is not touched.
    // With labels, each spot shows the label of the run that falls on it, its fields filled,
    // and a spot no label falls on is left empty; without, fields show as written.
    void DrawSheet(const TPrintSettings &settings, const TPoint &sheetSize, const TPoint &origin,
                   Tcanvas &canvas, bool onScreen, const TSheetLabels *labels = nullptr);

    // The spots of settings that can print on the sheet, in order: the ones a run fills.
    std::vector<int32_t> PrintingSpots(const TPrintSettings &settings) const;
    // The labels of settings' run, or nullptr when the labels are all alike and hold no
    // fields (the document prints as it is). Raises ECsvError for a table that cannot be read.
    std::unique_ptr<Trunlabels> OpenRun(const TPrintSettings &settings) const;
    // Where the labels of a run fall on the spots settings prints.
    TRunLayout LayoutOf(const TPrintSettings &settings, const Trunlabels &labels) const;

    // Prints settings.Copies sheets, or a run's sheets (the progress window can cancel those:
    // the job then ends and the result is false); a table that cannot be read is named and
    // nothing prints. Shows why and prints nothing when settings names no spot,
    // none of its spots can print (they lie off the page), there is no printer, or the printer is
    // busy. When only some of the spots cannot print, says which and asks whether to print the
    // others. A failure while printing ends the job (what was drawn is printed), hides the
    // progress window and goes on to the caller. True when it printed.
    bool PrintSheets(const TPrintSettings &settings);

    // The preview: the sheet fitted into a panel of width by height pixels on bitmap (sized to
    // the panel, black around the sheet), the paper hatched where no spot of settings covers it.
    // A run shows its sheet page (from 0), the labels filled.
    void PaintPreview(const TPrintSettings &settings, Talphabitmap &bitmap, int32_t width, int32_t height,
                      int64_t page = 0);
    // The page's width / height as the preview shows it.
    double PageRatio();

    // What the last job printed without: objects whose data, filled for a label, could not be
    // made (a code), named for the first MaxLeftOutNamed of them, and the labels so printed.
    QStringList LeftOut;
    int64_t LabelsLeftOut = 0;
    // The printer was busy printing at the last preview paint.
    bool PrintingSeen = false;
    // Lets the application handle pending window events while a job prints.
    std::function<void()> ProcessMessages;
    // Asks the preview panel for a paint later (a paint was refused, or the job it saw ended).
    std::function<void()> InvalidatePreview;

private:
    // The run the preview shows, opened again when the run or the document's fields change.
    Trunlabels *PreviewRun(const TPrintSettings &settings);
    void NoteLeftOut(const TFieldValues &values);

    Tdrawlist *Document = nullptr;
    Tprinter *Printer = nullptr;
    std::unique_ptr<Trunlabels> PreviewLabels;
    TDataRun PreviewLabelsOf;
    bool PreviewOpened = false;
};
