#include <gtest/gtest.h>

#if VORL_TEST_APP == 3
#include <QApplication>
using TestApplication = QApplication;
#elif VORL_TEST_APP == 2
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

// The suites run headless: windows and pictures, if any, go to the offscreen platform.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#if VORL_TEST_APP == 3
    // The windows archive every transfer: into the user's own archive never, only where a test says.
    if (!qEnvironmentVariableIsSet("VORL_ARCHIVE")) qputenv("VORL_ARCHIVE", "off");
#endif
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
