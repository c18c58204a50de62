#include "labelertest.h"

#include "document/code.h"
#include "document/drawlist.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"

#include <gmock/gmock.h>

namespace {

// Three shapes stacked at the same place, bottom first.
std::vector<Tdrawobj *> Stack(TEditor &e)
{
    return {e.AddShape({100500, 100500, 101500, 101500}), e.AddShape({100600, 100600, 101600, 101600}),
            e.AddShape({100700, 100700, 101700, 101700})};
}

} // namespace

TEST(CanvasInput, RepeatedClicksCycleDownThroughAStack)
{
    TEditor e;
    const std::vector<Tdrawobj *> s = Stack(e);
    const TPoint p = e.At(101000, 101000);
    for (Tdrawobj *expected : {s[2], s[1], s[0], s[2]}) {
        e.Click(p);
        EXPECT_EQ(e.Doc().GetSelectedObject(), expected);
        EXPECT_EQ(e.Doc().SelectedCount(), 1);
    }
}

TEST(CanvasInput, CtrlAddsAtThePressAndRemovesAtTheRelease)
{
    TEditor e;
    Tdrawobj *a = e.AddShape({100100, 100100, 100600, 100600});
    Tdrawobj *b = e.AddShape({101000, 101000, 101500, 101500});
    e.Click(e.At(100300, 100300));
    e.Click(e.At(101200, 101200), true);
    EXPECT_TRUE(a->IsSelected() && b->IsSelected());
    e.Click(e.At(101200, 101200), true);
    EXPECT_TRUE(a->IsSelected());
    EXPECT_FALSE(b->IsSelected());
    // A click on empty canvas deselects everything.
    e.Click(e.At(103500, 103000));
    EXPECT_EQ(e.Doc().SelectedCount(), 0);
}

TEST(CanvasInput, NothingMovesBeforeTheFourthMoveEvent)
{
    struct Case {
        int Moves;
        int32_t Left;
    };
    // Each move goes 10 pixels right of the press: 100 document units.
    for (const Case &c : {Case{3, 100500}, Case{4, 100600}, Case{6, 100600}}) {
        TEditor e;
        Tdrawobj *o = e.AddShape({100500, 100500, 101500, 101500});
        e.Doc().SelectObject(o);
        const TPoint p = e.At(101000, 101000);
        e.Input().MouseDown(TMouseButton::Left, p, false, false);
        for (int i = 0; i < c.Moves; ++i)
            e.Input().MouseMove({p.X + 10, p.Y}, false, false);
        e.Input().MouseUp(TMouseButton::Left, {p.X + 10, p.Y}, false, false);
        EXPECT_EQ(o->Left(), c.Left) << c.Moves;
    }
}

TEST(CanvasInput, DraggingAMemberMovesTheWholeSelectionAsOneUndoStep)
{
    TEditor e;
    Tdrawobj *a = e.AddShape({100100, 100100, 100600, 100600});
    Tdrawobj *b = e.AddShape({101000, 101000, 101500, 101500});
    e.Doc().SelectAll();
    e.Drag(e.At(101200, 101200), e.At(101400, 101500), 8);
    EXPECT_EQ(a->GetBounds(), (TRect{100300, 100400, 100800, 100900}));
    EXPECT_EQ(b->GetBounds(), (TRect{101200, 101300, 101700, 101800}));
    // Undo puts back copies of the objects as they were.
    e.Doc().Undo();
    ASSERT_EQ(e.Doc().Count(), 2);
    EXPECT_EQ(e.Doc().GetObject(0)->GetBounds(), (TRect{100100, 100100, 100600, 100600}));
    EXPECT_EQ(e.Doc().GetObject(1)->GetBounds(), (TRect{101000, 101000, 101500, 101500}));
}

