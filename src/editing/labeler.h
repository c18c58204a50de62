#pragma once
// The editor window's logic: it owns the project and the template it is attached to, the view,
// the canvas input and the back buffer, and runs the window's life: creation, the first show
// (settings, the view, the files of the command line or the start-up dialog), the title, the
// save prompt and the close. The window is a thin shell that implements Tlabelerhost.

#include "document/fields.h"
#include "document/labelproject.h"
#include "editing/align.h"
#include "editing/backbuffer.h"
#include "editing/canvasinput.h"
#include "editing/labelview.h"
#include "editing/startup.h"
#include "platform/filedialog.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Tdrawlist;
class Tdrawobj;
class Tregistryex;
class Ttoolbox;
class tlabeltemplate;

// The settings the editor window keeps.
extern const char *const CurrentVersionSetting;     // "currentversion"
extern const char *const ToolboxVisibleSetting;     // "toolboxvisible"
extern const char *const ShowButtonCaptionsSetting; // "showbuttoncaptions"
extern const char *const LastOpenedFileSetting;     // "lastopenedfile"
extern const char *const LastFilePathSetting;       // "lastfilepath"
extern const char *const LastTemplatePathSetting;   // "lastfiletemplatepath"
extern const char *const RecentFilesSetting;        // "recentfiles": full paths, one a line
// File > Open Recent lists this many projects.
constexpr int32_t MaxRecentFiles = 8;
// The save prompt's question.
extern const char *const SavePromptText;
// Convert To New Version: the filter of its open dialog (before the project's and the template's
// own), its two questions and the folder the backups go into beside each file.
extern const char *const ConvertFilterAll;
extern const char *const BackupTitle;
extern const char *const BackupQuestion;
extern const char *const ConvertDoneTitle;
QString ConvertDoneMessage(int32_t count);
extern const char *const BackupFolderName;

// The buttons of the editor's tool bar, in their order. A tool's button has the tool's number as
// its image; the two command buttons follow the tools' images.
struct TToolButton {
    int32_t Image;
    const char *Name; // the icon's file name in the icon set
    const char *Caption;
    const char *Hint; // with "\n" where the hint breaks its line
    bool Visible;
    bool IsTool;
};
extern const TToolButton ToolButtons[11];
constexpr int32_t CenterScreenImage = 10;
constexpr int32_t PrintImage = 11;
// A hint as the tool bar shows it: every "\n" (backslash, n) a line break (CR LF).
QString ToolButtonHint(const char *hint);

// Stored window bounds are used only when they make a window of at least MinWindowSize that meets
// a monitor's work area; the window is then moved onto that work area, and shrunk to it where it
// is larger. Without stored bounds the editor window takes FirstWindowShare of the first
// monitor's work area, centred.
constexpr TPoint MinWindowSize{128, 32};
constexpr double FirstWindowShare = 0.8;
std::optional<TRect> FitToScreen(const TRect &bounds, const std::vector<TRect> &workAreas);

// What the Edit menu and the context menu offer when they open.
struct TEditActions {
    QString PasteCaption; // "&Paste " and what the clipboard holds ("Text", "Image", ...)
    bool Paste = false;
    bool Copy = false;
    bool Cut = false;
    bool Undo = false;
    bool Redo = false;
    bool Delete = false;

    friend bool operator==(const TEditActions &, const TEditActions &) = default;
};

// The part of the tool window the editor window's close and placement look at.
class Ttoolwindowplacement {
public:
    virtual ~Ttoolwindowplacement() = default;
    virtual Tplacementtarget &Placement() = 0;
    virtual bool IsVisible() const = 0;
};

class Tlabeler {
public:
    // Creation: writes the version as "currentversion", makes the empty 4 x 3.5 inch label and
    // its template, and connects the project's events. The store must outlive this.
    Tlabeler(Tlabelerhost &host, Tregistryex &store, const TCommandLine &commandLine, const QString &version);
    ~Tlabeler();
    Tlabeler(const Tlabeler &) = delete;
    Tlabeler &operator=(const Tlabeler &) = delete;

