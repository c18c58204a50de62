#include "platform/colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

struct TPaletteEntry {
    QPalette::ColorGroup Group;
    QPalette::ColorRole Role;
};

// The palette entry that stands for each system colour index; indices without an entry
// of their own fall back to the window background.
TPaletteEntry PaletteEntryOf(uint8_t index)
{
    constexpr QPalette::ColorGroup active = QPalette::Active;
    switch (index) {
    case COLOR_SCROLLBAR:
    case COLOR_BTNFACE:
        return {active, QPalette::Button};
    case COLOR_WINDOW:
        return {active, QPalette::Base};
    case COLOR_WINDOWTEXT:
        return {active, QPalette::Text};
    case COLOR_WINDOWFRAME:
    case COLOR_MENUTEXT:
        return {active, QPalette::WindowText};
    case COLOR_ACTIVECAPTION:
    case COLOR_HIGHLIGHT:
        return {active, QPalette::Highlight};
    case COLOR_CAPTIONTEXT:
    case COLOR_HIGHLIGHTTEXT:
        return {active, QPalette::HighlightedText};
    case COLOR_APPWORKSPACE:
        return {active, QPalette::Mid};
    case COLOR_BTNSHADOW:
        return {active, QPalette::Dark};
    case COLOR_GRAYTEXT:
        return {QPalette::Disabled, QPalette::Text};
    case COLOR_INACTIVECAPTIONTEXT:
        return {QPalette::Disabled, QPalette::WindowText};
    case COLOR_BTNTEXT:
        return {active, QPalette::ButtonText};
    case COLOR_BTNHIGHLIGHT:
        return {active, QPalette::Light};
    case COLOR_3DDKSHADOW:
        return {active, QPalette::Shadow};
    case COLOR_3DLIGHT:
        return {active, QPalette::Midlight};
    case COLOR_INFOTEXT:
        return {active, QPalette::ToolTipText};
    case COLOR_INFOBK:
        return {active, QPalette::ToolTipBase};
    default:
        return {active, QPalette::Window};
    }
}

} // namespace

TColor ColorToRGB(TColor c)
{
    if (!IsSystemColor(c))
        return c & 0x00FFFFFFu;
    const TPaletteEntry entry = PaletteEntryOf(uint8_t(c));
    return FromQColor(QGuiApplication::palette().color(entry.Group, entry.Role));
}

QColor ToQColor(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return RGB(uint8_t(rgb.red()), uint8_t(rgb.green()), uint8_t(rgb.blue()));
}