TEST(CanvasInput, ACreatingClickMakesADefaultObjectAndReturnsToSelect)
{
    TEditor e;
    e.Input().ToolButtonClicked(TTool::Shape, QString());
    e.Click(e.At(100200, 100300));
    ASSERT_EQ(e.Doc().Count(), 1);
    Tdrawobj *o = e.Doc().GetObject(0);
    EXPECT_EQ(o->GetBounds(), (TRect{100200, 100300, 101200, 101300}));
    EXPECT_TRUE(dynamic_cast<Tvnlshape *>(o));
    EXPECT_EQ(e.Doc().GetSelectedObject(), o);
    EXPECT_EQ(e.Input().CurrentTool(), TTool::Select);
    EXPECT_EQ(e.Host.ToolDown, TTool::Select);
    EXPECT_EQ(e.Input().GetMouseMode(), TMouseMode::Idle);
    // The creation is one undo step.
    e.Doc().Undo();
    EXPECT_EQ(e.Doc().Count(), 0);
}

TEST(CanvasInput, CornerDragsKeepTheAspectUnlessShiftTurnsTheRuleRound)
{
    struct Case {
        TTool Tool;
        bool Shift;
        TPoint Size; // of the new object after a drag of 150 x 60 pixels
    };
    // The mouse holds the handle, which lies HandleInflate outside the bounds (2 pixels for a
    // shape, 10 for a text, none for a picture).
    const Case cases[] = {
        {TTool::Shape, false, {1480, 1480}}, {TTool::Shape, true, {1480, 580}},
        {TTool::Text, false, {1400, 500}},   {TTool::Text, true, {1400, 1400}},
        {TTool::Image, false, {1500, 750}},  {TTool::Image, true, {1500, 600}},
    };
    for (const Case &c : cases) {
        TEditor e;
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::red);
        e.Toolbox.SetPreviewPicture(image);
        e.Input().ToolButtonClicked(c.Tool, QString());
        const TPoint p = e.At(100200, 100200);
        e.Drag(p, {p.X + 150, p.Y + 60}, 6, c.Shift);
        ASSERT_EQ(e.Doc().Count(), 1);
        const Tdrawobj *o = e.Doc().GetObject(0);
        EXPECT_EQ((TPoint{o->Width(), o->Height()}), c.Size)
            << "tool " << ToolNumber(c.Tool) << " shift " << c.Shift;
    }
}

TEST(CanvasInput, RightButtonOpensTheMenuOrZoomsOut)
{
    TEditor e;
    e.Input().MouseDown(TMouseButton::Right, {50, 60}, false, false);
    e.Input().MouseUp(TMouseButton::Right, {50, 60}, false, false);
    EXPECT_THAT(e.Host.ContextMenus, testing::ElementsAre(TPoint{50, 60}));
    e.Input().ToolButtonClicked(TTool::Zoom, QString());
    EXPECT_EQ(e.Host.Cursor, TCanvasCursor::ZoomIn);
    e.Input().MouseDown(TMouseButton::Right, {50, 60}, false, false);
    e.Input().MouseUp(TMouseButton::Right, {50, 60}, false, false);
    EXPECT_EQ(e.Host.ContextMenus.size(), 1u);
    EXPECT_EQ(e.View().GetZoom(), 0.5);
    e.Click({50, 60});
    e.Click({50, 60});
    EXPECT_EQ(e.View().GetZoom(), 1.5);
}

