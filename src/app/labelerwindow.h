#pragma once
// The editor window: the tool bar, the canvas with its scroll bars and the in-place text editor
// over a label. A thin shell over Tlabeler: it turns Qt's events into the logic's calls and shows
// what the logic asks for (Tlabelerhost).

#include "editing/labeler.h"
#include "editing/labelerhost.h"
#include "settings/formplacement.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QRegion>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMenu;
class QMimeData;
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
    // File > Printer Setup: the print back end's printer dialog.
    std::function<void()> OnPrinterSetup;
    // The window is on screen for the first time, where the window manager put it.
    std::function<void()> OnFirstPlaced;

    // The commands of the window's action list and their categories ("Template" and the like):
    // activating the window enables every one, deactivating disables every one.
    QAction *AddAction(QAction *action, const QString &category = QString());
    void SetCategoryVisible(const QString &category, bool visible);

    // Help: the introduction, the contents, the about box.
    void ShowHelpTopic(const QString &topic);
    void ShowAboutBox();
    // The Edit menu or the context menu opens: the edit actions show what they can do now.
    void UpdateEditActions();
    // Runs the command whose shortcut keys are (a key another window of the program passed on);
    // false when no command of this window has them.
    bool RunShortcut(const QKeySequence &keys);

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
    // The main menu and its items that are no actions of the action list.
    QMenu *mnu_file;
    QAction *mnu_new, *mnu_open, *mnu_save, *mnu_saveas, *mnu_print, *mnu_printersetup, *mnu_exit;
    // File > Open Recent, filled each time it opens.
    QMenu *mnu_recent;
    QMenu *mnu_edit;
    QMenu *mnu_select;
    QAction *mnu_selectall, *mnu_invertselection, *mnu_selectnone;
    QMenu *mnu_view;
    QAction *mnu_toolwindow, *mnu_buttontext, *mnu_showdata = nullptr;
    QMenu *mnu_help;
    // The context menu of the drawing panel and its submenu.
    QMenu *pm_canvas;
    QMenu *mnu_changeorder;
    // The action list.
    QAction *act_cut, *act_copy, *act_paste, *act_delete, *act_undo, *act_redo;
    // Redo's keys (Ctrl+Y, Ctrl+Shift+Z): redo stays out of the menus, its keys work.
    QAction *act_redokeys;
    QAction *act_zforward, *act_zbackward, *act_zfront, *act_zback;
    QAction *act_movetotemplate, *act_movealltotemplate, *act_movefromtemplate, *act_cleartemplate,
        *act_edittemplate, *act_savetemplate, *act_saveastemplate, *act_regfiletype, *act_newversionconv;
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
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

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
    void ToolButtonsChanged(TTool tool) override;
    void SetCaption(const QString &caption) override;
    void SetTemplateActionsVisible(bool visible) override;
    void SetButtonCaptions(bool visible) override;
    Tplacementtarget &MainPlacement() override { return Placement; }
    bool IsEnding() const override;
    void ShowStartupDialog(const QString &recentLabelName) override;

    void BuildToolBar();
    void BuildCanvas();
    void BuildMenus();
    void BuildActions();
    void BuildContextMenu();
    // An action of the action list in its category, running command when triggered.
    QAction *Command(const QString &caption, const QString &category, const std::function<void()> &command,
                     const QKeySequence &shortcut = {});
    // A menu's opening narrows the actions; once it has closed they are all enabled again.
    void WireEditMenu(QMenu *menu);
    void FillRecentMenu();
    // The local files of a drag, and where on the drawing panel it is (nothing off the panel).
    static QStringList DraggedFiles(const QMimeData *data);
    std::optional<TPoint> CanvasPoint(const QPointF &windowPoint) const;
    void WirePanel();
    void RunStartupDialog();
    void RepaintTimerFired();
    void FitTextEditorWidget(QRect rect);
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
    QRect EditorRect; // where the editor goes, as the editing logic last placed it
    // The start-up dialog waits for the window to be on screen.
    bool StartupPending = false;
    bool Placed = false;
    // Painted into the back buffer but not yet copied to the panel.
    QRegion PendingCopy;
};
