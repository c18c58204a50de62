// The program's entry: the modules, the command line, the windows, the message loop.

#include "app/program.h"
#include "printing/pdfexport.h"
#include "settings/registry.h"

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
    TAmbreloApplication app(argc, argv);
    InstallUserInterfaceHooks();
    InitModules();

    const TCommandLine commandLine = ParseCommandLine(QApplication::arguments().mid(1));
    std::unique_ptr<TProgramWindows> windows = StartProgram(commandLine, *SettingsStore, ProgramVersion());
    const int exitCode = windows ? RunMessageLoop(*windows) : 0;

    windows.reset();
    DoneSettingsModule();
    return exitCode;
}
