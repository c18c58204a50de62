#include "common/fakes.h"
#include "document/drawlist.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/messages.h"
#include "settings/regbackend.h"
#include "settings/registry.h"
#include "tools/toolparts.h"
#include "tools/toolwindow.h"
#include "widgets/numedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <gmock/gmock.h>

namespace {

// A shown tool window over a document with a 2 by 1 inch label, its settings in memory.
struct TToolWindowTest : testing::Test {
    std::shared_ptr<Tmemorybackend> Backend = std::make_shared<Tmemorybackend>();
    Tregistryex Store;
    Tdrawlist Doc;
    std::unique_ptr<Tfrm_toolbox> Window;

    TToolWindowTest()
    {
        SetRootBackend(HKEY_CURRENT_USER, Backend);
        Store.OpenKey(QString::fromLatin1(SettingsKeyPath), true);
        Doc.SetLabelRect({100000, 100000, 100001, 100001});
        Doc.SetLabelWidth(2.0);
        Doc.SetLabelHeight(1.0);
        Window = std::make_unique<Tfrm_toolbox>(Store);
        Window->Logic().SetDocument(&Doc);
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    }
    ~TToolWindowTest() override
    {
        Window.reset();
        SetRootBackend(HKEY_CURRENT_USER, nullptr);
        SetMessageBoxHook({});
    }

    template <class T> T &Add(const TRect &bounds)
    {
        auto owned = std::make_unique<T>();
        T &o = *owned;
        Doc.AddObject(std::move(owned));
        o.SetBounds(bounds);
        o.SetSelected(true);
        return o;
    }
    // Near the left end, where a check box's box is.
    void Click(QWidget *w)
    {
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(std::min(8, w->width() / 2), w->height() / 2));
    }
};

} // namespace

TEST_F(TToolWindowTest, IsAToolWindowCaptionedToolsThatKeepsItsHeightAcrossHideAndShow)
{
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Tools"));
    EXPECT_TRUE(Window->windowFlags().testFlag(Qt::Tool));
    Window->Logic().ShowToolHint(
        QStringLiteral("Zoom Tool:\\nUse the mouse wheel or \\nleft click to zoom in."));
    EXPECT_EQ(Window->lbl_hint->text(),
              QStringLiteral("Zoom Tool:\nUse the mouse wheel or \nleft click to zoom in."));
    for (bool hints : {true, false}) {
        if (Window->chk_showhints->isChecked() != hints) {
            const int before = Window->height();
            Click(Window->chk_showhints);
            EXPECT_EQ(Window->pnl_hint->isVisible(), hints);
            EXPECT_EQ(Window->height() < before, !hints);
            EXPECT_EQ(Store.ReadBool(QStringLiteral("toolboxshowhint"), !hints), hints);
        }
        const int height = Window->height();
        Window->hide();
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        EXPECT_EQ(Window->height(), height) << "hints " << hints;
    }
}

TEST_F(TToolWindowTest, FigureListChangesSelectedShapesAndShowsSidesForPolygonsOnly)
{
    Tvnlshape &a = Add<Tvnlshape>({100000, 100000, 100500, 100500});
    Tvnlshape &b = Add<Tvnlshape>({100600, 100000, 101000, 100500});
    a.SetShapeStyle(TShapeStyle::Rectangle);
    a.SetDrawFill(true);
    Window->Logic().SelectTool(TTool::Shape);
    Window->Logic().LoadShapeStyle(a);
    ASSERT_TRUE(Window->Panels[tpShapes]->isVisible());
    EXPECT_FALSE(Window->band_sides->isVisible());

    Window->cb_shape->setFocus();
    QTest::keyClick(Window->cb_shape, Qt::Key_Down); // Rectangle to Polygon
    EXPECT_EQ(a.GetShapeStyle(), TShapeStyle::Polygon);
    EXPECT_EQ(b.GetShapeStyle(), TShapeStyle::Polygon);
    EXPECT_TRUE(Window->band_sides->isVisible());
    EXPECT_TRUE(Window->band_direction->isVisible());
    QTest::keyClick(Window->cb_shape, Qt::Key_Down); // Round Rect
    EXPECT_FALSE(Window->band_sides->isVisible());
    EXPECT_TRUE(Window->band_curve->isVisible());

    // The fill check box and its colour, a cancelled colour dialog changing nothing.
    std::optional<QColor> answer = QColor(Qt::red);
    Window->ChooseColor = [&](const QColor &) { return answer; };
    Click(Window->btn_fillcolor);
    EXPECT_EQ(b.Brush.Color(), clRed);
    answer.reset();
    Click(Window->btn_fillcolor);
    EXPECT_EQ(b.Brush.Color(), clRed);
    Click(Window->chk_drawfill);
    EXPECT_FALSE(a.GetDrawFill());
    EXPECT_FALSE(Window->btn_fillcolor->isVisible());
}

