// Every window of the program as a user meets it, at the face and size the program ships: no text
// is cut and nothing lies over anything else, Tab walks each window in reading order, and Qt's own
// dialogs speak Chinese whatever the locale says.

#include "support/TextFit.h"
#include "support/WindowTour.h"

#include "gui/app/MainWindow.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QToolButton>

namespace quorrel::test {
namespace {

class EveryWindowTest : public WindowTour
{};

TEST_F(EveryWindowTest, EveryTextShowsWholeAndNothingLiesOverAnythingElse)
{
    QStringList visited;
    visitEveryWindow([&](const QString& name, QWidget* window, const Overlays& onPurpose) {
        visited << name;
        EXPECT_EQ(textFaults(window, onPurpose), QStringList()) << name.toStdString();
    });
    EXPECT_EQ(visited.size(), 17);
}

TEST_F(EveryWindowTest, TabWalksEachWindowInReadingOrderAndLeavesEveryBox)
{
    QStringList walked;
    visitEveryWindow([&](const QString& name, QWidget* window, const Overlays&) {
        const QList<QWidget*> order = readingOrder(window);
        if (order.size() < 2)
            return; // the preview has nothing to type into or press
        walked << name;
        // Once around the window, from the first unit back to it.
        const QStringList expected = unitNames(order.mid(1) + order.mid(0, 1));
        EXPECT_EQ(unitNames(tabbedUnits(order.first(), int(order.size()))), expected) << name.toStdString();
    });
    EXPECT_EQ(walked.size(), 16);
}

TEST_F(EveryWindowTest, QtsOwnDatePickerAndFileDialogSpeakChineseWhateverTheLocaleSays)
{
    // The tests run under LC_ALL=C.UTF-8 (tests/CMakeLists.txt), as a first start from a menu may.
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile earlier(QDir(folder.path()).filePath(QStringLiteral("上月.xls")));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    ASSERT_EQ(earlier.write(QByteArray(100, 'x')), 100);
    earlier.close();
    const QString workingFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path())); // where the save dialog opens

    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    enterLine(QStringLiteral("可口可乐"), QStringLiteral("2"), QStringLiteral("3.5"));
    click(main, u"按钮_仅保存小票");
    hooks().useRealFileDialogs(true);
    QString monthShown, sizeShown, timeShown;
    inWindow([&] { trigger(main, u"菜单_统计销售"); },
             [&](QWidget* records) {
                 inWindow([&] { click(records, u"按钮_查询"); },
                          [&](QWidget* search) {
                              QCalendarWidget* calendar =
                                  Unit<QDateTimeEdit>(search, QStringLiteral("日期框1"))->calendarWidget();
                              auto* month =
                                  calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
                              ASSERT_NE(month, nullptr);
                              monthShown = month->text();
                              EXPECT_EQ(monthShown, chinese.standaloneMonthName(calendar->monthShown()));
                          });
                 inWindow([&] { click(records, u"按钮_导出表"); },
                          [&](QWidget* dialog) {
                              ASSERT_NE(qobject_cast<QFileDialog*>(dialog), nullptr);
                              auto* files = dialog->findChild<QFileSystemModel*>();
                              ASSERT_NE(files, nullptr);
                              const QModelIndex file = files->index(earlier.fileName());
                              EXPECT_TRUE(QTest::qWaitFor(
                                  [&] { return !files->data(file.siblingAtColumn(1)).toString().isEmpty(); }));
                              sizeShown = files->data(file.siblingAtColumn(1)).toString();
                              timeShown = files->data(file.siblingAtColumn(3)).toString();
                          });
             });
    EXPECT_FALSE(monthShown.isEmpty());
    EXPECT_EQ(sizeShown, QStringLiteral("100 字节"));
    EXPECT_EQ(timeShown, chinese.toString(QFileInfo(earlier).lastModified(), QLocale::ShortFormat));
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("保存失败！")});
    EXPECT_TRUE(QDir::setCurrent(workingFolder));
}

} // namespace
} // namespace quorrel::test
