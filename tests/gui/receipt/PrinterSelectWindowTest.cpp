// The printer window over a private CUPS server: which printer it shows as the default, making another
// one the user's default for later jobs, and what the user sees when CUPS cannot be reached.

#include "gui/receipt/PrinterSelectWindow.h"
#include "core/receipt/CupsDestinations.h"
#include "support/AppDriver.h"
#include "support/CupsServer.h"

#include <QComboBox>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryFile>

#include <cups/cups.h>

#include <thread>

namespace quorrel::test {
namespace {

// The default destination as plain libcups reports it to any program of this user.
QString libcupsDefault()
{
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    const cups_dest_t* dest = cupsGetDest(nullptr, nullptr, count, dests);
    const QString name = dest ? QString::fromUtf8(dest->name) : QString();
    cupsFreeDests(count, dests);
    return name;
}

class PrinterSelectWindowTest : public HookedTest
{
protected:
    void SetUp() override
    {
        HookedTest::SetUp();
        QUORREL_START_CUPS_SERVER(cups);
    }
    void TearDown() override
    {
        window.reset();
        cups.stop();
        HookedTest::TearDown();
    }

    // Creates the queues in this order.
    void addQueues(const QStringList& names)
    {
        for (const QString& name : names)
            ASSERT_TRUE(cups.addQueue(name)) << cups.lastError().toStdString();
    }
    void setServerDefault(const QString& name)
    {
        ASSERT_TRUE(cups.setServerDefault(name)) << cups.lastError().toStdString();
    }
    void setUserDefault(const QString& name)
    {
        ASSERT_TRUE(cups.setUserDefault(name)) << cups.lastError().toStdString();
    }

    void open()
    {
        window = std::make_unique<PrinterSelectWindow>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    QComboBox* list() { return Unit<QComboBox>(window.get(), QStringLiteral("组合框_打印机名称")); }
    QStringList entries()
    {
        QStringList entries;
        for (int i = 0; i < list()->count(); ++i)
            entries << list()->itemText(i);
        return entries;
    }
    QString selected() { return list()->currentIndex() < 0 ? QString() : list()->currentText(); }
    // Picks an entry with the keyboard, as a user would.
    void choose(const QString& printer)
    {
        QComboBox* combo = list();
        const int target = combo->findText(printer);
        ASSERT_GE(target, 0) << printer.toStdString();
        combo->setFocus();
        while (combo->currentIndex() < target)
            QTest::keyClick(combo, Qt::Key_Down);
        while (combo->currentIndex() > target)
            QTest::keyClick(combo, Qt::Key_Up);
        ASSERT_EQ(combo->currentText(), printer);
    }
    void click(const QString& button) { QTest::mouseClick(Unit<QPushButton>(window.get(), button), Qt::LeftButton); }
    void save() { click(QStringLiteral("按钮_保存")); }

    CupsServer cups;
    std::unique_ptr<PrinterSelectWindow> window;
};

TEST_F(PrinterSelectWindowTest, ListsThePrintersAndSelectsTheUsersDefault)
{
    addQueues({QStringLiteral("P"), QStringLiteral("P2")});
    setServerDefault(QStringLiteral("P"));
    setUserDefault(QStringLiteral("P2"));
    open();
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("P"), QStringLiteral("P2")}));
    EXPECT_EQ(selected(), QStringLiteral("P2"));

    window.reset();
    setUserDefault(QStringLiteral("P"));
    open();
    EXPECT_EQ(selected(), QStringLiteral("P"));
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
}

TEST_F(PrinterSelectWindowTest, WithoutAChoiceOfTheUserTheServerDefaultIsSelected)
{
    addQueues({QStringLiteral("P"), QStringLiteral("P2")});
    setServerDefault(QStringLiteral("P2"));
    open();
    EXPECT_EQ(selected(), QStringLiteral("P2"));
}

TEST_F(PrinterSelectWindowTest, ADefaultInstanceSelectsItsPrinterAndInstancesAreNotListed)
{
    addQueues({QStringLiteral("P"), QStringLiteral("P2")});
    setServerDefault(QStringLiteral("P"));
    ASSERT_TRUE(cups.setUserOption(QStringLiteral("P2/draft"), QStringLiteral("print-quality=3")))
        << cups.lastError().toStdString();
    setUserDefault(QStringLiteral("P2/draft"));
    open();
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("P"), QStringLiteral("P2")}));
    EXPECT_EQ(selected(), QStringLiteral("P2"));
}

