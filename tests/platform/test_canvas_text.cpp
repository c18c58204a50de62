#include "common/testsupport.h"
#include "platform/canvas.h"
#include "platform/rnd.h"

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <gmock/gmock.h>
#include <limits>

namespace {

constexpr int FontHeight = -20;

// A canvas font of the test's own: Liberation Sans by its real name, 20 pixels em.
void UseTestFont(Tcanvas &canvas, int32_t height = FontHeight)
{
    canvas.Font().SetName(QStringLiteral("Liberation Sans"));
    canvas.Font().SetHeight(height);
}

bool IsInk(const QImage &image, int x, int y, TColor background)
{
    return PixelAt(image, x, y) != background;
}

// The smallest rectangle that holds every pixel differing from the background (null if none).
QRect InkBounds(const QImage &image, TColor background = clWhite)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (IsInk(image, x, y, background))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

int InkCount(const QImage &image, const QRect &area, TColor background = clWhite)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += IsInk(image, x, y, background);
    return count;
}

// The rectangle DT_CALCRECT gives for text from (0, 0) in a box width wide.
TRect Measured(Tcanvas &canvas, const QString &text, uint32_t flags, int width = 1000)
{
    TRect r{0, 0, width, 0};
    canvas.DrawTextEx(text, r, flags | DT_CALCRECT);
    return r;
}

// The ink of text drawn into box on a white image of the given size.
QRect InkOf(const QString &text, TRect box, uint32_t flags, QSize size = QSize(200, 120))
{
    QImage image = WhiteImage(size.width(), size.height());
    {
        Tcanvas canvas(&image);
        UseTestFont(canvas);
        canvas.Brush().SetStyle(TBrushStyle::Clear);
        canvas.DrawTextEx(text, box, flags);
    }
    return InkBounds(image);
}

// The flags text boxes draw with.
constexpr uint32_t TextBoxFlags = DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK;
static_assert(TextBoxFlags == 0x2850);

} // namespace

TEST(CanvasFont, TextOutPutsTheBaselineTheAscentBelowItsTop)
{
    QImage image = WhiteImage(60, 60);
    Tcanvas canvas(&image);
    canvas.Font().SetName(QStringLiteral("Liberation Sans"));
    canvas.Font().SetHeight(-40);
    canvas.Brush().SetStyle(TBrushStyle::Clear);
    const int ascent = canvas.TextAscent();
    EXPECT_EQ(ascent, QFontMetrics(canvas.ResolvedFont(), &image).ascent());
    canvas.TextOut(5, 5, QStringLiteral("H"));
    // The H stands on the baseline: ink in the row above it, none in the row below.
    const auto inkInRow = [&](int y) {
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(image, x, y) != clWhite)
                return true;
        return false;
    };
    EXPECT_TRUE(inkInRow(5 + ascent - 1));
    EXPECT_FALSE(inkInRow(5 + ascent + 1));
}

TEST(CanvasFont, NegativeHeightIsTheEmInDevicePixels)
{
    Tcanvas canvas;
    UseTestFont(canvas, -20);
    EXPECT_EQ(canvas.ResolvedFont().pixelSize(), 20);
    UseTestFont(canvas, -7);
    EXPECT_EQ(canvas.ResolvedFont().pixelSize(), 7);
}

TEST(CanvasFont, HeightsBeyondAnyScreenAreCappedAndDrawInBoundedMemory)
{
    // A damaged record's font at a thumbnail's scale: drawn 4096 pixels high at most, so the
    // glyph cache stays in the tens of megabytes.
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    Tcanvas canvas(&image);
    UseTestFont(canvas, -28149);
    EXPECT_EQ(canvas.ResolvedFont().pixelSize(), 4096);
    UseTestFont(canvas, 2000000000);
    EXPECT_LE(canvas.ResolvedFont().pixelSize(), 4096);
    TRect r{-2000, -3000, 64, 64};
    canvas.DrawTextEx(QStringLiteral("Réserve ✓"), r, DT_NOCLIP);
}

