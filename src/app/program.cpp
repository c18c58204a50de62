#include "app/program.h"

#include "app/aboutbox.h"
#include "app/labelerwindow.h"
#include "app/startupdialog.h"
#include "document/globals.h"
#include "editing/labeler.h"
#include "editing/toolbox.h"
#include "platform/errors.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "settings/filetypes.h"
#include "settings/registry.h"
#include "widgets/flexdlg.h"
#include "widgets/messagebox.h"
#include "widgets/previewdialog.h"
#include "widgets/progresswindow.h"

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

void ShowErrorReport(const std::exception &e)
{
    MessageBox(ErrorClassName(e) + QStringLiteral(": ") + ErrorMessage(e), TMsgIcon::Error);
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
    // The other windows are owned by the editor window as Qt sees it, so they go first; the editor
    // goes before the logic it drives.
    About.reset();
    Startup.reset();
    Progress.reset();
    Labeler.reset();
    Toolbox.reset();
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
    QStringList &order = windows->CreationOrder;
    windows->Labeler = Created<Tfrm_labeler>(order, store, commandLine, version);
    Tfrm_labeler &labeler = *windows->Labeler;
    windows->Progress = std::make_unique<Tprogresswindow>(&labeler);
    windows->Progress->setObjectName(QStringLiteral("progresswindow"));
    order.append(windows->Progress->objectName());
    SetProgressWindow(windows->Progress.get());
    windows->Toolbox = std::make_unique<Ttoolbox>(store);
    windows->Startup = Created<Tfrm_startup>(order, &labeler);
    windows->About = Created<TAboutBox>(order, &labeler);

    labeler.ConnectToolbox(windows->Toolbox.get(), nullptr);
    labeler.ConnectStartupDialog(windows->Startup.get());
    labeler.ConnectAboutBox(windows->About.get());
    return windows;
}

int RunMessageLoop(TProgramWindows &windows)
{
    windows.Labeler->show();
    return QApplication::exec();
}
