#include "app/program.h"

#include "app/aboutbox.h"
#include "app/errorreport.h"
#include "app/labelerwindow.h"
#include "app/startupdialog.h"
#include "document/drawlist.h"
#include "document/globals.h"
#include "editing/labeler.h"
#include "platform/errors.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "printing/printdialog.h"
#include "printing/showpreview.h"
#include "settings/filetypes.h"
#include "settings/formplacement.h"
#include "settings/registry.h"
#include "templateeditor/templateeditorwindow.h"
#include "tools/toolwindow.h"
#include "widgets/flexdlg.h"
#include "widgets/messagebox.h"
#include "widgets/previewdialog.h"
#include "widgets/progresswindow.h"
#include "widgets/windowkeeper.h"

#include <QScreen>

namespace {

bool HasScreen()
{
    return QGuiApplication::platformName() != QLatin1String("offscreen");
}

// Creates a window and notes its name in the order of creation.
template <class T, class... Args> std::unique_ptr<T> Created(QStringList &order, Args &&...args)
{
    auto window = std::make_unique<T>(std::forward<Args>(args)...);
    order.append(window->objectName());
    return window;
}

// The tool window as the editor's close and placement see it.
class TToolWindowPlacement : public Ttoolwindowplacement {
public:
    explicit TToolWindowPlacement(Tfrm_toolbox &window) : Window(window), Target(window) {}

    // Base
    Tplacementtarget &Placement() override { return Target; }
    bool IsVisible() const override { return Window.isVisible(); }

private:
    Tfrm_toolbox &Window;
    TWidgetPlacement<QWidget> Target;
};

// Until the tool window has a placement of its own it opens beside the editor window's right
// edge, or inside it at the right when the screen ends there.
void PlaceBeside(QWidget &tool, const QWidget &editor, Tregistryex &store)
{
    TWidgetPlacement<QWidget> placement(tool);
    if (store.ValueExists(FormPlacementKey(placement) + QStringLiteral(".bounds")))
        return;
    const QRect frame = editor.frameGeometry();
    const QRect screen = editor.screen() ? editor.screen()->availableGeometry() : frame;
    const QSize size = tool.frameGeometry().size();
    int left = frame.right() + 1;
    if (left + size.width() > screen.right() + 1)
        left = std::max(screen.left(), frame.right() + 1 - size.width());
    tool.move(left, std::max(frame.top(), screen.top()));
}

} // namespace

TAmbreloApplication::TAmbreloApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Ambrelo"));
    setOrganizationName(QStringLiteral("fennbrook"));
}

bool TAmbreloApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowErrorReport(e);
    } catch (...) {
        ShowErrorReport(Exception(QStringLiteral("An unknown error occurred.")));
    }
    return false;
}

QString ProgramVersion()
{
#ifdef AMBRELO_FILE_VERSION
    return VersionString(QStringLiteral(AMBRELO_FILE_VERSION));
#else
    return VersionString(QString());
#endif
}

void InitModules()
{
    InitPlatform();
    InitSettingsModule();
    InitDocumentModule();
}

void InstallUserInterfaceHooks()
{
    // Without a screen nobody could answer a dialog: messages then go to standard error and every
    // file dialog is cancelled.
    if (!HasScreen())
        return;
    SetMessageBoxHook(ShowMessageBox);
    SetFlexDlgHook(&Tvnlflexdlg::ShowFlexDlg);
    InstallPreviewFileDialogs();
}

TProgramWindows::TProgramWindows() = default;

TProgramWindows::~TProgramWindows()
{
    // The other windows are the editor window's children as Qt sees them, so they go first; the
    // editor lets go of the tool window's logic before that goes.
    About.reset();
    Startup.reset();
    if (Labeler) {
        Labeler->ConnectToolbox(nullptr, nullptr);
        Labeler->Logic().OnPrintWizard = nullptr;
        Labeler->Logic().OnEditTemplate = nullptr;
        Labeler->OnPrinterSetup = nullptr;
    }
    // The wizard prints through the preview's job: it goes first.
    PrintWizard.reset();
    Preview.reset();
    ToolboxPlacement.reset();
    Toolbox.reset();
    TemplateEditor.reset();
    if (Progress && ProgressWindow() == Progress.get())
        SetProgressWindow(nullptr);
    Progress.reset();
    Labeler.reset();
}