// Whatever order the queues were created in, CUPS lists a name before the longer names that begin
// with it, so the prefix search finds the default itself.
TEST_F(PrinterSelectWindowTest, ThePrefixSearchLandsOnTheDefaultWhateverTheCreationOrder)
{
    addQueues({QStringLiteral("P2"), QStringLiteral("P")});
    setUserDefault(QStringLiteral("P"));
    open();
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("P"), QStringLiteral("P2")}));
    EXPECT_EQ(selected(), QStringLiteral("P"));
}

TEST_F(PrinterSelectWindowTest, SavingMakesTheChosenPrinterTheDefaultOfLaterJobs)
{
    addQueues({QStringLiteral("P"), QStringLiteral("P2")});
    setServerDefault(QStringLiteral("P"));
    open();
    ASSERT_EQ(selected(), QStringLiteral("P"));
    choose(QStringLiteral("P2"));
    EXPECT_EQ(userDefaultPrinter(), QStringLiteral("P")) << "choosing alone changes nothing";
    save();
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_TRUE(window->isVisible()) << "the window stays open";

    EXPECT_EQ(userDefaultPrinter(), QStringLiteral("P2"));
    EXPECT_EQ(libcupsDefault(), QStringLiteral("P2"));
    EXPECT_EQ(QPrinter().printerName(), QStringLiteral("P2")) << "the receipt's printer follows";

    // A job for the default printer, sent with nothing but libcups, lands in P2.
    QTemporaryFile document;
    ASSERT_TRUE(document.open());
    const QByteArray text = "receipt after saving\n";
    ASSERT_EQ(document.write(text), text.size());
    ASSERT_TRUE(document.flush());
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    ASSERT_NE(dest, nullptr) << cupsLastErrorString();
    const int job =
        cupsPrintFile(dest->name, QFile::encodeName(document.fileName()).constData(), "未命名打印作业", 0, nullptr);
    cupsFreeDests(1, dest);
    ASSERT_GT(job, 0) << cupsLastErrorString();
    const QList<CapturedJob> jobs = cups.waitForJobs(QStringLiteral("P2"), 1, 15000);
    ASSERT_EQ(jobs.size(), 1);
    EXPECT_EQ(jobs[0].title, QStringLiteral("未命名打印作业"));
    EXPECT_EQ(jobs[0].data, text);
    EXPECT_TRUE(cups.capturedJobs(QStringLiteral("P")).isEmpty());
}

TEST_F(PrinterSelectWindowTest, SavingTheUnchangedSelectionKeepsThatPrinter)
{
    addQueues({QStringLiteral("P"), QStringLiteral("P2")});
    setServerDefault(QStringLiteral("P2"));
    open();
    save();
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
    // Now the user's own choice: a new server default no longer changes it.
    setServerDefault(QStringLiteral("P"));
    EXPECT_EQ(userDefaultPrinter(), QStringLiteral("P2"));
}

TEST_F(PrinterSelectWindowTest, WithoutADefaultNothingIsSelectedUntilTheUserChooses)
{
    addQueues({QStringLiteral("P"), QStringLiteral("P2")});
    open();
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("P"), QStringLiteral("P2")}));
    EXPECT_EQ(list()->currentIndex(), -1);
    save();
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("请选择打印机！")});
    EXPECT_EQ(userDefaultPrinter(), QString());

    hooks().clearMessages();
    choose(QStringLiteral("P"));
    save();
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_EQ(userDefaultPrinter(), QStringLiteral("P"));
}

TEST_F(PrinterSelectWindowTest, AServerWithoutPrintersGivesAnEmptyListQuietly)
{
    open();
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
    const std::optional<QStringList> names = localPrinterNames();
    ASSERT_TRUE(names.has_value()) << "no printers is not a failure";
    EXPECT_TRUE(names->isEmpty());
}

TEST_F(PrinterSelectWindowTest, AnUnreachableServerIsReportedAndLeavesTheListEmpty)
{
    addQueues({QStringLiteral("P")});
    setServerDefault(QStringLiteral("P"));
    cups.pointClientsAt(cups.deadSocketPath());
    open();
    ASSERT_EQ(hooks().messages().size(), 1);
    const ShownMessage& shown = hooks().messages().first();
    EXPECT_EQ(shown.text, QStringLiteral("枚举打印机失败"));
    EXPECT_EQ(shown.caption, QStringLiteral("信息："));
    EXPECT_EQ(shown.icon, MessageIcon::None);
    EXPECT_EQ(shown.buttons, MessageButtons::Ok);
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_FALSE(localPrinterNames().has_value());

    hooks().clearMessages();
    save();
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("请选择打印机！")});
}

