#include "codecs/png.h"
#include "document/labeltemplate.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "editing/toolbox.h"
#include "platform/canvas.h"
#include "platform/filedialog.h"
#include "test_toolboxsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gmock/gmock.h>
#include <numbers>
#include <optional>

namespace {

struct TToolboxTest : testing::Test {
    TMemorySettings Settings;
    TLabelDocument Label;
    Ttoolbox Toolbox{Settings.Store};

    TToolboxTest() { Toolbox.SetDocument(&Label.Doc); }
};

QImage SolidImage(int w, int h, QRgb rgb)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(rgb);
    return image;
}

} // namespace

TEST_F(TToolboxTest, ToolsAndSelectionsChooseThePanel)
{
    struct Case {
        TTool Tool;
        int Selected; // 0 nothing, 1 a shape
        int32_t Panel;
    };
    const Case cases[] = {{TTool::Select, 0, tpSelectCaption},
                          {TTool::Select, 1, tpNone},
                          {TTool::Text, 1, tpText},
                          {TTool::Image, 0, tpImage},
                          {TTool::Shape, 1, tpShapes},
                          {TTool::Zoom, 0, tpZoomIn},
                          {TTool::ZoomOut, 0, tpZoomOut},
                          {TTool::Alignment, 1, tpAlign},
                          {TTool::Code, 0, tpCode},
                          {TTool(10), 0, tpNone}};
    Tvnlshape &shape = Label.Add<Tvnlshape>({100000, 100000, 100500, 100500});
    for (const Case &c : cases) {
        shape.SetSelected(c.Selected == 1);
        Toolbox.SelectTool(c.Tool);
        EXPECT_EQ(Toolbox.GetPanel(), c.Panel) << "tool " << ToolNumber(c.Tool);
    }

    // Under the Select tool the selection decides; its loss shows the caption, the select panel large.
    Tvnltext &text = Label.Add<Tvnltext>({100000, 100000, 102000, 100500});
    Tvnlpic &empty = Label.Add<Tvnlpic>({100000, 100000, 100500, 100500});
    Tvnlpic &picture = Label.Add<Tvnlpic>({100000, 100000, 100500, 100500});
    picture.SetPicture(SolidImage(4, 2, 0xff0000));
    Tvnlsymbol &symbol = Label.Add<Tvnlsymbol>({100000, 100000, 100500, 100500});
    struct Shown {
        Tdrawobj *Object;
        int32_t Panel;
        bool HasImage;
    };
    const Shown shown[] = {{&picture, tpImage, true},   {&text, tpText, true},
                           {&empty, tpImage, false},    {&shape, tpShapes, false},
                           {&symbol, tpSymbols, false}, {nullptr, tpSelectCaption, false}};
    for (const Shown &s : shown) {
        Toolbox.ShowSelection(s.Object);
        EXPECT_EQ(Toolbox.GetPanel(), s.Panel);
        EXPECT_EQ(Toolbox.HasImage(), s.HasImage) << s.Panel;
        EXPECT_EQ(Toolbox.IsSelectExpanded(), s.Object == nullptr);
    }
}

