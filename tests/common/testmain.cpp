// The test main shared by every test executable: a QGuiApplication on the offscreen
// platform, then the module initialisations in the order main() runs them.

#include "document/globals.h"
#include "platform/platform.h"

#include <QGuiApplication>
#include <gmock/gmock.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleMock(&argc, argv);
    QGuiApplication app(argc, argv);
    InitPlatform();
    InitDocumentModule();
    return RUN_ALL_TESTS();
}
