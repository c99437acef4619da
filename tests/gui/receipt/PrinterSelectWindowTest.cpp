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
QString LibcupsDefault()
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
        cups.Stop();
        HookedTest::TearDown();
    }

    // Creates the queues in this order.
    void AddQueues(const QStringList& names)
    {
        for (const QString& name : names)
            ASSERT_TRUE(cups.AddQueue(name)) << cups.LastError().toStdString();
    }
    void SetServerDefault(const QString& name)
    {
        ASSERT_TRUE(cups.SetServerDefault(name)) << cups.LastError().toStdString();
    }
    void SetUserDefault(const QString& name)
    {
        ASSERT_TRUE(cups.SetUserDefault(name)) << cups.LastError().toStdString();
    }

    void Open()
    {
        window = std::make_unique<PrinterSelectWindow>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    QComboBox* List() { return Unit<QComboBox>(window.get(), QStringLiteral("组合框_打印机名称")); }
    QStringList Entries()
    {
        QStringList entries;
        for (int i = 0; i < List()->count(); ++i)
            entries << List()->itemText(i);
        return entries;
    }
    QString Selected() { return List()->currentIndex() < 0 ? QString() : List()->currentText(); }
    // Picks an entry with the keyboard, as a user would.
    void Choose(const QString& printer)
    {
        QComboBox* list = List();
        const int target = list->findText(printer);
        ASSERT_GE(target, 0) << printer.toStdString();
        list->setFocus();
        while (list->currentIndex() < target)
            QTest::keyClick(list, Qt::Key_Down);
        while (list->currentIndex() > target)
            QTest::keyClick(list, Qt::Key_Up);
        ASSERT_EQ(list->currentText(), printer);
    }
    void Click(const QString& button) { QTest::mouseClick(Unit<QPushButton>(window.get(), button), Qt::LeftButton); }
    void Save() { Click(QStringLiteral("按钮_保存")); }

    CupsServer cups;
    std::unique_ptr<PrinterSelectWindow> window;
};

TEST_F(PrinterSelectWindowTest, ListsThePrintersAndSelectsTheUsersDefault)
{
    AddQueues({QStringLiteral("P"), QStringLiteral("P2")});
    SetServerDefault(QStringLiteral("P"));
    SetUserDefault(QStringLiteral("P2"));
    Open();
    EXPECT_EQ(Entries(), (QStringList{QStringLiteral("P"), QStringLiteral("P2")}));
    EXPECT_EQ(Selected(), QStringLiteral("P2"));

    window.reset();
    SetUserDefault(QStringLiteral("P"));
    Open();
    EXPECT_EQ(Selected(), QStringLiteral("P"));
    EXPECT_TRUE(hooks().Messages().isEmpty()) << hooks().MessageTexts().join(u'|').toStdString();
}

TEST_F(PrinterSelectWindowTest, WithoutAChoiceOfTheUserTheServerDefaultIsSelected)
{
    AddQueues({QStringLiteral("P"), QStringLiteral("P2")});
    SetServerDefault(QStringLiteral("P2"));
    Open();
    EXPECT_EQ(Selected(), QStringLiteral("P2"));
}

TEST_F(PrinterSelectWindowTest, ADefaultInstanceSelectsItsPrinterAndInstancesAreNotListed)
{
    AddQueues({QStringLiteral("P"), QStringLiteral("P2")});
    SetServerDefault(QStringLiteral("P"));
    ASSERT_TRUE(cups.SetUserOption(QStringLiteral("P2/draft"), QStringLiteral("print-quality=3")))
        << cups.LastError().toStdString();
    SetUserDefault(QStringLiteral("P2/draft"));
    Open();
    EXPECT_EQ(Entries(), (QStringList{QStringLiteral("P"), QStringLiteral("P2")}));
    EXPECT_EQ(Selected(), QStringLiteral("P2"));
}

// Whatever order the queues were created in, CUPS lists a name before the longer names that begin
// with it, so the prefix search finds the default itself.
TEST_F(PrinterSelectWindowTest, ThePrefixSearchLandsOnTheDefaultWhateverTheCreationOrder)
{
    AddQueues({QStringLiteral("P2"), QStringLiteral("P")});
    SetUserDefault(QStringLiteral("P"));
    Open();
    EXPECT_EQ(Entries(), (QStringList{QStringLiteral("P"), QStringLiteral("P2")}));
    EXPECT_EQ(Selected(), QStringLiteral("P"));
}

