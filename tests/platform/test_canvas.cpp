#include "common/testsupport.h"
#include "platform/canvas.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QPixmap>
#include <cstdlib>
#include <gmock/gmock.h>
#include <numeric>
#include <string>
#include <vector>

using testing::ElementsAre;

namespace {

QImage Filled(int width, int height, TColor c, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(width, height, format);
    image.fill(ToQColor(c));
    return image;
}

// The image as rows of characters: '.' for white, '#' for ink, 'o' for other, '?' for the rest.
std::vector<std::string> Picture(const QImage &image, TColor ink, TColor other = clBlue)
{
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x) {
            const TColor c = PixelAt(image, x, y);
            row += c == clWhite ? '.' : c == ink ? '#' : c == other ? 'o' : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

int Alpha(const QImage &image, int x, int y)
{
    return qAlpha(image.pixel(x, y));
}

// The pixels a system hatch covers, by position within its 8 x 8 cell.
bool HatchCovers(TBrushStyle style, int x, int y)
{
    const bool horizontal = y == 4, vertical = x == 4, forward = x == y, backward = x + y == 7;
    switch (style) {
    case TBrushStyle::Horizontal:
        return horizontal;
    case TBrushStyle::Vertical:
        return vertical;
    case TBrushStyle::FDiagonal:
        return forward;
    case TBrushStyle::BDiagonal:
        return backward;
    case TBrushStyle::Cross:
        return horizontal || vertical;
    default:
        return forward || backward;
    }
}

constexpr TBrushStyle HatchStyles[] = {TBrushStyle::Horizontal, TBrushStyle::Vertical,
                                       TBrushStyle::FDiagonal,  TBrushStyle::BDiagonal,
                                       TBrushStyle::Cross,      TBrushStyle::DiagCross};

// Every pixel of the image is red exactly where the hatch covers it at the given scale.
void ExpectHatch(const QImage &image, TBrushStyle style, int scale)
{
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((PixelAt(image, x, y) == clRed) != HatchCovers(style, x / scale % 8, y / scale % 8))
                ++wrong;
    EXPECT_EQ(wrong, 0) << "style " << int(style) << " scale " << scale;
}

// Lengths of the runs of equal colour along row y, from x = 0 up to (not including) end.
std::vector<int> RunLengths(const QImage &image, int y, int end)
{
    std::vector<int> runs{1};
    for (int x = 1; x < end; ++x) {
        if (PixelAt(image, x, y) == PixelAt(image, x - 1, y))
            ++runs.back();
        else
            runs.push_back(1);
    }
    return runs;
}

} // namespace

TEST(CanvasBinding, ImagesAreRasterAtScreenResolution)
{
    QImage image = WhiteImage(4, 4);
    image.setDotsPerMeterX(23622); // 600 dpi
    image.setDotsPerMeterY(23622);
    Tcanvas canvas(&image);
    EXPECT_TRUE(canvas.IsBound());
    EXPECT_TRUE(canvas.IsRaster());
    EXPECT_EQ(canvas.DpiX(), 96);
    EXPECT_EQ(canvas.DpiY(), 96);
    canvas.Unbind();
    EXPECT_FALSE(canvas.IsBound());
    EXPECT_FALSE(image.paintingActive());
}

TEST(CanvasBinding, DeviceKindDecidesRasterAndResolution)
{
    QPixmap pixmap(4, 4);
    QPicture picture;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(600);
    struct Case {
        QPaintDevice *device;
        bool raster;
        int dpi;
    };
    const Case cases[] = {
        {&pixmap, true, pixmap.logicalDpiX()}, {&picture, false, picture.logicalDpiX()}, {&pdf, false, 600}};
    for (const Case &c : cases) {
        Tcanvas canvas(c.device);
        EXPECT_TRUE(canvas.IsBound());
        EXPECT_EQ(canvas.IsRaster(), c.raster) << c.device->devType();
        EXPECT_EQ(canvas.DpiX(), c.dpi) << c.device->devType();
    }
}

TEST(CanvasBinding, NullImageLeavesCanvasUnboundAndDrawingHarmless)
{
    QImage image;
    Tcanvas canvas(&image);
    EXPECT_FALSE(canvas.IsBound());
    canvas.FillRect({0, 0, 5, 5});
    canvas.LineTo(5, 5);
    EXPECT_FALSE(canvas.AlphaBlend({0, 0, 1, 1}, WhiteImage(1, 1), {0, 0, 1, 1}, 255, false));
    EXPECT_EQ(canvas.PenPos(), (TPoint{5, 5}));
}

TEST(CanvasBinding, BorrowedPainterComesBackUnchanged)
{
    QImage image = WhiteImage(10, 10);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.setPen(QPen(Qt::green, 3));
    {
        Tcanvas canvas(&painter);
        EXPECT_TRUE(canvas.IsRaster());
        canvas.Pen().SetMode(TPenMode::Xor);
        canvas.Rectangle({1, 1, 8, 8});
        canvas.LineTo(9, 9);
    }
    EXPECT_TRUE(painter.isActive());
    EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_Multiply);
    EXPECT_EQ(painter.pen().width(), 3);
}

