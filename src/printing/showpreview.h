#pragma once
// The print preview: the sheet as it will print, fitted into the window, with the pages
// counter, the quality switch, the printer setup and the Print button. It owns the printer and
// the print job, which the wizard drives; it shows and prints with the wizard's print settings.

#include "document/alphabitmap.h"
#include "editing/printjob.h"
#include "editing/printwizard.h"
#include "printing/qtprinter.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class Tvnldrawpanel;

class Tfrm_showpreview : public QDialog {
    Q_OBJECT

public:
    explicit Tfrm_showpreview(QWidget *parent = nullptr);
    ~Tfrm_showpreview() override;

    Tprintjob &Job() { return FJob; }
    // The wizard logic whose print settings the preview shows and prints with; its quality box
    // is bound to them. Unbound, the preview shows no spot.
    void BindSettings(Tprintwizard &wizard);
    Tqtprinter &Printer() { return FPrinter; }
    // The printer setup dialog ("Setup" here and in the wizard, and the editor's Printer Setup).
    void Setup();
    // Prints the pages counter's sheets; closes with result mrOk when it printed. Failures are
    // shown, never raised.
    void PrintClicked();
    // Prints settings on what the printer set-up chose: a queue, or a PDF file, which then
    // receives the same sheets the PDF export writes. True when something was printed; raises
    // what the printer raises.
    bool PrintPages(const TPrintSettings &settings);
    const Talphabitmap &SheetBitmap() const { return Bitmap; }

    QLabel *lbl_pages = nullptr;
    // The number box with its up-down control.
    QSpinBox *ed_pagecount = nullptr;
    QCheckBox *chk_highquality = nullptr;
    // A run's sheets are shown one at a time: "Sheet" and its number.
    QLabel *lbl_sheet = nullptr;
    QSpinBox *ed_sheet = nullptr;
    QPushButton *btn_setup = nullptr;
    QPushButton *btn_print = nullptr;
    QPushButton *btn_close = nullptr;
    Tvnldrawpanel *dpnl_canvas = nullptr;

protected:
    // Base
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void reject() override;

private:
    void PaintCanvas();
    TPrintSettings Settings() const;

    Tqtprinter FPrinter;
    Tprintjob FJob{&FPrinter};
    Talphabitmap Bitmap;
    Tprintwizard *Wizard = nullptr;
};

// Shows what failed in a job started from a window.
void ShowPrintError(const std::exception &e);
