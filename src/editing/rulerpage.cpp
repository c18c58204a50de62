#include "editing/rulerpage.h"

#include "editing/printer.h"
#include "editing/printjob.h"
#include "platform/canvas.h"
#include "platform/messages.h"
#include "platform/rnd.h"

const QString RulerInstruction = QStringLiteral(
    "Ruler page. With a good ruler, measure from the centre of the left mark to the centre of the right "
    "mark (8.000 in, 203.2 mm on a true printer) and from the centre of the top mark to the centre of "
    "the bottom mark (10.000 in, 254.0 mm). Type both distances, in inches or millimetres, beside "
    "\"Print Ruler Page\" in the print wizard. The millimetre scales beside the marks help to read a "
    "ruler against them.");
const QString RulerJobTitle = QStringLiteral("Fennbrook label - ruler page");

namespace {
constexpr double MillimetreInches = 1 / 25.4;
// Each scale runs this many millimetres either side of its mark.
constexpr int32_t ScaleReach = 5;
constexpr double TickThickness = 0.005;
constexpr double TickShort = 0.05;
constexpr double TickLong = 0.1;
// The scales start this far from the end of their mark.
constexpr double ScaleGap = 0.05;
// The instruction's box, in inches, in the quarter above the across marks and left of the down
// marks, and its font's character height.
constexpr double TextLeft = 0.75;
constexpr double TextTop = 1.5;
constexpr double TextWidth = 3.25;
constexpr double TextHeight = 3.0;
constexpr double TextSize = 0.15;

// Where a mark lies on the sheet: along is the direction its distance is measured in, across
// the other one. A mark across the sheet is measured along x.
struct TMarkFrame {
    bool AlongX;
    // Fills the box from (along1, across1) to (along2, across2) inches, black.
    void Box(Tcanvas &canvas, double along1, double across1, double along2, double across2,
             const TRulerDevice &device, const TCalibration &c) const
    {
        const TPoint a =
            AlongX ? RulerPixel(along1, across1, device, c) : RulerPixel(across1, along1, device, c);
        const TPoint b =
            AlongX ? RulerPixel(along2, across2, device, c) : RulerPixel(across2, along2, device, c);
        canvas.FillRect({a.X, a.Y, std::max(b.X, a.X + 1), std::max(b.Y, a.Y + 1)});
    }
};

// A mark at along (a line MarkLength long, centred on across) with its millimetre scale beside
// it: below a mark measured across the sheet, right of one measured down it.
void Mark(Tcanvas &canvas, bool alongX, double along, double across, const TRulerDevice &device,
          const TCalibration &c)
{
    const TMarkFrame frame{alongX};
    frame.Box(canvas, along - MarkThickness / 2, across - MarkLength / 2, along + MarkThickness / 2,
              across + MarkLength / 2, device, c);
    const double start = across + MarkLength / 2 + ScaleGap;
    for (int32_t mm = -ScaleReach; mm <= ScaleReach; ++mm) {
        const double at = along + mm * MillimetreInches;
        frame.Box(canvas, at - TickThickness / 2, start, at + TickThickness / 2,
                  start + (mm % 5 == 0 ? TickLong : TickShort), device, c);
    }
}
} // namespace

TPoint RulerPixel(double x, double y, const TRulerDevice &device, const TCalibration &calibration)
{
    const double sheetX = x * ScaleFactor(calibration.ScaleX);
    const double sheetY = y * ScaleFactor(calibration.ScaleY);
    return {rnd(sheetX * device.DpiX) - device.Offset.X, rnd(sheetY * device.DpiY) - device.Offset.Y};
}

void DrawRulerPage(Tcanvas &canvas, const TRulerDevice &device, const TCalibration &calibration)
{
    canvas.Brush().SetStyle(TBrushStyle::Solid);
    canvas.Brush().SetColor(clBlack);
    Mark(canvas, true, MarkLeft, MarkAcrossY, device, calibration);
    Mark(canvas, true, MarkLeft + RulerAcross, MarkAcrossY, device, calibration);
    Mark(canvas, false, MarkTop, MarkDownX, device, calibration);
    Mark(canvas, false, MarkTop + RulerDown, MarkDownX, device, calibration);

    const TPoint a = RulerPixel(TextLeft, TextTop, device, calibration);
    const TPoint b = RulerPixel(TextLeft + TextWidth, TextTop + TextHeight, device, calibration);
    TRect box{a.X, a.Y, b.X, b.Y};
    canvas.Font().SetName(QStringLiteral("Liberation Sans"));
    canvas.Font().SetHeight(-rnd(TextSize * device.DpiY));
    canvas.Font().SetStyle(0);
    canvas.Font().SetColor(clBlack);
    canvas.Brush().SetStyle(TBrushStyle::Clear);
    canvas.DrawTextEx(RulerInstruction, box, DT_WORDBREAK | DT_NOPREFIX);
    canvas.Brush().SetStyle(TBrushStyle::Solid);
}

bool PrintRulerPage(Tprinter &printer, const TCalibration &calibration)
{
    if (!printer.Available()) {
        MessageBox(NoPrinterMessage, TMsgIcon::Error);
        return false;
    }
    if (printer.Printing()) {
        MessageBox(PrinterBusyMessage, TMsgIcon::Information);
        return false;
    }
    printer.SetOrientation(0);
    TRulerDevice device;
    device.DpiX = printer.GetDeviceCaps(TDeviceCap::LogPixelsX);
    device.DpiY = printer.GetDeviceCaps(TDeviceCap::LogPixelsY);
    device.Offset = {printer.GetDeviceCaps(TDeviceCap::PhysicalOffsetX),
                     printer.GetDeviceCaps(TDeviceCap::PhysicalOffsetY)};
    printer.SetTitle(RulerJobTitle);
    printer.BeginDoc();
    try {
        DrawRulerPage(printer.Canvas(), device, calibration);
    } catch (...) {
        printer.EndDoc();
        throw;
    }
    printer.EndDoc();
    return true;
}