TEST(CanvasBinding, ResolutionOverrideLastsUntilTheNextBinding)
{
    QImage image = WhiteImage(4, 4);
    Tcanvas canvas(&image);
    canvas.SetResolution(300);
    EXPECT_EQ(canvas.DpiX(), 300);
    EXPECT_EQ(canvas.DpiY(), 300);
    canvas.Bind(&image);
    EXPECT_EQ(canvas.DpiX(), 96);
}

TEST(CanvasPixels, FillRectCoversLeftTopUpToRightBottomExclusive)
{
    QImage image = WhiteImage(6, 5);
    {
        Tcanvas canvas(&image);
        canvas.Brush().SetColor(clRed);
        canvas.FillRect({1, 1, 4, 3});
        canvas.FillRect({5, 0, 5, 5}); // empty
        canvas.FillRect({4, 4, 2, 2}); // reversed
    }
    EXPECT_THAT(Picture(image, clRed), ElementsAre("......", ".###..", ".###..", "......", "......"));
}

TEST(CanvasPixels, FillRectListFillsEachRectangleAsFillRectDoesAndStaysInTheClip)
{
    QImage image = WhiteImage(8, 5);
    {
        Tcanvas canvas(&image);
        canvas.Brush().SetColor(clRed);
        canvas.Brush().SetStyle(TBrushStyle::DiagCross); // the colour only: a code's modules are solid
        canvas.Pen().SetMode(TPenMode::Xor);             // always copied
        canvas.SetClipRect({0, 0, 7, 5});
        // A plain one, a reversed one, an empty one, and one the clip cuts.
        const std::vector<TRect> rects{{0, 0, 2, 2}, {3, 1, 1, 4}, {4, 4, 4, 4}, {5, 3, 9, 5}};
        canvas.FillRectList(rects);
    }
    EXPECT_THAT(Picture(image, clRed),
                ElementsAre("##......", "###.....", ".##.....", ".##..##.", ".....##."));
}

TEST(CanvasPixels, FrameRectUsesOutermostPixelsOfItsArea)
{
    struct Case {
        TRect r;
        std::vector<std::string> picture;
    };
    const Case cases[] = {
        {{1, 1, 5, 5}, {"......", ".####.", ".#..#.", ".#..#.", ".####.", "......"}},
        {{1, 1, 2, 5}, {"......", ".#....", ".#....", ".#....", ".#....", "......"}},
        {{1, 2, 5, 3}, {"......", "......", ".####.", "......", "......", "......"}},
        {{1, 1, 3, 3}, {"......", ".##...", ".##...", "......", "......", "......"}},
    };
    for (const Case &c : cases) {
        QImage image = WhiteImage(6, 6);
        {
            Tcanvas canvas(&image);
            canvas.Brush().SetColor(clRed);
            canvas.FrameRect(c.r);
        }
        EXPECT_EQ(Picture(image, clRed), c.picture) << c.r;
    }
    QImage image = WhiteImage(12, 12);
    Tcanvas canvas(&image);
    canvas.Brush().SetColor(clRed);
    canvas.FrameRect({0, 0, 10, 10});
    canvas.Unbind();
    EXPECT_EQ(PixelAt(image, 9, 9), clRed);
    EXPECT_EQ(PixelAt(image, 10, 10), clWhite);
    EXPECT_EQ(PixelAt(image, 1, 1), clWhite);
}

TEST(CanvasPixels, RectangleOutlinesWithPenAndFillsWithBrush)
{
    QImage image = WhiteImage(7, 6);
    {
        Tcanvas canvas(&image);
        canvas.Pen().SetColor(clRed);
        canvas.Brush().SetColor(clBlue);
        canvas.Rectangle({6, 5, 1, 1}); // corners in either order
    }
    EXPECT_THAT(Picture(image, clRed),
                ElementsAre(".......", ".#####.", ".#ooo#.", ".#ooo#.", ".#####.", "......."));
}

