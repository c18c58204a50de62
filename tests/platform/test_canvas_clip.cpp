#include "common/testsupport.h"
#include "platform/canvas.h"

#include <QPainter>
#include <QPicture>
#include <functional>
#include <gmock/gmock.h>

namespace {

QImage Filled(int width, int height, TColor c)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(ToQColor(c));
    return image;
}

// Whether every pixel that differs from the background lies inside the region, and how many do.
struct TInk {
    int Inside = 0;
    int Outside = 0;
};

TInk InkAgainst(const QImage &image, const QRegion &region, TColor background = clWhite)
{
    TInk ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(image, x, y) != background)
                ++(region.contains(QPoint(x, y)) ? ink.Inside : ink.Outside);
    return ink;
}

// Draws on a white 40 x 40 image through a canvas with the given clip set up first.
QImage DrawnWith(const std::function<void(Tcanvas &)> &clip, const std::function<void(Tcanvas &)> &draw)
{
    QImage image = WhiteImage(40, 40);
    Tcanvas canvas(&image);
    canvas.Pen().SetColor(clRed);
    canvas.Brush().SetColor(clRed);
    clip(canvas);
    draw(canvas);
    canvas.Unbind();
    return image;
}

void ClipToMiddle(Tcanvas &canvas)
{
    canvas.SetClipRect({10, 10, 30, 30});
}

const QRegion Middle(10, 10, 20, 20);

// Every kind of drawing the canvas does, each covering the whole 40 x 40 image or crossing it.
const std::vector<std::pair<const char *, std::function<void(Tcanvas &)>>> &Operations()
{
    static const QImage source = Filled(8, 8, clRed);
    static const std::vector<std::pair<const char *, std::function<void(Tcanvas &)>>> operations = {
        {"FillRect",
         [](Tcanvas &c) {
             c.FillRect({0, 0, 40, 40});
         }},
        {"FrameRect",
         [](Tcanvas &c) {
             c.FrameRect({0, 15, 40, 25});
         }},
        {"Rectangle",
         [](Tcanvas &c) {
             c.Brush().SetColor(clBlue);
             c.Rectangle({0, 0, 40, 40});
         }},
        {"Rectangle with a wide pen",
         [](Tcanvas &c) {
             c.Pen().SetWidth(7);
             c.Rectangle({10, 10, 30, 30});
         }},
        {"Xor rectangle",
         [](Tcanvas &c) {
             c.Pen().SetMode(TPenMode::Xor);
             c.Rectangle({0, 0, 40, 40});
         }},
        {"Hatch",
         [](Tcanvas &c) {
             c.Brush().SetStyle(TBrushStyle::DiagCross);
             c.FillRect({0, 0, 40, 40});
         }},
        {"Line",
         [](Tcanvas &c) {
             c.MoveTo(0, 20);
             c.LineTo(40, 20);
             c.MoveTo(0, 0);
             c.LineTo(40, 37);
         }},
        {"Dotted line",
         [](Tcanvas &c) {
             c.Pen().SetStyle(TPenStyle::Dot);
             c.Brush().SetColor(clBlue);
             c.MoveTo(20, 0);
             c.LineTo(20, 40);
         }},
        {"Wide line",
         [](Tcanvas &c) {
             c.Pen().SetWidth(5);
             c.MoveTo(0, 15);
             c.LineTo(40, 25);
         }},
        {"Draw",
         [](Tcanvas &c) {
             for (int y = 0; y < 40; y += 8)
                 for (int x = 0; x < 40; x += 8)
                     c.Draw(x, y, source);
         }},
        {"CopyRect",
         [](Tcanvas &c) {
             c.CopyRect({0, 0, 40, 40}, source, {0, 0, 8, 8});
         }},
        {"AlphaBlend",
         [](Tcanvas &c) {
             c.AlphaBlend({0, 0, 40, 40}, source, {0, 0, 8, 8}, 128, false);
         }},
        {"Text",
         [](Tcanvas &c) {
             c.Font().SetHeight(-30);
             TRect r{0, 0, 40, 40};
             c.DrawTextEx(QStringLiteral("WWW\r\nWWW"), r, DT_NOCLIP);
         }},
        {"TextOut", [](Tcanvas &c) { c.TextOut(0, 5, QStringLiteral("Hello")); }},
        {"FocusRect",
         [](Tcanvas &c) {
             c.DrawFocusRect({2, 15, 38, 25});
         }},
    };
    return operations;
}

} // namespace

