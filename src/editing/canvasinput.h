#pragma once
// What the mouse and the keyboard do on the editor's canvas: the tools, picking with
// click-through and Ctrl, moving the selection, resizing by the eight handles with the aspect
// rule, creating objects by click or drag, panning with the middle button, the cursor shapes, the
// in-place text editor and the Delete key. Each left press is one undo group, closed by its
// release; the tool window's panels follow the tool and the selection.

#include "editing/labelerhost.h"
#include "platform/types.h"

#include <QString>
#include <cstdint>
#include <functional>

class Tdrawlist;
class Tdrawobj;
class Tlabelview;
class Ttoolbox;
class Tvnltext;

// The mouse modes of the canvas.
enum class TMouseMode : uint8_t {
    LeftDrag = 0, // a left press with a selecting or creating tool
    Idle = 1,
    Pan = 2, // the middle button drags the label
};

// Move events after a press that move nothing: the drag threshold, counted in events.
constexpr int32_t DragThresholdMoves = 3;
// A release after fewer move events than this is a click.
constexpr int32_t ClickMoveLimit = 5;
// Draft drawing while a press lasts: slow objects draw in draft after this many milliseconds.
constexpr int32_t DragDraftBudget = 100;
// The font colour, red plus green plus blue, above which the in-place editor is black.
constexpr int32_t LightTextLimit = 381;
// The character set of the in-place editor's font (the default one).
constexpr uint8_t EditorCharset = 1;

// Text boxes hold CR LF line breaks, as the files carry them; the in-place editor holds line
// feeds. Both ways keep every other character, so a text survives the round trip.
QString EditorLines(const QString &boxText);
QString BoxLines(const QString &editorText);

class Tcanvasinput {
public:
    Tcanvasinput(Tdrawlist &document, Tlabelview &view, Tlabelerhost &host);

    // The tool window's logic (not owned); without one, objects are made with default settings.
    void SetToolbox(Ttoolbox *toolbox) { Toolbox = toolbox; }
    // View > Tool Window: the tool window shows itself for the tools and selections that use it.
    void SetToolWindowWanted(bool wanted) { ToolWindowWanted = wanted; }
    bool IsToolWindowWanted() const { return ToolWindowWanted; }
    // Shows or hides the tool window; the window wires it.
    std::function<void(bool visible)> OnShowToolWindow;

    TTool CurrentTool() const;
    // Makes a tool current: the buttons, the cursor, the tool window's panel, and for the creating
    // tools an empty selection.
    void SelectTool(TTool tool);
    // A tool-bar button was clicked; hint is the button's hint for the tool window's hint line.
    void ToolButtonClicked(TTool tool, const QString &hint);
    // The handler of the document's OnSelect.
    void SelectionChanged(Tdrawobj *object);
    // The tool window changed the text alignment.
    void TextAlignChanged();

    // The drawing panel's mouse, in panel pixels.
    void MouseDown(TMouseButton button, const TPoint &p, bool ctrl, bool shift);
    void MouseMove(const TPoint &p, bool ctrl, bool shift);
    void MouseUp(TMouseButton button, const TPoint &p, bool ctrl, bool shift);
    // The window lost the mouse or the focus in the middle of a press: the press ends as a
    // release where the mouse was last seen would end it.
    void CancelPress();
    TCanvasCursor CursorAt(const TPoint &p) const;

    // A key was released in the window (it sees every key first): Delete deletes the selection
    // unless the in-place editor is editing a text.
    void KeyUp(int key);

    // The in-place editor: placed over the current text after every paint; its text goes into
    // the text box as the user types (line feeds become CR LF); a plain click in it closes it.
    void PlaceTextEditor();
    // A new object at the view, its top-left at panel point p, its default size.
    void PlaceAtDefaultSize(Tdrawobj &o, const TPoint &p) const;
    void TextEdited(const QString &text);
    void EditorMouseDown();
    void EditorMouseMove();
    void EditorMouseUp();
    void HideTextEditor();
    // After undo: the editor shows the current text's text again.
    void RefreshTextEditor();

    TMouseMode GetMouseMode() const { return MouseMode; }

private:
    // The in-place editor's rectangle, font and background for the current text; whether any
    // changed.
    bool FitTextEditor();
    bool IsSelectingTool() const;
    Tvnltext *CurrentText() const;
    // The drag object, or none when it has left the document meanwhile.
    Tdrawobj *LiveDragObject();
    void PickAt(const TPoint &p, bool ctrl);
    void StartDrag(const TPoint &p);
    void CreateObject(const TPoint &p);
    void Resize(Tdrawobj &o, const TPoint &p, bool shift);
    void MoveSelection(Tdrawobj &o, const TPoint &p);
    void Click(const TPoint &p, bool ctrl);
    void ReleaseSteps(TMouseButton button, const TPoint &p, bool ctrl);
    void ShowToolWindow(bool visible);
    void SetEditorVisible(bool visible);
    void PublishEditor();

    Tdrawlist &Document;
    Tlabelview &View;
    Tlabelerhost &Host;
    Ttoolbox *Toolbox = nullptr;
    bool ToolWindowWanted = true;

    TMouseMode MouseMode = TMouseMode::Idle;
    int32_t DragHandles = 0;
    Tdrawobj *DragObject = nullptr;
    TPoint DownPoint;
    TPoint LastPoint;
    int32_t MoveCount = 0;
    bool ClickConsumed = false;
    // A left press opened an undo group that its release has not closed yet.
    bool LeftPressOpen = false;

    TTextEditorState Editor;
    int32_t EditorMoveCount = 0;
};
