#pragma once
// The editor window's logic: it owns the project and the template it is attached to, the view,
// the canvas input and the back buffer, and runs the window's life: creation, the first show
// (settings, the view, the files of the command line or the start-up dialog), the title, the
// save prompt and the close. The window is a thin shell that implements Tlabelerhost.

#include "editing/backbuffer.h"
#include "editing/canvasinput.h"
#include "editing/labelview.h"
#include "editing/startup.h"

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
// The save prompt's question.
extern const char *const SavePromptText;
// A new label: 4 by 3.5 inches, its top-left at (100000, 100000).
constexpr double NewLabelWidth = 4.0;
constexpr double NewLabelHeight = 3.5;
constexpr int32_t LabelCorner = 100000;

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
extern const TToolButton ToolButtons[10];
constexpr int32_t CenterScreenImage = 9;
constexpr int32_t PrintImage = 10;
// A hint as the tool bar shows it: every "\n" (backslash, n) a line break (CR LF).
QString ToolButtonHint(const char *hint);

// Stored window bounds are used only when they make a window of at least MinWindowSize that fits
// on the monitors; a window that lies partly off its monitor's work area is moved onto it.
constexpr TPoint MinWindowSize{128, 32};
std::optional<TRect> FitToScreen(const TRect &bounds, const std::vector<TRect> &workAreas);

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
    const TCommandLine &CommandLine() const { return Arguments; }
    // "--setregversion" was given: the program ends as soon as its message loop runs.
    bool EndsAtOnce() const { return Arguments.SetRegVersion; }

    // The tool window's logic and placement (either may be null when there is no tool window):
    // it gets the document, and its callbacks select tools, zoom and report text alignment.
    void ConnectToolbox(Ttoolbox *toolbox, Ttoolwindowplacement *placement);

    // The first show, after the window has built its controls and before it is on screen.
    void FirstShow();
    bool IsTemplateMode() const { return Arguments.TemplateMode; }
    // From the settings at the first show.
    bool GetButtonCaptions() const { return ButtonCaptions; }

    // The title: the version and the file's bare name; the name is remembered as the last file.
    void SetDocumentTitle(const QString &fileName);
    // The save prompt: true means go on. With unsaved changes it asks; Yes saves (a failure to
    // save is reported and counts as Cancel, so nothing is lost).
    bool AskSaveChanges(bool defaultResult);
    // Saves under name, or under a name the save dialog asks for when name is empty (false when
    // it is cancelled). A failure to write raises the file's error.
    bool SaveDocumentAs(const QString &name);
    // File > New: a new label from a template the open dialog picks.
    void NewLabel();
    // File > Open: a project the open dialog picks.
    void OpenLabel();
    // The start-up dialog's "Last Saved Label".
    void OpenLastFile();
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

private:
    void OpenFileArguments();
    void OpenFileArgument(const QString &file);
    bool ToolWindowExists() const { return ToolPlacement != nullptr; }
    void ReportError(const std::exception &e);

    Tlabelerhost &Host;
    Tregistryex &Store;
    TCommandLine Arguments;
    QString VersionText;
    std::unique_ptr<tlabeltemplate> LabelTemplate;
    std::unique_ptr<Tdrawlist> Project;
    std::unique_ptr<Tlabelview> LabelView;
    std::unique_ptr<Tcanvasinput> CanvasInput;
    std::unique_ptr<Tbackbuffer> Buffer;
    Ttoolbox *Toolbox = nullptr;
    Ttoolwindowplacement *ToolPlacement = nullptr;
    bool PlacementRestored = false;
    bool ButtonCaptions = true;
};