TEST_F(TToolboxTest, TextStyleGoesToSelectedTextsAndNewOnesAsOneUndoStep)
{
    Tvnltext &empty = Label.Add<Tvnltext>({100000, 100000, 102000, 100500});
    Tvnltext &written = Label.Add<Tvnltext>({100000, 100000, 102000, 100500}, false);
    written.SetText(QStringLiteral("Merlot"));
    Tvnlshape &shape = Label.Add<Tvnlshape>({100000, 100000, 100500, 100500});
    Label.Doc.SetModified(false);

    // Selecting an empty box gives it the alignment its prompt shows.
    Toolbox.LoadTextStyle(empty);
    EXPECT_EQ(Toolbox.GetSampleHAlign(), THorizontalAlign::Centre);
    EXPECT_EQ(empty.GetHAlign(), THorizontalAlign::Centre);
    EXPECT_EQ(empty.GetVAlign(), TVerticalAlign::Middle);
    EXPECT_TRUE(Label.Doc.IsModified());

    const int32_t steps = Label.Doc.GetUndoList().GroupCount();
    Toolbox.SetFontSizeText(QStringLiteral("12"));
    EXPECT_EQ(empty.Font.Height(), -16); // 12 points at 96 dots per inch: 0.16 inch
    EXPECT_EQ(Label.Doc.GetUndoList().GroupCount(), steps + 1);
    for (const char *ignored : {"twelve", "", "0", "12.5", "100000"})
        Toolbox.SetFontSizeText(QString::fromLatin1(ignored));
    EXPECT_FALSE(Toolbox.SetFontName(QStringLiteral("No Such Family 7")));
    Toolbox.SetFontStyle(fsBold, true);
    Toolbox.SetHAlign(THorizontalAlign::Right);
    Toolbox.SetTextColor(clRed);
    EXPECT_EQ(empty.Font.Size(), 12);
    EXPECT_EQ(empty.Font.Name(), QString::fromLatin1(InitialSampleFontName));
    EXPECT_EQ(empty.Font.Style(), fsBold);
    EXPECT_EQ(empty.Font.Color(), clRed);
    EXPECT_EQ(empty.GetHAlign(), THorizontalAlign::Right);
    EXPECT_EQ(written.Font.Height(), Tvnltext().Font.Height()); // not selected
    EXPECT_EQ(Label.Doc.GetUndoList().GroupCount(), steps + 4);

    // A new box takes the style whatever is selected; the shape never took any of it.
    Tvnltext fresh;
    Toolbox.ApplyTextStyle(&fresh);
    EXPECT_EQ(fresh.Font.Height(), -16);
    EXPECT_EQ(fresh.GetHAlign(), THorizontalAlign::Right);
    EXPECT_EQ(shape.Pen.Color(), clBlack);
    Label.Doc.Undo();
    EXPECT_EQ(empty.Font.Color(), clBlack);
    Label.Doc.Undo(); // the alignment, announced like any other change
    EXPECT_EQ(empty.GetHAlign(), THorizontalAlign::Centre);
}

TEST(ToolboxFigures, TheFigureListsChoicesStandForTheFiguresInOrder)
{
    const struct {
        int32_t Choice;
        std::optional<TShapeStyle> Figure;
    } cases[] = {{-1, TShapeStyle::Ellipse},     {0, TShapeStyle::Ellipse}, {2, TShapeStyle::Polygon},
                 {7, TShapeStyle::DiagonalDown}, {8, std::nullopt},         {256, std::nullopt}};
    for (const auto &c : cases)
        EXPECT_EQ(FigureOfChoice(c.Choice), c.Figure) << c.Choice;
}

