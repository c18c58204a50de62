#pragma once
// An edit box that keeps the number its text stands for, as a double and as an integer. It
// takes "." and "," for the decimal separator, and fractions such as 3/8 and 1 3/4.

#include "platform/errors.h"

#include <QLineEdit>
#include <cstdint>
#include <functional>

// A text does not read as a number: "'abc' is not a valid floating point value".
class EConvertError : public Exception {
public:
    using Exception::Exception;
    const char *ClassName() const override { return "EConvertError"; }
};

// A fraction with a zero denominator.
class EZeroDivide : public Exception {
public:
    using Exception::Exception;
    const char *ClassName() const override { return "EZeroDivide"; }
};

// The value of a text written as a number ("2.5"), a fraction ("3/8") or a whole number and a
// fraction ("1 3/4"), read with the locale's decimal separator. The sign of the whole number
// does not carry over to the fraction: "-1 1/2" is -0.5. Throws EConvertError for a part that
// is not a number and EZeroDivide for a zero denominator.
double ParseFraction(const QString &text);

class TnumEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(double asdouble READ GetAsdouble WRITE SetAsdouble)
    Q_PROPERTY(int asinteger READ GetAsinteger WRITE SetAsinteger)
    Q_PROPERTY(int precision READ GetPrecision WRITE SetPrecision)

public:
    // Starts with the text "0" and precision 4.
    explicit TnumEdit(QWidget *parent = nullptr);

    double GetAsdouble() const { return Asdouble; }
    // Shows x with precision decimals unless the text already stands for x at that precision
    // (3/8 stays 3/8 for 0.375, 2.0000 stays for 2). The hint shows the value of a fraction.
    // Throws EConvertError, and changes nothing, while the text is not a number.
    void SetAsdouble(double x);
    int32_t GetAsinteger() const { return Asinteger; }
    // Stores the value; the text stays as it is.
    void SetAsinteger(int32_t v);
    int32_t GetPrecision() const { return Precision; }
    // Shows the value again with the new number of decimals.
    void SetPrecision(int32_t v);

    // Raised after the text changed to a number, whose value is then stored.
    std::function<void(TnumEdit *)> OnChange;

private:
    void TextChanged();
    // Puts the locale's decimal separator in place of the first "." and the first ",";
    // false when the text had none to replace.
    bool NormaliseSeparators();
    void ReadText();
    QString Formatted(double x) const;

    double Asdouble = 0;
    int32_t Asinteger = 0;
    int32_t Precision = 4;
};
