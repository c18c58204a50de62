#include "editing/calibration.h"

#include "document/printsettings.h"
#include "platform/rnd.h"
#include "settings/registry.h"

#include <QRegularExpression>
#include <cmath>

const QString PdfPrinterName = QStringLiteral("PDF");

namespace {
const QString PrintersKey = QStringLiteral("printers");
const QString NudgeXValue = QStringLiteral("nudge.x");
const QString NudgeYValue = QStringLiteral("nudge.y");
const QString ScaleXValue = QStringLiteral("scale.x");
const QString ScaleYValue = QStringLiteral("scale.y");
constexpr double MillimetresPerInch = 25.4;

// A store of its own on the printer's key, so the caller's store keeps the key it has open.
// It reports failures as the caller's would, and is silenced when that one is.
struct TPrinterStore {
    TPrinterStore(Tregistryex &store, const QString &printer, bool create)
        : Parent(store), Store(store.GetRootKey())
    {
        Store.Silenced = store.Silenced;
        const QString parent = store.GetCurrentPath();
        const QString path = QStringLiteral("\\") +
                             (parent.isEmpty() ? QString() : parent + QStringLiteral("\\")) +
                             PrinterKeyPath(printer);
        Open = create ? Store.OpenKey(path, true) : Store.Tregistry::OpenKey(path, false);
    }
    ~TPrinterStore() { Parent.Silenced = Store.Silenced; }
    TPrinterStore(const TPrinterStore &) = delete;
    TPrinterStore &operator=(const TPrinterStore &) = delete;

    Tregistryex &Parent;
    Tregistryex Store;
    bool Open = false;
};

void ReadWithin(const Tregistryex &store, const QString &name, int32_t limit, int32_t &value)
{
    if (!store.ValueExists(name))
        return;
    const int32_t read = store.ReadInteger(name, value);
    if (read >= -limit && read <= limit)
        value = read;
}
} // namespace

bool ValidScaleCorrection(int32_t hundredths)
{
    return hundredths >= -MaxScaleCorrection && hundredths <= MaxScaleCorrection &&
           hundredths % ScaleCorrectionStep == 0;
}

QString ScaleCorrectionText(int32_t hundredths)
{
    const QString number = QString::number(std::abs(hundredths) / 100.0, 'f', 2);
    if (hundredths == 0)
        return number + QStringLiteral(" %");
    return (hundredths > 0 ? QStringLiteral("+") : QStringLiteral("-")) + number + QStringLiteral(" %");
}

double ScaleFactor(int32_t hundredths)
{
    return 1.0 + hundredths / ScaleCorrectionUnit;
}

bool ParseMeasuredLength(const QString &text, double &inches, QString &error)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([0-9]+(?:[.,][0-9]*)?|[.,][0-9]+)\\s*(in|inch|inches|\"|mm)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    bool ok = false;
    const double value =
        match.hasMatch()
            ? QString(match.captured(1)).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok)
            : 0.0;
    if (!ok || !(value > 0)) {
        error = QStringLiteral("\"%1\" is not a length: type the distance between the marks, as in 8.02 in "
                               "or 203.7 mm.")
                    .arg(text.trimmed());
        return false;
    }
    const QString unit = match.captured(2).toLower();
    const bool millimetres = unit == QLatin1String("mm") || (unit.isEmpty() && value >= MillimetreGuess);
    inches = millimetres ? value / MillimetresPerInch : value;
    return true;
}

bool CorrectionFromMeasurement(double expected, double measured, int32_t current, int32_t &corrected,
                               QString &error)
{
    if (!(expected > 0) || !(measured > 0) || !std::isfinite(measured)) {
        error = QStringLiteral("The distance must be more than 0.");
        return false;
    }
    // The page was printed scaled by the current factor and came out measured / expected of
    // what it should: the new factor undoes what the printer adds.
    const double factor = ScaleFactor(current) * expected / measured;
    const double hundredths = (factor - 1.0) * ScaleCorrectionUnit;
    const double steps = std::nearbyint(hundredths / ScaleCorrectionStep);
    if (std::abs(steps * ScaleCorrectionStep) > MaxScaleCorrection) {
        error = QStringLiteral("%1 in is more than 3 % away from %2 in. Please measure again between the "
                               "centres of the two marks.")
                    .arg(QString::number(measured, 'f', 3), QString::number(expected, 'f', 3));
        return false;
    }
    corrected = int32_t(steps) * ScaleCorrectionStep;
    return true;
}

QString PrinterKeyPath(const QString &printer)
{
    // A key path's parts are joined by backslashes: one in a queue's name stays inside its part.
    return PrintersKey + QStringLiteral("\\") + QString(printer).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

TCalibration LoadCalibration(Tregistryex &store, const QString &printer, const TCalibration &fallback)
{
    TCalibration c{fallback.NudgeX, fallback.NudgeY, 0, 0};
    if (printer.isEmpty())
        return c;
    const TPrinterStore own(store, printer, false);
    if (!own.Open)
        return c;
    ReadWithin(own.Store, NudgeXValue, MaxNudge, c.NudgeX);
    ReadWithin(own.Store, NudgeYValue, MaxNudge, c.NudgeY);
    ReadWithin(own.Store, ScaleXValue, MaxScaleCorrection, c.ScaleX);
    ReadWithin(own.Store, ScaleYValue, MaxScaleCorrection, c.ScaleY);
    // A value off the steps is rounded to the nearest one.
    c.ScaleX = rnd(c.ScaleX / double(ScaleCorrectionStep)) * ScaleCorrectionStep;
    c.ScaleY = rnd(c.ScaleY / double(ScaleCorrectionStep)) * ScaleCorrectionStep;
    return c;
}

void StoreCalibration(Tregistryex &store, const QString &printer, const TCalibration &calibration)
{
    if (printer.isEmpty())
        return;
    TPrinterStore own(store, printer, true);
    if (!own.Open)
        return;
    own.Store.WriteInteger(NudgeXValue, calibration.NudgeX);
    own.Store.WriteInteger(NudgeYValue, calibration.NudgeY);
    own.Store.WriteInteger(ScaleXValue, calibration.ScaleX);
    own.Store.WriteInteger(ScaleYValue, calibration.ScaleY);
}
