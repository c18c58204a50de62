#include "printing/printdialog.h"

#include "editing/rulerpage.h"
#include "platform/colors.h"
#include "platform/filedialog.h"
#include "platform/messages.h"
#include "platform/stringstream.h"
#include "printing/pdfprinter.h"
#include "printing/showpreview.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace {
constexpr int ClientWidth = 496;
// Where the Print page chooses the labels (left) and, right of it, lists what the check found.
const QRect RunChoiceRect{8, 62, 270, 220};
constexpr int ClientHeight = 366;
constexpr int MaxPageCount = 9999;
const QSize LabelDemoSize(225, 185);
const QSize LabelNudgeSize(138, 168);
const QSize SheetPictureSize(201, 276);

const QString IntroductionText = QStringLiteral("Use this wizard to set up your printer properly. Your wine "
                                                "labels may be printed up to a  laser or ink jet "
                                                "printer. You may need to offset your printing to align "
                                                "properly to your labels. Follow the steps outlined "
                                                "here. You will need to:");
const QStringList IntroductionList = {
    QStringLiteral("* Print a test page"),
    QStringLiteral("* Line up the test page with a blank label page"),
    QStringLiteral("* Repeat until  the test page lines up with your label stock"),
    QStringLiteral("* Choose which labels to print"),
    QStringLiteral("* Print your wine labels"),
};
const QString Step1Text = QStringLiteral(
    "Print a test page and compare it to the labels you are printing on. Hold the test page on top "
    "and make sure the lines line up with the edge of the printed label.");
const QString VerticalNudgeText =
    QStringLiteral("Adjust Vertical Nudge to print the labels higher or  lower on the page. ");
const QString HorizontalNudgeText = QStringLiteral("Adjust Horizontal Nudge to print the labels slightly to "
                                                   "the left or right to match the pre-printed graphic");
const QString AgainText = QStringLiteral("Print another test page and check the alignment again.");
const QString Step3Text = QStringLiteral("Select which labels to print. Click on the layout on the left to "
                                         "select which labels will be printed. To "
                                         "print more than one sheet, change the pages counter below");
const QString PrintText =
    QStringLiteral("Now you can print your labels. Click the print button below or click "
                   "Preview to see what the labels will look like. ");
const QString PrintTestCaption = QStringLiteral("Print Test ");
const QString RulerHint = QStringLiteral("Measured between the marks, in or mm:");

QLabel *TextLabel(const QString &text, QWidget *parent, const QRect &where)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(where);
    return label;
}

QLabel *Picture(const QString &name, QWidget *parent, const QRect &where)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(where);
    label->setFixedSize(where.size());
    return label;
}

QToolButton *ArrowButton(const QString &name, Qt::ArrowType arrow, QWidget *parent, const QPoint &at)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setGeometry(at.x(), at.y(), 24, 24);
    button->setAutoRepeat(false);
    return button;
}

TPoint PointOf(const QSize &size)
{
    return {size.width(), size.height()};
}
} // namespace

Tfrm_printdialog::Tfrm_printdialog(Tfrm_showpreview &preview, QWidget *parent) : Tfrm_printdialog(parent)
{
    ConnectPreview(preview);
}