TEST(CanvasFont, PositiveHeightIsTheCellAndGivesASmallerEm)
{
    for (int height : {12, 20, 33, 100}) {
        Tcanvas canvas;
        UseTestFont(canvas, height);
        const QFont cell = canvas.ResolvedFont();
        EXPECT_NEAR(QFontMetrics(cell).height(), height, 1) << height;
        EXPECT_LT(cell.pixelSize(), height) << height;
        EXPECT_EQ(canvas.TextHeight(QString()), QFontMetrics(cell).height());
        UseTestFont(canvas, -height);
        EXPECT_GT(canvas.TextHeight(QString()), height) << "the em plus internal leading";
    }
    // The ink of a capital is smaller too.
    const auto capitalHeight = [](int32_t height) {
        QImage image = WhiteImage(100, 100);
        Tcanvas canvas(&image);
        UseTestFont(canvas, height);
        canvas.TextOut(10, 10, QStringLiteral("H"));
        canvas.Unbind();
        return InkBounds(image).height();
    };
    EXPECT_LT(capitalHeight(40), capitalHeight(-40));
}

TEST(CanvasFont, ZeroHeightIsTheDefaultAtTheCanvasResolution)
{
    QImage image = WhiteImage(4, 4);
    Tcanvas canvas(&image);
    UseTestFont(canvas, 0);
    EXPECT_EQ(canvas.ResolvedFont().pixelSize(), 11);
    canvas.SetResolution(600);
    EXPECT_EQ(canvas.ResolvedFont().pixelSize(), 69);
}

TEST(CanvasFont, WindowsNamesResolveThroughTheSubstitutions)
{
    for (const char *name : {"MS Sans Serif", "Microsoft Sans Serif"}) {
        Tcanvas canvas;
        canvas.Font().SetName(QString::fromLatin1(name));
        EXPECT_EQ(QFontInfo(canvas.ResolvedFont()).family(), QStringLiteral("Liberation Sans")) << name;
    }
    Tcanvas canvas;
    EXPECT_EQ(QFontInfo(canvas.ResolvedFont()).family(), QStringLiteral("Liberation Sans"))
        << "the default font";
    canvas.Font().SetName(QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(QFontInfo(canvas.ResolvedFont()).family(), QStringLiteral("DejaVu Sans"));
}

TEST(CanvasFont, StyleBitsMapOntoTheFont)
{
    Tcanvas canvas;
    EXPECT_FALSE(canvas.ResolvedFont().bold());
    canvas.Font().SetStyle(fsBold | fsItalic | fsUnderline | fsStrikeOut);
    const QFont font = canvas.ResolvedFont();
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.italic());
    EXPECT_TRUE(font.underline());
    EXPECT_TRUE(font.strikeOut());
    EXPECT_TRUE(QFontInfo(font).bold());
    EXPECT_TRUE(QFontInfo(font).italic());
}

TEST(CanvasFont, PixelSizesAreDevicePixelsWhateverTheTargetResolution)
{
    // An image that says it is 600 dpi, standing for a page at that resolution.
    const auto inkHeight = [](int dpi) {
        QImage image = WhiteImage(200, 200);
        image.setDotsPerMeterX(rnd(dpi / 0.0254));
        image.setDotsPerMeterY(rnd(dpi / 0.0254));
        Tcanvas canvas(&image);
        canvas.SetResolution(dpi);
        UseTestFont(canvas, -100);
        EXPECT_EQ(canvas.TextHeight(QString()), QFontMetrics(canvas.ResolvedFont()).height()) << dpi;
        canvas.TextOut(10, 10, QStringLiteral("H"));
        canvas.Unbind();
        return InkBounds(image).height();
    };
    const int atScreen = inkHeight(96);
    EXPECT_NEAR(atScreen, 69, 2); // the cap height of Liberation Sans is 0.69 em
    EXPECT_NEAR(inkHeight(600), atScreen, 1);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(600);
    Tcanvas canvas(&pdf);
    UseTestFont(canvas, -100);
    EXPECT_EQ(canvas.ResolvedFont().pixelSize(), 100);
    EXPECT_EQ(canvas.TextHeight(QString()), QFontMetrics(canvas.ResolvedFont()).height());
    EXPECT_NEAR(canvas.TextHeight(QString()), 112, 1);
}

