#include "printing/qtprinter.h"

#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
const QString NoPrinterText = QStringLiteral("There is no printer.");
} // namespace

Tqtprinter::Tqtprinter() : Printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    // Without a default queue Qt chooses none; the first of the list stands in for it.
    if (Printer->printerName().isEmpty()) {
        const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
        if (!printers.isEmpty())
            Printer->setPrinterName(printers.first().printerName());
    }
    // Label stock comes on US Letter sheets, whatever paper the queue offers first; Setup
    // changes it.
    Printer->setPageSize(QPageSize(QPageSize::Letter));
}

Tqtprinter::~Tqtprinter()
{
    if (InJob)
        EndDoc();
}

bool Tqtprinter::SelectPrinter(const QString &name)
{
    if (QPrinterInfo::printerInfo(name).isNull())
        return false;
    Printer->setPrinterName(name);
    Printer->setPageSize(QPageSize(QPageSize::Letter));
    return Printer->printerName() == name;
}

QString Tqtprinter::PrinterName() const
{
    return Printer->printerName();
}

bool Tqtprinter::Setup(QWidget *parent)
{
    QPrintDialog dialog(Printer.get(), parent);
    return dialog.exec() == QDialog::Accepted;
}

QString Tqtprinter::PdfFileName() const
{
    return Printer->outputFormat() == QPrinter::PdfFormat ? Printer->outputFileName() : QString();
}

bool Tqtprinter::Available() const
{
    return Printer->outputFormat() == QPrinter::NativeFormat && !Printer->printerName().isEmpty() &&
           !QPrinterInfo::printerInfo(Printer->printerName()).isNull();
}

int32_t PageLayoutCap(const QPageLayout &layout, int resolution, TDeviceCap cap)
{
    const QRect full = layout.fullRectPixels(resolution);
    const QRect paint = layout.paintRectPixels(resolution);
    switch (cap) {
    case TDeviceCap::PhysicalOffsetX:
        return paint.left() - full.left();
    case TDeviceCap::PhysicalOffsetY:
        return paint.top() - full.top();
    case TDeviceCap::LogPixelsX:
    case TDeviceCap::LogPixelsY:
        return resolution;
    case TDeviceCap::PhysicalWidth:
        return full.width();
    case TDeviceCap::PhysicalHeight:
        return full.height();
    case TDeviceCap::HorzRes:
        return paint.width();
    case TDeviceCap::VertRes:
        return paint.height();
    }
    throw EPrinter(NoPrinterText);
}

int32_t Tqtprinter::GetDeviceCaps(TDeviceCap cap) const
{
    if (!Available())
        throw EPrinter(NoPrinterText);
    return PageLayoutCap(Printer->pageLayout(), Printer->resolution(), cap);
}

bool Tqtprinter::Printing() const
{
    if (InJob)
        return true;
    if (Printer->printerName().isEmpty())
        return false;
    return QPrinterInfo::printerInfo(Printer->printerName()).state() == QPrinter::Active;
}

bool Tqtprinter::IsFirstPrinter() const
{
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    return !printers.isEmpty() && printers.first().printerName() == Printer->printerName();
}

void Tqtprinter::SetOrientation(uint8_t orientation)
{
    if (!Available())
        throw EPrinter(NoPrinterText);
    Printer->setPageOrientation(orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
}

uint8_t Tqtprinter::GetOrientation() const
{
    return Printer->pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
}

void Tqtprinter::SetTitle(const QString &title)
{
    Printer->setDocName(title);
}

void Tqtprinter::BeginDoc()
{
    if (!Available())
        throw EPrinter(NoPrinterText);
    FCanvas.Bind(Printer.get());
    if (!FCanvas.IsBound())
        throw EPrinter(
            QStringLiteral("The printer \"%1\" could not start the job.").arg(Printer->printerName()));
    InJob = true;
}

void Tqtprinter::NewPage()
{
    if (!InJob || !Printer->newPage())
        throw EPrinter(QStringLiteral("The printer could not start a new page."));
}

void Tqtprinter::EndDoc()
{
    // Ending the painter sends the job (or finishes the file).
    FCanvas.Unbind();
    InJob = false;
}