Tfrm_printdialog::Tfrm_printdialog(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("frm_printdialog"));
    setWindowTitle(QStringLiteral("Printing Your Labels"));
    QFont font(QStringLiteral("Microsoft Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    setFixedSize(ClientWidth, ClientHeight);

    tmr_labeldemo = new QTimer(this);
    tmr_labelnudge = new QTimer(this);
    tmr_imgprint = new QTimer(this);
    for (QTimer *t : {tmr_labeldemo, tmr_labelnudge, tmr_imgprint})
        t->setSingleShot(true);
    connect(tmr_labeldemo, &QTimer::timeout, this, [this] {
        tmr_labeldemo->start(FAnimations.LabelDemoFrame());
        img_labeldemo->setPixmap(QPixmap::fromImage(FAnimations.Frame()));
    });
    connect(tmr_labelnudge, &QTimer::timeout, this, [this] {
        tmr_labelnudge->start(FAnimations.LabelNudgeFrame());
        img_labelnudge->setPixmap(QPixmap::fromImage(FAnimations.Frame()));
    });
    connect(tmr_imgprint, &QTimer::timeout, this, [this] {
        tmr_imgprint->start(FAnimations.PrintFrame());
        img_print->setPixmap(QPixmap::fromImage(FAnimations.Frame()));
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    ps_steps = new QTabWidget(this);
    ps_steps->setObjectName(QStringLiteral("ps_steps"));
    layout->addWidget(ps_steps, 1);
    BuildPages();
    BuildBottomBar();
    // The buttons keep their whole captions in the desktop's font.
    setFixedSize(std::max(ClientWidth, layout->sizeHint().width()), ClientHeight);
    connect(ps_steps, &QTabWidget::currentChanged, this, &Tfrm_printdialog::PageChanged);

    const auto cycle = [this](bool forward) {
        Wizard.CyclePage(forward);
        ps_steps->setCurrentIndex(Wizard.GetPage());
    };
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::Key_Tab)}) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [cycle] { cycle(true); });
    }
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::Key_Backtab)}) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [cycle] { cycle(false); });
    }
    UpdateNudgeLabels();
    PageChanged(ps_steps->currentIndex());
}

Tfrm_printdialog::~Tfrm_printdialog() = default;

void Tfrm_printdialog::ConnectPreview(Tfrm_showpreview &preview)
{
    Preview = &preview;
    Wizard.SetJob(&preview.Job());
    preview.BindSettings(Wizard);
    // Printing goes to what the printer set-up chose, a queue or a PDF file; Save as PDF goes
    // through the same sheets into the file the user names.
    Wizard.OnPrint = [&preview](const TPrintSettings &settings) { return preview.PrintPages(settings); };
    Wizard.OnSaveAsPdf = [&preview](const QString &file, const TPrintSettings &settings) {
        return PrintSheetsToPdf(preview.Job(), file, settings);
    };
    Wizard.OnPrintRulerPage = [&preview](const TCalibration &calibration) {
        const QString pdf = preview.Printer().PdfFileName();
        return pdf.isEmpty() ? ::PrintRulerPage(preview.Printer(), calibration)
                             : PrintRulerPageToPdf(pdf, calibration);
    };
}

QString Tfrm_printdialog::CurrentPrinterName() const
{
    if (!Preview)
        return {};
    Tqtprinter &printer = Preview->Printer();
    return printer.PdfFileName().isEmpty() ? printer.PrinterName() : PdfPrinterName;
}

void Tfrm_printdialog::PrinterChosen()
{
    Wizard.SetPrinterName(CurrentPrinterName());
    UpdateNudgeLabels();
    UpdateScaleLabel();
}

void Tfrm_printdialog::UpdateScaleLabel()
{
    const QString printer = Wizard.GetPrinterName().isEmpty() ? QStringLiteral("this printer")
                                                              : ShownFileText(Wizard.GetPrinterName());
    lbl_scale->setStyleSheet(QString());
    lbl_scale->setText(
        QStringLiteral("Scale correction for %1: %2 across, %3 down")
            .arg(printer, ScaleCorrectionText(Wizard.GetScaleX()), ScaleCorrectionText(Wizard.GetScaleY())));
}

void Tfrm_printdialog::PrintRulerPage()
{
    try {
        Wizard.PrintRulerPage();
    } catch (const std::exception &e) {
        ShowPrintError(e);
    }
}

void Tfrm_printdialog::MeasurementsTyped()
{
    if (Wizard.ApplyMeasurements(ed_measuredx->text(), ed_measuredy->text())) {
        UpdateScaleLabel();
        return;
    }
    lbl_scale->setStyleSheet(QStringLiteral("color: #b00000"));
    lbl_scale->setText(Wizard.GetMeasureMessage());
}

