// The test main shared by every test executable: a QGuiApplication (QApplication for the
// tests of widgets) on the offscreen platform, then the module initialisations in the order main() runs them.

#include "document/globals.h"
#include "platform/platform.h"
#include "platform/tickcount.h"

#include <gmock/gmock.h>
#ifdef AMBRELO_TEST_WIDGETS
#include <QApplication>
using TTestApplication = QApplication;
#else
#include <QGuiApplication>
using TTestApplication = QGuiApplication;
#endif

namespace {

// Module globals that tests change go back to their start-up values before every test, so a
// failing test cannot leave them changed for the next one.
class TResetGlobals : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo &) override
    {
        ThumbnailWidth = DefaultThumbnailWidth;
        OutputOrigin = {0, 0};
        SetTickSource({});
    }
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleMock(&argc, argv);
    TTestApplication app(argc, argv);
    InitPlatform();
    InitDocumentModule();
    testing::UnitTest::GetInstance()->listeners().Append(new TResetGlobals);
    return RUN_ALL_TESTS();
}
