#include "editing/wizardanimation.h"

#include <QPainter>
#include <QRandomGenerator>

namespace {
// The six labels of the pictures: two columns of three, the same on the stock and the pages.
constexpr int LabelColumns = 2;
constexpr int LabelRows = 3;
constexpr int LabelLeft = 11;
constexpr int LabelTop = 13;
constexpr int LabelWidth = 49;
constexpr int LabelHeight = 40;
constexpr int LabelHGap = 8;
constexpr int LabelVGap = 8;

const QColor PaperEdge(190, 190, 190);
const QColor StockCream(250, 243, 222);
const QColor Burgundy(128, 24, 48);
const QColor Grape(96, 40, 120);
const QColor Leaf(70, 130, 60);
const QColor Ink(20, 20, 20);

// Step 1: the test page starts this far off the stock and its frames come ever slower.
constexpr TPoint DemoStart{20, 10};
constexpr int32_t DemoBaseInterval = 280;
constexpr int32_t DemoIntervalStep = 10;
constexpr int32_t DemoRest = 5000;
constexpr uint8_t HalfOpaque = 128;
// Step 2: where the pictures sit, how far the page jitters, and the pauses.
constexpr TPoint NudgeBase{2, 2};
constexpr int32_t NudgeAligned = 1000;
constexpr int32_t NudgeMisaligned = 400;
constexpr int32_t PrintRowsPerFrame = 8;

QRect LabelRect(int column, int row)
{
    return {LabelLeft + column * (LabelWidth + LabelHGap), LabelTop + row * (LabelHeight + LabelVGap),
            LabelWidth, LabelHeight};
}

QImage BlankPage()
{
    QImage page(DemoPictureWidth, DemoPictureHeight, QImage::Format_ARGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    p.setPen(PaperEdge);
    p.drawRect(0, 0, DemoPictureWidth - 1, DemoPictureHeight - 1);
    return page;
}

// The pre-printed design of one label: a cream ground in a burgundy frame, a bunch of grapes
// under a leaf at the top.
void DrawStockLabel(QPainter &p, const QRect &r)
{
    p.setPen(QPen(Burgundy, 1.5));
    p.setBrush(StockCream);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    const QPointF top(r.center().x() + 0.5, r.top() + 8);
    p.setPen(Qt::NoPen);
    p.setBrush(Leaf);
    p.drawEllipse(QRectF(top.x() - 1, top.y() - 5, 7, 4));
    p.setBrush(Grape);
    const double step = 3.2;
    for (int row = 0; row < 3; ++row)
        for (int i = 0; i < 3 - row; ++i)
            p.drawEllipse(QPointF(top.x() + (i - (2 - row) / 2.0) * step, top.y() + row * step * 0.9), 1.8,
                          1.8);
}

// The sample text of one label, as the user's design would print it.
void DrawSampleText(QPainter &p, const QRect &r)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(7);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Ink);
    p.drawText(QRect(r.left(), r.top() + 17, r.width(), 9), Qt::AlignHCenter, QStringLiteral("Merlot"));
    font.setBold(false);
    font.setPixelSize(6);
    p.setFont(font);
    p.drawText(QRect(r.left(), r.top() + 27, r.width(), 8), Qt::AlignHCenter, QStringLiteral("2021"));
}

template <class Draw> QImage SixLabels(Draw draw)
{
    QImage page = BlankPage();
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    for (int row = 0; row < LabelRows; ++row)
        for (int column = 0; column < LabelColumns; ++column)
            draw(p, LabelRect(column, row));
    return page;
}
} // namespace

QImage LabelStockPicture()
{
    return SixLabels(DrawStockLabel);
}