void Tfrm_printdialog::ShowProblems()
{
    // Nothing left to warn of (the label was mended meanwhile): nothing is held back.
    if (Wizard.GetProblems().empty())
        Wizard.CancelPending();
    lst_problems->clear();
    const QStyle *style = this->style();
    for (const TPrintProblem &p : Wizard.GetProblems()) {
        const bool leftOut = p.Issue == TPrintIssue::CodeInvalid;
        auto *item = new QListWidgetItem(
            style->standardIcon(leftOut ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxWarning),
            p.Text, lst_problems);
        item->setToolTip(p.Text);
    }
    // The list takes the column right of the labels' choice; the animation gives way while it
    // shows.
    const int left = RunChoiceRect.right() + 8;
    const int width = std::max(ts_printdone->width() - left - 8, 200);
    lst_problems->setGeometry(left, RunChoiceRect.top(), width, RunChoiceRect.height() - 40);
    btn_printanyway->setGeometry(left, RunChoiceRect.bottom() - 31, 110, 26);
    btn_cancelprint->setGeometry(left + 118, RunChoiceRect.bottom() - 31, 90, 26);
    lst_problems->setVisible(lst_problems->count() > 0);
    img_print->setVisible(lst_problems->count() == 0);
    const bool held = Wizard.Pending() != Tprintwizard::TPending::None;
    btn_printanyway->setVisible(held);
    btn_cancelprint->setVisible(held);
}

void Tfrm_printdialog::HeldBack()
{
    if (Wizard.Pending() == Tprintwizard::TPending::None)
        return;
    ps_steps->setCurrentIndex(wpPrint);
    ShowProblems();
}

void Tfrm_printdialog::PrintAnywayClicked()
{
    bool printed = false;
    try {
        printed = Wizard.PrintAnyway();
    } catch (const std::exception &e) {
        ShowPrintError(e);
    }
    ShowProblems();
    if (printed)
        done(mrOk);
}

