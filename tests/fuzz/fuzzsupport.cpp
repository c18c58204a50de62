#include "fuzzsupport.h"

#include "document/globals.h"
#include "platform/platform.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

void DropQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg)
        return;
    std::fprintf(stderr, "Qt fatal: %s\n", qPrintable(message));
    std::abort();
}

const std::filesystem::path &InputFolder();

void RemoveInputFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(InputFolder(), ignored);
}

const std::filesystem::path &InputFolder()
{
    static const std::filesystem::path folder = [] {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("ambrelo-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    // Registered once the folder exists, so it runs before the path is destroyed.
    static const bool removedAtExit = std::atexit(RemoveInputFolder) == 0;
    Q_UNUSED(removedAtExit);
    return folder;
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

QString WriteFuzzInputFile(const uint8_t *data, size_t size, const char *extension)
{
    const std::filesystem::path path = InputFolder() / (std::string("input.") + extension);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(data), std::streamsize(size));
    file.close();
    if (!file) {
        std::fprintf(stderr, "cannot write the input file %s\n", path.c_str());
        std::abort();
    }
    return QString::fromStdString(path.string());
}

void FuzzCheckFailed(const char *condition, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
    std::abort();
}
