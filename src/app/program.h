#pragma once
// The program's start, step by step: the modules, the command line's actions, and the windows,
// created once in a fixed order and living until the program ends.

#include "editing/startup.h"

#include <QApplication>
#include <QStringList>
#include <memory>

class TAboutBox;
class TWindowKeeper;
class Tfrm_labeler;
class Tfrm_printdialog;
class Tfrm_showpreview;
class Tfrm_startup;
class Tfrm_templateeditor;
class Tfrm_toolbox;
class Tprogresswindow;
class Tregistryex;
class Ttoolwindowplacement;

// The application object. An exception that escapes any event handler ends up here and is shown
// in the standard error report (its class name and message); the program goes on.
class TAmbreloApplication : public QApplication {
public:
    TAmbreloApplication(int &argc, char **argv);

    // Base
    bool notify(QObject *receiver, QEvent *event) override;
};

// The version text of this build ("Unknown version" for a build without a file version).
QString ProgramVersion();

// The modules in their fixed order: the platform layer, the settings store, the document model.
void InitModules();
// The message boxes, dialogs and file dialogs of the widgets, where a screen can show them.
void InstallUserInterfaceHooks();

// The windows of the program in the order they are created.
struct TProgramWindows {
    TProgramWindows();
    ~TProgramWindows();

    std::unique_ptr<Tfrm_labeler> Labeler;
    std::unique_ptr<Tfrm_printdialog> PrintWizard;
    std::unique_ptr<Tprogresswindow> Progress;
    std::unique_ptr<Tfrm_templateeditor> TemplateEditor;
    std::unique_ptr<Tfrm_toolbox> Toolbox;
    std::unique_ptr<Ttoolwindowplacement> ToolboxPlacement;
    std::unique_ptr<Tfrm_showpreview> Preview;
    std::unique_ptr<Tfrm_startup> Startup;
    std::unique_ptr<TAboutBox> About;
    // Keeps every window on the screen and dialogs over the window that opened them.
    std::unique_ptr<TWindowKeeper> Keeper;
    // The object names of the windows as they were created.
    QStringList CreationOrder;
};

// The start after the modules: the command line's actions ("--setregversion",
// "--registerfiletypes"), then, unless "--quit" was given, the windows. None for "--quit".
std::unique_ptr<TProgramWindows> StartProgram(const TCommandLine &commandLine, Tregistryex &store,
                                              const QString &version);

// Shows the editor window and runs the message loop until it closes; the program's exit code.
int RunMessageLoop(TProgramWindows &windows);