TEST(CanvasPixels, RectangleWithClearPenFillsOnePixelLessRightAndBottom)
{
    QImage image = WhiteImage(6, 5);
    {
        Tcanvas canvas(&image);
        canvas.Pen().SetStyle(TPenStyle::Clear);
        canvas.Brush().SetColor(clBlue);
        canvas.Rectangle({1, 1, 5, 4});
    }
    EXPECT_THAT(Picture(image, clRed), ElementsAre("......", ".ooo..", ".ooo..", "......", "......"));
}

TEST(CanvasPixels, WidePensCentreOnTheFrameOrStayInside)
{
    // Row 15 across a rectangle (10, 10, 20, 20): which columns are pen and which brush.
    struct Case {
        TPenStyle style;
        int width;
        int penLeft, brushLeft, brushRight, penRight; // inclusive columns
    };
    const Case cases[] = {{TPenStyle::Solid, 3, 9, 12, 17, 20},
                          {TPenStyle::Solid, 4, 8, 12, 16, 20}, // the odd pixel goes outside
                          {TPenStyle::Solid, 5, 8, 13, 16, 21},
                          {TPenStyle::InsideFrame, 3, 10, 13, 16, 19},
                          {TPenStyle::Dash, 3, 9, 12, 17, 20}};
    for (const Case &c : cases) {
        QImage image = WhiteImage(30, 30);
        {
            Tcanvas canvas(&image);
            canvas.Pen().SetColor(clRed);
            canvas.Pen().SetWidth(c.width);
            canvas.Pen().SetStyle(c.style);
            canvas.Brush().SetColor(clBlue);
            canvas.Rectangle({10, 10, 20, 20});
        }
        std::string expected(30, '.');
        for (int x = c.penLeft; x <= c.penRight; ++x)
            expected[x] = x < c.brushLeft || x > c.brushRight ? '#' : 'o';
        EXPECT_EQ(Picture(image, clRed)[15], expected) << "width " << c.width;
        EXPECT_EQ(Picture(image, clRed)[c.penLeft][15], '#') << "top edge, width " << c.width;
    }
}

TEST(CanvasPixels, WidePenRoundsTheOuterCorners)
{
    QImage image = WhiteImage(30, 30);
    {
        Tcanvas canvas(&image);
        canvas.Pen().SetColor(clRed);
        canvas.Pen().SetWidth(5);
        canvas.Rectangle({10, 10, 20, 20});
    }
    EXPECT_EQ(PixelAt(image, 8, 8), clWhite);
    EXPECT_EQ(PixelAt(image, 8, 10), clRed);
    EXPECT_EQ(PixelAt(image, 10, 8), clRed);
}

TEST(CanvasPixels, LineToExcludesItsEndPointAndMovesThePen)
{
    struct Case {
        TPoint from, to;
    };
    const Case cases[] = {
        {{1, 1}, {8, 1}}, {{8, 2}, {1, 2}}, {{3, 0}, {3, 9}}, {{0, 0}, {9, 9}}, {{9, 0}, {0, 9}}};
    for (const Case &c : cases) {
        QImage image = WhiteImage(10, 10);
        Tcanvas canvas(&image);
        canvas.MoveTo(c.from.X, c.from.Y);
        canvas.LineTo(c.to.X, c.to.Y);
        EXPECT_EQ(canvas.PenPos(), c.to);
        canvas.Unbind();
        const int length = std::max(std::abs(c.to.X - c.from.X), std::abs(c.to.Y - c.from.Y));
        for (int i = 0; i <= length; ++i) {
            const int x = c.from.X + (c.to.X - c.from.X) * i / length;
            const int y = c.from.Y + (c.to.Y - c.from.Y) * i / length;
            EXPECT_EQ(PixelAt(image, x, y) == clBlack, i < length)
                << c.from << " to " << c.to << " step " << i;
        }
        int drawn = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                drawn += PixelAt(image, x, y) == clBlack;
        EXPECT_EQ(drawn, length) << c.from << " to " << c.to;
    }
}

