#include "editing/canvasinput.h"

#include "document/code.h"
#include "document/drawlist.h"
#include "document/labeltemplate.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "editing/labelview.h"
#include "editing/toolbox.h"
#include "editing/zoom.h"
#include "platform/colors.h"
#include "platform/rnd.h"
#include "platform/scopedvalue.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <vector>

namespace {

bool IsCreatingTool(TTool tool)
{
    return (tool >= TTool::Text && tool <= TTool::Line) || tool == TTool::Code;
}

// The press that started a mode ends it: the left button a drag, the middle button a pan.
bool EndsMode(TMouseMode mode, TMouseButton button)
{
    return (mode == TMouseMode::LeftDrag && button == TMouseButton::Left) ||
           (mode == TMouseMode::Pan && button == TMouseButton::Middle);
}

TCanvasCursor HandleCursor(int32_t code)
{
    switch (code) {
    case hcTopLeft:
    case hcBottomRight:
        return TCanvasCursor::SizeNWSE;
    case hcTopRight:
    case hcBottomLeft:
        return TCanvasCursor::SizeNESW;
    case hcLeft:
    case hcRight:
        return TCanvasCursor::SizeWE;
    default:
        return TCanvasCursor::SizeNS;
    }
}

} // namespace

QString EditorLines(const QString &boxText)
{
    QString s = boxText;
    return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString BoxLines(const QString &editorText)
{
    // A CR LF already there stays one break.
    QString s = editorText;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

Tcanvasinput::Tcanvasinput(Tdrawlist &document, Tlabelview &view, Tlabelerhost &host)
    : Document(document), View(view), Host(host)
{
}

TTool Tcanvasinput::CurrentTool() const
{
    return Document.Tool;
}

bool Tcanvasinput::IsSelectingTool() const
{
    return CurrentTool() == TTool::Select || CurrentTool() == TTool::Alignment;
}

Tvnltext *Tcanvasinput::CurrentText() const
{
    return dynamic_cast<Tvnltext *>(Document.GetSelectedObject());
}

Tdrawobj *Tcanvasinput::LiveDragObject()
{
    if (DragObject && Document.IndexOfObject(DragObject) == -1)
        DragObject = nullptr;
    return DragObject;
}

void Tcanvasinput::SelectTool(TTool tool)
{
    // The document's tool first: the selection handlers below go by it.
    Document.Tool = tool;
    if (Toolbox)
        Toolbox->SelectTool(tool);
    Host.ToolButtonsChanged(tool);
    Host.SetCanvasCursor(tool == TTool::Zoom      ? TCanvasCursor::ZoomIn
                         : tool == TTool::ZoomOut ? TCanvasCursor::ZoomOut
                                                  : TCanvasCursor::Arrow);
    if (tool == TTool::Text || tool == TTool::Image || tool == TTool::Shape || tool == TTool::Code)
        Document.SelectObject(nullptr);
    if ((tool == TTool::Text || tool == TTool::Image || tool == TTool::Shape || tool == TTool::Code ||
         tool == TTool::Alignment) &&
        ToolWindowWanted)
        ShowToolWindow(true);
    Host.FocusCanvas();
}

void Tcanvasinput::ToolButtonClicked(TTool tool, const QString &hint)
{
    if (tool == CurrentTool())
        ShowToolWindow(ToolWindowWanted && (tool != TTool::Select || Document.SelectedCount() > 0));
    Host.FocusCanvas();
    SelectTool(tool);
    SelectionChanged(Document.GetSelectedObject());
    if (Toolbox)
        Toolbox->ShowToolHint(hint);
}

void Tcanvasinput::SelectionChanged(Tdrawobj *object)
{
    if (CurrentTool() != TTool::Select)
        return;
    if (!object) {
        if (Toolbox)
            Toolbox->ShowSelection(nullptr);
        ShowToolWindow(false);
        SetEditorVisible(false);
        return;
    }
    if (ToolWindowWanted)
        ShowToolWindow(true);
    Host.FocusCanvas();
    if (Toolbox)
        Toolbox->ShowSelection(object);
    if (auto *text = dynamic_cast<Tvnltext *>(object)) {
        Editor.Text = EditorLines(text->GetText());
        if (!Toolbox)
            Editor.Alignment = text->EffectiveHAlign();
        FitTextEditor();
        PublishEditor();
    } else {
        SetEditorVisible(false);
    }
}

void Tcanvasinput::TextAlignChanged()
{
    if (CurrentTool() != TTool::Select || !Toolbox)
        return;
    Editor.Alignment = Toolbox->GetSampleHAlign();
    SetEditorVisible(false);
}

void Tcanvasinput::MouseDown(TMouseButton button, const TPoint &p, bool ctrl, bool /*shift*/)
{
    // A press whose release never came (the window lost the mouse) ends before a new one starts.
    if (button == TMouseButton::Left && LeftPressOpen)
        CancelPress();
    Document.SetDraftAll(false);
    if (tlabeltemplate *t = Document.GetTemplate())
        t->SetDraftAll(false);
    if (button == TMouseButton::Right && CurrentTool() != TTool::Zoom)
        Host.ShowContextMenu(p);
    Document.StartDraftTiming(DragDraftBudget);
    MoveCount = 0;
    if (button == TMouseButton::Left) {
        // The whole press is one undo step; its release closes the group, also after a failure here.
        Document.BeginUndoGroup();
        LeftPressOpen = true;
    }
    ClickConsumed = false;
    DownPoint = p;
    LastPoint = p;
    if (button == TMouseButton::Left && IsSelectingTool())
        PickAt(p, ctrl);
    if (button == TMouseButton::Middle)
        MouseMode = TMouseMode::Pan;
    if (button == TMouseButton::Left && MouseMode == TMouseMode::Idle && IsSelectingTool())
        StartDrag(p);
    if (button == TMouseButton::Left && IsCreatingTool(CurrentTool()))
        CreateObject(p);
}

void Tcanvasinput::PickAt(const TPoint &p, bool ctrl)
{
    const Tdrawobj *current = Document.GetSelectedObject();
    if (current && (current->ContainsPoint(p) || current->HandleAt(p) != hcNone))
        return;
    Tdrawobj *hit = Document.ObjectAt(p, true);
    if (!hit)
        return;
    if (ctrl)
        hit->SetSelected(!hit->IsSelected());
    else if (!Document.SelectedAt(p))
        Document.SelectObject(hit);
    // Otherwise a member of a multiple selection lies under the mouse: the selection stays, so
    // dragging moves all of it.
    ClickConsumed = true;
}

void Tcanvasinput::StartDrag(const TPoint &p)
{
    MouseMode = TMouseMode::LeftDrag;
    Tdrawobj *handleOwner = nullptr;
    const int32_t code = Document.SelectedHandleAt(p, handleOwner);
    // Without an owner the code means nothing: the press moves whatever selected object it hit.
    DragHandles = handleOwner ? code : hcNone;
    DragObject = handleOwner ? handleOwner : Document.SelectedAt(p);
    if (!DragObject)
        return;
    if (DragObject->Width() != 0)
        DragObject->AspectRatio = double(DragObject->Height()) / DragObject->Width();
    DragObject->DragOffset = {p.X - DragObject->ScreenLeft(), p.Y - DragObject->ScreenTop()};
    if (Toolbox)
        Toolbox->ShowToolHint(DragObject->Hint);
}

void Tcanvasinput::CreateObject(const TPoint &p)
{
    std::unique_ptr<Tdrawobj> object;
    switch (CurrentTool()) {
    case TTool::Text: {
        auto text = std::make_unique<Tvnltext>();
        if (Toolbox)
            Toolbox->ApplyTextStyle(text.get());
        object = std::move(text);
        break;
    }
    case TTool::Image: {
        auto picture = std::make_unique<Tvnlpic>();
        if (Toolbox && Toolbox->HasImage())
            picture->SetPicture(Toolbox->GetPreview());
        object = std::move(picture);
        break;
    }
    case TTool::Shape: {
        auto shape = std::make_unique<Tvnlshape>();
        if (Toolbox)
            Toolbox->ApplyShapeStyle(shape.get());
        object = std::move(shape);
        break;
    }
    case TTool::Code: {
        auto code = std::make_unique<Tvnlcode>();
        if (Toolbox)
            Toolbox->GetCodePanel().ApplyTo(*code);
        // A drag keeps the proportions the symbology gives it.
        const TPoint size = code->GetDefaultSize(Document.GetLabelRect().Width());
        code->AspectRatio = double(size.Y) / std::max(size.X, 1);
        object = std::move(code);
        break;
    }
    case TTool::Symbol:
        object = std::make_unique<Tvnlsymbol>();
        break;
    default:
        object = std::make_unique<Tvnlline>();
        break;
    }
    // A drag then sizes it by its bottom-right.
    PlaceAtDefaultSize(*object, p);
    Tdrawobj *created = object.get();
    Document.AddObject(std::move(object));
    DragHandles = hcBottomRight;
    DragObject = created;
    created->DragOffset = {p.X - created->ScreenLeft(), p.Y - created->ScreenTop()};
    SelectTool(TTool::Select);
    Document.SelectObject(created);
    MouseMode = TMouseMode::LeftDrag;
    ClickConsumed = true;
}

void Tcanvasinput::MouseMove(const TPoint &p, bool /*ctrl*/, bool shift)
{
    if (MoveCount < INT32_MAX)
        ++MoveCount;
    if (MouseMode == TMouseMode::Pan) {
        // The label follows the mouse.
        View.SetScrollPosition(true, View.GetVertical().Position - (p.Y - LastPoint.Y));
        View.SetScrollPosition(false, View.GetHorizontal().Position - (p.X - LastPoint.X));
        LastPoint = p;
    }
    if (MouseMode != TMouseMode::LeftDrag || MoveCount <= DragThresholdMoves) {
        Host.SetCanvasCursor(CursorAt(p));
        return;
    }
    Tdrawobj *object = LiveDragObject();
    if (!object)
        return;
    if (DragHandles != hcNone)
        Resize(*object, p, shift);
    else
        MoveSelection(*object, p);
}

void Tcanvasinput::Resize(Tdrawobj &o, const TPoint &p, bool shift)
{
    ClickConsumed = true;
    TRect r = o.GetScreenRect();
    const int32_t d = o.HandleInflate;
    if (DragHandles & hcLeft)
        r.Left = p.X + d;
    if (DragHandles & hcTop)
        r.Top = p.Y + d;
    if (DragHandles & hcBottom)
        r.Bottom = p.Y - d;
    if (DragHandles & hcRight)
        r.Right = p.X - d;
    // A corner keeps the proportions the object had when the drag started, unless Shift turns
    // the object's own rule round.
    const bool corner = std::popcount(uint32_t(DragHandles)) > 1;
    if (corner && o.KeepsAspect() != shift) {
        const double a = o.AspectRatio;
        const int32_t w = r.Right - r.Left;
        const int32_t h = r.Bottom - r.Top;
        if (w > 0 && h > 0 && double(w) / h < a) {
            if (DragHandles & hcLeft)
                r.Left = r.Right - rnd(h / a);
            else
                r.Right = r.Left + rnd(h / a);
        } else {
            if (DragHandles & hcTop)
                r.Top = r.Bottom - rnd(w * a);
            else
                r.Bottom = r.Top + rnd(w * a);
        }
    }
    o.SetScreenRect(r);
}

void Tcanvasinput::MoveSelection(Tdrawobj &o, const TPoint &p)
{
    if (!o.IsSelected())
        return;
    ClickConsumed = true;
    const int32_t dx = p.X - o.DragOffset.X - o.ScreenLeft();
    const int32_t dy = p.Y - o.DragOffset.Y - o.ScreenTop();
    if (dx == 0 && dy == 0)
        return;
    std::vector<Tdrawobj *> selected;
    Document.CollectSelected(selected);
    for (Tdrawobj *s : selected) {
        const TRect r = s->GetScreenRect();
        s->SetScreenRect({r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy});
    }
}

void Tcanvasinput::MouseUp(TMouseButton button, const TPoint &p, bool ctrl, bool /*shift*/)
{
    const bool closesGroup = button == TMouseButton::Left && LeftPressOpen;
    if (closesGroup)
        LeftPressOpen = false;
    // The group the press opened closes on every way out.
    const TScopeEnd groupEnd([this, closesGroup] {
        if (closesGroup)
            Document.EndUndoGroup();
    });
    ReleaseSteps(button, p, ctrl);
}

void Tcanvasinput::CancelPress()
{
    if (LeftPressOpen)
        MouseUp(TMouseButton::Left, LastPoint, false, false);
    if (MouseMode == TMouseMode::Pan)
        MouseUp(TMouseButton::Middle, LastPoint, false, false);
}

void Tcanvasinput::ReleaseSteps(TMouseButton button, const TPoint &p, bool ctrl)
{
    const bool drafted = Document.IsDraftActive();
    Document.StartDraftTiming(0);
    if (drafted)
        Document.Invalidate(true);
    if (CurrentTool() == TTool::Zoom) {
        if (button == TMouseButton::Left)
            View.ZoomAt(p, ZoomInStep(View.GetZoom()));
        else if (button == TMouseButton::Right)
            View.ZoomAt(p, ZoomOutStep(View.GetZoom()));
    }
    if (MoveCount < ClickMoveLimit && button == TMouseButton::Left && IsSelectingTool() && !ClickConsumed)
        Click(p, ctrl);
    ClickConsumed = false;
    if (EndsMode(MouseMode, button)) {
        MouseMode = TMouseMode::Idle;
        DragObject = nullptr;
    }
    View.UpdateScrollBars();
    Document.Invalidate(true);
}

void Tcanvasinput::Click(const TPoint &p, bool ctrl)
{
    Tdrawobj *hit = Document.ObjectAt(p, true);
    Tvnltext *text = CurrentText();
    if (hit && !text) {
        if (ctrl)
            hit->SetSelected(!hit->IsSelected());
        else
            Document.SelectObject(hit);
        hit->SetSelected(true);
        SetEditorVisible(false);
    } else if (ctrl) {
        if (Tdrawobj *selected = Document.SelectedAt(p))
            selected->SetSelected(false);
    } else if (text && text->ContainsPoint(p)) {
        // A click on the current text opens the in-place editor, a second one closes it.
        SetEditorVisible(!Editor.Visible);
        if (Editor.Visible)
            Host.FocusTextEditor();
    } else {
        SetEditorVisible(false);
        Document.SelectObject(nullptr);
    }
}

TCanvasCursor Tcanvasinput::CursorAt(const TPoint &p) const
{
    if (CurrentTool() == TTool::Zoom)
        return TCanvasCursor::ZoomIn;
    if (CurrentTool() == TTool::ZoomOut)
        return TCanvasCursor::ZoomOut;
    Tdrawobj *handleOwner = nullptr;
    const int32_t code = Document.SelectedHandleAt(p, handleOwner);
    if (handleOwner && code != hcNone)
        return HandleCursor(code);
    for (int32_t i = Document.Count() - 1; i >= 0; --i) {
        Tdrawobj *o = Document.GetObject(i);
        if (!o->IsSelected() || !o->ContainsPoint(p))
            continue;
        auto *text = dynamic_cast<Tvnltext *>(o);
        return text && text->TextAreaContains(p) ? TCanvasCursor::IBeam : TCanvasCursor::SizeAll;
    }
    return TCanvasCursor::Arrow;
}

void Tcanvasinput::KeyUp(int key)
{
    if (key != Qt::Key_Delete || !Document.GetSelectedObject())
        return;
    // Delete typed into the in-place editor edits the text.
    if (CurrentText() && Editor.Visible)
        return;
    DragObject = nullptr;
    // One undo step, unless a press is under way, whose group then holds it.
    Document.BeginUndoGroup();
    const TScopeEnd groupEnd([this] { Document.EndUndoGroup(); });
    Document.DeleteSelected();
}

void Tcanvasinput::PlaceAtDefaultSize(Tdrawobj &o, const TPoint &p) const
{
    o.SetView(View.GetViewport(), View.GetScale());
    o.Changed();
    o.SetScreenRect({p.X, p.Y, p.X + 1, p.Y + 1});
    const TPoint size = o.GetDefaultSize(Document.GetLabelRect().Width());
    o.SetWidth(size.X);
    o.SetHeight(size.Y);
}

bool Tcanvasinput::FitTextEditor()
{
    Tvnltext *text = CurrentText();
    if (!text)
        return false;
    const TRect s = text->GetScreenRect();
    const int32_t top = s.Top + std::max(text->GetTextOffset(), 0);
    // The editor shows the whole text: it reaches below the box while the text needs more lines.
    const int32_t height = std::max(text->GetTextHeight(), text->GetFullTextHeight());
    const TRect rect = GrowRect({s.Left, top, s.Right, top + height}, 1);
    Tfont font;
    font.Assign(Toolbox ? Toolbox->GetSampleFont() : text->Font);
    font.SetCharset(EditorCharset);
    font.SetHeight(text->GetScaledFont().Height());
    const TColor c = ColorToRGB(text->Font.Color());
    const int32_t lightness = GetRValue(c) + GetGValue(c) + GetBValue(c);
    // Light text is edited on black, dark text on white.
    const TColor background = lightness > LightTextLimit ? clBlack : clWhite;
    if (rect == Editor.Rect && font.SameAs(Editor.Font) && background == Editor.Background)
        return false;
    Editor.Rect = rect;
    Editor.Font = font;
    Editor.Background = background;
    return true;
}

void Tcanvasinput::PlaceTextEditor()
{
    // Placed after every paint: the window hears of it only when something moved or changed.
    if (FitTextEditor())
        PublishEditor();
}

void Tcanvasinput::TextEdited(const QString &text)
{
    Editor.Text = text;
    Tvnltext *box = CurrentText();
    if (!box)
        return;
    const QString boxText = BoxLines(text);
    if (boxText != box->GetText())
        box->SetText(boxText);
}

void Tcanvasinput::EditorMouseDown()
{
    EditorMoveCount = 0;
}

void Tcanvasinput::EditorMouseMove()
{
    if (EditorMoveCount < INT32_MAX)
        ++EditorMoveCount;
}

void Tcanvasinput::EditorMouseUp()
{
    // A plain click closes the editor; a drag that selects characters does not.
    if (EditorMoveCount < 2)
        SetEditorVisible(false);
}

void Tcanvasinput::HideTextEditor()
{
    SetEditorVisible(false);
}

void Tcanvasinput::RefreshTextEditor()
{
    if (Tvnltext *text = CurrentText()) {
        Editor.Text = EditorLines(text->GetText());
        PublishEditor();
    }
}

void Tcanvasinput::ShowToolWindow(bool visible)
{
    if (OnShowToolWindow)
        OnShowToolWindow(visible);
}

void Tcanvasinput::SetEditorVisible(bool visible)
{
    if (visible)
        PlaceTextEditor();
    if (Editor.Visible == visible)
        return;
    Editor.Visible = visible;
    PublishEditor();
}

void Tcanvasinput::PublishEditor()
{
    Host.TextEditorChanged(Editor);
}
