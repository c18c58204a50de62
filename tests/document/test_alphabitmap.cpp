#include "document/alphabitmap.h"
#include "platform/rnd.h"

#include <gmock/gmock.h>

namespace {
uint32_t &At(Talphabitmap &b, int i)
{
    return b.Pixels()[i];
}
} // namespace

TEST(AlphaBitmap, SidesOfZeroOrLessHoldNoPixels)
{
    Talphabitmap b;
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Pixels(), nullptr);
    b.SetWidth(10);
    EXPECT_EQ(b.Width(), 0); // the height is still 0
    b.SetHeight(5);
    EXPECT_EQ(b.Width(), 10);
    EXPECT_EQ(b.Height(), 5);
    EXPECT_EQ(b.ClientRect(), (TRect{0, 0, 10, 5}));
    EXPECT_EQ(At(b, 49), 0u); // new pixels are all 0
    b.SetHeight(-1);
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.PixelCount(), 0);
    b.SetAlpha(7); // nothing to do, and no failure
    EXPECT_FALSE(b.Canvas().IsBound());
}

TEST(AlphaBitmap, RecreatingEndsTheCanvasFirst)
{
    Talphabitmap b;
    b.SetSize(4, 4);
    b.Canvas().Brush().SetColor(clRed);
    b.Canvas().FillRect({0, 0, 4, 4});
    EXPECT_EQ(b.GetImage().pixel(3, 3), 0xFFFF0000u);
    b.SetSize(8, 2);
    b.Canvas().Brush().SetColor(clBlue);
    b.Canvas().FillRect({0, 0, 8, 2});
    EXPECT_EQ(b.GetImage().pixel(7, 1), 0xFF0000FFu);
}

TEST(AlphaBitmap, SetAndInvertAlpha)
{
    Talphabitmap b;
    b.SetSize(2, 1);
    At(b, 0) = 0x10203040u;
    At(b, 1) = 0xFFABCDEFu;
    b.SetAlpha(255);
    EXPECT_FALSE(b.HasAlpha);
    EXPECT_EQ(At(b, 0), 0xFF203040u);
    b.SetAlpha(0x80);
    EXPECT_TRUE(b.HasAlpha);
    EXPECT_EQ(At(b, 1), 0x80ABCDEFu);
    At(b, 0) = 0x30203040u;
    b.InvertAlpha();
    EXPECT_EQ(At(b, 0), 0xCF203040u);
    EXPECT_EQ(At(b, 1), 0x7FABCDEFu);
}

TEST(AlphaBitmap, PremultiplyRoundsToNearest)
{
    Talphabitmap b;
    b.SetSize(4, 1);
    At(b, 0) = 0x80FF8001u; // alpha 128: 255 -> 128, 128 -> 64 (64.25), 1 -> 1 (0.502)
    At(b, 1) = 0x00FFFFFFu; // alpha 0 clears the colour
    At(b, 2) = 0xFF123456u; // alpha 255 keeps it
    At(b, 3) = 0x03FFAA55u; // alpha 3: 255 -> 3, 170 -> 2, 85 -> 1
    b.Premultiply();
    EXPECT_EQ(At(b, 0), 0x80804001u);
    EXPECT_EQ(At(b, 1), 0x00000000u);
    EXPECT_EQ(At(b, 2), 0xFF123456u);
    EXPECT_EQ(At(b, 3), 0x03030201u);
}

TEST(AlphaBitmap, AlphaFromChannelsByMask)
{
    Talphabitmap source, target;
    source.SetSize(2, 1);
    target.SetSize(2, 1);
    source.Pixels()[0] = 0xFF102030u; // red 0x10, green 0x20, blue 0x30
    source.Pixels()[1] = 0xFF204000u; // blue 0
    struct Case {
        TColor mask;
        uint32_t alpha0, alpha1;
    };
    const Case cases[] = {
        {RGB(255, 0, 0), 0x10, 0x20},                // red alone
        {0x008000u, 0x20, 0x40},                     // green: bit 15
        {0x007F00u, 0x00, 0x00},                     // green byte without bit 15: no part
        {RGB(0, 0, 1), 0x30, 0x00},                  // blue alone
        {RGB(1, 0, 1), (0x10 + 0x30) / 2, 0x20 / 2}, // two parts: divided by 2
        {RGB(255, 255, 255), (0x10 + 0x20 + 0x30) / 3, (0x20 + 0x40) / 3},
    };
    for (const Case &c : cases) {
        target.Pixels()[0] = 0x00ABCDEFu;
        target.Pixels()[1] = 0x00ABCDEFu;
        target.AlphaFromChannels(source, c.mask);
        EXPECT_EQ(target.Pixels()[0], (c.alpha0 << 24) | 0xABCDEFu) << std::hex << c.mask;
        EXPECT_EQ(target.Pixels()[1], (c.alpha1 << 24) | 0xABCDEFu) << std::hex << c.mask;
    }
}

TEST(AlphaBitmap, AlphaFromChannelsPairsPixelsFromTheBottomRow)
{
    // A 2 by 2 target and a 3 by 1 source: the source's three pixels go to the target's
    // bottom row and the first pixel of its top row.
    Talphabitmap source, target;
    source.SetSize(3, 1);
    target.SetSize(2, 2);
    source.Pixels()[0] = 0x00110000u;
    source.Pixels()[1] = 0x00220000u;
    source.Pixels()[2] = 0x00330000u;
    target.AlphaFromChannels(source, clRed);
    const QImage &img = target.GetImage();
    EXPECT_EQ(qAlpha(img.pixel(0, 1)), 0x11);
    EXPECT_EQ(qAlpha(img.pixel(1, 1)), 0x22);
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0x33);
    EXPECT_EQ(qAlpha(img.pixel(1, 0)), 0x00);
}

TEST(AlphaBitmap, PremultiplyMatchesRoundingForEveryChannelAndAlpha)
{
    Talphabitmap b;
    b.SetSize(256, 256);
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t c = 0; c < 256; ++c)
            b.Pixels()[a * 256 + c] = (a << 24) | (c << 16) | ((255 - c) << 8) | c;
    b.Premultiply();
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t c = 0; c < 256; ++c) {
            const uint32_t p = b.Pixels()[a * 256 + c];
            const uint32_t expected = uint32_t(rnd(c * a / 255.0));
            ASSERT_EQ((p >> 16) & 0xFF, expected) << "c " << c << " a " << a;
            ASSERT_EQ(p & 0xFF, expected) << "c " << c << " a " << a;
            ASSERT_EQ((p >> 8) & 0xFF, uint32_t(rnd((255 - c) * a / 255.0))) << "c " << c << " a " << a;
            ASSERT_EQ(p >> 24, a);
        }
    }
}
