#pragma once
// A printer's calibration: the offset (nudge, in 1/64 inch) and the scale correction across and
// down, kept per printer in the settings, and the correction worked out from the distances the
// user measured on the ruler page.

#include <QString>
#include <cstdint>

class Tregistryex;

// Scale corrections are held in hundredths of a per cent: 5 is +0.05 %. They go from -3 % to
// +3 % in steps of 0.05 %.
constexpr int32_t MaxScaleCorrection = 300;
constexpr int32_t ScaleCorrectionStep = 5;
constexpr double ScaleCorrectionUnit = 10000.0; // hundredths of a per cent in a whole

// The ruler page's marks lie this far apart, in inches.
constexpr double RulerAcross = 8.0;
constexpr double RulerDown = 10.0;

// The one printer a PDF file counts as.
extern const QString PdfPrinterName;

struct TCalibration {
    int32_t NudgeX = 0;
    int32_t NudgeY = 0;
    int32_t ScaleX = 0;
    int32_t ScaleY = 0;
    bool operator==(const TCalibration &) const = default;
};

// A correction is a multiple of the step within the limits.
bool ValidScaleCorrection(int32_t hundredths);
// "+0.45 %", "-1.20 %", "0.00 %".
QString ScaleCorrectionText(int32_t hundredths);
// The factor a correction scales by: 1.0045 for 45.
double ScaleFactor(int32_t hundredths);

// A measured length as typed: a number with "in", "\"" or "mm" after it, either decimal
// separator. Without a unit a number under MillimetreGuess is inches, a larger one millimetres
// (the marks lie 8 and 10 inches apart, 203 and 254 mm). False with the reason in error.
constexpr double MillimetreGuess = 50.0;
bool ParseMeasuredLength(const QString &text, double &inches, QString &error);

// The correction that makes marks printed expected inches apart under the correction current,
// and measured inches apart on paper, land expected inches apart. False with the reason in
// error when it would lie beyond the limits (a mismeasurement more likely than a printer that far off).
bool CorrectionFromMeasurement(double expected, double measured, int32_t current, int32_t &corrected,
                               QString &error);

// The settings key a printer's own values live under, below the store's key.
QString PrinterKeyPath(const QString &printer);
// The calibration stored for printer; fallback's values for what it holds none of (the offsets
// "nudge.x" and "nudge.y" give for a printer of its own, no scale correction). Values beyond
// the limits are ignored.
TCalibration LoadCalibration(Tregistryex &store, const QString &printer, const TCalibration &fallback);
// Stores the printer's calibration under its own key; failures are reported as the store
// reports them. Nothing for a printer without a name.
void StoreCalibration(Tregistryex &store, const QString &printer, const TCalibration &calibration);