    Tdrawlist &Document() { return *Project; }
    tlabeltemplate &Template() { return *LabelTemplate; }
    Tlabelview &View() { return *LabelView; }
    Tcanvasinput &Input() { return *CanvasInput; }
    Tbackbuffer &BackBuffer() { return *Buffer; }
    const QString &Version() const { return VersionText; }
    // "--setregversion" was given: the program ends as soon as its message loop runs.
    bool EndsAtOnce() const { return Arguments.SetRegVersion; }

    // The tool window's logic and placement (either may be null when there is no tool window):
    // it gets the document, and its callbacks select tools, zoom and report text alignment.
    void ConnectToolbox(Ttoolbox *toolbox, Ttoolwindowplacement *placement);

    // The first show, after the window has built its controls and before it is on screen.
    void FirstShow();

    // The title: the version and the file's bare name; the name is remembered as the last file.
    void SetDocumentTitle(const QString &fileName);
    // The save prompt: true means go on. With unsaved changes it asks; Yes saves (a failure to
    // save is reported and counts as Cancel, so nothing is lost).
    bool AskSaveChanges(bool defaultResult);
    // Saves under name, or under a name the save dialog asks for when name is empty (false when
    // it is cancelled). A failure to write raises the file's error and leaves the old file, the
    // document's name and its modified state as they were, and no setting written.
    bool SaveDocumentAs(const QString &name);

    // ---- File commands. A file that cannot be read or written shows its error; the document
    // then stays as it was, and settings are written only after a step succeeded.
    // File > New: a new label from a template the open dialog picks.
    void NewLabel();
    // File > Open: a project the open dialog picks.
    void OpenLabel();
    // File > Save: under the document's name, or as Save As when it has none.
    void SaveLabel();
    // File > Save As.
    void SaveLabelAs();
    // The start-up dialog's "Last Saved Label".
    void OpenLastFile();
    // File > Open Recent: the projects last opened or saved, newest first, each once.
    QStringList RecentFiles() const;
    // One of them, opened as File > Open opens the file it picks.
    void OpenRecent(const QString &file);

    // ---- Template-mode commands.
    // Save Template: the document's objects become the template's starter objects, and the
    // template is saved under a name the save dialog asks for.
    void SaveTemplate();
    // Save As Template: the document's objects become the template's own (also when the dialog
    // is then cancelled), and the template is saved under a name the dialog asks for.
    void SaveAsTemplate();
    void MoveAllToTemplate();
    void MoveToTemplate();
    void MoveFromTemplate();
    // The template editor on the template (OnEditTemplate), then the label takes its size.
    void EditTemplate();
    void ClearTemplate();
    // Convert To New Version: the open dialog picks project and template files, a question
    // decides about backups, and each file is rewritten in the current format. Asks to save
    // the label first, since the conversion loads each file into the editor. The number of
    // files converted.
    int32_t ConvertToNewVersion();
    // The conversion of the files chosen, in order, with backup copies in a folder "backup"
    // beside each file when backups is set. A file that cannot be read whole, whose template
    // cannot be found, or that cannot be backed up or written is left as it was and not counted.
    int32_t ConvertFiles(const QStringList &files, bool backups);

    // ---- Edit commands.
    // What the Edit menu and the context menu show when they open.
    TEditActions UpdateEditActions();
    // Copies the first selected object, then deletes every selected one (one undo step).
    void Cut();
    void Copy();
    // Pastes what the clipboard holds at the label's centre.
    void Paste();
    void Delete();
    // Undo; the in-place editor then shows the current text's text again.
    void Undo();
    void Redo();
    // The tool window's order buttons.
    void ChangeOrder(TOrderChange how);
    void SelectAll();
    void InvertSelection();
    void SelectNone();

    // ---- View commands.
    // View > Tool Window: the check mark turns over, the tool window follows, and the setting
    // is written. The new state.
    bool ToggleToolWindow();
    bool IsToolWindowChecked() const;
    // View > Button Text: the tool bar's captions turn over and the setting is written.
    bool ToggleButtonCaptions();
    // View > Show Data: the canvas shows the fields filled as the first label of the run the
    // print wizard keeps for the project (numbered from its start value, or the table's first
    // record), so that a text shows its real length; the document is not changed. The new
    // state.
    bool ToggleShowData();
    bool IsShowingData() const { return ShowData; }

    // File > Print and Preview and the tool bar's "Print": the print wizard (OnPrintWizard).
    void ShowPrintWizard();