void Tfrm_printdialog::BuildPages()
{
    const int textLeft = 240;
    const int textWidth = 236;

    ts_step1 = new QWidget;
    ts_step1->setObjectName(QStringLiteral("ts_step1"));
    TextLabel(IntroductionText, ts_step1, {12, 10, 460, 64});
    for (int i = 0; i < IntroductionList.size(); ++i)
        TextLabel(IntroductionList[i], ts_step1, {28, 84 + i * 22, 440, 20});
    ps_steps->addTab(ts_step1, QStringLiteral("Introduction"));

    ts_step2 = new QWidget;
    ts_step2->setObjectName(QStringLiteral("ts_step2"));
    img_labeldemo = Picture(QStringLiteral("img_labeldemo"), ts_step2, {QPoint(6, 8), LabelDemoSize});
    TextLabel(Step1Text, ts_step2, {textLeft, 10, textWidth, 100});
    btn_printtest1 = new QPushButton(PrintTestCaption, ts_step2);
    btn_printtest1->setGeometry(textLeft, 112, 100, 26);
    // The scale: a ruler page, the two distances measured on it, the corrections they give.
    btn_printruler = new QPushButton(QStringLiteral("Print Ruler Page"), ts_step2);
    btn_printruler->setObjectName(QStringLiteral("btn_printruler"));
    btn_printruler->setGeometry(textLeft, 146, 130, 26);
    TextLabel(RulerHint, ts_step2, {textLeft, 176, textWidth, 16});
    TextLabel(QStringLiteral("Across:"), ts_step2, {textLeft, 198, 46, 18});
    ed_measuredx = new QLineEdit(ts_step2);
    ed_measuredx->setObjectName(QStringLiteral("ed_measuredx"));
    ed_measuredx->setPlaceholderText(QStringLiteral("8.000 in"));
    ed_measuredx->setGeometry(textLeft + 46, 196, 68, 22);
    TextLabel(QStringLiteral("Down:"), ts_step2, {textLeft + 122, 198, 40, 18});
    ed_measuredy = new QLineEdit(ts_step2);
    ed_measuredy->setObjectName(QStringLiteral("ed_measuredy"));
    ed_measuredy->setPlaceholderText(QStringLiteral("10.000 in"));
    ed_measuredy->setGeometry(textLeft + 162, 196, 68, 22);
    lbl_scale = TextLabel(QString(), ts_step2, {textLeft, 222, textWidth, 34});
    lbl_scale->setObjectName(QStringLiteral("lbl_scale"));
    ps_steps->addTab(ts_step2, QStringLiteral("Step 1"));

    ts_step3 = new QWidget;
    ts_step3->setObjectName(QStringLiteral("ts_step3"));
    img_labelnudge = Picture(QStringLiteral("img_labelnudge"), ts_step3, {QPoint(6, 8), LabelNudgeSize});
    const int nudgeLeft = 156;
    btn_nudgeup = ArrowButton(QStringLiteral("btn_nudgeup"), Qt::UpArrow, ts_step3, {nudgeLeft + 24, 8});
    btn_nudgedown =
        ArrowButton(QStringLiteral("btn_nudgedown"), Qt::DownArrow, ts_step3, {nudgeLeft + 24, 56});
    lbl_nudgey = TextLabel(QString(), ts_step3, {nudgeLeft + 56, 36, 120, 16});
    lbl_nudgey->setObjectName(QStringLiteral("lbl_nudgey"));
    TextLabel(VerticalNudgeText, ts_step3, {nudgeLeft + 180, 8, 140, 80});
    btn_nudgeleft = ArrowButton(QStringLiteral("btn_nudgeleft"), Qt::LeftArrow, ts_step3, {nudgeLeft, 120});
    btn_nudgeright =
        ArrowButton(QStringLiteral("btn_nudgeright"), Qt::RightArrow, ts_step3, {nudgeLeft + 48, 120});
    lbl_nudgex = TextLabel(QString(), ts_step3, {nudgeLeft, 148, 150, 16});
    lbl_nudgex->setObjectName(QStringLiteral("lbl_nudgex"));
    TextLabel(HorizontalNudgeText, ts_step3, {nudgeLeft + 180, 100, 140, 96});
    TextLabel(AgainText, ts_step3, {nudgeLeft, 204, 200, 34});
    btn_printtest2 = new QPushButton(PrintTestCaption, ts_step3);
    btn_printtest2->setGeometry(nudgeLeft + 216, 206, 100, 26);
    ps_steps->addTab(ts_step3, QStringLiteral("Step 2"));

    ts_step4 = new QWidget;
    ts_step4->setObjectName(QStringLiteral("ts_step4"));
    img_selectprint = Picture(QStringLiteral("img_selectprint"), ts_step4, {QPoint(0, 0), SheetPictureSize});
    img_selectprint->setCursor(Qt::PointingHandCursor);
    img_selectprint->installEventFilter(this);
    TextLabel(Step3Text, ts_step4, {216, 10, 256, 120});
    ps_steps->addTab(ts_step4, QStringLiteral("Step 3"));

    ts_printdone = new QWidget;
    ts_printdone->setObjectName(QStringLiteral("ts_printdone"));
    TextLabel(PrintText, ts_printdone, {12, 6, 260, 56});
    BuildRunChoice(ts_printdone, RunChoiceRect);
    // What the check found, right of the choice where the animation plays: an icon and one entry
    // each, wrapped to the column, the whole text in its tip too.
    lst_problems = new QListWidget(ts_printdone);
    lst_problems->setObjectName(QStringLiteral("lst_problems"));
    lst_problems->setWordWrap(true);
    lst_problems->setTextElideMode(Qt::ElideNone);
    lst_problems->setIconSize(QSize(16, 16));
    lst_problems->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lst_problems->hide();
    btn_printanyway = new QPushButton(QStringLiteral("Print Anyway"), ts_printdone);
    btn_printanyway->setObjectName(QStringLiteral("btn_printanyway"));
    btn_cancelprint = new QPushButton(QStringLiteral("Cancel"), ts_printdone);
    btn_cancelprint->setObjectName(QStringLiteral("btn_cancelprint"));
    for (QPushButton *b : {btn_printanyway, btn_cancelprint}) {
        b->setAutoDefault(false);
        b->hide();
    }
    img_print = Picture(QStringLiteral("img_print"), ts_printdone,
                        {QPoint(ClientWidth - 14 - SheetPictureSize.width(), 0), SheetPictureSize});
    ps_steps->addTab(ts_printdone, QStringLiteral("Print"));

    // Enter in a field of the dialog prints nothing.
    for (QPushButton *b : {btn_printtest1, btn_printtest2, btn_printruler})
        b->setAutoDefault(false);
    connect(btn_printtest1, &QPushButton::clicked, this, &Tfrm_printdialog::PrintTest);
    connect(btn_printruler, &QPushButton::clicked, this, &Tfrm_printdialog::PrintRulerPage);
    connect(ed_measuredx, &QLineEdit::editingFinished, this, &Tfrm_printdialog::MeasurementsTyped);
    connect(ed_measuredy, &QLineEdit::editingFinished, this, &Tfrm_printdialog::MeasurementsTyped);
    connect(btn_printanyway, &QPushButton::clicked, this, &Tfrm_printdialog::PrintAnywayClicked);
    connect(btn_cancelprint, &QPushButton::clicked, this, [this] {
        Wizard.CancelPending();
        ShowProblems();
    });
    connect(btn_printtest2, &QPushButton::clicked, this, &Tfrm_printdialog::PrintTest);
    connect(btn_nudgeup, &QToolButton::clicked, this, [this] { SetNudgeY(Wizard.GetNudgeY() - 1); });
    connect(btn_nudgedown, &QToolButton::clicked, this, [this] { SetNudgeY(Wizard.GetNudgeY() + 1); });
    connect(btn_nudgeleft, &QToolButton::clicked, this, [this] { SetNudgeX(Wizard.GetNudgeX() - 1); });
    connect(btn_nudgeright, &QToolButton::clicked, this, [this] { SetNudgeX(Wizard.GetNudgeX() + 1); });
}