std::unique_ptr<TProgramWindows> StartProgram(const TCommandLine &commandLine, Tregistryex &store,
                                              const QString &version)
{
    if (commandLine.SetRegVersion)
        store.WriteString(QString::fromLatin1(CurrentVersionSetting), CompactVersionString(version));
    if (commandLine.RegisterFileTypes)
        RegisterFileTypes();
    if (commandLine.Quit)
        return nullptr;

    auto windows = std::make_unique<TProgramWindows>();
    windows->Keeper = std::make_unique<TWindowKeeper>();
    QStringList &order = windows->CreationOrder;
    windows->Labeler = Created<Tfrm_labeler>(order, store, commandLine, version);
    Tfrm_labeler &labeler = *windows->Labeler;
    // The wizard comes before the preview whose job it prints through; they are joined below.
    windows->PrintWizard = Created<Tfrm_printdialog>(order, &labeler);
    windows->Progress = std::make_unique<Tprogresswindow>(&labeler);
    windows->Progress->setObjectName(QStringLiteral("progresswindow"));
    order.append(windows->Progress->objectName());
    SetProgressWindow(windows->Progress.get());
    windows->TemplateEditor = std::make_unique<Tfrm_templateeditor>(&labeler);
    windows->TemplateEditor->setObjectName(QStringLiteral("frm_templateeditor"));
    order.append(windows->TemplateEditor->objectName());
    windows->Toolbox = Created<Tfrm_toolbox>(order, store, &labeler);
    windows->Preview = Created<Tfrm_showpreview>(order, &labeler);
    windows->Startup = Created<Tfrm_startup>(order, &labeler);
    windows->About = Created<TAboutBox>(order, &labeler);

    windows->TemplateEditor->OnTemplateChanged = [&labeler] { labeler.Logic().Document().Invalidate(true); };
    Tfrm_printdialog &wizard = *windows->PrintWizard;
    Tfrm_showpreview &preview = *windows->Preview;
    Tfrm_templateeditor &templateEditor = *windows->TemplateEditor;
    wizard.ConnectPreview(preview);
    labeler.Logic().OnPrintWizard = [&wizard](Tdrawlist &project, Tregistryex &settings) {
        wizard.Execute(project, settings);
    };
    labeler.OnPrinterSetup = [&preview] { preview.Setup(); };
    labeler.Logic().OnEditTemplate = [&templateEditor](tlabeltemplate &t, Tdrawlist *project) {
        templateEditor.EditTemplate(t, project);
    };
    windows->ToolboxPlacement = std::make_unique<TToolWindowPlacement>(*windows->Toolbox);
    labeler.ConnectToolbox(&windows->Toolbox->Logic(), windows->ToolboxPlacement.get());
    Tfrm_toolbox &toolbox = *windows->Toolbox;
    // The tool window comes and goes with the tool and the selection; the keyboard stays with the
    // editor (typing into a text box goes on while the tool window appears).
    toolbox.setAttribute(Qt::WA_ShowWithoutActivating);
    labeler.OnShowToolWindow = [&toolbox](bool visible) { toolbox.setVisible(visible); };
    toolbox.OnUnusedKey = [&labeler](const QKeySequence &keys) { return labeler.RunShortcut(keys); };
    labeler.OnFirstPlaced = [&labeler, &toolbox, &store] { PlaceBeside(toolbox, labeler, store); };
    labeler.ConnectStartupDialog(windows->Startup.get());
    labeler.ConnectAboutBox(windows->About.get());
    return windows;
}

int RunMessageLoop(TProgramWindows &windows)
{
    windows.Labeler->show();
    return QApplication::exec();
}
