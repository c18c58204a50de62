#pragma once
// The print wizard "Printing Your Labels": five pages that explain the procedure, print test
// pages, shift the printout in 1/64-inch steps until it lines up with the stock, choose the
// spots to print on a picture of the sheet, and print or preview the sheets. A thin window over
// Tprintwizard and the preview's print job.

#include "editing/printwizard.h"
#include "editing/wizardanimation.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QToolButton;
class Tdrawlist;
class Tfrm_showpreview;
class Tregistryex;

class Tfrm_printdialog : public QDialog {
    Q_OBJECT

public:
    Tfrm_printdialog(Tfrm_showpreview &preview, QWidget *parent = nullptr);
    // The program makes the wizard before the preview: ConnectPreview then joins them.
    explicit Tfrm_printdialog(QWidget *parent);
    ~Tfrm_printdialog() override;

    // The preview whose job the wizard prints through, whose printer "Setup" sets up and which
    // "Preview " shows.
    void ConnectPreview(Tfrm_showpreview &preview);

    // The print command: the document, the first page, the offsets and quality from the
    // settings; shown modally; then the quality and offsets back into the settings, whatever
    // the result (mrOk after printing, mrCancel after "Done").
    int Execute(Tdrawlist &document, Tregistryex &store);

    void SetDocument(Tdrawlist *document);
    void SetNudgeX(int32_t value);
    void SetNudgeY(int32_t value);
    int32_t GetNudgeX() const { return Wizard.GetNudgeX(); }
    int32_t GetNudgeY() const { return Wizard.GetNudgeY(); }
    Tprintwizard &Logic() { return Wizard; }
    Twizardanimations &Animations() { return FAnimations; }

    QTabWidget *ps_steps = nullptr;
    QWidget *ts_step1 = nullptr;
    QWidget *ts_step2 = nullptr;
    QWidget *ts_step3 = nullptr;
    QWidget *ts_step4 = nullptr;
    QWidget *ts_printdone = nullptr;
    QLabel *img_labeldemo = nullptr;
    QLabel *img_labelnudge = nullptr;
    QLabel *img_selectprint = nullptr;
    QLabel *img_print = nullptr;
    QLabel *lbl_nudgex = nullptr;
    QLabel *lbl_nudgey = nullptr;
    QToolButton *btn_nudgeup = nullptr;
    QToolButton *btn_nudgedown = nullptr;
    QToolButton *btn_nudgeleft = nullptr;
    QToolButton *btn_nudgeright = nullptr;
    QPushButton *btn_printtest1 = nullptr;
    QPushButton *btn_printruler = nullptr;
    QLineEdit *ed_measuredx = nullptr;
    QLineEdit *ed_measuredy = nullptr;
    QLabel *lbl_scale = nullptr;
    QListWidget *lst_problems = nullptr;
    QPushButton *btn_printanyway = nullptr;
    QPushButton *btn_cancelprint = nullptr;
    QPushButton *btn_printtest2 = nullptr;
    QPushButton *btn_previous = nullptr;
    QPushButton *btn_next = nullptr;
    QPushButton *btn_setup = nullptr;
    QPushButton *btn_preview = nullptr;
    QPushButton *btn_savepdf = nullptr;
    QPushButton *btn_print = nullptr;
    QPushButton *btn_done = nullptr;
    QSpinBox *ed_pagecount = nullptr;
    QCheckBox *chk_highquality = nullptr;
    // The Print page's choice of labels.
    QRadioButton *rb_samelabel = nullptr;
    QRadioButton *rb_numbered = nullptr;
    QRadioButton *rb_table = nullptr;
    QSpinBox *ed_from = nullptr;
    QSpinBox *ed_count = nullptr;
    QSpinBox *ed_step = nullptr;
    QPushButton *btn_table = nullptr;
    QLabel *lbl_table = nullptr;
    QSpinBox *ed_copies = nullptr;
    QSpinBox *ed_startspot = nullptr;
    QLabel *lbl_fieldsnote = nullptr;
    QTimer *tmr_labeldemo = nullptr;
    QTimer *tmr_labelnudge = nullptr;
    QTimer *tmr_imgprint = nullptr;

protected:
    // Base
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    void BuildPages();
    void BuildBottomBar();
    void BuildRunChoice(QWidget *page, const QRect &where);
    // The run from the controls into the wizard, and the wizard's run shown on them.
    void RunChanged();
    void ShowRun();
    void ChooseTable();
    void PageChanged(int index);
    void StopAnimations();
    void UpdateNudgeLabels();
    void UpdateScaleLabel();
    // The printer the preview prints on now, as the calibration names it.
    QString CurrentPrinterName() const;
    void PrinterChosen();
    void PrintRulerPage();
    void MeasurementsTyped();
    // The check's findings on the Print page; with a print held back, its two buttons.
    void ShowProblems();
    void HeldBack();
    void PrintAnywayClicked();
    void DrawSheetPicture();
    void PrintTest();
    void PreviewClicked();
    void PrintClicked();
    void SavePdfClicked();

    Tfrm_showpreview *Preview = nullptr;
    Tprintwizard Wizard;
    Twizardanimations FAnimations;
    Talphabitmap SheetPicture;
};
