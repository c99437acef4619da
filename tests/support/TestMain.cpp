// Test main: a QApplication on the offscreen platform with the program's look and language.

#include "gui/widgets/Fonts.h"
#include "support/Hooks.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // gtest_discover_tests and CTest run this binary without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    quorrel::preferChineseSystemLocale();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    quorrel::installLookAndLanguage(app);
    // The user's own settings of the program (the receipt printer) stay out of the tester's home.
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new quorrel::test::HookEnvironment);
    return RUN_ALL_TESTS();
}