    // ---- Drag and drop. Files dropped on the window: a project opens as File > Open opens
    // one, a template starts a new label as File > New does with it (both after the save
    // prompt); a picture file dropped on the canvas becomes a picture there, at its default
    // size, one undo step each. A file that cannot be read shows why and changes nothing.
    // onCanvas is the drop's point on the drawing panel, or nothing when it fell elsewhere.
    void DropFiles(const QStringList &files, const std::optional<TPoint> &onCanvas);
    // Whether a drop of these files there would do anything (the window shows it may drop).
    static bool AcceptsDrop(const QStringList &files, bool onCanvas);
    // The name the start-up dialog offers as the last saved label: empty when there is none.
    QString RecentLabelName() const;

    // The window asks to close: the save prompt; false keeps it open (and writes nothing).
    bool CloseQuery();
    // The window closes: the last file and the placements are written.
    void Closed();
    // The window was resized or hidden: its placement is saved once it has been restored.
    void WindowResized();
    void WindowHidden();

    // The mouse wheel anywhere in the window: each notch moves the zoom track bar one position.
    void Wheel(int32_t delta);

    // The repaint timer fired: the panel rectangles to repaint now (none: nothing to do).
    Trectlist PendingPanelRects();
    // The drawing panel paints: the back buffer is brought up to date under clip (the part Qt
    // exposed that the buffer may not hold); the window then copies what Qt asked for from
    // BackBuffer().Image(), and what else was painted (returned) at the next paint.
    Trectlist PaintCanvas(const TRect &clip);

    // The project changed, or its primary selection did; the other windows hear of it here.
    std::function<void()> OnDocumentChange;
    std::function<void(Tdrawobj *)> OnSelectionChange;
    // The windows the commands open, wired by the program: the print wizard shown modally on
    // the project with the settings store, and the template editor shown modally on the
    // template (with the project that takes its size).
    std::function<void(Tdrawlist &project, Tregistryex &store)> OnPrintWizard;
    std::function<void(tlabeltemplate &t, Tdrawlist *project)> OnEditTemplate;

private:
    // The tool window no longer shows the project nor calls back.
    void DisconnectToolbox();
    // A dialog for template files, in the folder of the template last opened or saved.
    std::unique_ptr<Tfiledialog> TemplateDialog(TFileDialogKind kind) const;
    // New and Open once their file is chosen (also by a drop).
    void NewLabelFrom(const QString &templateFile);
    void OpenProject(const QString &file);
    // Loads a project whose header was seen and starts it afresh in the editor: every way of
    // opening a project ends here. False for an empty file.
    bool LoadProject(const QString &file);
    bool ConvertFile(const QString &file, bool backups);
    // The folder of a template opened or saved, for the template dialogs; none for the stock.
    void RememberTemplateFolder(const QString &templateFile);
    void RememberRecentFile(const QString &file);
    // The document's objects are replaced wholesale: what could be undone belongs to another label.
    void DocumentReplaced();
    void AddDroppedPicture(const QString &file, const TPoint &panelPoint);
    void OpenFileArguments();
    void OpenFileArgument(const QString &file);
    bool ToolWindowExists() const { return ToolPlacement != nullptr; }
    void ReportError(const std::exception &e);

    Tlabelerhost &Host;
    Tregistryex &Store;
    TCommandLine Arguments;
    QString VersionText;
    // The project with its template; the two pointers borrow them.
    Tlabelproject Label;
    tlabeltemplate *const LabelTemplate = &Label.Template();
    Tdrawlist *const Project = &Label.Project();
    // What the canvas fills fields from while View > Show Data is on.
    void RefreshShownData();
    bool ShowData = false;
    TFieldValues ShownData;
    std::unique_ptr<Tlabelview> LabelView;
    std::unique_ptr<Tcanvasinput> CanvasInput;
    std::unique_ptr<Tbackbuffer> Buffer;
    Ttoolbox *Toolbox = nullptr;
    Ttoolwindowplacement *ToolPlacement = nullptr;
    bool PlacementRestored = false;
    bool ButtonCaptions = true;
    // Pictures placed by the current drop: each next one lies further right and down.
    int32_t DropCount = 0;
};