TEST(CanvasText, WrapsAtWordBoundariesWithinTheWidth)
{
    Tcanvas canvas;
    UseTestFont(canvas);
    const QString text = QStringLiteral("the quick brown fox jumps over the lazy dog");
    const int lineHeight = canvas.TextHeight(text);
    const TRect unwrapped = Measured(canvas, text, 0);
    EXPECT_EQ(unwrapped.Width(), canvas.TextWidth(text));
    EXPECT_EQ(unwrapped.Height(), lineHeight);
    const TRect wrapped = Measured(canvas, text, DT_WORDBREAK, 120);
    EXPECT_LE(wrapped.Width(), 120);
    EXPECT_GE(wrapped.Width(), canvas.TextWidth(QStringLiteral("the quick")));
    EXPECT_EQ(wrapped.Height() % lineHeight, 0);
    EXPECT_GE(wrapped.Height() / lineHeight, 4);
    TRect box{0, 0, 120, 0};
    EXPECT_EQ(canvas.DrawTextEx(text, box, DT_WORDBREAK | DT_CALCRECT), wrapped.Height());

    // No word is cut: every line break falls at a blank.
    const TRect twoWords = Measured(canvas, QStringLiteral("brown fox"), DT_WORDBREAK,
                                    canvas.TextWidth(QStringLiteral("brown fox")) - 1);
    EXPECT_EQ(twoWords.Height(), 2 * lineHeight);
    EXPECT_EQ(twoWords.Width(), canvas.TextWidth(QStringLiteral("brown")));

    // The ink stays inside the width.
    const QRect ink = InkOf(text, {10, 0, 130, 120}, DT_WORDBREAK);
    EXPECT_GE(ink.left(), 10);
    EXPECT_LT(ink.right(), 130);
}

TEST(CanvasText, BreaksAWordWiderThanTheBox)
{
    Tcanvas canvas;
    UseTestFont(canvas);
    const QString word = QStringLiteral("Wwwwwwwwwwwwwwwwwwww");
    const int lineHeight = canvas.TextHeight(word);
    const TRect r = Measured(canvas, word, DT_WORDBREAK, 60);
    EXPECT_LE(r.Width(), 60);
    EXPECT_GT(r.Width(), 30);
    EXPECT_GE(r.Height(), lineHeight * (canvas.TextWidth(word) / 60));
}

TEST(CanvasText, BlanksAtAWrapDoNotCount)
{
    Tcanvas canvas;
    UseTestFont(canvas);
    const QString text = QStringLiteral("HHH      HHH");
    const int width = canvas.TextWidth(QStringLiteral("HHH     ")); // too narrow for the blanks
    const TRect r = Measured(canvas, text, DT_WORDBREAK, width);
    EXPECT_EQ(r.Height(), 2 * canvas.TextHeight(text));
    EXPECT_EQ(r.Width(), canvas.TextWidth(QStringLiteral("HHH")));
    // Right-aligned, both lines end at the right side.
    const QRect first = InkOf(text, {0, 0, 150, 24}, DT_WORDBREAK | DT_RIGHT);
    const QRect both = InkOf(text, {0, 0, 150, 120}, DT_WORDBREAK | DT_RIGHT);
    EXPECT_GE(first.right(), 150 - 3);
    EXPECT_EQ(first.left(), both.left());
    // Blanks before the end of the text do count.
    EXPECT_GT(canvas.TextWidth(QStringLiteral("HHH  ")), canvas.TextWidth(QStringLiteral("HHH")));
    EXPECT_GT(Measured(canvas, QStringLiteral("HHH  \nH"), DT_WORDBREAK).Width(),
              canvas.TextWidth(QStringLiteral("HHH")));
}

TEST(CanvasText, CrLfCrAndLfEachEndALine)
{
    Tcanvas canvas;
    UseTestFont(canvas);
    const int h = canvas.TextHeight(QString());
    struct Case {
        const char *text;
        int lines;
    };
    const Case cases[] = {{"one", 1},          {"one\r\ntwo", 2}, {"one\rtwo", 2},   {"one\ntwo", 2},
                          {"a\r\nb\rc\nd", 4}, {"a\n\rb", 3},     {"a\r\n\r\nb", 3}, {"", 1},
                          {"one\r\n", 2},      {"\n", 2}};
    for (const Case &c : cases) {
        for (uint32_t flags : {0u, uint32_t(DT_WORDBREAK), TextBoxFlags}) {
            TRect r{0, 0, 500, 0};
            EXPECT_EQ(canvas.DrawTextEx(QString::fromLatin1(c.text), r, flags | DT_CALCRECT), c.lines * h)
                << c.text << " flags " << flags;
            EXPECT_EQ(r.Height(), c.lines * h) << c.text;
        }
    }
    EXPECT_EQ(Measured(canvas, QStringLiteral("abc\r\ndefgh"), 0).Width(),
              canvas.TextWidth(QStringLiteral("defgh")));
}