void Tfrm_printdialog::BuildRunChoice(QWidget *page, const QRect &where)
{
    auto *box = new QWidget(page);
    box->setGeometry(where);
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    const auto number = [box](const char *name, int low, int high, int value) {
        auto *edit = new QSpinBox(box);
        edit->setObjectName(QLatin1String(name));
        edit->setRange(low, high);
        edit->setValue(value);
        return edit;
    };
    const auto row = [column](std::initializer_list<QWidget *> widgets) {
        auto *line = new QHBoxLayout;
        line->addSpacing(18);
        for (QWidget *w : widgets)
            line->addWidget(w);
        line->addStretch(1);
        column->addLayout(line);
    };
    rb_samelabel = new QRadioButton(QStringLiteral("Same label on every spot"), box);
    rb_samelabel->setObjectName(QStringLiteral("rb_samelabel"));
    rb_numbered = new QRadioButton(QStringLiteral("Numbered labels:"), box);
    rb_numbered->setObjectName(QStringLiteral("rb_numbered"));
    rb_table = new QRadioButton(QStringLiteral("Labels from a table:"), box);
    rb_table->setObjectName(QStringLiteral("rb_table"));
    ed_from = number("ed_from", -999999999, 999999999, 1);
    ed_count = number("ed_count", 1, int(MaxRunLabels), 1200);
    ed_step = number("ed_step", -999999, 999999, 1);
    btn_table = new QPushButton(QStringLiteral("Choose\u2026"), box);
    btn_table->setObjectName(QStringLiteral("btn_table"));
    btn_table->setAutoDefault(false);
    lbl_table = new QLabel(box);
    lbl_table->setObjectName(QStringLiteral("lbl_table"));
    lbl_table->setWordWrap(true);
    ed_copies = number("ed_copies", 1, MaxRecordCopies, 1);
    ed_startspot = number("ed_startspot", 1, 9999, 1);
    lbl_fieldsnote = new QLabel(box);
    lbl_fieldsnote->setObjectName(QStringLiteral("lbl_fieldsnote"));
    lbl_fieldsnote->setWordWrap(true);

    column->addWidget(rb_samelabel);
    column->addWidget(rb_numbered);
    row({new QLabel(QStringLiteral("from"), box), ed_from, new QLabel(QStringLiteral("count"), box), ed_count,
         new QLabel(QStringLiteral("step"), box), ed_step});
    column->addWidget(rb_table);
    row({btn_table, lbl_table});
    row({new QLabel(QStringLiteral("Copies per record"), box), ed_copies});
    row({new QLabel(QStringLiteral("Start at spot"), box), ed_startspot});
    column->addWidget(lbl_fieldsnote);
    column->addStretch(1);

    for (QRadioButton *b : {rb_samelabel, rb_numbered, rb_table})
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                RunChanged();
        });
    for (QSpinBox *edit : {ed_from, ed_count, ed_step, ed_copies, ed_startspot})
        connect(edit, &QSpinBox::valueChanged, this, [this] { RunChanged(); });
    connect(btn_table, &QPushButton::clicked, this, &Tfrm_printdialog::ChooseTable);
}