TEST_F(TToolboxTest, ShapeControlsRefuseOutOfRangeValuesAndApplyTheRest)
{
    Tvnlshape &polygon = Label.Add<Tvnlshape>({100000, 100000, 100500, 100500});
    polygon.SetShapeStyle(TShapeStyle::Polygon);
    Tvnlshape &ellipse = Label.Add<Tvnlshape>({100600, 100000, 101100, 100300});
    polygon.SetDrawFill(true);
    ellipse.SetDrawFill(true);
    Tvnlshape &unselected = Label.Add<Tvnlshape>({100000, 100000, 100500, 100500}, false);

    Toolbox.LoadShapeStyle(polygon);
    EXPECT_TRUE(Toolbox.IsSidesBandVisible());
    EXPECT_EQ(ellipse.GetShapeStyle(), TShapeStyle::Ellipse); // loading applies nothing
    Toolbox.SetFigure(TShapeStyle::RoundRect);
    EXPECT_EQ(polygon.GetShapeStyle(), TShapeStyle::RoundRect);
    EXPECT_EQ(ellipse.GetShapeStyle(), TShapeStyle::RoundRect);
    EXPECT_FALSE(Toolbox.IsSidesBandVisible());
    EXPECT_TRUE(Toolbox.IsCurveBandVisible());

    struct Case {
        bool (Ttoolbox::*Set)(int32_t);
        int32_t Refused[2];
        int32_t Taken;
    };
    const Case cases[] = {{&Ttoolbox::SetSides, {2, 101}, 100},
                          {&Ttoolbox::SetLineWidth, {0, 33}, 32},
                          {&Ttoolbox::SetCurveX, {-1, 10001}, 10000},
                          {&Ttoolbox::SetCurveY, {-1, 10001}, 0}};
    for (const Case &c : cases) {
        EXPECT_FALSE((Toolbox.*c.Set)(c.Refused[0]));
        EXPECT_FALSE((Toolbox.*c.Set)(c.Refused[1]));
        EXPECT_TRUE((Toolbox.*c.Set)(c.Taken));
    }
    Toolbox.SetDirectionText(QStringLiteral("north"));
    Toolbox.SetLineColor(clBlue);
    Toolbox.SetDrawFill(false);
    for (const Tvnlshape *s : {&polygon, &ellipse}) {
        EXPECT_EQ(s->GetSideCount(), 100);
        EXPECT_EQ(s->Pen.Width(), 32);
        EXPECT_EQ(s->GetCurveX(), 10000);
        EXPECT_EQ(s->GetCurveY(), 0);
        EXPECT_EQ(s->GetAngle(), 0.0);
        EXPECT_EQ(s->Pen.Color(), clBlue);
        EXPECT_FALSE(s->GetDrawFill());
    }
    EXPECT_FALSE(Toolbox.AreFillControlsVisible());
    EXPECT_EQ(unselected.Pen.Width(), 1);

    // The style a shape already has records nothing.
    const int32_t levels = Label.Doc.GetUndoList().Count();
    Toolbox.ApplyShapeStyle(nullptr);
    EXPECT_EQ(Label.Doc.GetUndoList().Count(), levels);
    Label.Doc.Undo(); // the fill
    EXPECT_TRUE(ellipse.GetDrawFill());
    EXPECT_EQ(ellipse.Pen.Color(), clBlue);
}

TEST_F(TToolboxTest, DialDragTurnsSelectedPolygonsTowardTheMouseAsOneStep)
{
    struct Case {
        int32_t Dx, Dy, Bearing;
    };
    const Case bearings[] = {{0, 0, 0},      {0, -5, 0},      {7, 0, 9000},     {0, 3, 18000},
                             {-2, 0, 27000}, {10, -10, 4500}, {-10, 10, 22500}, {1, -1000, 6}};
    for (const Case &c : bearings)
        EXPECT_EQ(DialBearing(c.Dx, c.Dy), c.Bearing) << c.Dx << "," << c.Dy;
    struct Tip {
        int32_t Value;
        TPoint Point;
    };
    const Tip tips[] = {{0, {10, 2}}, {9000, {18, 10}}, {18000, {10, 18}}, {27000, {2, 10}}};
    for (const Tip &t : tips)
        EXPECT_EQ(DialPointer(20, 20, t.Value)[0], t.Point) << t.Value;

    Tvnlshape &polygon = Label.Add<Tvnlshape>({100000, 100000, 101000, 101000});
    polygon.SetShapeStyle(TShapeStyle::Polygon);
    Label.Doc.CloseUndoGroup();
    Toolbox.LoadShapeStyle(polygon);
    const int32_t steps = Label.Doc.GetUndoList().GroupCount();
    Toolbox.DialPress({10, 10});
    for (int i = 1; i <= 6; ++i)
        Toolbox.DialDrag({10 + i, 10 - i});
    Toolbox.DialRelease();
    EXPECT_EQ(Toolbox.GetDirection(), 4500);
    EXPECT_EQ(Toolbox.GetDirectionText(), QLocale().toString(45.0, 'f', 2));
    EXPECT_DOUBLE_EQ(polygon.GetAngle(), std::numbers::pi / 4);
    EXPECT_EQ(Label.Doc.GetUndoList().GroupCount(), steps + 1);

    // Drawn, its first corner points up and to the right of its centre.
    QImage image(200, 200, QImage::Format_RGB32);
    Tcanvas canvas(&image);
    polygon.Draw(canvas, {0, 0, 200, 200}, false, {9990, 9990, 200, 200}, 0.1);
    canvas.Unbind();
    ASSERT_FALSE(polygon.GetVertices().empty());
    const TPoint first = polygon.GetVertices().front();
    const TRect r = polygon.GetScreenRect();
    const double centreX = (r.Left + r.Right) / 2.0, centreY = (r.Top + r.Bottom) / 2.0;
    EXPECT_NEAR(std::atan2(centreY - first.Y, first.X - centreX), std::numbers::pi / 4, 0.1);
}

