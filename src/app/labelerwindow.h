#pragma once
// The editor window: the tool bar, the canvas with its scroll bars and the in-place text editor
// over a label. A thin shell over Tlabeler: it turns Qt's events into the logic's calls and shows
// what the logic asks for (Tlabelerhost).

#include "editing/labeler.h"
#include "editing/labelerhost.h"
#include "settings/formplacement.h"

#include <QMainWindow>
#include <QRegion>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QPlainTextEdit;
class QScrollBar;
class QToolBar;
class QToolButton;
class TAboutBox;
class Tfrm_help;
class Tfrm_startup;
class Tpnl_dropmsg;
class Tregistryex;
class Ttoolbox;
class Tvnldrawpanel;

// How the program runs a modal dialog; tests replace it to answer without waiting.
using TModalRunner = std::function<int(QDialog &dialog)>;
void SetModalRunner(TModalRunner runner);
int RunModal(QDialog &dialog);

class Tfrm_labeler : public QMainWindow, private Tlabelerhost {
    Q_OBJECT

public:
    // Builds the window and runs the logic's creation; "--setregversion" ends the program as soon
    // as its message loop runs.
    Tfrm_labeler(Tregistryex &store, const TCommandLine &commandLine, const QString &version);
    ~Tfrm_labeler() override;

    Tlabeler &Logic() { return *Labeler; }

    // The windows the editor drives, wired by the program before the first show.
    void ConnectToolbox(Ttoolbox *toolbox, Ttoolwindowplacement *placement);
    void ConnectStartupDialog(Tfrm_startup *dialog);
    void ConnectAboutBox(TAboutBox *about);
    // Shows or hides the tool window.
    std::function<void(bool visible)> OnShowToolWindow;
    // The Print button (the print wizard); without one the button does nothing.
    std::function<void()> OnPrint;
    // The window is on screen for the first time, where the window manager put it.
    std::function<void()> OnFirstPlaced;

    // The commands of the window's action list and their categories ("Template" and the like):
    // activating the window enables every one, deactivating disables every one.
    QAction *AddAction(QAction *action, const QString &category = QString());
    const std::vector<QAction *> &GetActionList() const { return ActionList; }
    void SetCategoryVisible(const QString &category, bool visible);

    // Help: the introduction, the contents, the about box.
    void ShowHelpTopic(const QString &topic);
    void ShowAboutBox();

    // Controls, named as the window's parts are.
    QToolBar *tbr_buttons;
    std::vector<QToolButton *> ToolBarButtons; // in the order of ToolButtons
    Tpnl_dropmsg *pnl_messages;
    QWidget *pnl_canvas_contnr;
    Tvnldrawpanel *dpnl_canvas;
    QScrollBar *sb_vert;
    QWidget *pnl_bottomscroll;
    QScrollBar *sb_horiz;
    QWidget *pnl_spacer;
    QPlainTextEdit *mem_edittext;
    QMenu *mnu_help;
    QAction *act_about;
    QAction *act_help;
    QAction *act_helpcontents;
    QTimer tmr_invalid;

protected:
    // Base
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Tlabelerhost
    void ViewportChanged(const TRect &viewport) override;
    void ScrollBarsChanged(const TScrollBarState &horizontal, const TScrollBarState &vertical) override;
    void RequestRepaint() override;
    void SetCanvasCursor(TCanvasCursor cursor) override;
    void TextEditorChanged(const TTextEditorState &editor) override;
    void FocusTextEditor() override;
    void FocusCanvas() override;
    void ShowContextMenu(const TPoint &panelPoint) override;
    void ToolButtonsChanged(int32_t tool) override;
    void SetCaption(const QString &caption) override;
    void SetTemplateActionsVisible(bool visible) override;
    void SetButtonCaptions(bool visible) override;
    Tplacementtarget &MainPlacement() override { return Placement; }
    bool IsEnding() const override;
    void ShowStartupDialog(const QString &recentLabelName) override;

    void BuildToolBar();
    void BuildCanvas();
    void BuildMenus();
    void WirePanel();
    void RunStartupDialog();
    void RepaintTimerFired();
    void PaintPanel();
    void SetActionsEnabled(bool enabled);
    bool IsInThisWindow(QObject *object) const;

    std::unique_ptr<Tlabeler> Labeler;
    TWidgetPlacement<QWidget> Placement{*this};
    std::vector<QAction *> ActionList;
    Tfrm_startup *StartupDialog = nullptr;
    TAboutBox *AboutBox = nullptr;
    std::unique_ptr<Tfrm_help> HelpWindow;
    QCursor ZoomInCursor;
    QCursor ZoomOutCursor;
    bool FirstShown = false;
    bool Ending = false;
    // The in-place editor's text is being set from the logic, not typed.
    bool SettingEditorText = false;
    // The start-up dialog waits for the window to be on screen.
    bool StartupPending = false;
    bool Placed = false;
    // Painted into the back buffer but not yet copied to the panel.
    QRegion PendingCopy;
};