TEST_F(PrinterSelectWindowTest, SavingMakesTheChosenPrinterTheDefaultOfLaterJobs)
{
    AddQueues({QStringLiteral("P"), QStringLiteral("P2")});
    SetServerDefault(QStringLiteral("P"));
    Open();
    ASSERT_EQ(Selected(), QStringLiteral("P"));
    Choose(QStringLiteral("P2"));
    EXPECT_EQ(UserDefaultPrinter(), QStringLiteral("P")) << "choosing alone changes nothing";
    Save();
    EXPECT_TRUE(hooks().Messages().isEmpty()) << hooks().MessageTexts().join(u'|').toStdString();
    EXPECT_TRUE(window->isVisible()) << "the window stays open";

    EXPECT_EQ(UserDefaultPrinter(), QStringLiteral("P2"));
    EXPECT_EQ(LibcupsDefault(), QStringLiteral("P2"));
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
    const QList<CapturedJob> jobs = cups.WaitForJobs(QStringLiteral("P2"), 1, 15000);
    ASSERT_EQ(jobs.size(), 1);
    EXPECT_EQ(jobs[0].title, QStringLiteral("未命名打印作业"));
    EXPECT_EQ(jobs[0].data, text);
    EXPECT_TRUE(cups.CapturedJobs(QStringLiteral("P")).isEmpty());
}

TEST_F(PrinterSelectWindowTest, SavingTheUnchangedSelectionKeepsThatPrinter)
{
    AddQueues({QStringLiteral("P"), QStringLiteral("P2")});
    SetServerDefault(QStringLiteral("P2"));
    Open();
    Save();
    EXPECT_TRUE(hooks().Messages().isEmpty()) << hooks().MessageTexts().join(u'|').toStdString();
    // Now the user's own choice: a new server default no longer changes it.
    SetServerDefault(QStringLiteral("P"));
    EXPECT_EQ(UserDefaultPrinter(), QStringLiteral("P2"));
}

TEST_F(PrinterSelectWindowTest, WithoutADefaultNothingIsSelectedUntilTheUserChooses)
{
    AddQueues({QStringLiteral("P"), QStringLiteral("P2")});
    Open();
    EXPECT_EQ(Entries(), (QStringList{QStringLiteral("P"), QStringLiteral("P2")}));
    EXPECT_EQ(List()->currentIndex(), -1);
    Save();
    EXPECT_EQ(hooks().MessageTexts(), QStringList{QStringLiteral("请选择打印机！")});
    EXPECT_EQ(UserDefaultPrinter(), QString());

    hooks().ClearMessages();
    Choose(QStringLiteral("P"));
    Save();
    EXPECT_TRUE(hooks().Messages().isEmpty()) << hooks().MessageTexts().join(u'|').toStdString();
    EXPECT_EQ(UserDefaultPrinter(), QStringLiteral("P"));
}

TEST_F(PrinterSelectWindowTest, AServerWithoutPrintersGivesAnEmptyListQuietly)
{
    Open();
    EXPECT_TRUE(Entries().isEmpty());
    EXPECT_TRUE(hooks().Messages().isEmpty()) << hooks().MessageTexts().join(u'|').toStdString();
    const std::optional<QStringList> names = LocalPrinterNames();
    ASSERT_TRUE(names.has_value()) << "no printers is not a failure";
    EXPECT_TRUE(names->isEmpty());
}

TEST_F(PrinterSelectWindowTest, AnUnreachableServerIsReportedAndLeavesTheListEmpty)
{
    AddQueues({QStringLiteral("P")});
    SetServerDefault(QStringLiteral("P"));
    cups.PointClientsAt(cups.DeadSocketPath());
    Open();
    ASSERT_EQ(hooks().Messages().size(), 1);
    const ShownMessage& shown = hooks().Messages().first();
    EXPECT_EQ(shown.text, QStringLiteral("枚举打印机失败"));
    EXPECT_EQ(shown.caption, QStringLiteral("信息："));
    EXPECT_EQ(shown.icon, MessageIcon::None);
    EXPECT_EQ(shown.buttons, MessageButtons::Ok);
    EXPECT_TRUE(Entries().isEmpty());
    EXPECT_FALSE(LocalPrinterNames().has_value());

    hooks().ClearMessages();
    Save();
    EXPECT_EQ(hooks().MessageTexts(), QStringList{QStringLiteral("请选择打印机！")});
}

