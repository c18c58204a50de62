#include "common/testsupport.h"
#include "platform/canvas.h"
#include "widgets/drawpanel.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <gmock/gmock.h>

namespace {

constexpr int PanelWidth = 60;
constexpr int PanelHeight = 40;

// A parent that records the region it was asked to paint.
class TRecordingParent : public QWidget {
public:
    QRegion Painted;

protected:
    void paintEvent(QPaintEvent *event) override { Painted += event->region(); }
};

// A panel inside a shown parent, so resizes reach it at once.
struct TShownPanel {
    QWidget Parent;
    Tvnldrawpanel *Panel = new Tvnldrawpanel(&Parent); // owned by Parent
    int Moves = 0;

    TShownPanel()
    {
        Parent.resize(200, 200);
        Panel->setGeometry(0, 0, PanelWidth, PanelHeight);
        Panel->OnViewportmove = [this](Tvnldrawpanel *) { ++Moves; };
        Parent.show();
    }
};

} // namespace

TEST(DrawPanel, SetViewportClampsTheOriginAndTakesThePanelsSize)
{
    struct Case {
        TRect Given;
        TRect Stored;
    };
    const Case cases[] = {
        {{-20, 5, 1, 1}, {0, 5, PanelWidth, PanelHeight}},
        {{7, -3, 500, 500}, {7, 0, PanelWidth, PanelHeight}},
        {{-1, -1, 0, 0}, {0, 0, PanelWidth, PanelHeight}},
        {{300, 400, -9, -9}, {300, 400, PanelWidth, PanelHeight}},
    };
    TShownPanel shown;
    for (const Case &c : cases) {
        shown.Panel->SetViewport(c.Given, false);
        EXPECT_EQ(shown.Panel->GetViewport(), c.Stored) << c.Given;
    }
    EXPECT_EQ(shown.Moves, 0);
}

TEST(DrawPanel, NotifyRaisesViewportMoveOnceAfterStoring)
{
    TShownPanel shown;
    TRect seen;
    shown.Panel->OnViewportmove = [&](Tvnldrawpanel *sender) {
        ++shown.Moves;
        seen = sender->GetViewport();
    };
    shown.Panel->SetViewport({-5, 12, 0, 0}, true);
    EXPECT_EQ(shown.Moves, 1);
    EXPECT_EQ(seen, (TRect{0, 12, PanelWidth, PanelHeight}));
}

TEST(DrawPanel, ResizeKeepsTheOriginAndUpdatesTheExtentSilently)
{
    TShownPanel shown;
    shown.Panel->SetViewport({15, 25, 0, 0}, false);
    shown.Panel->resize(120, 80);
    EXPECT_EQ(shown.Panel->GetViewport(), (TRect{15, 25, 120, 80}));
    shown.Panel->resize(30, 10);
    EXPECT_EQ(shown.Panel->GetViewport(), (TRect{15, 25, 30, 10}));
    EXPECT_EQ(shown.Moves, 0);
}

TEST(DrawPanel, OwnersPaintingAppearsInTheGrabbedImage)
{
    // The owner paints the left half red and the right half blue, with a QPainter or a canvas.
    struct Case {
        const char *Name;
        std::function<void(Tvnldrawpanel *)> Paint;
    };
    const Case cases[] = {
        {"QPainter",
         [](Tvnldrawpanel *panel) {
             QPainter p(panel);
             p.fillRect(0, 0, PanelWidth / 2, PanelHeight, Qt::red);
             p.fillRect(PanelWidth / 2, 0, PanelWidth / 2, PanelHeight, Qt::blue);
         }},
        {"Tcanvas",
         [](Tvnldrawpanel *panel) {
             Tcanvas canvas(panel);
             canvas.Brush().SetColor(clRed);
             canvas.FillRect({0, 0, PanelWidth / 2, PanelHeight});
             canvas.Brush().SetColor(clBlue);
             canvas.FillRect({PanelWidth / 2, 0, PanelWidth, PanelHeight});
         }},
    };
    for (const Case &c : cases) {
        Tvnldrawpanel panel;
        panel.resize(PanelWidth, PanelHeight);
        int calls = 0;
        Tvnldrawpanel *sender = nullptr;
        panel.onpaint = [&](Tvnldrawpanel *s) {
            ++calls;
            sender = s;
            c.Paint(s);
        };
        const QImage image = panel.grab().toImage();
        EXPECT_GE(calls, 1) << c.Name;
        EXPECT_EQ(sender, &panel) << c.Name;
        EXPECT_EQ(PixelAt(image, 0, 0), clRed) << c.Name;
        EXPECT_EQ(PixelAt(image, PanelWidth / 2 - 1, PanelHeight - 1), clRed) << c.Name;
        EXPECT_EQ(PixelAt(image, PanelWidth / 2, 0), clBlue) << c.Name;
        EXPECT_EQ(PixelAt(image, PanelWidth - 1, PanelHeight - 1), clBlue) << c.Name;
    }
}

TEST(DrawPanel, ParentDoesNotPaintBeneathThePanel)
{
    TRecordingParent parent;
    parent.resize(100, 100);
    auto *panel = new Tvnldrawpanel(&parent); // owned by parent
    panel->setGeometry(20, 30, PanelWidth, PanelHeight);
    int panelPaints = 0;
    panel->onpaint = [&](Tvnldrawpanel *) { ++panelPaints; };
    parent.show();
    parent.grab();
    EXPECT_GE(panelPaints, 1);
    EXPECT_TRUE(parent.Painted.contains(QPoint(5, 5)));
    EXPECT_FALSE(parent.Painted.intersects(panel->geometry())) << parent.Painted.boundingRect().width();
}

TEST(DrawPanel, PaintsWithoutAHandler)
{
    Tvnldrawpanel panel;
    panel.resize(PanelWidth, PanelHeight);
    const QPixmap pixmap = panel.grab();
    panel.Paint();
    EXPECT_EQ(pixmap.size(), QSize(PanelWidth, PanelHeight));
}

TEST(DrawPanel, ReportsMouseInputInPanelPixelsWithCtrlAndShift)
{
    TShownPanel shown;
    QStringList seen;
    auto flags = [](bool ctrl, bool shift) { return QString(ctrl ? "C" : "") + (shift ? "S" : ""); };
    shown.Panel->onmousedown = [&](Tvnldrawpanel *, TMouseButton b, TPoint p, bool c, bool s) {
        seen << QString("down %1 %2,%3 %4").arg(int(b)).arg(p.X).arg(p.Y).arg(flags(c, s));
    };
    shown.Panel->onmousemove = [&](Tvnldrawpanel *, TPoint p, bool c, bool s) {
        seen << QString("move %1,%2 %3").arg(p.X).arg(p.Y).arg(flags(c, s));
    };
    shown.Panel->onmouseup = [&](Tvnldrawpanel *, TMouseButton b, TPoint p, bool c, bool s) {
        seen << QString("up %1 %2,%3 %4").arg(int(b)).arg(p.X).arg(p.Y).arg(flags(c, s));
    };
    QTest::mousePress(shown.Panel, Qt::LeftButton, Qt::ControlModifier, {10, 12});
    QTest::mouseMove(shown.Panel, {70, 50}); // outside the panel while the button is held
    QTest::mouseRelease(shown.Panel, Qt::MiddleButton, Qt::ShiftModifier, {3, 4});
    QTest::mousePress(shown.Panel, Qt::BackButton, Qt::NoModifier, {1, 1}); // not reported
    EXPECT_EQ(seen, QStringList({"down 0 10,12 C", "move 70,50 ", "up 2 3,4 S"}));
}