TEST_F(PrinterSelectWindowTest, AFailedSaveIsReportedAndChangesNothing)
{
    addQueues({QStringLiteral("P"), QStringLiteral("P2")});
    setServerDefault(QStringLiteral("P"));
    open();
    choose(QStringLiteral("P2"));
    cups.pointClientsAt(cups.deadSocketPath());
    save();
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("设置默认打印机失败！")});

    cups.pointClientsAt(cups.socketPath());
    EXPECT_EQ(userDefaultPrinter(), QStringLiteral("P"));
}

TEST_F(PrinterSelectWindowTest, ASaveThatLpdestOverridesIsReported)
{
    addQueues({QStringLiteral("P"), QStringLiteral("P2")});
    setServerDefault(QStringLiteral("P2"));
    qputenv("LPDEST", "P"); // restored when the server stops
    open();
    EXPECT_EQ(selected(), QStringLiteral("P"));
    choose(QStringLiteral("P2"));
    save();
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("设置默认打印机失败！")});
    EXPECT_EQ(userDefaultPrinter(), QStringLiteral("P"));
}

TEST_F(PrinterSelectWindowTest, EmptyAndUnknownNamesAreNotSaved)
{
    addQueues({QStringLiteral("P"), QStringLiteral("P2")});
    setServerDefault(QStringLiteral("P"));
    QString error;
    EXPECT_FALSE(setUserDefaultPrinter(QString(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(setUserDefaultPrinter(QStringLiteral("P3"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("P3"))) << error.toStdString();
    // Had either saved a user default, the server's new default would not show through.
    setServerDefault(QStringLiteral("P2"));
    EXPECT_EQ(userDefaultPrinter(), QStringLiteral("P2"));
}

TEST_F(PrinterSelectWindowTest, ExitClosesTheWindow)
{
    addQueues({QStringLiteral("P")});
    open();
    click(QStringLiteral("按钮1"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_EQ(userDefaultPrinter(), QString()) << "closing saves nothing";
}

TEST(FindPrinterByPrefix, FindsTheFirstEntryThatBeginsWithTheName)
{
    const QStringList names{QStringLiteral("P2"), QStringLiteral("P")};
    EXPECT_EQ(findPrinterByPrefix(names, QStringLiteral("P")), 0) << "a combo box's prefix search";
    EXPECT_EQ(findPrinterByPrefix({QStringLiteral("P"), QStringLiteral("P2")}, QStringLiteral("P")), 0);
    EXPECT_EQ(findPrinterByPrefix({QStringLiteral("P"), QStringLiteral("P2")}, QStringLiteral("P2")), 1);
}

TEST(FindPrinterByPrefix, IgnoresCase)
{
    const QStringList names{QStringLiteral("Epson_TM"), QStringLiteral("receipt-58")};
    EXPECT_EQ(findPrinterByPrefix(names, QStringLiteral("RECEIPT")), 1);
    EXPECT_EQ(findPrinterByPrefix(names, QStringLiteral("epson_tm")), 0);
}

TEST(FindPrinterByPrefix, FindsNothingForAnUnknownOrEmptyName)
{
    const QStringList names{QStringLiteral("P"), QStringLiteral("P2")};
    EXPECT_EQ(findPrinterByPrefix(names, QStringLiteral("Q")), -1);
    EXPECT_EQ(findPrinterByPrefix(names, QStringLiteral("P22")), -1);
    EXPECT_EQ(findPrinterByPrefix(names, QString()), -1) << "no default selects nothing";
    EXPECT_EQ(findPrinterByPrefix({}, QStringLiteral("P")), -1);
}

// libcups keeps the directories it first saw in each thread; a server started after that would let
// lpoptions writes reach the machine's own configuration, so it must refuse to start.
TEST(CupsServerFixture, RefusesAThreadWhereLibcupsRanBefore)
{
    QUORREL_REQUIRE_CUPS();
    bool started = true;
    QString error;
    std::thread thread([&] {
        cupsServer(); // this thread's libcups now reads the machine's configuration
        CupsServer server;
        started = server.start();
        error = server.lastError();
    });
    thread.join();
    EXPECT_FALSE(started);
    EXPECT_TRUE(error.contains(QStringLiteral("libcups was used in this thread before"))) << error.toStdString();
}

} // namespace
} // namespace quorrel::test
