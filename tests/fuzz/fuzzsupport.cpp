#include "fuzzsupport.h"

#include "document/globals.h"
#include "platform/platform.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

namespace {

void DropQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg)
        return;
    std::fprintf(stderr, "Qt fatal: %s\n", qPrintable(message));
    std::abort();
}

} // namespace

void StartFuzzApplication()
{
    // The application lives as long as the process: libFuzzer ends it with exit(), and a
    // QGuiApplication destroyed among the static destructors would outlive parts of Qt. It keeps
    // references to its arguments, so they are static too.
    static int argc = 1;
    static char name[] = "ambrelo-fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(DropQtMessages);
    static const QGuiApplication *app = new QGuiApplication(argc, argv);
    Q_UNUSED(app);
    InitPlatform();
    InitDocumentModule();
}

void FuzzCheckFailed(const char *condition, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
    std::abort();
}