TEST(CanvasText, ATextEndingInALineBreakMeasuresItsLastLine)
{
    // Text boxes measure their text with a character appended, so that a last empty line counts.
    Tcanvas canvas;
    UseTestFont(canvas);
    for (uint32_t flags : {TextBoxFlags, TextBoxFlags | DT_CENTER, TextBoxFlags | DT_RIGHT}) {
        const TRect plain = Measured(canvas, QStringLiteral("text") + u'_', flags, 200);
        const TRect ending = Measured(canvas, QStringLiteral("text\r\n") + u'_', flags, 200);
        EXPECT_EQ(ending.Height(), plain.Height() + canvas.TextHeight(QString())) << flags;
    }
}

TEST(CanvasText, EditControlLeavesOutAPartlyVisibleLastLine)
{
    Tcanvas canvas;
    UseTestFont(canvas);
    const int h = canvas.TextHeight(QString());
    const QString text = QStringLiteral("HHH\r\nHHH\r\nHHH\r\nHHH");
    const TRect box{0, 0, 200, 2 * h + h / 2};
    const QRect partly = InkOf(text, box, DT_WORDBREAK);
    const QRect whole = InkOf(text, box, DT_WORDBREAK | DT_EDITCONTROL);
    EXPECT_GE(partly.bottom(), 2 * h); // the third line shows in part
    EXPECT_LT(partly.bottom(), box.Bottom);
    EXPECT_LT(whole.bottom(), 2 * h); // no ink below the last whole line
    EXPECT_GE(whole.bottom(), h + h / 2);
    EXPECT_EQ(whole.top(), partly.top());
    // A box that holds every line shows them all.
    EXPECT_GE(InkOf(text, {0, 0, 200, 4 * h}, DT_EDITCONTROL).bottom(), 3 * h);
}

TEST(CanvasText, LinesAlignLeftCentreOrRight)
{
    const QString text = QStringLiteral("HHHH\r\nHH");
    const TRect box{20, 10, 180, 80};
    const QRect left = InkOf(text, box, 0);
    const QRect centre = InkOf(text, box, DT_CENTER);
    const QRect right = InkOf(text, box, DT_RIGHT);
    EXPECT_GE(left.left(), 20);
    EXPECT_LE(left.left(), 23);
    EXPECT_NEAR(centre.left() + centre.right() + 1, box.Left + box.Right, 2); // centred within 1 pixel
    EXPECT_LT(right.right(), 180);
    EXPECT_GE(right.right(), 180 - 3);
    // Each line aligns on its own: the short line's ink in the bottom half.
    const auto lineInk = [&](uint32_t flags) {
        QImage image = WhiteImage(200, 120);
        Tcanvas canvas(&image);
        UseTestFont(canvas);
        canvas.Brush().SetStyle(TBrushStyle::Clear);
        TRect r = box;
        canvas.DrawTextEx(text, r, flags);
        const int h = canvas.TextHeight(text);
        canvas.Unbind();
        return InkBounds(image.copy(0, box.Top + h, 200, h)); // the second line
    };
    const QRect shortCentre = lineInk(DT_CENTER);
    EXPECT_NEAR(shortCentre.left() + shortCentre.right() + 1, box.Left + box.Right, 2);
    EXPECT_GT(shortCentre.left(), centre.left() + 10);
    EXPECT_NEAR(lineInk(DT_RIGHT).right(), right.right(), 1);
}