TEST_F(PrinterSelectWindowTest, AFailedSaveIsReportedAndChangesNothing)
{
    AddQueues({QStringLiteral("P"), QStringLiteral("P2")});
    SetServerDefault(QStringLiteral("P"));
    Open();
    Choose(QStringLiteral("P2"));
    cups.PointClientsAt(cups.DeadSocketPath());
    Save();
    EXPECT_EQ(hooks().MessageTexts(), QStringList{QStringLiteral("设置默认打印机失败！")});

    cups.PointClientsAt(cups.SocketPath());
    EXPECT_EQ(UserDefaultPrinter(), QStringLiteral("P"));
}

TEST_F(PrinterSelectWindowTest, ASaveThatLpdestOverridesIsReported)
{
    AddQueues({QStringLiteral("P"), QStringLiteral("P2")});
    SetServerDefault(QStringLiteral("P2"));
    qputenv("LPDEST", "P"); // restored when the server stops
    Open();
    EXPECT_EQ(Selected(), QStringLiteral("P"));
    Choose(QStringLiteral("P2"));
    Save();
    EXPECT_EQ(hooks().MessageTexts(), QStringList{QStringLiteral("设置默认打印机失败！")});
    EXPECT_EQ(UserDefaultPrinter(), QStringLiteral("P"));
}

TEST_F(PrinterSelectWindowTest, EmptyAndUnknownNamesAreNotSaved)
{
    AddQueues({QStringLiteral("P"), QStringLiteral("P2")});
    SetServerDefault(QStringLiteral("P"));
    QString error;
    EXPECT_FALSE(SetUserDefaultPrinter(QString(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(SetUserDefaultPrinter(QStringLiteral("P3"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("P3"))) << error.toStdString();
    // Had either saved a user default, the server's new default would not show through.
    SetServerDefault(QStringLiteral("P2"));
    EXPECT_EQ(UserDefaultPrinter(), QStringLiteral("P2"));
}

TEST_F(PrinterSelectWindowTest, ExitClosesTheWindow)
{
    AddQueues({QStringLiteral("P")});
    Open();
    Click(QStringLiteral("按钮1"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_EQ(UserDefaultPrinter(), QString()) << "closing saves nothing";
}

TEST(FindPrinterByPrefix, FindsTheFirstEntryThatBeginsWithTheName)
{
    const QStringList names{QStringLiteral("P2"), QStringLiteral("P")};
    EXPECT_EQ(FindPrinterByPrefix(names, QStringLiteral("P")), 0) << "a combo box's prefix search";
    EXPECT_EQ(FindPrinterByPrefix({QStringLiteral("P"), QStringLiteral("P2")}, QStringLiteral("P")), 0);
    EXPECT_EQ(FindPrinterByPrefix({QStringLiteral("P"), QStringLiteral("P2")}, QStringLiteral("P2")), 1);
}

TEST(FindPrinterByPrefix, IgnoresCase)
{
    const QStringList names{QStringLiteral("Epson_TM"), QStringLiteral("receipt-58")};
    EXPECT_EQ(FindPrinterByPrefix(names, QStringLiteral("RECEIPT")), 1);
    EXPECT_EQ(FindPrinterByPrefix(names, QStringLiteral("epson_tm")), 0);
}

TEST(FindPrinterByPrefix, FindsNothingForAnUnknownOrEmptyName)
{
    const QStringList names{QStringLiteral("P"), QStringLiteral("P2")};
    EXPECT_EQ(FindPrinterByPrefix(names, QStringLiteral("Q")), -1);
    EXPECT_EQ(FindPrinterByPrefix(names, QStringLiteral("P22")), -1);
    EXPECT_EQ(FindPrinterByPrefix(names, QString()), -1) << "no default selects nothing";
    EXPECT_EQ(FindPrinterByPrefix({}, QStringLiteral("P")), -1);
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
        started = server.Start();
        error = server.LastError();
    });
    thread.join();
    EXPECT_FALSE(started);
    EXPECT_TRUE(error.contains(QStringLiteral("libcups was used in this thread before"))) << error.toStdString();
}

} // namespace
} // namespace quorrel::test