TEST(CanvasClip, EveryOperationStaysInsideTheClipRect)
{
    for (const auto &[name, draw] : Operations()) {
        const QImage unclipped = DrawnWith([](Tcanvas &) {}, draw);
        const QImage clipped = DrawnWith(ClipToMiddle, draw);
        const TInk ink = InkAgainst(clipped, Middle);
        EXPECT_EQ(ink.Outside, 0) << name;
        EXPECT_GT(ink.Inside, 0) << name;
        EXPECT_GT(InkAgainst(unclipped, Middle).Outside, 0) << name << " draws outside when unclipped";
        // Inside, the drawing is the same as without the clip.
        int differing = 0;
        for (int y = 10; y < 30; ++y)
            for (int x = 10; x < 30; ++x)
                differing += PixelAt(clipped, x, y) != PixelAt(unclipped, x, y);
        EXPECT_EQ(differing, 0) << name;
    }
}

TEST(CanvasClip, ExcludedRectangleLeavesAHoleInEveryOperation)
{
    const QRegion hole(12, 12, 16, 16);
    for (const auto &[name, draw] : Operations()) {
        const QImage unclipped = DrawnWith([](Tcanvas &) {}, draw);
        const QImage holed = DrawnWith([](Tcanvas &c) { c.ExcludeClipRect({12, 12, 28, 28}); }, draw);
        EXPECT_EQ(InkAgainst(holed, hole).Inside, 0) << name;
        EXPECT_GT(InkAgainst(unclipped, hole).Inside, 0) << name;
        int differing = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                if (!hole.contains(QPoint(x, y)))
                    differing += PixelAt(holed, x, y) != PixelAt(unclipped, x, y);
        EXPECT_EQ(differing, 0) << name;
    }
}

TEST(CanvasClip, ExclusionsTakeFromTheCurrentRegion)
{
    const QImage image = DrawnWith(
        [](Tcanvas &c) {
            c.SetClipRect({10, 10, 30, 30});
            c.ExcludeClipRect({0, 0, 20, 20});
            c.ExcludeClipRect({25, 25, 25, 40}); // empty: nothing taken
            c.ExcludeClipRect({26, 40, 25, 25}); // inverted: nothing taken
        },
        [](Tcanvas &c) {
            c.FillRect({0, 0, 40, 40});
        });
    const QRegion expected = QRegion(10, 10, 20, 20) - QRegion(0, 0, 20, 20);
    const TInk ink = InkAgainst(image, expected);
    EXPECT_EQ(ink.Outside, 0);
    EXPECT_EQ(ink.Inside, 20 * 20 - 10 * 10);
}

TEST(CanvasClip, SetClipRectReplacesTheRegion)
{
    const QImage image = DrawnWith(
        [](Tcanvas &c) {
            c.ExcludeClipRect({0, 0, 40, 40});
            c.SetClipRect({5, 6, 7, 9});
        },
        [](Tcanvas &c) {
            c.FillRect({0, 0, 40, 40});
        });
    const TInk ink = InkAgainst(image, QRegion(5, 6, 2, 3));
    EXPECT_EQ(ink.Outside, 0);
    EXPECT_EQ(ink.Inside, 6);
}

TEST(CanvasClip, EmptyOrInvertedRectangleClipsEverythingAway)
{
    for (TRect r : {TRect{10, 10, 10, 30}, TRect{10, 10, 30, 10}, TRect{30, 30, 10, 10}}) {
        for (const auto &[name, draw] : Operations()) {
            const QImage image = DrawnWith([r](Tcanvas &c) { c.SetClipRect(r); }, draw);
            EXPECT_EQ(image, WhiteImage(40, 40)) << name << " " << r;
        }
    }
}

