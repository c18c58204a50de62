// The program's entry: module initialisation in its fixed order, then the editor window.

#include "document/globals.h"
#include "platform/platform.h"

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
    InitPlatform();
    InitDocumentModule();
    std::fputs("ambrelo: the editor window is not part of this build yet.\n", stderr);
    return 0;
}
