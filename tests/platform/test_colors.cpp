#include "common/testsupport.h"
#include "platform/canvas.h"
#include "platform/colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <gmock/gmock.h>

namespace {

// Installs a palette with a different colour in every entry for one test, and puts the
// application's palette back afterwards.
class DistinctPalette {
public:
    DistinctPalette() : Saved(QGuiApplication::palette())
    {
        QPalette palette;
        int n = 1;
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Disabled, QPalette::Inactive})
            for (int role = 0; role < QPalette::NColorRoles; ++role, ++n)
                palette.setColor(group, QPalette::ColorRole(role), QColor(n * 3, 255 - n, n * 7 % 256));
        QGuiApplication::setPalette(palette);
    }
    ~DistinctPalette() { QGuiApplication::setPalette(Saved); }

private:
    QPalette Saved;
};

TColor PaletteColor(QPalette::ColorGroup group, QPalette::ColorRole role)
{
    return FromQColor(QGuiApplication::palette().color(group, role));
}

} // namespace

TEST(Colors, PlainValuesKeepTheirLowThreeBytes)
{
    struct Case {
        TColor value;
        int r, g, b;
    };
    const Case cases[] = {
        {0x000000FF, 255, 0, 0},        {0x00FF0000, 0, 0, 255},
        {0x00123456, 0x56, 0x34, 0x12}, {0x02123456, 0x56, 0x34, 0x12}, // palette-relative flag
        {0xFF000100, 0, 1, 0},                                          // not a system colour index
        {0x7F00FF00, 0, 255, 0}};
    for (const Case &c : cases) {
        EXPECT_EQ(ColorToRGB(c.value), RGB(c.r, c.g, c.b)) << std::hex << c.value;
        const QColor q = ToQColor(c.value);
        EXPECT_EQ(q, QColor(c.r, c.g, c.b)) << std::hex << c.value;
        EXPECT_EQ(q.alpha(), 255);
    }
}

TEST(Colors, FromQColorDropsAlphaAndAcceptsAnyColourModel)
{
    EXPECT_EQ(FromQColor(QColor(10, 20, 30, 0)), RGB(10, 20, 30));
    EXPECT_EQ(FromQColor(QColor::fromHsv(0, 255, 255)), clRed);
    EXPECT_EQ(FromQColor(QColor::fromCmyk(255, 0, 255, 0)), clLime);
    EXPECT_EQ(FromQColor(ToQColor(RGB(1, 2, 3))), RGB(1, 2, 3));
}

TEST(Colors, SystemColoursFollowTheApplicationPalette)
{
    const DistinctPalette palette;
    struct Case {
        uint8_t index;
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    };
    const Case cases[] = {{COLOR_BTNFACE, QPalette::Active, QPalette::Button},
                          {COLOR_HIGHLIGHT, QPalette::Active, QPalette::Highlight},
                          {COLOR_HIGHLIGHTTEXT, QPalette::Active, QPalette::HighlightedText},
                          {COLOR_BTNSHADOW, QPalette::Active, QPalette::Dark},
                          {COLOR_BTNHIGHLIGHT, QPalette::Active, QPalette::Light},
                          {COLOR_WINDOW, QPalette::Active, QPalette::Base},
                          {COLOR_WINDOWTEXT, QPalette::Active, QPalette::Text},
                          {COLOR_BTNTEXT, QPalette::Active, QPalette::ButtonText},
                          {COLOR_INFOBK, QPalette::Active, QPalette::ToolTipBase},
                          {COLOR_INFOTEXT, QPalette::Active, QPalette::ToolTipText},
                          {COLOR_GRAYTEXT, QPalette::Disabled, QPalette::Text},
                          {COLOR_3DDKSHADOW, QPalette::Active, QPalette::Shadow},
                          {COLOR_3DLIGHT, QPalette::Active, QPalette::Midlight},
                          {COLOR_MENU, QPalette::Active, QPalette::Window},
                          {COLOR_MENUTEXT, QPalette::Active, QPalette::WindowText},
                          {200, QPalette::Active, QPalette::Window}};
    for (const Case &c : cases) {
        const TColor expected = PaletteColor(c.group, c.role);
        EXPECT_EQ(ColorToRGB(SystemColor(c.index)), expected) << int(c.index);
        EXPECT_EQ(FromQColor(ToQColor(SystemColor(c.index))), expected) << int(c.index);
    }
}

TEST(Colors, CanvasResolvesSystemColoursWhenItDraws)
{
    const DistinctPalette palette;
    QImage image = WhiteImage(4, 4);
    {
        Tcanvas canvas(&image);
        canvas.Brush().SetColor(clBtnFace);
        canvas.FillRect({0, 0, 4, 4});
    }
    EXPECT_EQ(PixelAt(image, 2, 2), PaletteColor(QPalette::Active, QPalette::Button));
}