TEST(CanvasClip, RemoveClipRestoresTheWholeTarget)
{
    QImage image = WhiteImage(20, 20);
    Tcanvas canvas(&image);
    EXPECT_FALSE(canvas.HasClip());
    canvas.SetClipRect({0, 0, 0, 0});
    EXPECT_TRUE(canvas.HasClip());
    canvas.Brush().SetColor(clRed);
    canvas.FillRect({0, 0, 20, 20});
    EXPECT_EQ(PixelAt(image, 5, 5), clWhite);
    canvas.RemoveClip();
    EXPECT_FALSE(canvas.HasClip());
    canvas.FillRect({0, 0, 20, 20});
    canvas.ExcludeClipRect({5, 5, 6, 6});
    EXPECT_TRUE(canvas.HasClip());
    canvas.RemoveClip();
    canvas.Brush().SetColor(clBlue);
    canvas.FillRect({0, 0, 20, 20});
    canvas.Unbind();
    EXPECT_EQ(InkAgainst(image, QRegion(0, 0, 20, 20), clBlue).Inside, 0);
}

TEST(CanvasClip, PersistsAcrossCallsUntilTheNextBinding)
{
    QImage image = WhiteImage(20, 20);
    Tcanvas canvas(&image);
    canvas.Brush().SetColor(clRed);
    canvas.SetClipRect({0, 0, 10, 20});
    for (int i = 0; i < 3; ++i) {
        canvas.FillRect({0, 0, 20, 20});
        canvas.Rectangle({0, 0, 20, 20});
    }
    EXPECT_EQ(PixelAt(image, 15, 5), clWhite);
    EXPECT_EQ(PixelAt(image, 5, 5), clRed);
    canvas.Bind(&image);
    EXPECT_FALSE(canvas.HasClip());
    canvas.Brush().SetColor(clRed);
    canvas.FillRect({0, 0, 20, 20});
    canvas.Unbind();
    EXPECT_EQ(PixelAt(image, 15, 5), clRed);
    // Without a target there is no region to set.
    canvas.SetClipRect({0, 0, 1, 1});
    EXPECT_FALSE(canvas.HasClip());
}

TEST(CanvasClip, IsInPainterCoordinatesAndLeavesABorrowedPainterAsItWas)
{
    QImage image = WhiteImage(30, 30);
    {
        QPainter painter(&image);
        painter.translate(3, 5);
        painter.setClipRect(QRect(0, 0, 10, 30)); // the lender's own clip, in its coordinates
        {
            Tcanvas canvas(&painter);
            canvas.Brush().SetColor(clRed);
            canvas.SetClipRect({2, 2, 20, 6});
            canvas.FillRect({-3, -5, 27, 25});
            canvas.MoveTo(-3, 4);
            canvas.LineTo(27, 4);
        }
        EXPECT_EQ(painter.clipRegion(), QRegion(0, 0, 10, 30));
        painter.setClipping(false);
        painter.fillRect(QRect(20, 20, 2, 2), Qt::blue);
    }
    // Canvas clip (2..19, 2..5) and lender clip (0..9) in painter coordinates, moved by (3, 5).
    const TInk ink = InkAgainst(image, QRegion(5, 7, 8, 4) + QRegion(23, 25, 2, 2));
    EXPECT_EQ(ink.Outside, 0);
    EXPECT_EQ(ink.Inside, 8 * 4 + 4);
}

TEST(CanvasClip, HatchAndLinesKeepTheirPatternInsideTheClip)
{
    // Clipping does not shift patterns: the hatch and the dots stay anchored to the device.
    const auto draw = [](Tcanvas &c) {
        c.Brush().SetStyle(TBrushStyle::Cross);
        c.FillRect({0, 0, 40, 40});
        c.Pen().SetStyle(TPenStyle::Dash);
        c.Pen().SetColor(clBlue);
        c.MoveTo(0, 33);
        c.LineTo(40, 33);
    };
    const QImage whole = DrawnWith([](Tcanvas &) {}, draw);
    const QImage clipped = DrawnWith([](Tcanvas &c) { c.SetClipRect({7, 9, 31, 35}); }, draw);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 7 && x < 31 && y >= 9 && y < 35;
            ASSERT_EQ(PixelAt(clipped, x, y), inside ? PixelAt(whole, x, y) : clWhite) << x << "," << y;
        }
}

