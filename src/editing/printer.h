#pragma once
// The printer as the print job and the preview see it: the quantities a printer reports in
// device pixels (its whole page, where the printable area starts, the printable area's size),
// its resolution and state, and the job around the pages. The printing module implements it
// over the desktop's printing system; tests record what is drawn.

#include "platform/errors.h"

#include <QString>
#include <cstdint>

class Tcanvas;

// What GetDeviceCaps reports, each in device pixels or dots per inch.
enum class TDeviceCap {
    PhysicalOffsetX, // where the printable area starts, from the page's left edge
    PhysicalOffsetY, // and from its top edge
    LogPixelsX,      // dots per inch across
    LogPixelsY,      // and down
    PhysicalWidth,   // the whole page
    PhysicalHeight,
    HorzRes, // the printable area
    VertRes,
};

// The printer cannot do or tell what it was asked: there is none, or it failed.
class EPrinter : public Exception {
public:
    using Exception::Exception;
    const char *ClassName() const override { return "EPrinter"; }
};

class Tprinter {
public:
    virtual ~Tprinter() = default;

    // A printer is there to print on.
    virtual bool Available() const = 0;
    // Raises EPrinter when the printer cannot tell (there is none).
    virtual int32_t GetDeviceCaps(TDeviceCap cap) const = 0;
    // The printer is busy printing a job of ours; false without a printer.
    virtual bool Printing() const = 0;
    // The selected printer is the first of the system's list.
    virtual bool IsFirstPrinter() const = 0;
    // 0 portrait, 1 landscape. Raises EPrinter without a printer.
    virtual void SetOrientation(uint8_t orientation) = 0;
    virtual uint8_t GetOrientation() const = 0;
    virtual void SetTitle(const QString &title) = 0;
    // The job: pages are drawn on Canvas() from BeginDoc to EndDoc, each page after the first
    // started by NewPage. Canvas coordinates start at the printable area's top-left corner.
    // BeginDoc raises EPrinter when the job cannot start.
    virtual void BeginDoc() = 0;
    virtual void NewPage() = 0;
    // Ends the job, also one that failed half-way (what was drawn is printed).
    virtual void EndDoc() = 0;
    virtual Tcanvas &Canvas() = 0;
};
