#pragma once
// The editor window's logic without a window: a host that records what the logic asks it to show,
// a store over memory, and a labeler with the real tool-window logic over an 800 x 600 panel.

#include "common/fakes.h"
#include "common/testsupport.h"
#include "editing/labeler.h"
#include "editing/labelerhost.h"
#include "editing/toolbox.h"
#include "platform/filedialog.h"
#include "platform/messages.h"
#include "settings/formplacement.h"
#include "settings/registry.h"

#include <deque>
#include <memory>
#include <optional>
#include <vector>

class TFakeWindow : public Tplacementtarget {
public:
    // Base
    QString Name() const override { return QStringLiteral("frm_labeler"); }
    QString OwnerName() const override { return QString(); }
    bool IsForm() const override { return true; }
    TWindowState GetWindowState() const override { return State; }
    void SetWindowState(TWindowState state) override { State = state; }
    TRect GetBounds() const override { return Bounds; }
    void SetBounds(const TRect &r) override { Bounds = r; }

    TWindowState State = wsNormal;
    TRect Bounds{100, 100, 956, 699};
};

class TRecordingHost : public Tlabelerhost {
public:
    // Base
    void ViewportChanged(const TRect &viewport) override { Viewport = viewport; }
    void ScrollBarsChanged(const TScrollBarState &h, const TScrollBarState &v) override
    {
        Horizontal = h;
        Vertical = v;
    }
    void RequestRepaint() override { ++Repaints; }
    void SetCanvasCursor(TCanvasCursor cursor) override { Cursor = cursor; }
    void TextEditorChanged(const TTextEditorState &editor) override { Editor = editor; }
    void FocusTextEditor() override { ++EditorFocus; }
    void FocusCanvas() override {}
    void ShowContextMenu(const TPoint &p) override { ContextMenus.push_back(p); }
    void ToolButtonsChanged(TTool tool) override { ToolDown = tool; }
    void SetCaption(const QString &caption) override { Caption = caption; }
    void SetTemplateActionsVisible(bool visible) override { TemplateActions = visible; }
    void SetButtonCaptions(bool visible) override { ButtonCaptions = visible; }
    Tplacementtarget &MainPlacement() override { return Window; }
    bool IsEnding() const override { return Ending; }
    void ShowStartupDialog(const QString &recentName) override { StartupDialogs.push_back(recentName); }

    TRect Viewport;
    TScrollBarState Horizontal, Vertical;
    int Repaints = 0;
    TCanvasCursor Cursor = TCanvasCursor::Arrow;
    TTextEditorState Editor;
    int EditorFocus = 0;
    std::vector<TPoint> ContextMenus;
    std::optional<TTool> ToolDown;
    QString Caption;
    bool TemplateActions = false;
    bool ButtonCaptions = false;
    bool Ending = false;
    std::vector<QString> StartupDialogs;
    TFakeWindow Window;
};

// Answers the standard message box from a script, then OK to a message and Cancel to a
// question, and records the texts.
class TScriptedAnswers : public TMessageRecorder {
public:
    explicit TScriptedAnswers(std::deque<int> answers = {}) : TMessageRecorder(std::move(answers), ByButtons)
    {
    }
};

// Answers the message dialog from a script (then mrOk) and records what it showed.
using TScriptedFlex = TFlexRecorder;

// The settings key on an in-memory tree.
struct TMemorySettings {
    std::shared_ptr<TCountingBackend> Backend = std::make_shared<TCountingBackend>();
    Tregistryex Store;

    TMemorySettings();
    ~TMemorySettings();
};

constexpr int32_t PanelWidth = 800;
constexpr int32_t PanelHeight = 600;

// A labeler connected to the tool window's logic, its panel 800 x 600 at zoom 1 with the label's
// top-left 100 pixels from the panel's corner.
struct TEditor {
    explicit TEditor(const QStringList &arguments = {});

    TMemorySettings Settings;
    TRecordingHost Host;
    Ttoolbox Toolbox{Settings.Store};
    Tlabeler Labeler;

    Tdrawlist &Doc() { return Labeler.Document(); }
    Tcanvasinput &Input() { return Labeler.Input(); }
    Tlabelview &View() { return Labeler.View(); }
    // The panel point of a document point.
    TPoint At(int32_t docX, int32_t docY);
    // A selected-or-not shape with these document bounds, added to the project.
    Tdrawobj *AddShape(const TRect &bounds);
    // A press, moves in steps to the end point, and the release.
    void Drag(const TPoint &from, const TPoint &to, int moves, bool shift = false, bool ctrl = false);
    void Click(const TPoint &p, bool ctrl = false);
};
