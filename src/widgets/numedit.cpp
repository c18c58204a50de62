#include "widgets/numedit.h"

#include "platform/rnd.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {

// Decimals beyond what a double holds show nothing but noise.
constexpr int32_t MaxPrecision = 20;
// A value this close to a whole number counts as one.
constexpr double WholeTolerance = 0.000001;
// Significant digits of the hint, as "%g" shows them.
constexpr int HintDigits = 6;

// The user's locale for the decimal separator, without group separators either way.
QLocale NumberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

double ReadFloat(const QString &s)
{
    bool ok = false;
    const double v = NumberLocale().toDouble(s.trimmed(), &ok);
    if (!ok || !std::isfinite(v))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
    return v;
}

int32_t ReadInteger(const QString &s)
{
    bool ok = false;
    const int32_t v = NumberLocale().toInt(s.trimmed(), &ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(s));
    return v;
}

bool IsWhole(double v)
{
    return std::fabs(v) - std::trunc(std::fabs(v)) <= WholeTolerance;
}

// The hint of a text: the value of a fraction, nothing for a plain number.
QString HintOf(const QString &text, double value)
{
    if (!text.contains(QLatin1Char('/')))
        return QString();
    return NumberLocale().toString(value, 'g', HintDigits);
}

} // namespace

double ParseFraction(const QString &text)
{
    QString s = text.trimmed();
    double whole = 0;
    const qsizetype blank = s.indexOf(QLatin1Char(' '));
    if (blank >= 0) {
        whole = ReadFloat(s.left(blank));
        s = s.mid(blank + 1).trimmed();
    }
    const qsizetype slash = s.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return ReadFloat(s);
    const double numerator = ReadFloat(s.left(slash));
    const double denominator = ReadFloat(s.mid(slash + 1));
    if (denominator == 0)
        throw EZeroDivide(QStringLiteral("Floating point division by zero"));
    const double result = numerator / denominator + whole;
    if (!std::isfinite(result))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return result;
}

TnumEdit::TnumEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &TnumEdit::TextChanged);
    setText(QStringLiteral("0"));
}

void TnumEdit::SetAsdouble(double x)
{
    const QString current = text();
    const double shown = ParseFraction(current);
    Asdouble = x;
    setToolTip(HintOf(current, shown));
    if (Formatted(shown) != Formatted(x))
        setText(Formatted(x));
}

void TnumEdit::SetAsinteger(int32_t v)
{
    Asinteger = v;
}

void TnumEdit::SetPrecision(int32_t v)
{
    Precision = v;
    SetAsdouble(Asdouble);
}

void TnumEdit::TextChanged()
{
    const bool selected = hasSelectedText();
    const int start = selected ? selectionStart() : cursorPosition();
    const int length = selected ? int(selectedText().size()) : 0;
    // A rewritten separator sets the text again, and that change reads the value.
    if (!NormaliseSeparators())
        ReadText();
    const int end = int(text().size());
    if (length > 0)
        setSelection(std::min(start, end), std::min(length, end - std::min(start, end)));
    else
        setCursorPosition(std::min(start, end));
}

bool TnumEdit::NormaliseSeparators()
{
    const QString separator = NumberLocale().decimalPoint();
    QString s = text();
    for (const QLatin1Char c : {QLatin1Char('.'), QLatin1Char(',')}) {
        const qsizetype at = s.indexOf(c);
        if (at >= 0)
            s.replace(at, 1, separator);
    }
    if (s == text())
        return false;
    setText(s);
    return true;
}

void TnumEdit::ReadText()
{
    const QString t = text();
    double v = 0;
    int32_t i = 0;
    try {
        if (t.contains(QLatin1Char('/'))) {
            v = ParseFraction(t);
            i = rnd(v);
        } else if (t.contains(NumberLocale().decimalPoint())) {
            v = ReadFloat(t);
            i = rnd(v);
        } else {
            v = ReadFloat(t);
            i = ReadInteger(t);
        }
        if (IsWhole(v))
            SetAsinteger(i);
        else
            SetAsdouble(v);
    } catch (const Exception &) {
        return;
    }
    // A value shown anew has been read by the change that showing it made.
    if (text() != t)
        return;
    Asdouble = v;
    Asinteger = i;
    setToolTip(HintOf(t, v));
    if (OnChange)
        OnChange(this);
}

QString TnumEdit::Formatted(double x) const
{
    return NumberLocale().toString(x, 'f', std::clamp(Precision, 0, MaxPrecision));
}
