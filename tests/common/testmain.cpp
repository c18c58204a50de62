// The test main shared by every test executable: a QGuiApplication (QApplication for the
// tests of widgets) on the offscreen platform, then the module initialisations in the order main() runs them.

#include "document/globals.h"
#include "platform/platform.h"

#include <gmock/gmock.h>
#ifdef AMBRELO_TEST_WIDGETS
#include <QApplication>
using TTestApplication = QApplication;
#else
#include <QGuiApplication>
using TTestApplication = QGuiApplication;
#endif

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleMock(&argc, argv);
    TTestApplication app(argc, argv);
    InitPlatform();
    InitDocumentModule();
    return RUN_ALL_TESTS();
}
