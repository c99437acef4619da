// Test main: a QApplication on the offscreen platform with the program's look and language.

#include "gui/widgets/Fonts.h"
#include "support/Hooks.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // gtest_discover_tests and CTest run this binary without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    quorrel::installLookAndLanguage(app);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new quorrel::test::HookEnvironment);
    return RUN_ALL_TESTS();
}