TEST_F(TToolboxTest, AddToLabelStepsFromTheCentreAndWrapsPastHalfTheLabel)
{
    std::vector<TTool> tools;
    Toolbox.OnSelectTool = [&](TTool tool) { tools.push_back(tool); };
    Toolbox.SetPreviewPicture(SolidImage(60, 30, 0x00ff00)); // 600 by 300 units
    std::vector<TPoint> centres;
    for (int i = 0; i < 12; ++i) {
        Toolbox.AddToLabel();
        const Tdrawobj *added = Label.Doc.GetSelectedObject();
        ASSERT_NE(added, nullptr);
        centres.push_back({added->Left() + added->Width() / 2, added->Top() + added->Height() / 2});
    }
    EXPECT_EQ(centres[0], (TPoint{101000, 100500}));
    EXPECT_EQ(centres[1], (TPoint{101100, 100600}));
    EXPECT_EQ(centres[2], (TPoint{101200, 100700}));
    EXPECT_EQ(centres[11], (TPoint{100000, 99500})); // the offset passed 1000: -1000
    EXPECT_EQ(Toolbox.GetInsertOffset(), -900);
    EXPECT_EQ(tools, std::vector<TTool>(12, TTool::Select));
    auto *last = dynamic_cast<Tvnlpic *>(Label.Doc.GetSelectedObject());
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->GetPicture().pixel(0, 0), 0xff00ff00);
    EXPECT_EQ(Label.Doc.SelectedCount(), 1);

    // Without a loaded image the picture is empty, not a picture of the placeholder.
    Toolbox.ClearPreview();
    Toolbox.AddToLabel();
    EXPECT_TRUE(static_cast<Tvnlpic *>(Label.Doc.GetSelectedObject())->GetPicture().isNull());
    Label.Doc.Undo();
    EXPECT_EQ(Label.Doc.Count(), 12);
}

TEST_F(TToolboxTest, ChangeImageLoadsIntoPreviewAndSelectedPictureOrReportsTheCodec)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("red.png"));
    const QString damaged = dir.filePath(QStringLiteral("damaged.png"));
    {
        QFile file(good);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(EncodePng(SolidImage(8, 4, 0xff0000)));
        QFile bad(damaged);
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write(EncodePng(SolidImage(8, 4, 0xff0000)).left(40));
    }
    Tvnlpic &picture = Label.Add<Tvnlpic>({100000, 100000, 100500, 100500});
    Tvnltext &text = Label.Add<Tvnltext>({100000, 100000, 102000, 100500}, false);
    Settings.Store.WriteString(QString::fromLatin1(ImagePathSetting), dir.path() + QStringLiteral("/old"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("old")));

    // The dialog answers with each file in turn.
    TScriptedFiles files({{damaged}, {good}});
    TMessageRecorder log;

    EXPECT_FALSE(Toolbox.LoadImage());
    ASSERT_EQ(log.Texts.size(), 1u);
    EXPECT_THAT(log.Texts[0].toStdString(), testing::HasSubstr("damaged.png"));
    EXPECT_EQ(log.Icons[0], TMsgIcon::Error);
    EXPECT_FALSE(Toolbox.HasImage());
    EXPECT_TRUE(picture.GetPicture().isNull());
    ASSERT_EQ(files.Shown.size(), 1u);
    EXPECT_EQ(files.Shown[0].InitialDir, dir.path() + QStringLiteral("/old"));

    EXPECT_TRUE(Toolbox.LoadImage());
    EXPECT_TRUE(Toolbox.HasImage());
    EXPECT_EQ(picture.GetPicture().size(), QSize(8, 4));
    EXPECT_EQ(Settings.Store.ReadString(QString::fromLatin1(ImagePathSetting)), dir.path());
    Label.Doc.Undo();
    EXPECT_TRUE(picture.GetPicture().isNull());

    // Under the Select tool with no picture selected the button does nothing.
    Label.Doc.SelectObject(&text);
    EXPECT_FALSE(Toolbox.LoadImage());
    EXPECT_EQ(files.Shown.size(), 2u);
}

