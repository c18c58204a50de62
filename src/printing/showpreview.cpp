#include "printing/showpreview.h"

#include "platform/canvas.h"
#include "platform/errors.h"
#include "platform/messages.h"
#include "printing/pdfprinter.h"
#include "widgets/drawpanel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace {
constexpr int MinimumWidth = 390;
constexpr int MinimumHeight = 200;
constexpr int MaxPageCount = 9999;
} // namespace

void ShowPrintError(const std::exception &e)
{
    MessageBox(ErrorMessage(e), TMsgIcon::Error);
}

Tfrm_showpreview::Tfrm_showpreview(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("frm_showpreview"));
    setWindowTitle(QStringLiteral("Preview"));
    setMinimumSize(MinimumWidth, MinimumHeight);
    setSizeGripEnabled(true);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);

    auto *bar = new QHBoxLayout;
    lbl_pages = new QLabel(QStringLiteral("Pages:"), this);
    ed_pagecount = new QSpinBox(this);
    ed_pagecount->setObjectName(QStringLiteral("ed_pagecount"));
    ed_pagecount->setRange(1, MaxPageCount);
    ed_pagecount->setValue(1);
    chk_highquality = new QCheckBox(QStringLiteral("High Quality"), this);
    lbl_sheet = new QLabel(QStringLiteral("Sheet:"), this);
    ed_sheet = new QSpinBox(this);
    ed_sheet->setObjectName(QStringLiteral("ed_sheet"));
    ed_sheet->setRange(1, 1);
    btn_setup = new QPushButton(QStringLiteral("Setup"), this);
    btn_print = new QPushButton(QStringLiteral("Print"), this);
    btn_close = new QPushButton(QStringLiteral("Close Preview"), this);
    for (QPushButton *b : {btn_setup, btn_print, btn_close})
        b->setAutoDefault(false);
    bar->addWidget(lbl_pages);
    bar->addWidget(ed_pagecount);
    bar->addWidget(chk_highquality);
    bar->addWidget(lbl_sheet);
    bar->addWidget(ed_sheet);
    bar->addStretch(1);
    bar->addWidget(btn_setup);
    bar->addWidget(btn_print);
    bar->addWidget(btn_close);

    dpnl_canvas = new Tvnldrawpanel(this);
    dpnl_canvas->setObjectName(QStringLiteral("dpnl_canvas"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addWidget(dpnl_canvas, 1);
    resize(600, 700);

    dpnl_canvas->onpaint = [this](Tvnldrawpanel *) { PaintCanvas(); };
    FJob.InvalidatePreview = [this] { dpnl_canvas->update(); };
    FJob.ProcessMessages = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    connect(chk_highquality, &QCheckBox::toggled, this, [this](bool on) {
        if (Wizard)
            Wizard->SetHighQuality(on);
        dpnl_canvas->update();
    });
    connect(ed_sheet, &QSpinBox::valueChanged, this, [this] { dpnl_canvas->update(); });
    connect(btn_setup, &QPushButton::clicked, this, &Tfrm_showpreview::Setup);
    connect(btn_print, &QPushButton::clicked, this, &Tfrm_showpreview::PrintClicked);
    connect(btn_close, &QPushButton::clicked, this, &Tfrm_showpreview::reject);
}

Tfrm_showpreview::~Tfrm_showpreview() = default;

void Tfrm_showpreview::Setup()
{
    FPrinter.Setup(this);
    dpnl_canvas->update();
}

void Tfrm_showpreview::BindSettings(Tprintwizard &wizard)
{
    Wizard = &wizard;
    chk_highquality->setChecked(wizard.GetHighQuality());
}

TPrintSettings Tfrm_showpreview::Settings() const
{
    return Wizard ? Wizard->Settings() : TPrintSettings{};
}

bool Tfrm_showpreview::PrintPages(const TPrintSettings &settings)
{
    const QString pdf = FPrinter.PdfFileName();
    return pdf.isEmpty() ? FJob.PrintSheets(settings) : PrintSheetsToPdf(FJob, pdf, settings);
}

void Tfrm_showpreview::PrintClicked()
{
    // The preview's own pages counter says how many sheets it prints.
    TPrintSettings settings = Settings();
    settings.Copies = ed_pagecount->value();
    if (Wizard && !Wizard->ConfirmLargeRun())
        return;
    try {
        // What would come out wrong is asked about here as the wizard's Print page lists it.
        if (Wizard && !Wizard->ConfirmChecked())
            return;
        if (PrintPages(settings))
            done(mrOk);
    } catch (const std::exception &e) {
        ShowPrintError(e);
    }
}

void Tfrm_showpreview::PaintCanvas()
{
    try {
        FJob.PaintPreview(Settings(), Bitmap, dpnl_canvas->width(), dpnl_canvas->height(),
                          ed_sheet->value() - 1);
    } catch (const std::exception &) {
        // A paint that fails shows black; the message would come back with every paint.
        Bitmap.Fill(0xFF000000u);
    }
    QPainter painter(dpnl_canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (Bitmap.Width() > 0)
        painter.drawImage(0, 0, Bitmap.GetImage());
    else
        painter.fillRect(dpnl_canvas->rect(), Qt::black);
}

void Tfrm_showpreview::showEvent(QShowEvent *event)
{
    // A run shows its sheets one by one and prints them all; the pages box is the same label's.
    const bool run = Wizard && Wizard->GetRun().IsRun();
    int64_t sheets = 1;
    try {
        sheets = run ? Wizard->PagesShown() : 1;
    } catch (const std::exception &) {
    }
    ed_sheet->setRange(1, int(std::clamp<int64_t>(sheets, 1, INT32_MAX)));
    ed_sheet->setValue(1);
    ed_sheet->setVisible(run);
    lbl_sheet->setVisible(run);
    ed_pagecount->setEnabled(!run);
    if (Wizard) {
        const QSignalBlocker blocker(chk_highquality);
        chk_highquality->setChecked(Wizard->GetHighQuality());
    }
    QDialog::showEvent(event);
}

void Tfrm_showpreview::hideEvent(QHideEvent *event)
{
    // Hidden, the preview gives its memory back.
    Bitmap.SetSize(0, 0);
    QDialog::hideEvent(event);
}

void Tfrm_showpreview::reject()
{
    done(mrCancel);
}
