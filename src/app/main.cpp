// The program's entry: module initialisation in its fixed order, then the editor window.

#include "document/globals.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "printing/pdfexport.h"
#include "settings/filetypes.h"
#include "settings/registry.h"
#include "widgets/flexdlg.h"
#include "widgets/messagebox.h"
#include "widgets/previewdialog.h"
#include "widgets/progresswindow.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {
bool HasArgument(int argc, char **argv, const char *wanted)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], wanted) == 0)
            return true;
    return false;
}

bool DisplayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
} // namespace

int main(int argc, char **argv)
{
    // PDF export and --help: no window, no display needed.
    if (IsPdfExportCommand(argc, argv))
        return RunPdfExportMain(argc, argv);

    if (!DisplayAvailable()) {
        // "--quit" runs the start-up actions and shows no window, so it needs no display.
        if (!HasArgument(argc, argv, "--quit")) {
            std::fputs(
                "ambrelo: no display to show the editor on (DISPLAY and WAYLAND_DISPLAY are not set).\n",
                stderr);
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ambrelo"));
    QApplication::setOrganizationName(QStringLiteral("fennbrook"));
    // Without a screen nobody could answer a dialog, so messages then go to standard error.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        SetMessageBoxHook(ShowMessageBox);
        SetFlexDlgHook(&Tvnlflexdlg::ShowFlexDlg);
    }
    InitPlatform();
    InitSettingsModule();
    InitDocumentModule();
    // Without a screen nobody could choose a file, so every file dialog is then cancelled.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        InstallPreviewFileDialogs();
    // The progress window lives until the end; it uninstalls itself when it goes.
    Tprogresswindow progressWindow;
    SetProgressWindow(&progressWindow);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--registerfiletypes") == 0)
            RegisterFileTypes();
    if (!HasArgument(argc, argv, "--quit"))
        std::fputs("ambrelo: the editor window is not part of this build yet.\n", stderr);
    DoneSettingsModule();
    return 0;
}