TEST(CanvasClip, AppliesOnVectorTargets)
{
    QPicture picture;
    {
        Tcanvas canvas(&picture);
        canvas.Brush().SetColor(clRed);
        canvas.SetClipRect({5, 5, 15, 15});
        canvas.ExcludeClipRect({8, 8, 12, 12});
        canvas.FillRect({0, 0, 20, 20});
        canvas.MoveTo(0, 6);
        canvas.LineTo(20, 6);
    }
    QImage image = WhiteImage(20, 20);
    {
        QPainter painter(&image);
        picture.play(&painter);
    }
    const QRegion region = QRegion(5, 5, 10, 10) - QRegion(8, 8, 4, 4);
    const TInk ink = InkAgainst(image, region);
    EXPECT_EQ(ink.Outside, 0);
    EXPECT_EQ(ink.Inside, 100 - 16);
}

TEST(CanvasClip, TextIsClippedByTheCanvasClipAndItsBox)
{
    QImage image = WhiteImage(120, 60);
    Tcanvas canvas(&image);
    canvas.Font().SetHeight(-40);
    canvas.Brush().SetColor(clBlue);
    canvas.SetClipRect({10, 0, 60, 60});
    TRect box{0, 5, 100, 30};
    canvas.DrawTextEx(QStringLiteral("WWWWWW"), box, 0);
    canvas.Unbind();
    const TInk ink = InkAgainst(image, QRegion(10, 5, 50, 25));
    EXPECT_EQ(ink.Outside, 0);
    EXPECT_GT(ink.Inside, 200);
}

TEST(CanvasFocusRect, DrawingItTwiceRestoresTheImage)
{
    for (TRect r : {TRect{3, 4, 25, 19}, TRect{0, 0, 1, 1}, TRect{2, 2, 3, 20}, TRect{-5, -4, 20, 21}}) {
        QImage image = Filled(30, 30, RGB(10, 200, 30));
        for (int x = 0; x < 30; ++x)
            image.setPixelColor(x, x, Qt::black);
        const QImage original = image.copy();
        Tcanvas canvas(&image);
        canvas.DrawFocusRect(r);
        EXPECT_NE(image, original) << r;
        canvas.DrawFocusRect(r);
        canvas.Unbind();
        EXPECT_EQ(image, original) << r;
    }
}

TEST(CanvasFocusRect, InvertsEveryOtherPixelOfTheOutermostFrame)
{
    const TColor ground = RGB(10, 200, 30);
    const TColor inverted = ground ^ 0xFFFFFF;
    QImage image = Filled(30, 30, ground);
    {
        Tcanvas canvas(&image);
        canvas.Pen().SetMode(TPenMode::Copy); // pen, brush and mix mode play no part
        canvas.Brush().SetColor(clRed);
        canvas.DrawFocusRect({3, 4, 25, 19});
    }
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool frame =
                x >= 3 && x <= 24 && y >= 4 && y <= 18 && (x == 3 || x == 24 || y == 4 || y == 18);
            const bool dot = frame && (x + y) % 2 == 0;
            ASSERT_EQ(PixelAt(image, x, y), dot ? inverted : ground) << x << "," << y;
            EXPECT_EQ(qAlpha(image.pixel(x, y)), 255);
        }
}

TEST(CanvasFocusRect, DotsStayOnTheDeviceGridAndInsideTheClip)
{
    QImage image = WhiteImage(30, 30);
    {
        QPainter painter(&image);
        painter.translate(1, 0);
        Tcanvas canvas(&painter);
        canvas.SetClipRect({0, 0, 10, 30});
        canvas.DrawFocusRect({0, 0, 20, 10});
    }
    for (int x = 0; x < 30; ++x)
        EXPECT_EQ(PixelAt(image, x, 0) == clBlack, x >= 1 && x <= 10 && x % 2 == 0) << x;
}

TEST(CanvasFocusRect, IsADottedBlackFrameOnVectorTargets)
{
    QPicture picture;
    {
        Tcanvas canvas(&picture);
        canvas.DrawFocusRect({2, 2, 12, 8});
    }
    QImage image = WhiteImage(16, 12);
    {
        QPainter painter(&image);
        picture.play(&painter);
    }
    int black = 0, other = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool frame =
                x >= 2 && x <= 11 && y >= 2 && y <= 7 && (x == 2 || x == 11 || y == 2 || y == 7);
            const TColor c = PixelAt(image, x, y);
            black += c == clBlack && frame;
            other += c != clWhite && !frame;
        }
    EXPECT_EQ(other, 0);
    EXPECT_GE(black, 10);
    EXPECT_LE(black, 20); // dotted: about half of the 28 frame pixels
}