void Tfrm_printdialog::RunChanged()
{
    TDataRun run = Wizard.GetRun();
    run.Kind = rb_table->isChecked()      ? TRunKind::Table
               : rb_numbered->isChecked() ? TRunKind::Numbered
                                          : TRunKind::SameLabel;
    run.From = ed_from->value();
    run.Count = ed_count->value();
    run.Step = ed_step->value();
    run.CopiesPerRecord = ed_copies->value();
    run.StartSpot = ed_startspot->value();
    Wizard.SetRun(run);
    ShowRun();
}

void Tfrm_printdialog::ShowRun()
{
    const TDataRun &run = Wizard.GetRun();
    for (QWidget *w : std::initializer_list<QWidget *>{rb_samelabel, rb_numbered, rb_table, ed_from, ed_count,
                                                       ed_step, ed_copies, ed_startspot})
        w->blockSignals(true);
    rb_samelabel->setChecked(run.Kind == TRunKind::SameLabel);
    rb_numbered->setChecked(run.Kind == TRunKind::Numbered);
    rb_table->setChecked(run.Kind == TRunKind::Table);
    ed_from->setValue(int(std::clamp<int64_t>(run.From, ed_from->minimum(), ed_from->maximum())));
    ed_count->setValue(int(std::clamp<int64_t>(run.Count, 1, ed_count->maximum())));
    ed_step->setValue(int(std::clamp<int64_t>(run.Step, ed_step->minimum(), ed_step->maximum())));
    ed_copies->setValue(run.CopiesPerRecord);
    ed_startspot->setValue(run.StartSpot);
    for (QWidget *w : std::initializer_list<QWidget *>{rb_samelabel, rb_numbered, rb_table, ed_from, ed_count,
                                                       ed_step, ed_copies, ed_startspot})
        w->blockSignals(false);
    for (QWidget *w :
         {static_cast<QWidget *>(ed_from), static_cast<QWidget *>(ed_count), static_cast<QWidget *>(ed_step)})
        w->setEnabled(run.Kind == TRunKind::Numbered);
    ed_copies->setEnabled(run.IsRun());
    ed_startspot->setEnabled(run.IsRun());
    lbl_table->setText(run.Table.isEmpty() ? QStringLiteral("(no table chosen)") : Wizard.TableText());
    lbl_fieldsnote->setText(Wizard.FieldsNote());
    // The pages box counts the sheets a run needs; only the same label's is the user's.
    const QSignalBlocker blocker(ed_pagecount);
    ed_pagecount->setEnabled(Wizard.PagesEditable());
    ed_pagecount->setRange(Wizard.PagesEditable() ? 1 : 0, std::max<int>(MaxPageCount, 0));
    try {
        const int64_t pages = Wizard.PagesShown();
        ed_pagecount->setMaximum(int(std::max<int64_t>(MaxPageCount, std::min<int64_t>(pages, INT32_MAX))));
        ed_pagecount->setValue(int(std::min<int64_t>(pages, INT32_MAX)));
    } catch (const std::exception &) {
        ed_pagecount->setValue(0);
    }
}

void Tfrm_printdialog::ChooseTable()
{
    std::unique_ptr<Tfiledialog> dialog = CreateFileDialog(TFileDialogKind::Open);
    dialog->SetTitle(QStringLiteral("Labels from a table"));
    dialog->SetFilter(QStringLiteral("CSV tables|*.csv;*.txt|All files|*"));
    const TDataRun &current = Wizard.GetRun();
    if (!current.Table.isEmpty())
        dialog->SetInitialDir(QFileInfo(current.Table).absolutePath());
    if (!dialog->Execute())
        return;
    TDataRun run = current;
    run.Kind = TRunKind::Table;
    run.Table = QFileInfo(dialog->GetFileName()).absoluteFilePath();
    // Chosen again, the same file is read again: it may have changed.
    Wizard.SetRun({});
    Wizard.SetRun(run);
    ShowRun();
}