TEST_F(TToolboxTest, TrackBarAsksTheEditorToZoomAndShowsTheEditorsZoom)
{
    std::vector<int32_t> asked;
    Toolbox.OnTrackMoved = [&](int32_t position) { asked.push_back(position); };

    Toolbox.TrackBarMoved(3);
    Toolbox.TrackBarMoved(-9); // beyond the bar's ends: its end
    Toolbox.TrackBarMoved(40);
    EXPECT_EQ(asked, (std::vector<int32_t>{3, -3, 17}));
    // What it shows is what the editor's view says.
    EXPECT_EQ(Toolbox.GetTrackPosition(), 1);
    Toolbox.ShowZoom(1.25, 1);
    EXPECT_EQ(Toolbox.GetTrackPosition(), 1);
    EXPECT_EQ(Toolbox.GetZoomText(), QLocale().toString(1.25, 'f', 2) + QLatin1Char('x'));
}

TEST_F(TToolboxTest, HintsFollowTheSettingAndBreakLines)
{
    EXPECT_TRUE(Toolbox.GetShowHints()); // absent: shown
    Toolbox.SetShowHints(false);
    Ttoolbox again(Settings.Store);
    EXPECT_FALSE(again.GetShowHints());
    Toolbox.ShowToolHint(QStringLiteral("Zoom Tool:\\nUse the mouse wheel or \\nleft click"));
    EXPECT_EQ(Toolbox.GetHint(), QStringLiteral("Zoom Tool:\nUse the mouse wheel or \nleft click"));
}

TEST(ToolboxLayout, PreviewKeepsProportionsAtItsCorner)
{
    struct Case {
        QSize Image;
        bool Vertical;
        TRect Expected;
    };
    const TRect box{10, 20, 110, 70}; // 100 by 50
    const Case cases[] = {{{200, 50}, false, {10, 45, 110, 70}},
                          {{200, 50}, true, {10, 20, 110, 45}},
                          {{10, 20}, false, {85, 20, 110, 70}},
                          {{10, 20}, true, {85, 20, 110, 70}},
                          {{0, 0}, false, {110, 20, 110, 20}}};
    for (const Case &c : cases)
        EXPECT_EQ(PreviewRect(c.Image, box, c.Vertical), c.Expected)
            << c.Image.width() << "x" << c.Image.height();
}

TEST(ToolboxFonts, FamiliesAreScalableSortedOnceAndSubstitutesCount)
{
    const QStringList families = ScalableFontFamilies();
    EXPECT_TRUE(families.contains(QStringLiteral("Liberation Sans")));
    QStringList sorted = families;
    sorted.sort(Qt::CaseInsensitive);
    sorted.removeDuplicates();
    EXPECT_EQ(families, sorted);
    EXPECT_TRUE(IsUsableFontName(QString::fromLatin1(InitialSampleFontName)));
    EXPECT_FALSE(IsUsableFontName(QStringLiteral("  ")));
}