TEST(CanvasInput, CursorsFollowHandlesObjectsAndTextLines)
{
    TEditor e;
    Tdrawobj *shape = e.AddShape({100500, 100500, 101500, 101500});
    auto text = std::make_unique<Tvnltext>();
    Tvnltext *t = text.get();
    e.Doc().AddObject(std::move(text));
    t->SetBounds({102000, 100500, 103500, 101500});
    t->SetText(QStringLiteral("Merlot"));
    shape->SetSelected(true);
    t->SetSelected(true);
    e.Labeler.PaintCanvas({0, 0, PanelWidth, PanelHeight}); // lays the text out
    const TRect r = shape->GetScreenRect();
    struct Case {
        TPoint P;
        TCanvasCursor Cursor;
    };
    const Case cases[] = {
        {{r.Left, r.Top}, TCanvasCursor::SizeNWSE},
        {{r.Right - 1, r.Top}, TCanvasCursor::SizeNESW},
        {{r.Left, (r.Top + r.Bottom) / 2}, TCanvasCursor::SizeWE},
        {{(r.Left + r.Right) / 2, r.Bottom - 1}, TCanvasCursor::SizeNS},
        {{(r.Left + r.Right) / 2, r.Top + 20}, TCanvasCursor::SizeAll},
        {e.At(102200, 100500 + 20 + t->GetTextOffset() * 10), TCanvasCursor::IBeam},
        {e.At(102200, 101400), TCanvasCursor::SizeAll},
        {e.At(104000, 104000), TCanvasCursor::Arrow},
    };
    for (const Case &c : cases)
        EXPECT_EQ(e.Input().CursorAt(c.P), c.Cursor) << c.P;
}

TEST(CanvasInput, DeleteSparesATextBeingEdited)
{
    TEditor e;
    auto text = std::make_unique<Tvnltext>();
    Tvnltext *t = text.get();
    e.Doc().AddObject(std::move(text));
    t->SetBounds({100500, 100500, 102500, 101500});
    t->SetText(QStringLiteral("Cabernet\r\n2004"));
    e.View().GiveDocumentsTheView();
    e.Click(e.At(101000, 101000)); // selects it
    e.Click(e.At(101000, 101000)); // opens the editor
    ASSERT_TRUE(e.Host.Editor.Visible);
    EXPECT_EQ(e.Host.Editor.Text, QStringLiteral("Cabernet\n2004"));
    EXPECT_EQ(e.Host.EditorFocus, 1);
    e.Input().TextEdited(QStringLiteral("Cabernet\n2005"));
    EXPECT_EQ(t->GetText(), QStringLiteral("Cabernet\r\n2005"));
    e.Input().KeyUp(Qt::Key_Delete);
    EXPECT_EQ(e.Doc().Count(), 1);
    // A plain click in the editor closes it; Delete then deletes the box, as one undo step.
    e.Input().EditorMouseDown();
    e.Input().EditorMouseUp();
    EXPECT_FALSE(e.Host.Editor.Visible);
    e.Input().KeyUp(Qt::Key_Delete);
    EXPECT_EQ(e.Doc().Count(), 0);
    e.Doc().Undo();
    EXPECT_EQ(e.Doc().Count(), 1);
}

TEST(CanvasInput, TheEditorGrowsPastTheBoxWhileTheTextNeedsMoreLines)
{
    TEditor e;
    auto text = std::make_unique<Tvnltext>();
    Tvnltext *t = text.get();
    e.Doc().AddObject(std::move(text));
    t->Font.SetName(QStringLiteral("Liberation Sans"));
    t->Font.SetHeight(-14);
    t->SetBounds({100500, 100500, 101500, 100750}); // 100 by 25 pixels: one line
    t->SetText(QStringLiteral("Larkspur"));
    e.View().GiveDocumentsTheView();
    e.Labeler.PaintCanvas({0, 0, PanelWidth, PanelHeight});
    e.Click(e.At(101000, 100600));
    e.Click(e.At(101000, 100600));
    ASSERT_TRUE(e.Host.Editor.Visible);
    const int32_t oneLine = e.Host.Editor.Rect.Height();
    EXPECT_LE(oneLine, 27);
    EXPECT_EQ(e.Toolbox.GetOversetText(), QString());

    // Typing wraps to more lines than the box holds: the editor shows them all, the tool window
    // says how many the label cuts.
    e.Input().TextEdited(QStringLiteral("Larkspur Hill Vineyards of the Russian River"));
    e.Labeler.PaintCanvas({0, 0, PanelWidth, PanelHeight});
    const int32_t lines = t->GetFullTextHeight() / (oneLine - 2);
    EXPECT_GE(lines, 3);
    EXPECT_EQ(e.Host.Editor.Rect.Height(), t->GetFullTextHeight() + 2);
    EXPECT_EQ(e.Host.Editor.Rect.Top, t->GetScreenRect().Top - 1);
    EXPECT_EQ(t->GetHiddenLines(), lines - 1);
    EXPECT_EQ(e.Toolbox.GetOversetText(), OversetMessage(lines - 1));

    // Shorter again, the editor shrinks back over the box and the notice goes.
    e.Input().TextEdited(QStringLiteral("Larkspur"));
    e.Labeler.PaintCanvas({0, 0, PanelWidth, PanelHeight});
    EXPECT_EQ(e.Host.Editor.Rect.Height(), oneLine);
    EXPECT_EQ(e.Toolbox.GetOversetText(), QString());
    EXPECT_EQ(OversetMessage(1), QStringLiteral("Text does not fit: 1 line is hidden"));
    EXPECT_EQ(OversetMessage(4), QStringLiteral("Text does not fit: 4 lines are hidden"));
}