void Tfrm_printdialog::BuildBottomBar()
{
    auto *options = new QHBoxLayout;
    options->addWidget(new QLabel(QStringLiteral("Pages :"), this));
    ed_pagecount = new QSpinBox(this);
    ed_pagecount->setObjectName(QStringLiteral("ed_pagecount"));
    ed_pagecount->setRange(1, MaxPageCount);
    ed_pagecount->setValue(1);
    options->addWidget(ed_pagecount);
    options->addSpacing(16);
    chk_highquality = new QCheckBox(QStringLiteral("High Quality (SLOWER)"), this);
    chk_highquality->setObjectName(QStringLiteral("chk_highquality"));
    options->addWidget(chk_highquality);
    options->addStretch(1);

    auto *buttons = new QHBoxLayout;
    btn_previous = new QPushButton(QStringLiteral("Previous Step"), this);
    btn_next = new QPushButton(QStringLiteral("Next Step"), this);
    btn_setup = new QPushButton(QStringLiteral("Setup"), this);
    btn_preview = new QPushButton(QStringLiteral("Preview "), this);
    btn_savepdf = new QPushButton(QStringLiteral("Save as PDF\u2026"), this);
    btn_savepdf->setObjectName(QStringLiteral("btn_savepdf"));
    btn_print = new QPushButton(QStringLiteral("Print  "), this);
    btn_done = new QPushButton(QStringLiteral("Done"), this);
    for (QPushButton *b :
         {btn_previous, btn_next, btn_setup, btn_preview, btn_savepdf, btn_print, btn_done}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    layout->addLayout(options);
    layout->addLayout(buttons);

    connect(btn_next, &QPushButton::clicked, this, [this] {
        Wizard.NextPage();
        ps_steps->setCurrentIndex(Wizard.GetPage());
    });
    connect(btn_previous, &QPushButton::clicked, this, [this] {
        Wizard.PreviousPage();
        ps_steps->setCurrentIndex(Wizard.GetPage());
    });
    connect(btn_setup, &QPushButton::clicked, this, [this] {
        if (!Preview)
            return;
        Preview->Setup();
        PrinterChosen();
    });
    connect(btn_preview, &QPushButton::clicked, this, &Tfrm_printdialog::PreviewClicked);
    connect(btn_print, &QPushButton::clicked, this, &Tfrm_printdialog::PrintClicked);
    connect(btn_savepdf, &QPushButton::clicked, this, &Tfrm_printdialog::SavePdfClicked);
    connect(btn_done, &QPushButton::clicked, this, &Tfrm_printdialog::reject);
    connect(chk_highquality, &QCheckBox::toggled, this, [this](bool on) { Wizard.SetHighQuality(on); });
    connect(ed_pagecount, &QSpinBox::valueChanged, this, [this](int pages) { Wizard.SetCopies(pages); });
}

int Tfrm_printdialog::Execute(Tdrawlist &document, Tregistryex &store)
{
    SetDocument(&document);
    // The store first: the printer's calibration is read from this one, never an earlier one.
    Wizard.LoadSettings(store);
    Wizard.SetPrinterName(CurrentPrinterName());
    Wizard.LoadRun(store);
    ShowRun();
    ps_steps->setCurrentIndex(Wizard.GetPage());
    chk_highquality->setChecked(Wizard.GetHighQuality());
    ed_measuredx->clear();
    ed_measuredy->clear();
    UpdateNudgeLabels();
    UpdateScaleLabel();
    const int result = exec();
    Wizard.StoreSettings(store);
    Wizard.StoreRun(store);
    return result;
}

void Tfrm_printdialog::SetDocument(Tdrawlist *document)
{
    Wizard.SetDocument(document);
}

void Tfrm_printdialog::SetNudgeX(int32_t value)
{
    Wizard.SetNudgeX(value);
    UpdateNudgeLabels();
}

void Tfrm_printdialog::SetNudgeY(int32_t value)
{
    Wizard.SetNudgeY(value);
    UpdateNudgeLabels();
}

void Tfrm_printdialog::UpdateNudgeLabels()
{
    lbl_nudgex->setText(Wizard.NudgeXText());
    lbl_nudgey->setText(Wizard.NudgeYText());
}

void Tfrm_printdialog::PageChanged(int index)
{
    Wizard.SelectPage(index);
    // The spots chosen on step 3 decide the sheets a run needs.
    ShowRun();
    btn_previous->setEnabled(Wizard.PreviousEnabled());
    btn_next->setEnabled(Wizard.NextEnabled());
    StopAnimations();
    if (!isVisible())
        return;
    const TColor window = FromQColor(palette().color(QPalette::Window));
    switch (index) {
    case wpStep1:
        FAnimations.StartLabelDemo(PointOf(LabelDemoSize), window);
        tmr_labeldemo->start(FAnimations.LabelDemoFrame());
        img_labeldemo->setPixmap(QPixmap::fromImage(FAnimations.Frame()));
        break;
    case wpStep2:
        FAnimations.StartLabelNudge(PointOf(LabelNudgeSize), window);
        tmr_labelnudge->start(Twizardanimations::NudgeFirstInterval);
        break;
    case wpStep3:
        DrawSheetPicture();
        break;
    case wpPrint:
        Wizard.CheckLabel();
        ShowProblems();
        FAnimations.StartPrint(PointOf(SheetPictureSize), window);
        tmr_imgprint->start(FAnimations.PrintFrame());
        img_print->setPixmap(QPixmap::fromImage(FAnimations.Frame()));
        break;
    default:
        break;
    }
}

void Tfrm_printdialog::StopAnimations()
{
    tmr_labeldemo->stop();
    tmr_labelnudge->stop();
    tmr_imgprint->stop();
}

void Tfrm_printdialog::DrawSheetPicture()
{
    try {
        Wizard.DrawSheetPicture(SheetPicture, SheetPictureSize.width(), SheetPictureSize.height(),
                                FromQColor(palette().color(QPalette::Window)));
        img_selectprint->setPixmap(QPixmap::fromImage(SheetPicture.GetImage()));
    } catch (const std::exception &e) {
        ShowPrintError(e);
    }
}

bool Tfrm_printdialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == img_selectprint && event->type() == QEvent::MouseButtonPress) {
        const QPoint p = static_cast<QMouseEvent *>(event)->position().toPoint();
        Wizard.ClickSheetPicture({p.x(), p.y()});
        DrawSheetPicture();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tfrm_printdialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Wizard.Showing();
    PageChanged(ps_steps->currentIndex());
}