TEST(CanvasText, SingleLineShowsBreaksAsBlanksAndPlacesTheLineVertically)
{
    Tcanvas measure;
    UseTestFont(measure);
    const int h = measure.TextHeight(QString());
    const TRect r = Measured(measure, QStringLiteral("ab\r\ncd"), DT_SINGLELINE | DT_WORDBREAK, 10);
    EXPECT_EQ(r.Height(), h);
    EXPECT_EQ(r.Width(), measure.TextWidth(QStringLiteral("ab cd")));

    // The opaque background shows the line's cell.
    const auto cellRows = [&](uint32_t flags) {
        QImage image = WhiteImage(100, 100);
        Tcanvas canvas(&image);
        UseTestFont(canvas);
        canvas.Brush().SetColor(clBlue);
        TRect box{0, 10, 100, 90};
        canvas.DrawTextEx(QStringLiteral("H"), box, flags | DT_SINGLELINE);
        canvas.Unbind();
        QRect cell;
        for (int y = 0; y < 100; ++y)
            if (PixelAt(image, 0, y) == clBlue)
                cell |= QRect(0, y, 1, 1);
        return std::pair{cell.top(), cell.bottom() + 1};
    };
    EXPECT_EQ(cellRows(DT_TOP), std::pair(10, 10 + h));
    EXPECT_EQ(cellRows(DT_BOTTOM), std::pair(90 - h, 90));
    EXPECT_EQ(cellRows(DT_VCENTER), std::pair(10 + (80 - h) / 2, 10 + (80 - h) / 2 + h));
    // Without DT_SINGLELINE the vertical flags do nothing.
    QImage image = WhiteImage(100, 100);
    Tcanvas canvas(&image);
    UseTestFont(canvas);
    canvas.Brush().SetColor(clBlue);
    TRect box{0, 10, 100, 90};
    canvas.DrawTextEx(QStringLiteral("H"), box, DT_BOTTOM);
    canvas.Unbind();
    EXPECT_EQ(PixelAt(image, 0, 10), clBlue);
}

TEST(CanvasText, CalcRectMeasuresAndDrawsNothing)
{
    QImage image = WhiteImage(100, 60);
    Tcanvas canvas(&image);
    UseTestFont(canvas);
    TRect r{5, 7, 90, 8};
    const int height = canvas.DrawTextEx(QStringLiteral("Hello\r\nworld"), r, DT_CALCRECT);
    canvas.Unbind();
    EXPECT_EQ(image, WhiteImage(100, 60));
    EXPECT_EQ(height, 2 * canvas.TextHeight(QString()));
    EXPECT_EQ(r.Left, 5);
    EXPECT_EQ(r.Top, 7);
    EXPECT_EQ(r.Bottom, 7 + height);
    EXPECT_EQ(r.Right, 5 + canvas.TextWidth(QStringLiteral("world")));
}

TEST(CanvasText, DrawingReturnsTheHeight)
{
    QImage image = WhiteImage(100, 60);
    Tcanvas canvas(&image);
    UseTestFont(canvas);
    TRect r{0, 0, 100, 60};
    EXPECT_EQ(canvas.DrawTextEx(QStringLiteral("a\nb\nc"), r, 0), 3 * canvas.TextHeight(QString()));
    EXPECT_EQ(r, (TRect{0, 0, 100, 60}));
}

TEST(CanvasText, OpaqueBackgroundOnlyWithASolidBrush)
{
    for (TBrushStyle style : {TBrushStyle::Solid, TBrushStyle::Clear, TBrushStyle::Cross}) {
        QImage image = WhiteImage(120, 60);
        Tcanvas canvas(&image);
        UseTestFont(canvas);
        canvas.Font().SetColor(clRed);
        canvas.Brush().SetColor(clBlue);
        canvas.Brush().SetStyle(style);
        TRect box{10, 10, 110, 50};
        canvas.DrawTextEx(QStringLiteral("Hi"), box, 0);
        const int w = canvas.TextWidth(QStringLiteral("Hi"));
        const int h = canvas.TextHeight(QString());
        canvas.Unbind();
        int blue = 0, outsideCell = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const bool inCell = x >= 10 && x < 10 + w && y >= 10 && y < 10 + h;
                blue += PixelAt(image, x, y) == clBlue;
                outsideCell += !inCell && PixelAt(image, x, y) != clWhite;
            }
        EXPECT_EQ(outsideCell, 0) << int(style);
        if (style == TBrushStyle::Solid) {
            EXPECT_EQ(PixelAt(image, 10, 10), clBlue);
            EXPECT_EQ(PixelAt(image, 10 + w - 1, 10 + h - 1), clBlue);
            EXPECT_GT(blue, w * h / 2);
        } else {
            EXPECT_EQ(blue, 0) << int(style);
        }
        // The ink is in the font colour.
        int red = 0;
        for (int y = 10; y < 10 + h; ++y)
            for (int x = 10; x < 10 + w; ++x)
                red += PixelAt(image, x, y) == clRed;
        EXPECT_GT(red, 20) << int(style);
    }
}

