// Closed figures by pixels: ellipses, polygons and rounded rectangles stay inside their
// bounds, their outline and inside never overlap, and a clear pen fills one pixel less.

#include "common/testsupport.h"
#include "platform/canvas.h"

#include <array>
#include <functional>
#include <gmock/gmock.h>

namespace {
const TRect Box{10, 20, 70, 60};

QImage Draw(const std::function<void(Tcanvas &)> &paint, int w = 80, int h = 80)
{
    QImage image = WhiteImage(w, h);
    Tcanvas canvas(&image);
    canvas.Brush().SetColor(clRed);
    paint(canvas);
    return image;
}

const std::array<TPoint, 5> Star{TPoint{40, 5}, TPoint{60, 70}, TPoint{8, 28}, TPoint{72, 28},
                                 TPoint{20, 70}};
} // namespace

TEST(CanvasFigures, EllipseStaysInsideItsBounds)
{
    const QImage image = Draw([](Tcanvas &c) { c.Ellipse(Box); });
    // The corner (11, 21) lies outside the curve.
    EXPECT_PIXELS(image, {10, 40, clBlack}, {9, 40, clWhite}, {69, 40, clBlack}, {70, 40, clWhite},
                  {40, 20, clBlack}, {40, 59, clBlack}, {40, 60, clWhite}, {40, 40, clRed},
                  {11, 21, clWhite});
}

TEST(CanvasFigures, AClearPenFillsOnePixelLess)
{
    const QImage image = Draw([](Tcanvas &c) {
        c.Pen().SetStyle(TPenStyle::Clear);
        c.Ellipse(Box);
    });
    EXPECT_PIXELS(image, {10, 40, clRed}, {68, 40, clRed}, {69, 40, clWhite}, {40, 59, clWhite});
}

TEST(CanvasFigures, XorTwiceRestoresEveryFigure)
{
    const std::vector<std::function<void(Tcanvas &)>> figures = {
        [](Tcanvas &c) { c.Ellipse(Box); },
        [](Tcanvas &c) { c.RoundRect(Box, 20, 16); },
        [](Tcanvas &c) { c.Polygon(Star); },
    };
    for (int width : {1, 5}) {
        for (size_t i = 0; i < figures.size(); ++i) {
            QImage image = WhiteImage(80, 80);
            for (int y = 0; y < 80; y += 3)
                for (int x = 0; x < 80; ++x)
                    image.setPixel(x, y, qRgb(x * 3, y * 3, 90));
            const QImage before = image.copy();
            Tcanvas canvas(&image);
            canvas.Pen().SetMode(TPenMode::Xor);
            canvas.Pen().SetWidth(width);
            canvas.Pen().SetColor(RGB(0, 200, 255));
            canvas.Brush().SetColor(RGB(255, 255, 0));
            figures[i](canvas);
            EXPECT_NE(image, before) << i;
            figures[i](canvas);
            EXPECT_EQ(image, before) << "figure " << i << " width " << width;
        }
    }
}

TEST(CanvasFigures, PolygonsFillAlternately)
{
    const QImage image = Draw([](Tcanvas &c) {
        c.Pen().SetStyle(TPenStyle::Clear);
        c.Polygon(Star);
    });
    EXPECT_EQ(PixelAt(image, 40, 40), clWhite); // the star's middle is crossed twice
    EXPECT_EQ(PixelAt(image, 40, 15), clRed);   // a point
    EXPECT_EQ(PixelAt(image, 2, 2), clWhite);
}

TEST(CanvasFigures, RoundRectCutsItsCorners)
{
    const QImage image = Draw([](Tcanvas &c) { c.RoundRect(Box, 30, 30); });
    EXPECT_PIXELS(image, {10, 20, clWhite}, {40, 20, clBlack}, {10, 40, clBlack}, {40, 40, clRed});
    // Corners of 0 give a plain rectangle.
    const QImage square = Draw([](Tcanvas &c) { c.RoundRect(Box, 0, 0); });
    EXPECT_EQ(PixelAt(square, 10, 20), clBlack);
}

TEST(CanvasFigures, InsideFrameKeepsAWidePenInside)
{
    const QImage centred = Draw([](Tcanvas &c) {
        c.Pen().SetWidth(6);
        c.Ellipse(Box);
    });
    const QImage inside = Draw([](Tcanvas &c) {
        c.Pen().SetWidth(6);
        c.Pen().SetStyle(TPenStyle::InsideFrame);
        c.Ellipse(Box);
    });
    EXPECT_EQ(PixelAt(centred, 8, 40), clBlack);
    EXPECT_EQ(PixelAt(inside, 8, 40), clWhite);
    EXPECT_EQ(PixelAt(inside, 10, 40), clBlack);
    EXPECT_EQ(PixelAt(inside, 15, 40), clBlack);
}

TEST(CanvasFigures, FiguresRespectTheClip)
{
    const QImage image = Draw([](Tcanvas &c) {
        c.SetClipRect({0, 0, 40, 80});
        c.Ellipse(Box);
    });
    EXPECT_EQ(PixelAt(image, 30, 40), clRed);
    EXPECT_EQ(PixelAt(image, 50, 40), clWhite);
    EXPECT_EQ(PixelAt(image, 69, 40), clWhite);
}