void Tfrm_printdialog::hideEvent(QHideEvent *event)
{
    StopAnimations();
    QDialog::hideEvent(event);
}

void Tfrm_printdialog::reject()
{
    done(mrCancel);
}

void Tfrm_printdialog::PrintTest()
{
    try {
        Wizard.PrintTest();
    } catch (const std::exception &e) {
        ShowPrintError(e);
    }
}

void Tfrm_printdialog::PreviewClicked()
{
    if (!Preview)
        return;
    int result = mrCancel;
    try {
        result = Preview->exec();
    } catch (const std::exception &e) {
        ShowPrintError(e);
    }
    // The preview's box changes the same settings.
    chk_highquality->setChecked(Wizard.GetHighQuality());
    // The preview's Setup may have chosen another printer.
    PrinterChosen();
    if (result == mrOk)
        done(mrOk);
}

void Tfrm_printdialog::PrintClicked()
{
    bool printed = false;
    try {
        printed = Wizard.Print();
    } catch (const std::exception &e) {
        ShowPrintError(e);
    }
    HeldBack();
    // Nothing printed (no printer, no spot, a failure): the wizard stays where it was, so that
    // the user can choose a printer with Setup or mark spots.
    if (printed)
        done(mrOk);
}

void Tfrm_printdialog::SavePdfClicked()
{
    bool written = false;
    try {
        written = Wizard.SaveAsPdf();
    } catch (const std::exception &e) {
        ShowPrintError(e);
    }
    HeldBack();
    UpdateNudgeLabels();
    UpdateScaleLabel();
    if (written)
        done(mrOk);
}