TEST(CanvasText, AmpersandsUnderlineUnlessNoPrefix)
{
    Tcanvas canvas;
    UseTestFont(canvas);
    const auto width = [&](const char *text, uint32_t flags) {
        return Measured(canvas, QString::fromLatin1(text), flags).Width();
    };
    EXPECT_EQ(width("&File", 0), canvas.TextWidth(QStringLiteral("File")));
    EXPECT_EQ(width("&File", DT_NOPREFIX), canvas.TextWidth(QStringLiteral("&File")));
    EXPECT_EQ(width("a&&b", 0), canvas.TextWidth(QStringLiteral("a&b")));
    EXPECT_EQ(width("a&&b", DT_NOPREFIX), canvas.TextWidth(QStringLiteral("a&&b")));
    EXPECT_EQ(width("ab&", 0), canvas.TextWidth(QStringLiteral("ab")));
    EXPECT_GT(canvas.TextWidth(QStringLiteral("&a")), canvas.TextWidth(QStringLiteral("a")));
    // The marked character is underlined: ink below the baseline, under the first H only.
    const QRect plain = InkOf(QStringLiteral("HH"), {0, 0, 200, 60}, 0);
    const QRect literal = InkOf(QStringLiteral("&HH"), {0, 0, 200, 60}, DT_NOPREFIX);
    EXPECT_GT(literal.right(), plain.right());
    QImage image = WhiteImage(200, 60);
    {
        Tcanvas marked(&image);
        UseTestFont(marked);
        TRect box{0, 0, 200, 60};
        marked.DrawTextEx(QStringLiteral("&HH"), box, 0);
    }
    const QRect underline = InkBounds(image.copy(0, plain.bottom() + 1, 200, 60 - plain.bottom() - 1));
    ASSERT_FALSE(underline.isNull());
    EXPECT_LE(underline.right(), canvas.TextWidth(QStringLiteral("H")));
    EXPECT_GE(underline.width(), canvas.TextWidth(QStringLiteral("H")) - 2);
    EXPECT_TRUE(InkBounds(image.copy(0, 0, 200, plain.bottom() + 1)) == plain);
}

TEST(CanvasText, TabsExpandToEightAverageCharacters)
{
    Tcanvas canvas;
    UseTestFont(canvas);
    const int avg = QFontMetrics(canvas.ResolvedFont()).averageCharWidth();
    const int expanded = Measured(canvas, QStringLiteral("a\tb"), DT_EXPANDTABS).Width();
    EXPECT_NEAR(expanded, 8 * avg + canvas.TextWidth(QStringLiteral("b")), 1);
    EXPECT_EQ(Measured(canvas, QStringLiteral("a\tb"), 0).Width(), canvas.TextWidth(QStringLiteral("a b")));
}

