// Makes the README's pictures from the real windows: the main window with a sale rung up, the
// receipt that F5 prints, as the PDF a private CUPS queue received, and every window of the program
// as a user opens it. Not a test; scripts/screenshots runs it on a virtual X display and renders
// the PDF:
//
//   QUORREL_SHOTS_DIR=DIR quorrel_screenshots     writes DIR/main-window.png, DIR/receipt.pdf and
//                                                 DIR/windows/<window>.png

#include "mock/MockClock.h"
#include "support/AppDriver.h"
#include "support/CupsServer.h"
#include "support/Eventually.h"
#include "support/WindowTour.h"

#include "core/store/Clock.h"
#include "gui/app/MainWindow.h"
#include "gui/widgets/Fonts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScreen>

namespace quorrel::test {
namespace {

class Screenshots : public AppTest
{};

// From the display's own pixels where there is one (a screenshot), else the widget's drawing.
QPixmap picture(QWidget* window)
{
    QPixmap shot;
    if (QGuiApplication::platformName() == QStringLiteral("xcb") && window->screen())
        shot = window->screen()->grabWindow(window->winId());
    if (shot.isNull())
        shot = window->grab();
    return shot;
}

TEST_F(Screenshots, MainWindowWithASaleAndItsReceipt)
{
    const QString outDir = qEnvironmentVariable("QUORREL_SHOTS_DIR");
    ASSERT_FALSE(outDir.isEmpty()) << "set QUORREL_SHOTS_DIR";
    ASSERT_TRUE(QDir().mkpath(outDir));

    CupsServer cups;
    QUORREL_START_CUPS_SERVER(cups);
    ASSERT_TRUE(cups.addQueue(QStringLiteral("Receipt")));
    ASSERT_TRUE(cups.setServerDefault(QStringLiteral("Receipt")));
    hooks().useSystemPrinter(true);

    MockClock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(10, 24, 36)));
    shop.writeFactory();
    shop.exec(
        QStringLiteral("update 配置文件 set 店名='好邻居便利店', 显示打印完毕='假', 提示再次打印='假' where ID=1"));

    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    enterLine(QStringLiteral("可口可乐"), QStringLiteral("2"), QStringLiteral("3.5"));
    enterLine(QStringLiteral("全麦面包"), QStringLiteral("1"), QStringLiteral("12.8"));
    enterLine(QStringLiteral("鸡蛋"), QStringLiteral("10"), QStringLiteral("0.9"));
    enterLine(QStringLiteral("洗洁精"), QStringLiteral("1"), QStringLiteral("9.9"));
    auto* paid = Unit<QLineEdit>(main, QStringLiteral("编辑框_实收"));
    ASSERT_NE(paid, nullptr);
    paid->clear();
    typeText(paid, QStringLiteral("50"));
    auto* change = Unit<QLineEdit>(main, QStringLiteral("编辑框_找零"));
    EXPECT_TRUE(
        eventuallyEqual([&] { return change->text(); }, QStringLiteral("11.30"), 3000)); // once typing has settled
    auto* name = Unit<QLineEdit>(main, QStringLiteral("编辑框_名称"));
    name->setFocus();
    QTest::qWait(300); // let the window system draw it all

    ASSERT_TRUE(picture(main).save(QDir(outDir).filePath(QStringLiteral("main-window.png"))));

    QTest::keyClick(name, Qt::Key_F5);
    waitForReceipts(60000);
    const QList<CapturedJob> jobs = cups.waitForJobs(QStringLiteral("Receipt"), 1, 30000);
    ASSERT_EQ(jobs.size(), 1) << cups.lastError().toStdString();
    ASSERT_TRUE(jobs[0].data.startsWith("%PDF"));
    QFile pdf(QDir(outDir).filePath(QStringLiteral("receipt.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    ASSERT_EQ(pdf.write(jobs[0].data), jobs[0].data.size());
    MockClock::reset();
}

class WindowPictures : public WindowTour
{};

TEST_F(WindowPictures, EveryWindow)
{
    const QString outDir = qEnvironmentVariable("QUORREL_SHOTS_DIR");
    ASSERT_FALSE(outDir.isEmpty()) << "set QUORREL_SHOTS_DIR";
    const QDir windows(QDir(outDir).filePath(QStringLiteral("windows")));
    ASSERT_TRUE(QDir().mkpath(windows.path()));
    int taken = 0;
    visitEveryWindow([&](const QString& name, QWidget* window, const Overlays&) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window)) << name.toStdString();
        QTest::qWait(300); // let the window system draw it all
        EXPECT_TRUE(picture(window).save(windows.filePath(name + QStringLiteral(".png")))) << name.toStdString();
        ++taken;
    });
    EXPECT_EQ(taken, 17);
}

} // namespace
} // namespace quorrel::test

// Unlike the tests' main this keeps the platform the environment names, so that on a virtual X
// display the windows are real X windows.
int main(int argc, char** argv)
{
    quorrel::preferChineseSystemLocale();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    quorrel::installLookAndLanguage(app);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new quorrel::test::HookEnvironment);
    return RUN_ALL_TESTS();
}