TEST(CanvasInput, TheMiddleButtonPansAndAPressCutShortClosesItsUndoGroup)
{
    TEditor e;
    const TRect before = e.View().GetViewport();
    e.Input().MouseDown(TMouseButton::Middle, {300, 300}, false, false);
    e.Input().MouseMove({330, 280}, false, false);
    e.Input().MouseUp(TMouseButton::Middle, {330, 280}, false, false);
    EXPECT_EQ(e.View().GetViewport().Left, before.Left - 30);
    EXPECT_EQ(e.View().GetViewport().Top, before.Top + 20);
    EXPECT_EQ(e.Input().GetMouseMode(), TMouseMode::Idle);

    Tdrawobj *o = e.AddShape({100500, 100500, 101500, 101500});
    e.Doc().SelectObject(o);
    const TPoint p = e.At(101000, 101000);
    e.Input().MouseDown(TMouseButton::Left, p, false, false);
    for (int i = 1; i <= 5; ++i)
        e.Input().MouseMove({p.X + 10 * i, p.Y}, false, false);
    // The release never comes (the window lost the mouse): the next press ends the drag first.
    e.Input().MouseDown(TMouseButton::Left, p, false, false);
    e.Input().MouseUp(TMouseButton::Left, p, false, false);
    EXPECT_EQ(e.Doc().BeginUndoGroup(), 1);
    e.Doc().EndUndoGroup();
    e.Doc().Undo();
    EXPECT_EQ(e.Doc().GetObject(0)->Left(), 100500);
}

TEST(CodeTool, ANewCodeTakesThePanelAndKeepsItsProportionsWhileDragged)
{
    TEditor e;
    e.Toolbox.GetCodePanel().SetSymbology(uint8_t(TSymbology::Ean8));
    e.Toolbox.GetCodePanel().SetData(QStringLiteral("9638507"));
    e.Input().ToolButtonClicked(TTool::Code, QString());
    EXPECT_EQ(e.Doc().Tool, TTool::Code);
    const TPoint p = e.At(100200, 100200);
    e.Drag(p, {p.X + 200, p.Y + 20}, 6);
    ASSERT_EQ(e.Doc().Count(), 1);
    auto *code = dynamic_cast<Tvnlcode *>(e.Doc().GetObject(0));
    ASSERT_TRUE(code);
    EXPECT_EQ(code->GetSpec().Data, QStringLiteral("9638507"));
    EXPECT_TRUE(code->PrintProblem().isEmpty());
    const TCodeVector &v = *code->Encoded().Vector;
    EXPECT_NEAR(double(code->Height()) / code->Width(), v.Height / v.Width, 0.01);
    EXPECT_EQ(e.Input().CurrentTool(), TTool::Select);
    e.Doc().Undo();
    EXPECT_EQ(e.Doc().Count(), 0);
}