TEST(CanvasPixels, ShallowLineTakesOnePixelPerColumnNearestTheIdealLine)
{
    QImage image = WhiteImage(12, 5);
    {
        Tcanvas canvas(&image);
        canvas.MoveTo(0, 0);
        canvas.LineTo(10, 3);
    }
    for (int x = 0; x < 12; ++x) {
        std::vector<int> rows;
        for (int y = 0; y < 5; ++y)
            if (PixelAt(image, x, y) == clBlack)
                rows.push_back(y);
        if (x >= 10) {
            EXPECT_TRUE(rows.empty()) << x;
            continue;
        }
        ASSERT_EQ(rows.size(), 1u) << x;
        EXPECT_LE(std::abs(rows[0] * 10 - 3 * x), 5) << x;
    }
}

TEST(CanvasPixels, LinesFarOutsideTheImageDrawOnlyTheirVisiblePart)
{
    QImage image = WhiteImage(10, 10);
    {
        Tcanvas canvas(&image);
        canvas.MoveTo(-2000000000, 5);
        canvas.LineTo(2000000000, 5);
    }
    EXPECT_EQ(RunLengths(image, 5, 10), std::vector<int>{10});
    EXPECT_EQ(PixelAt(image, 0, 5), clBlack);
}

TEST(CanvasPixels, StyledPensRunTheirPatternsWithGapsInTheSolidBrushColour)
{
    struct Case {
        TPenStyle style;
        std::vector<int> runs;
    };
    const Case cases[] = {{TPenStyle::Dash, {18, 6, 18, 6}},
                          {TPenStyle::Dot, {3, 3, 3, 3, 3, 3, 3, 3}},
                          {TPenStyle::DashDot, {9, 6, 3, 6, 9, 6, 3, 6}},
                          {TPenStyle::DashDotDot, {9, 3, 3, 3, 3, 3, 9, 3, 3, 3, 3, 3}}};
    for (const Case &c : cases) {
        const int length = std::accumulate(c.runs.begin(), c.runs.end(), 0);
        QImage image = WhiteImage(length + 2, 3);
        {
            Tcanvas canvas(&image);
            canvas.Pen().SetColor(clRed);
            canvas.Pen().SetStyle(c.style);
            canvas.Brush().SetColor(clBlue);
            canvas.MoveTo(0, 1);
            canvas.LineTo(length, 1);
        }
        EXPECT_EQ(RunLengths(image, 1, length), c.runs) << int(c.style);
        EXPECT_EQ(PixelAt(image, 0, 1), clRed);
        EXPECT_EQ(PixelAt(image, c.runs[0], 1), clBlue);
        EXPECT_EQ(PixelAt(image, length, 1), clWhite);
    }
}

TEST(CanvasPixels, StyledPenGapsStayUntouchedWithoutSolidBrush)
{
    QImage image = Filled(30, 3, clLime);
    {
        Tcanvas canvas(&image);
        canvas.Pen().SetStyle(TPenStyle::Dot);
        canvas.Brush().SetStyle(TBrushStyle::Clear);
        canvas.MoveTo(0, 1);
        canvas.LineTo(30, 1);
    }
    EXPECT_EQ(PixelAt(image, 1, 1), clBlack);
    EXPECT_EQ(PixelAt(image, 4, 1), clLime);
}

TEST(CanvasPixels, StyledRectangleOutlineCoversEachFramePixelOnce)
{
    QImage image = WhiteImage(12, 12);
    {
        Tcanvas canvas(&image);
        canvas.Pen().SetColor(clRed);
        canvas.Pen().SetStyle(TPenStyle::Dot);
        canvas.Pen().SetMode(TPenMode::Xor); // a pixel drawn twice would show its starting colour
        canvas.Brush().SetColor(clBlack);
        canvas.Rectangle({1, 1, 11, 11});
    }
    int dots = 0, gaps = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool frame =
                (x == 1 || x == 10 || y == 1 || y == 10) && x >= 1 && x <= 10 && y >= 1 && y <= 10;
            const TColor c = PixelAt(image, x, y);
            if (!frame) {
                EXPECT_EQ(c, clWhite) << x << "," << y; // outside, or the interior XOR black
                continue;
            }
            dots += c == (clWhite ^ clRed);
            gaps += c == clWhite; // the gaps XOR the black brush
        }
    EXPECT_EQ(dots + gaps, 36);
    EXPECT_EQ(dots, 18);
}

