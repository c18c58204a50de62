#pragma once
// Colours are the system's 32-bit values 0x00BBGGRR. A value 0xFF0000nn names the system
// colour with index nn, resolved from the application palette when it is drawn.
// Every conversion between these values and QColor lives here.

#include <QColor>
#include <cstdint>

using TColor = uint32_t;

constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b)
{
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
constexpr uint8_t GetRValue(TColor c)
{
    return uint8_t(c);
}
constexpr uint8_t GetGValue(TColor c)
{
    return uint8_t(c >> 8);
}
constexpr uint8_t GetBValue(TColor c)
{
    return uint8_t(c >> 16);
}

// System colour indices.
enum TSystemColorIndex : uint8_t {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
};

constexpr TColor SystemColorFlag = 0xFF000000u;
constexpr TColor SystemColor(uint8_t index)
{
    return SystemColorFlag | index;
}
constexpr bool IsSystemColor(TColor c)
{
    return (c & 0xFFFFFF00u) == SystemColorFlag;
}

constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clWhite = RGB(255, 255, 255);
constexpr TColor clRed = RGB(255, 0, 0);
constexpr TColor clLime = RGB(0, 255, 0);
constexpr TColor clBlue = RGB(0, 0, 255);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);

// A plain 0x00BBGGRR value: system colours resolved from the application palette,
// other values with their top byte cleared.
TColor ColorToRGB(TColor c);

// Opaque QColor of a colour value (system colours resolved).
QColor ToQColor(TColor c);

// The 0x00BBGGRR value of a QColor; alpha is dropped.
TColor FromQColor(const QColor &c);