QImage TestPagePicture()
{
    return SixLabels([](QPainter &p, const QRect &r) {
        p.setPen(QPen(Ink, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
        DrawSampleText(p, r);
    });
}

QImage PrintedPagePicture()
{
    return SixLabels(DrawSampleText);
}

void MakeCutOut(Talphabitmap &bitmap, const QImage &picture)
{
    Talphabitmap source;
    source.Assign(picture.convertToFormat(QImage::Format_ARGB32));
    bitmap.Assign(source.GetImage().copy());
    bitmap.AlphaFromChannels(source, clRed);
    bitmap.InvertAlpha();
    bitmap.Premultiply();
    bitmap.HasAlpha = true;
}

Twizardanimations::Twizardanimations()
    : Random([](int32_t low, int32_t high) {
          return int32_t(QRandomGenerator::global()->bounded(low, high + 1));
      }),
      Stock(LabelStockPicture()), TestPage(TestPagePicture()), PrintedPage(PrintedPagePicture())
{
}

void Twizardanimations::Begin(const TPoint &size, TColor windowColor)
{
    WindowColor = windowColor;
    if (Composition.Width() != size.X || Composition.Height() != size.Y)
        Composition.SetSize(size.X, size.Y);
    Base.Assign(Stock);
}

// The painter of the last frame was ended with it, so the frame handed out may be shared.
void Twizardanimations::ClearComposition()
{
    Composition.Fill(0xFF000000u | (uint32_t(GetRValue(WindowColor)) << 16) |
                     (uint32_t(GetGValue(WindowColor)) << 8) | GetBValue(WindowColor));
}

void Twizardanimations::StartLabelDemo(const TPoint &size, TColor windowColor)
{
    Begin(size, windowColor);
    Overlay.Assign(TestPage);
    Overlay.HasAlpha = false;
    DemoPos = {0, 0};
}

int32_t Twizardanimations::LabelDemoFrame()
{
    if (DemoPos.X == 0)
        DemoPos = DemoStart;
    ClearComposition();
    Tcanvas &canvas = Composition.Canvas();
    canvas.Draw(0, 0, Base.GetImage());
    const TRect where{DemoPos.X, DemoPos.Y, DemoPos.X + Overlay.Width(), DemoPos.Y + Overlay.Height()};
    canvas.AlphaBlend(where, Overlay.GetImage(), Overlay.ClientRect(), HalfOpaque, false);
    const int32_t drawn = DemoPos.X;
    DemoPos.X = drawn - 1;
    DemoPos.Y = DemoPos.X / 2;
    canvas.Unbind();
    return DemoPos.X == 0 ? DemoRest : DemoBaseInterval - DemoIntervalStep * drawn;
}

void Twizardanimations::StartLabelNudge(const TPoint &size, TColor windowColor)
{
    Begin(size, windowColor);
    MakeCutOut(Overlay, TestPage);
    NudgeDemoPos = {0, 0};
}

int32_t Twizardanimations::LabelNudgeFrame()
{
    NudgeDemoPos = {Random(0, 4) - 2, Random(0, 5) - 2};
    ClearComposition();
    Tcanvas &canvas = Composition.Canvas();
    canvas.Draw(NudgeBase.X, NudgeBase.Y, Base.GetImage());
    const TPoint at{NudgeBase.X + NudgeDemoPos.X, NudgeBase.Y + NudgeDemoPos.Y};
    canvas.AlphaBlend({at.X, at.Y, at.X + Overlay.Width(), at.Y + Overlay.Height()}, Overlay.GetImage(),
                      Overlay.ClientRect(), 255, true);
    canvas.Unbind();
    return NudgeDemoPos.X == 0 ? NudgeAligned : NudgeMisaligned;
}

void Twizardanimations::StartPrint(const TPoint &size, TColor windowColor)
{
    Begin(size, windowColor);
    MakeCutOut(Overlay, PrintedPage);
    PrintedRows = 0;
}

int32_t Twizardanimations::PrintFrame()
{
    PrintedRows += PrintRowsPerFrame;
    if (PrintedRows > Overlay.Height())
        PrintedRows = 0;
    ClearComposition();
    Tcanvas &canvas = Composition.Canvas();
    const TPoint base{(Composition.Width() - Base.Width()) / 2, (Composition.Height() - Base.Height()) / 2};
    const TPoint over{(Composition.Width() - Overlay.Width()) / 2,
                      (Composition.Height() - Overlay.Height()) / 2};
    canvas.Draw(base.X, base.Y, Base.GetImage());
    canvas.AlphaBlend({over.X, over.Y, over.X + Overlay.Width(), over.Y + PrintedRows}, Overlay.GetImage(),
                      {0, 0, Overlay.Width(), PrintedRows}, 255, true);
    canvas.Unbind();
    return PrintInterval;
}
