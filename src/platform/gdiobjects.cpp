#include "platform/gdiobjects.h"

#include <cstdlib>
#include <limits>

namespace {

// a * b / c rounded to the nearest, halves away from zero, as the system's MulDiv does;
// -1 when c is 0 or the result does not fit.
int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    const int64_t product = int64_t(a) * b;
    const int64_t divisor = std::llabs(int64_t(c));
    const int64_t magnitude = (std::llabs(product) + divisor / 2) / divisor;
    if (magnitude > std::numeric_limits<int32_t>::max())
        return -1;
    return int32_t((product < 0) != (c < 0) ? -magnitude : magnitude);
}

} // namespace

void Tpen::SetColor(TColor c)
{
    Changing();
    FColor = c;
    Changed();
}

void Tpen::SetStyle(TPenStyle s)
{
    Changing();
    FStyle = s;
    Changed();
}

void Tpen::SetMode(TPenMode m)
{
    Changing();
    FMode = m;
    Changed();
}

void Tpen::SetWidth(int32_t w)
{
    Changing();
    FWidth = w;
    Changed();
}

void Tpen::Assign(const Tpen &other)
{
    Changing();
    FColor = other.FColor;
    FStyle = other.FStyle;
    FMode = other.FMode;
    FWidth = other.FWidth;
    Changed();
}

void Tbrush::SetColor(TColor c)
{
    Changing();
    FColor = c;
    Changed();
}

void Tbrush::SetStyle(TBrushStyle s)
{
    Changing();
    FStyle = s;
    Changed();
}

void Tbrush::Assign(const Tbrush &other)
{
    Changing();
    FColor = other.FColor;
    FStyle = other.FStyle;
    Changed();
}

int32_t Tfont::Size() const
{
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void Tfont::SetName(const QString &name)
{
    Changing();
    FName = name;
    Changed();
}

void Tfont::SetHeight(int32_t h)
{
    Changing();
    FHeight = h;
    Changed();
}

void Tfont::SetColor(TColor c)
{
    Changing();
    FColor = c;
    Changed();
}

void Tfont::SetStyle(uint8_t bits)
{
    Changing();
    FStyle = bits;
    Changed();
}

void Tfont::SetCharset(uint8_t c)
{
    Changing();
    FCharset = c;
    Changed();
}

void Tfont::SetPixelsPerInch(int32_t ppi)
{
    Changing();
    FPixelsPerInch = ppi;
    Changed();
}

void Tfont::SetSize(int32_t points)
{
    Changing();
    FHeight = -MulDiv(points, FPixelsPerInch, 72);
    Changed();
}

void Tfont::Assign(const Tfont &other)
{
    Changing();
    FName = other.FName;
    FHeight = other.FHeight;
    FColor = other.FColor;
    FStyle = other.FStyle;
    FCharset = other.FCharset;
    FPixelsPerInch = other.FPixelsPerInch;
    Changed();
}

bool Tfont::SameAs(const Tfont &other) const
{
    return FName == other.FName && FHeight == other.FHeight && FColor == other.FColor &&
           FStyle == other.FStyle && FCharset == other.FCharset && FPixelsPerInch == other.FPixelsPerInch;
}