TEST(CanvasText, AnEditControlsTabsFollowEachFontAsTheFontsTakeTurns)
{
    // An edit control's average is its letters' (rounded); the second round measures nothing
    // anew and must give each font its own.
    struct Case {
        int32_t Height;
        uint8_t Style;
    };
    const Case cases[] = {{-12, 0}, {-30, 0}, {-12, fsBold}, {-7, fsItalic}};
    for (int round = 0; round < 2; ++round)
        for (const Case &c : cases) {
            Tcanvas canvas;
            UseTestFont(canvas, c.Height);
            canvas.Font().SetStyle(c.Style);
            const QFontMetrics metrics(canvas.ResolvedFont());
            const int letters = metrics.horizontalAdvance(
                QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
            const int expected = 8 * ((letters / 26 + 1) / 2) + canvas.TextWidth(QStringLiteral("b"));
            EXPECT_NEAR(Measured(canvas, QStringLiteral("a\tb"), DT_EXPANDTABS | DT_EDITCONTROL).Width(),
                        expected, 1)
                << "round " << round << ", height " << c.Height << ", style " << int(c.Style);
        }
}

TEST(CanvasText, TextIsClippedToTheBoxUnlessNoClip)
{
    const QString text = QStringLiteral("HHHHHHHHHH\r\nHHHHHHHHHH\r\nHHHHHHHHHH");
    const TRect box{20, 20, 60, 40};
    const QRect clipped = InkOf(text, box, 0);
    EXPECT_GE(clipped.left(), 20);
    EXPECT_GE(clipped.top(), 20);
    EXPECT_LT(clipped.right(), 60);
    EXPECT_LT(clipped.bottom(), 40);
    EXPECT_FALSE(clipped.isNull());
    const QRect unclipped = InkOf(text, box, DT_NOCLIP);
    EXPECT_GT(unclipped.right(), 60);
    EXPECT_GT(unclipped.bottom(), 40);
    // An empty box shows nothing unless DT_NOCLIP.
    EXPECT_TRUE(InkOf(text, {20, 20, 20, 40}, 0).isNull());
    EXPECT_FALSE(InkOf(text, {20, 20, 20, 40}, DT_NOCLIP).isNull());
}

TEST(CanvasText, TextOutDrawsOneLineFromItsTopLeft)
{
    QImage image = WhiteImage(200, 60);
    Tcanvas canvas(&image);
    UseTestFont(canvas);
    canvas.Brush().SetColor(clBlue);
    canvas.TextOut(15, 12, QStringLiteral("H&i\r\nthere"));
    const int w = canvas.TextWidth(QStringLiteral("H&i\r\nthere"));
    const int h = canvas.TextHeight(QString());
    EXPECT_EQ(w, canvas.TextWidth(QStringLiteral("H&i there")));
    canvas.Unbind();
    EXPECT_EQ(InkBounds(image), QRect(15, 12, w, h));
    EXPECT_EQ(PixelAt(image, 15, 12), clBlue);
    EXPECT_GT(InkCount(image, QRect(15, 12, w, h), clBlue), 30);
}

TEST(CanvasText, TextDrawsOnVectorTargets)
{
    QPicture picture;
    {
        Tcanvas canvas(&picture);
        UseTestFont(canvas);
        canvas.Brush().SetStyle(TBrushStyle::Clear);
        TRect box{10, 10, 100, 50};
        canvas.DrawTextEx(QStringLiteral("HH"), box, DT_CENTER);
    }
    QImage image = WhiteImage(110, 60);
    {
        QPainter painter(&image);
        picture.play(&painter);
    }
    const QRect ink = InkBounds(image);
    EXPECT_FALSE(ink.isNull());
    EXPECT_NEAR(ink.left() + ink.right() + 1, 110, 2);
}

TEST(CanvasText, MeasuresWithoutATarget)
{
    Tcanvas canvas;
    UseTestFont(canvas);
    EXPECT_GT(canvas.TextWidth(QStringLiteral("abc")), 0);
    EXPECT_EQ(canvas.TextWidth(QString()), 0);
    TRect r{0, 0, 100, 100};
    EXPECT_EQ(canvas.DrawTextEx(QStringLiteral("abc"), r, 0), 0); // nothing to draw on
}

TEST(CanvasText, ExtremeBoxesAndHeightsStayHarmless)
{
    QImage image = WhiteImage(20, 20);
    Tcanvas canvas(&image);
    canvas.Font().SetHeight(std::numeric_limits<int32_t>::min());
    EXPECT_GT(canvas.ResolvedFont().pixelSize(), 0);
    canvas.Font().SetHeight(std::numeric_limits<int32_t>::max());
    EXPECT_GT(canvas.ResolvedFont().pixelSize(), 0);
    UseTestFont(canvas);
    TRect r{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min(),
            std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()};
    canvas.DrawTextEx(QStringLiteral("a b c"), r, DT_WORDBREAK | DT_CENTER | DT_VCENTER);
    canvas.DrawTextEx(QStringLiteral("a b c"), r, DT_CALCRECT | DT_WORDBREAK);
    TRect reversed{15, 15, 5, 5};
    EXPECT_EQ(canvas.DrawTextEx(QStringLiteral("a b c"), reversed, DT_WORDBREAK | DT_CALCRECT),
              3 * canvas.TextHeight(QString()));
}
