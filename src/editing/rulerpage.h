#pragma once
// The ruler page that calibrates a printer's scale: two marks RulerAcross inches apart across
// the sheet and two RulerDown inches apart down it, each with a millimetre scale beside it, and
// a short instruction. It prints through the printer's scale correction, as the sheets do, so a
// page printed after calibrating measures true.

#include "editing/calibration.h"
#include "platform/types.h"

class Tcanvas;
class Tprinter;

// Where the marks lie on a portrait letter sheet, in inches from its top-left corner: the
// across pair on the line MarkAcrossY, the down pair on the line MarkDownX.
constexpr double MarkLeft = 0.25;
constexpr double MarkTop = 0.5;
constexpr double MarkAcrossY = 5.0;
constexpr double MarkDownX = 4.25;
// A mark is a line this many inches thick and long.
constexpr double MarkThickness = 0.01;
constexpr double MarkLength = 0.5;

extern const QString RulerInstruction;
extern const QString RulerJobTitle;

// The page's geometry on the device: its resolution and where the printable area (the canvas's
// origin) lies from the sheet's corner.
struct TRulerDevice {
    int32_t DpiX = 600;
    int32_t DpiY = 600;
    TPoint Offset;
};

// The device pixel, on the canvas, of a point inches from the sheet's top-left corner, scaled
// about the corner by the correction. The nudge moves the marks without changing how far apart
// they lie, so the page leaves it out: a mark a quarter inch from the edge stays on the paper.
TPoint RulerPixel(double x, double y, const TRulerDevice &device, const TCalibration &calibration);

// Draws the page on canvas (the printable area of one page).
void DrawRulerPage(Tcanvas &canvas, const TRulerDevice &device, const TCalibration &calibration);

// Prints the page, portrait, on printer. Shows why and prints nothing when there is no printer or
// it is busy; a failure while printing ends the job and goes on to the caller. True when it printed.
bool PrintRulerPage(Tprinter &printer, const TCalibration &calibration);