TEST(CanvasPixels, ClearPenDrawsNoLineButMovesThePen)
{
    QImage image = WhiteImage(10, 10);
    Tcanvas canvas(&image);
    canvas.Pen().SetStyle(TPenStyle::Clear);
    canvas.LineTo(9, 0);
    canvas.Unbind();
    EXPECT_EQ(canvas.PenPos(), (TPoint{9, 0}));
    EXPECT_EQ(RunLengths(image, 0, 10), std::vector<int>{10});
    EXPECT_EQ(PixelAt(image, 0, 0), clWhite);
}

TEST(CanvasPixels, WideLineIsCentredWithRoundEnds)
{
    QImage image = WhiteImage(40, 20);
    {
        Tcanvas canvas(&image);
        canvas.Pen().SetWidth(5);
        canvas.MoveTo(10, 10);
        canvas.LineTo(30, 10);
    }
    EXPECT_PIXELS(image, {20, 8, clBlack}, {20, 12, clBlack}, {20, 7, clWhite}, {20, 13, clWhite},
                  {31, 10, clBlack}, {32, 8, clWhite});
}

TEST(CanvasMixModes, EveryModeCombinesPenAndDestinationOpaquely)
{
    using Rule = uint32_t (*)(uint32_t p, uint32_t d);
    struct Case {
        TPenMode mode;
        Rule rule;
    };
    const Case cases[] = {
        {TPenMode::Black, [](uint32_t, uint32_t) { return 0u; }},
        {TPenMode::White, [](uint32_t, uint32_t) { return ~0u; }},
        {TPenMode::Nop, [](uint32_t, uint32_t d) { return d; }},
        {TPenMode::Not, [](uint32_t, uint32_t d) { return ~d; }},
        {TPenMode::Copy, [](uint32_t p, uint32_t) { return p; }},
        {TPenMode::NotCopy, [](uint32_t p, uint32_t) { return ~p; }},
        {TPenMode::MergePenNot, [](uint32_t p, uint32_t d) { return p | ~d; }},
        {TPenMode::MaskPenNot, [](uint32_t p, uint32_t d) { return p & ~d; }},
        {TPenMode::MergeNotPen, [](uint32_t p, uint32_t d) { return ~p | d; }},
        {TPenMode::MaskNotPen, [](uint32_t p, uint32_t d) { return ~p & d; }},
        {TPenMode::Merge, [](uint32_t p, uint32_t d) { return p | d; }},
        {TPenMode::NotMerge, [](uint32_t p, uint32_t d) { return ~(p | d); }},
        {TPenMode::Mask, [](uint32_t p, uint32_t d) { return p & d; }},
        {TPenMode::NotMask, [](uint32_t p, uint32_t d) { return ~(p & d); }},
        {TPenMode::Xor, [](uint32_t p, uint32_t d) { return p ^ d; }},
        {TPenMode::NotXor, [](uint32_t p, uint32_t d) { return ~(p ^ d); }},
    };
    const TColor pen = RGB(0xCC, 0xF0, 0x0F);
    const TColor dest = RGB(0xAA, 0x3C, 0x5A);
    for (QImage::Format format :
         {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
        for (const Case &c : cases) {
            QImage image = Filled(12, 12, dest, format);
            {
                Tcanvas canvas(&image);
                canvas.Pen().SetColor(pen);
                canvas.Pen().SetMode(c.mode);
                canvas.Brush().SetColor(pen);
                canvas.Rectangle({2, 2, 8, 8});
                canvas.MoveTo(0, 10);
                canvas.LineTo(10, 10);
            }
            const TColor expected = c.rule(pen, dest) & 0xFFFFFF;
            for (const QPoint &p : {QPoint(2, 2), QPoint(4, 4), QPoint(5, 10)}) {
                EXPECT_EQ(PixelAt(image, p.x(), p.y()), expected)
                    << "mode " << int(c.mode) << " format " << format;
                EXPECT_EQ(Alpha(image, p.x(), p.y()), 255) << "mode " << int(c.mode) << " format " << format;
            }
            EXPECT_EQ(PixelAt(image, 0, 0), dest);
        }
    }
}

TEST(CanvasMixModes, FillRectAndFrameRectAlwaysCopyTheBrush)
{
    QImage image = Filled(10, 10, clBlue);
    {
        Tcanvas canvas(&image);
        canvas.Pen().SetMode(TPenMode::Xor);
        canvas.Brush().SetColor(clRed);
        canvas.FillRect({0, 0, 5, 5});
        canvas.FrameRect({5, 5, 10, 10});
    }
    EXPECT_EQ(PixelAt(image, 2, 2), clRed);
    EXPECT_EQ(PixelAt(image, 5, 5), clRed);
    EXPECT_EQ(PixelAt(image, 7, 7), clBlue);
}

TEST(CanvasMixModes, XorRectangleTwiceRestoresTheImage)
{
    for (TBrushStyle brush : {TBrushStyle::Solid, TBrushStyle::Cross, TBrushStyle::Clear}) {
        QImage image = Filled(30, 30, RGB(10, 200, 30));
        const QImage original = image.copy();
        {
            Tcanvas canvas(&image);
            canvas.Pen().SetMode(TPenMode::Xor);
            canvas.Pen().SetColor(clRed);
            canvas.Pen().SetStyle(TPenStyle::Dot);
            canvas.Brush().SetColor(clLime);
            canvas.Brush().SetStyle(brush);
            canvas.Rectangle({3, 3, 25, 25});
            canvas.Pen().SetWidth(4);
            canvas.Pen().SetStyle(TPenStyle::Solid);
            canvas.Rectangle({6, 6, 20, 20});
            EXPECT_NE(image, original);
            canvas.Rectangle({6, 6, 20, 20});
            canvas.Pen().SetWidth(1);
            canvas.Pen().SetStyle(TPenStyle::Dot);
            canvas.Rectangle({3, 3, 25, 25});
        }
        EXPECT_EQ(image, original) << int(brush);
    }
}

TEST(CanvasNonRaster, EveryMixModeDrawsAsCopy)
{
    QPicture picture;
    {
        Tcanvas canvas(&picture);
        canvas.Pen().SetColor(clRed);
        canvas.Brush().SetColor(clLime);
        canvas.Pen().SetMode(TPenMode::Xor);
        canvas.Rectangle({2, 2, 10, 10});
        canvas.Pen().SetMode(TPenMode::Not);
        canvas.MoveTo(0, 15);
        canvas.LineTo(12, 15);
    }
    QImage image = Filled(20, 20, clBlue);
    {
        QPainter painter(&image);
        picture.play(&painter);
    }
    EXPECT_PIXELS(image, {5, 2, clRed}, {5, 5, clLime}, {5, 15, clRed}, {5, 18, clBlue});
}

TEST(CanvasNonRaster, StyledLinesScaleAndFillGapsWithTheBrush)
{
    struct Case {
        int dpi;
        int x;
        TColor expected;
    };
    // Dashes are 18 on, 6 off at 96 dpi: column 20 is a gap there and a dash at twice the scale.
    const Case cases[] = {{96, 9, clRed}, {96, 20, clLime}, {192, 20, clRed}, {192, 40, clLime}};
    for (const Case &c : cases) {
        QPicture picture;
        {
            Tcanvas canvas(&picture);
            canvas.SetResolution(c.dpi);
            canvas.Pen().SetColor(clRed);
            canvas.Pen().SetStyle(TPenStyle::Dash);
            canvas.Brush().SetColor(clLime);
            canvas.MoveTo(0, 2);
            canvas.LineTo(60, 2);
        }
        QImage image = WhiteImage(64, 5);
        {
            QPainter painter(&image);
            picture.play(&painter);
        }
        EXPECT_EQ(PixelAt(image, c.x, 2), c.expected) << c.dpi << " dpi, x " << c.x;
    }
}

TEST(CanvasHatches, FollowTheSystemPatternsAndKeepTheGround)
{
    for (TBrushStyle style : HatchStyles) {
        QImage image = WhiteImage(32, 32);
        {
            Tcanvas canvas(&image);
            canvas.Brush().SetColor(clRed);
            canvas.Brush().SetStyle(style);
            canvas.FillRect({0, 0, 32, 32});
        }
        ExpectHatch(image, style, 1);
    }
}

TEST(CanvasHatches, AreAnchoredToTheDeviceOrigin)
{
    for (TBrushStyle style : HatchStyles) {
        QImage image = WhiteImage(32, 32);
        {
            QPainter painter(&image);
            painter.translate(3, 5);
            Tcanvas canvas(&painter);
            canvas.Brush().SetColor(clRed);
            canvas.Brush().SetStyle(style);
            canvas.FillRect({-3, -5, 2, 29});
            canvas.FillRect({2, -5, 29, 27});
        }
        ExpectHatch(image, style, 1);
    }
}

TEST(CanvasHatches, ScaleWithTheResolutionOnRasterAndVectorTargets)
{
    struct Case {
        int dpi;
        int scale;
    };
    const Case cases[] = {{96, 1}, {120, 1}, {192, 2}, {600, 6}};
    for (const Case &c : cases) {
        for (TBrushStyle style : {TBrushStyle::Cross, TBrushStyle::DiagCross}) {
            QImage raster = WhiteImage(100, 100);
            {
                Tcanvas canvas(&raster);
                canvas.SetResolution(c.dpi);
                canvas.Brush().SetColor(clRed);
                canvas.Brush().SetStyle(style);
                canvas.FillRect({0, 0, 100, 100});
            }
            ExpectHatch(raster, style, c.scale);

            QPicture picture;
            {
                Tcanvas canvas(&picture);
                canvas.SetResolution(c.dpi);
                canvas.Brush().SetColor(clRed);
                canvas.Brush().SetStyle(style);
                canvas.FillRect({0, 0, 100, 100});
            }
            QImage played = WhiteImage(100, 100);
            {
                QPainter painter(&played);
                picture.play(&painter);
            }
            ExpectHatch(played, style, c.scale);
        }
    }
}

TEST(CanvasHatches, MixModeAppliesToTheHatchLinesOnly)
{
    QImage image = WhiteImage(16, 16);
    {
        Tcanvas canvas(&image);
        canvas.Pen().SetStyle(TPenStyle::Clear);
        canvas.Pen().SetMode(TPenMode::Not);
        canvas.Brush().SetStyle(TBrushStyle::Horizontal);
        canvas.Rectangle({0, 0, 17, 17});
    }
    EXPECT_EQ(PixelAt(image, 7, 4), clBlack);
    EXPECT_EQ(PixelAt(image, 7, 12), clBlack);
    EXPECT_EQ(PixelAt(image, 7, 5), clWhite);
}

TEST(CanvasBlits, DrawCombinesSourceAndDestinationByCopyMode)
{
    using Rule = uint32_t (*)(uint32_t s, uint32_t d);
    struct Case {
        TCopyMode mode;
        Rule rule;
    };
    const Case cases[] = {{TCopyMode::SrcCopy, [](uint32_t s, uint32_t) { return s; }},
                          {TCopyMode::SrcInvert, [](uint32_t s, uint32_t d) { return s ^ d; }},
                          {TCopyMode::SrcAnd, [](uint32_t s, uint32_t d) { return s & d; }},
                          {TCopyMode::SrcPaint, [](uint32_t s, uint32_t d) { return s | d; }},
                          {TCopyMode::NotSrcCopy, [](uint32_t s, uint32_t) { return ~s; }}};
    const TColor src = RGB(0xCC, 0xF0, 0x0F);
    const TColor dest = RGB(0xAA, 0x3C, 0x5A);
    // A transparent source pixel is copied by its colour bits, as a block transfer does.
    QImage source(3, 2, QImage::Format_ARGB32);
    source.fill(QColor(GetRValue(src), GetGValue(src), GetBValue(src), 0));
    for (const Case &c : cases) {
        QImage image = Filled(8, 8, dest);
        {
            Tcanvas canvas(&image);
            canvas.SetCopyMode(c.mode);
            canvas.Draw(4, 5, source);
        }
        EXPECT_EQ(PixelAt(image, 4, 5), c.rule(src, dest) & 0xFFFFFF) << int(c.mode);
        EXPECT_EQ(PixelAt(image, 6, 6), c.rule(src, dest) & 0xFFFFFF) << int(c.mode);
        EXPECT_EQ(Alpha(image, 6, 6), 255);
        EXPECT_EQ(PixelAt(image, 3, 5), dest);
        EXPECT_EQ(PixelAt(image, 7, 5), dest);
        EXPECT_EQ(PixelAt(image, 4, 7), dest);
    }
}

TEST(CanvasBlits, CopyRectStretchesByNearestPixelOrSmoothly)
{
    QImage source(3, 1, QImage::Format_RGB32);
    source.setPixel(0, 0, 0xFF00FF00);
    source.setPixel(1, 0, 0xFFFF0000);
    source.setPixel(2, 0, 0xFF0000FF);
    for (TStretchMode mode : {TStretchMode::ColorOnColor, TStretchMode::Halftone}) {
        QImage image = WhiteImage(10, 1);
        {
            Tcanvas canvas(&image);
            canvas.SetStretchMode(mode);
            canvas.CopyRect({1, 0, 9, 1}, source, {1, 0, 3, 1});
        }
        EXPECT_PIXELS(image, {0, 0, clWhite}, {1, 0, clRed}, {8, 0, clBlue}, {9, 0, clWhite});
        int blends = 0;
        for (int x = 1; x < 9; ++x) {
            const TColor c = PixelAt(image, x, 0);
            EXPECT_EQ(GetGValue(c), 0) << x;
            blends += c != clRed && c != clBlue;
        }
        if (mode == TStretchMode::ColorOnColor)
            EXPECT_EQ(RunLengths(image, 0, 10), (std::vector<int>{1, 4, 4, 1}));
        else
            EXPECT_GT(blends, 0);
    }
}

TEST(CanvasBlits, CopyRectAppliesTheCopyMode)
{
    QImage source = Filled(1, 1, clRed, QImage::Format_RGB32);
    QImage image = Filled(4, 4, clWhite);
    {
        Tcanvas canvas(&image);
        canvas.SetCopyMode(TCopyMode::SrcInvert);
        canvas.CopyRect({0, 0, 4, 2}, source, {0, 0, 1, 1});
    }
    EXPECT_EQ(PixelAt(image, 3, 1), clWhite ^ clRed);
    EXPECT_EQ(PixelAt(image, 3, 2), clWhite);
}

TEST(CanvasBlits, AlphaBlendMixesByConstantAndPerPixelAlpha)
{
    struct Case {
        uint32_t word; // 0xAARRGGBB, premultiplied when per-pixel alpha is used
        uint8_t constantAlpha;
        bool perPixel;
    };
    const Case cases[] = {{0x00FF0000, 128, false}, {0xFF0000FF, 64, false}, {0x40FF0000, 255, false},
                          {0x80800000, 255, true},  {0x80800000, 128, true}, {0xFF00FF00, 200, true},
                          {0x00000000, 255, true},  {0x80808080, 0, true}};
    const TColor dest = RGB(40, 120, 240);
    for (const Case &c : cases)
        for (QImage::Format format : {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied}) {
            QImage source(2, 2, format);
            source.fill(0);
            reinterpret_cast<uint32_t *>(source.scanLine(1))[1] = c.word;
            QImage image = Filled(6, 6, dest);
            Tcanvas canvas(&image);
            EXPECT_TRUE(canvas.AlphaBlend({1, 1, 5, 5}, source, {1, 1, 2, 2}, c.constantAlpha, c.perPixel));
            canvas.Unbind();
            const double ca = c.constantAlpha / 255.0;
            const double sa = c.perPixel ? qAlpha(c.word) / 255.0 : 1.0;
            const int s[] = {qRed(c.word), qGreen(c.word), qBlue(c.word)};
            const int d[] = {GetRValue(dest), GetGValue(dest), GetBValue(dest)};
            const TColor got = PixelAt(image, 4, 4);
            const int g[] = {GetRValue(got), GetGValue(got), GetBValue(got)};
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(g[k], s[k] * ca + d[k] * (1 - sa * ca), 1.5)
                    << std::hex << c.word << " channel " << k;
            EXPECT_EQ(Alpha(image, 4, 4), 255);
            EXPECT_EQ(PixelAt(image, 0, 0), dest);
            EXPECT_EQ(PixelAt(image, 5, 5), dest);
        }
}

TEST(CanvasBlits, AlphaBlendRefusesRectanglesOutsideOrEmpty)
{
    const QImage source = Filled(4, 4, clRed);
    struct Case {
        TRect dest, src;
    };
    const Case cases[] = {{{0, 0, 4, 4}, {-1, 0, 3, 4}}, {{0, 0, 4, 4}, {0, 0, 5, 4}},
                          {{0, 0, 4, 4}, {0, 1, 4, 5}},  {{0, 0, 4, 4}, {2, 2, 2, 4}},
                          {{0, 0, 4, 4}, {3, 0, 1, 4}},  {{0, 0, 0, 4}, {0, 0, 4, 4}},
                          {{0, 4, 4, 2}, {0, 0, 4, 4}}};
    for (const Case &c : cases) {
        QImage image = WhiteImage(8, 8);
        const QImage original = image.copy();
        Tcanvas canvas(&image);
        EXPECT_FALSE(canvas.AlphaBlend(c.dest, source, c.src, 255, false)) << c.dest << " " << c.src;
        canvas.CopyRect(c.dest, source, c.src);
        canvas.Unbind();
        EXPECT_EQ(image, original);
    }
}
