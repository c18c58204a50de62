// The base object's drawing by pixels: the placeholder, the draft hatch, the selection
// frame with its handles and the blue tint outside the label.

#include "common/testsupport.h"
#include "document/drawobj.h"
#include "platform/canvas.h"

#include <gmock/gmock.h>

namespace {
const TRect View{0, 0, 40, 40};

struct Scene {
    QImage image = WhiteImage(40, 40);
    Tdrawobj object;
    Scene()
    {
        object.SetView(View, 1.0);
        object.SetBounds({10, 10, 30, 30});
    }
};

int Channel(TColor c, int shift)
{
    return int((c >> shift) & 0xFF);
}
} // namespace

TEST(DrawObjPaint, PlaceholderIsABlackBoxWithADiagonal)
{
    Scene s;
    {
        Tcanvas canvas(&s.image);
        s.object.Draw(canvas, View, false, View, 1.0);
    }
    // The diagonal from the top-left corner, the box beside it, and outside.
    EXPECT_PIXELS(s.image, {10, 10, clWhite}, {29, 29, clWhite}, {15, 20, clBlack}, {29, 10, clBlack},
                  {30, 30, clWhite}, {9, 15, clWhite});
    EXPECT_EQ(s.object.OverhangBuffer.Width(), 20);
    EXPECT_EQ(s.object.OverhangBuffer.Height(), 20);
}

TEST(DrawObjPaint, SelectedPlaceholderDrawsItsDiagonalInTheHighlightColour)
{
    Scene s;
    s.object.SetSelected(true);
    {
        Tcanvas canvas(&s.image);
        s.object.Draw(canvas, View, false, View, 1.0);
    }
    EXPECT_EQ(PixelAt(s.image, 20, 20), ColorToRGB(clHighlight));
}

TEST(DrawObjPaint, DraftIsAHatchedOutline)
{
    Scene s;
    {
        Tcanvas canvas(&s.image);
        s.object.DrawDraft(canvas, View, View, 1.0);
    }
    EXPECT_EQ(PixelAt(s.image, 10, 20), clBlack);
    EXPECT_EQ(PixelAt(s.image, 29, 20), clBlack);
    int black = 0, white = 0;
    for (int y = 12; y < 28; ++y)
        for (int x = 12; x < 28; ++x)
            (PixelAt(s.image, x, y) == clBlack ? black : white)++;
    EXPECT_GT(black, 0);
    EXPECT_GT(white, black); // a hatch, not a fill
    EXPECT_EQ(PixelAt(s.image, 5, 5), clWhite);
}

TEST(DrawObjPaint, SelectionFrameAndInvertingHandles)
{
    Scene s;
    s.object.SetSelected(true);
    {
        Tcanvas canvas(&s.image);
        s.object.Draw(canvas, View, false, View, 1.0);
        canvas.Brush().SetColor(clWhite);
        s.object.DrawSelection(canvas, TTool::Select);
        EXPECT_EQ(canvas.Pen().Mode(), TPenMode::Copy);
        EXPECT_EQ(canvas.CopyMode(), TCopyMode::SrcCopy);
    }
    // The frame runs along the object's edge between the handles.
    EXPECT_PIXELS(s.image, {15, 10, clWhite}, {15, 11, clBlack});
    // A handle is a 9 by 9 square around the corner: white border, inverted inside (the white
    // paper at (7, 7), the black box at (12, 11)).
    EXPECT_PIXELS(s.image, {6, 6, clWhite}, {14, 14, clWhite}, {7, 7, clBlack}, {12, 11, clWhite},
                  {5, 5, clWhite});
}

TEST(DrawObjPaint, NoHandlesForToolsThatDoNotShowThem)
{
    Scene s;
    s.object.SetSelected(true);
    {
        Tcanvas canvas(&s.image);
        canvas.Brush().SetColor(clBlack);
        s.object.DrawSelection(canvas, TTool::Text);
    }
    EXPECT_EQ(PixelAt(s.image, 15, 10), clBlack); // the frame still shows
    EXPECT_EQ(PixelAt(s.image, 7, 7), clWhite);
}

TEST(DrawObjPaint, OverhangIsTintedBlueOutsideTheLabel)
{
    Scene s;
    {
        Tcanvas canvas(&s.image);
        s.object.Draw(canvas, View, false, View, 1.0);
        s.image.fill(Qt::white); // look at the tint alone
        s.object.DrawOverhang(canvas, View, {0, 0, 20, 40}, View, 1.0);
    }
    const TColor tinted = PixelAt(s.image, 25, 15);
    // 136/255 of blue over white.
    EXPECT_NEAR(Channel(tinted, 0), 119, 1);
    EXPECT_NEAR(Channel(tinted, 8), 119, 1);
    EXPECT_EQ(Channel(tinted, 16), 255);
    EXPECT_EQ(PixelAt(s.image, 15, 15), clWhite); // inside the label: untouched
    EXPECT_EQ(PixelAt(s.image, 25, 35), clWhite); // below the object
    EXPECT_EQ(PixelAt(s.image, 20, 10), tinted);
}

TEST(DrawObjPaint, AHugePlaceholderTintsWithABoundedBuffer)
{
    // Millions of pixels wide, as a damaged file can make it: the one-colour buffer stays small
    // and is stretched over the part outside the label.
    Scene s;
    s.object.SetBounds({-5000000, 10, 30, 30});
    {
        Tcanvas canvas(&s.image);
        s.object.Draw(canvas, View, false, View, 1.0);
        EXPECT_EQ(s.object.OverhangBuffer.Width(), MaxUniformBufferSide);
        EXPECT_EQ(s.object.OverhangBuffer.Height(), 20);
        s.image.fill(Qt::white);
        s.object.DrawOverhang(canvas, View, {20, 0, 40, 40}, View, 1.0);
    }
    const TColor tinted = PixelAt(s.image, 5, 15);
    EXPECT_NEAR(Channel(tinted, 0), 119, 1);
    EXPECT_NEAR(Channel(tinted, 16), 255, 1);
    EXPECT_EQ(PixelAt(s.image, 25, 15), clWhite); // inside the label
    EXPECT_EQ(PixelAt(s.image, 5, 35), clWhite);  // below the object
}
