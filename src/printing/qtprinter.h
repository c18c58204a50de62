#pragma once
// The printer over the desktop's printing system (Qt's print support, which talks to CUPS).
// Reports the page in device pixels from the page layout, the queue's state, and runs the job
// on a canvas bound to the printer. A PDF file is printed by Tpdfprinter (pdfprinter.h).

#include "editing/printer.h"
#include "platform/canvas.h"

#include <QString>
#include <memory>

class QPageLayout;
class QPrinter;
class QWidget;

// The quantity cap of a page laid out as layout, in pixels at resolution dots per inch.
int32_t PageLayoutCap(const QPageLayout &layout, int resolution, TDeviceCap cap);

class Tqtprinter : public Tprinter {
public:
    // The system's default printer (the first of its list when none is the default).
    Tqtprinter();
    ~Tqtprinter() override;

    // Chooses the queue by name; false, keeping the one chosen, when there is no such queue.
    bool SelectPrinter(const QString &name);
    QString PrinterName() const;
    QPrinter &GetQPrinter() { return *Printer; }
    // The desktop's print dialog for choosing the queue and its options; false when cancelled.
    bool Setup(QWidget *parent);
    // The PDF file the print dialog chose to print into instead of a queue; empty for a queue.
    QString PdfFileName() const;

    // Tprinter
    bool Available() const override;
    int32_t GetDeviceCaps(TDeviceCap cap) const override;
    bool Printing() const override;
    bool IsFirstPrinter() const override;
    void SetOrientation(uint8_t orientation) override;
    uint8_t GetOrientation() const override;
    void SetTitle(const QString &title) override;
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    Tcanvas &Canvas() override { return FCanvas; }

private:
    std::unique_ptr<QPrinter> Printer;
    Tcanvas FCanvas;
    bool InJob = false;
};
