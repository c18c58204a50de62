#pragma once
// What the editor window's logic asks of the window that shows it: the viewport and scroll bars,
// the cursor, the in-place text editor, focus, the repaint timer, the caption and the modal
// start-up dialog. The window implements it with Qt widgets; tests implement it with a recorder.

#include "document/drawobj.h"
#include "document/text.h"
#include "platform/gdiobjects.h"
#include "platform/types.h"

#include <QString>
#include <algorithm>
#include <cstdint>

class Tplacementtarget;

// The cursors of the drawing panel.
enum class TCanvasCursor {
    Arrow,
    ZoomIn,
    ZoomOut,
    SizeNWSE, // north-west to south-east
    SizeNESW,
    SizeWE,
    SizeNS,
    IBeam,
    SizeAll,
};

// A scroll bar as the view keeps it. Max is the last pixel of the range and PageSize the part
// the panel shows, so the thumb's position runs from Min to Max - PageSize + 1 (never below Min).
struct TScrollBarState {
    int32_t Min = 0;
    int32_t Max = 100;
    int32_t PageSize = 0;
    int32_t Position = 0;
    // A click in the trough, and a click on an arrow.
    int32_t LargeChange = 1;
    int32_t SmallChange = 1;

    int32_t MaxPosition() const { return std::max(Min, Max - std::max(PageSize - 1, 0)); }
    int32_t Clamped(int32_t position) const { return std::clamp(position, Min, MaxPosition()); }

    friend bool operator==(const TScrollBarState &, const TScrollBarState &) = default;
};

// The in-place editor of a text box: a borderless plain-text box laid over the text's lines.
// Text holds line feeds; the text box itself holds CR LF.
struct TTextEditorState {
    bool Visible = false;
    TRect Rect;
    TColor Background = clWhite;
    Tfont Font;
    THorizontalAlign Alignment = THorizontalAlign::Left;
    QString Text;
};

class Tlabelerhost {
public:
    virtual ~Tlabelerhost() = default;

    // The view: the drawing panel shows viewport (Left, Top: the scroll offset; Right, Bottom: the
    // panel's size); the scroll bars show the two states. Neither call reports back.
    virtual void ViewportChanged(const TRect &viewport) = 0;
    virtual void ScrollBarsChanged(const TScrollBarState &horizontal, const TScrollBarState &vertical) = 0;
    // Starts the repaint timer; when it fires the window paints what PendingPanelRects names.
    virtual void RequestRepaint() = 0;

    // The canvas.
    virtual void SetCanvasCursor(TCanvasCursor cursor) = 0;
    virtual void TextEditorChanged(const TTextEditorState &editor) = 0;
    virtual void FocusTextEditor() = 0;
    virtual void FocusCanvas() = 0;
    // Opens the context menu at a panel point without waiting for it to close.
    virtual void ShowContextMenu(const TPoint &panelPoint) = 0;
    // The tool-bar button of this tool is down, every other one up.
    virtual void ToolButtonsChanged(TTool tool) = 0;

    // The window.
    virtual void SetCaption(const QString &caption) = 0;
    // The actions of the template commands show only in template mode.
    virtual void SetTemplateActionsVisible(bool visible) = 0;
    // The tool bar shows its captions under the icons, or icons alone.
    virtual void SetButtonCaptions(bool visible) = 0;
    virtual Tplacementtarget &MainPlacement() = 0;
    // The program is ending: no dialog is shown and no placement saved.
    virtual bool IsEnding() const = 0;
    // Shows the start-up dialog modally with the last saved label's name (empty for none). Its
    // buttons call back into the logic.
    virtual void ShowStartupDialog(const QString &recentLabelName) = 0;
};