TEST_F(TToolWindowTest, DialDragAndTextButtonsReachTheSelection)
{
    Tvnlshape &polygon = Add<Tvnlshape>({100000, 100000, 100500, 100500});
    Tvnltext &text = Add<Tvnltext>({100000, 100600, 102000, 101000});
    Window->Logic().SelectTool(TTool::Shape);
    const QPoint centre = Window->img_direction->rect().center();
    QTest::mousePress(Window->img_direction, Qt::LeftButton, {}, centre);
    for (int i = 1; i <= 5; ++i)
        QTest::mouseMove(Window->img_direction, centre + QPoint(i, -i));
    QTest::mouseRelease(Window->img_direction, Qt::LeftButton, {}, centre + QPoint(5, -5));
    EXPECT_EQ(Window->img_direction->GetValue(), 4500);
    EXPECT_EQ(Window->ed_direction->text(), QLocale().toString(45.0, 'f', 2));
    EXPECT_NEAR(polygon.GetAngle(), 0.785398, 1e-6);

    Window->Logic().SelectTool(TTool::Text);
    Click(Window->btn_bold);
    Click(Window->btn_right);
    EXPECT_EQ(text.Font.Style(), fsBold);
    EXPECT_EQ(text.GetHAlign(), THorizontalAlign::Right);
    EXPECT_TRUE(Window->lbl_fontsample->font().bold());
    EXPECT_TRUE(Window->lbl_fontsample->alignment().testFlag(Qt::AlignRight));
}

TEST_F(TToolWindowTest, AlignmentPanelAlignsByTheTypedDistanceOrSaysItIsNoNumber)
{
    Tvnlshape &a = Add<Tvnlshape>({100400, 100200, 101400, 100700});
    Tvnlshape &b = Add<Tvnlshape>({100050, 100850, 100350, 101050});
    TMessageRecorder messages;
    Window->Logic().SelectTool(TTool::Alignment);
    EXPECT_FALSE(Window->tb_alignsizes->isVisible());
    EXPECT_FALSE(Window->btn_alignall->isEnabled());

    Window->ed_align_distance->setText(QStringLiteral("1/4"));
    Click(Window->btn_alignside[asRight]);
    EXPECT_EQ(b.GetBounds(), (TRect{100850, 100850, 101150, 101050}));
    Window->ed_align_distance->setText(QStringLiteral("a quarter"));
    Click(Window->btn_alignside[asLeft]);
    EXPECT_THAT(messages.Texts, testing::ElementsAre(QStringLiteral("Please enter a number in Inches.")));
    EXPECT_EQ(b.Left(), 100850);

    Click(Window->rb_stretch);
    EXPECT_TRUE(Window->btn_alignall->isEnabled());
    EXPECT_FALSE(Window->btn_alignside[asHorizontalCentre]->isEnabled());
    Click(Window->rg_aligntype[atMatchSizes]);
    EXPECT_TRUE(Window->tb_alignsizes->isVisible());
    EXPECT_FALSE(Window->pnl_align_side->isVisible());
    Click(Window->btn_alignsize[smGrowToWidest]);
    EXPECT_EQ(b.Width(), a.Width());
}

TEST_F(TToolWindowTest, TrackBarZoomsOnlyWhenTheUserMovesIt)
{
    std::vector<int32_t> asked;
    Window->Logic().OnTrackMoved = [&](int32_t position) { asked.push_back(position); };
    Window->Logic().SelectTool(TTool::Zoom);
    Window->Logic().ShowZoom(2.0, 3);
    EXPECT_EQ(Window->tb_zoom->value(), 3);
    EXPECT_EQ(Window->lbl_zoomin->text(), QLocale().toString(2.0, 'f', 2) + QLatin1Char('x'));
    Window->tb_zoom->setFocus();
    QTest::keyClick(Window->tb_zoom, Qt::Key_Right);
    EXPECT_EQ(asked, std::vector<int32_t>{4});
}

TEST_F(TToolWindowTest, TheSelectColumnShrinksToItsIconWhileAnObjectIsSelected)
{
    Window->Logic().SetSelectLayout(true);
    Window->Logic().SelectTool(TTool::Select);
    auto &text = Add<Tvnltext>({100100, 100100, 100500, 100300});
    for (Tdrawobj *selected : {static_cast<Tdrawobj *>(&text), static_cast<Tdrawobj *>(nullptr)}) {
        Window->Logic().ShowSelection(selected);
        Window->layout()->activate();
        const QRect column = Window->pnl_select->geometry();
        EXPECT_TRUE(Window->pnl_select->isVisible());
        EXPECT_EQ(column.width(), 50);
        if (selected)
            EXPECT_EQ(column.height(), 30);
        else
            EXPECT_GT(column.height(), 100);
        EXPECT_LE(column.top(), Window->cb_fontname->mapTo(Window.get(), QPoint()).y());
    }
}
