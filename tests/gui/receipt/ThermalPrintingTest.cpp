// The direct thermal printer from the user's side: set up in the printer window, a test receipt,
// receipts printed with F5, and printers that stall or refuse while the window stays alive.

#include "support/AppDriver.h"

#include "core/receipt/CupsDestinations.h"
#include "core/receipt/ThermalPrinter.h"
#include "gui/app/MainWindow.h"
#include "gui/receipt/PrinterSelectWindow.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "support/CupsServer.h"
#include "support/FakeReceiptPrinter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QTreeView>

namespace quorrel::test {
namespace {

class ThermalPrintingTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        QUORREL_START_CUPS_SERVER(cups); // the printer window lists the CUPS queues too
        forgetThermal();
        shop.writeFactory();
    }
    void TearDown() override
    {
        forgetThermal(); // later tests print through the system's printer again
        AppTest::TearDown();
        cups.stop();
    }
    static void forgetThermal()
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quorrel"),
                           QStringLiteral("quorrel"));
        settings.remove(QStringLiteral("ThermalPrinter"));
    }
    // Sets the printer up as a user would in the printer window and saves.
    // The main window of a till whose receipts go to `printer` on 58 mm paper; 打印完毕 is shown.
    void openTillPrintingTo(FakeReceiptPrinter& printer, bool cut, bool drawer)
    {
        ASSERT_TRUE(printer.listening());
        setUpInWindow(QStringLiteral("127.0.0.1:%1").arg(printer.port()), false, cut, drawer);
        hooks().useSystemPrinter(true);
        shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='真', 提示再次打印='假' where ID=1"));
        ASSERT_NE(openMainWindow(), nullptr);
    }
    void setUpInWindow(const QString& address, bool paper80, bool cut, bool drawer)
    {
        PrinterSelectWindow window;
        Unit<QGroupBox>(&window, QStringLiteral("分组框_热敏打印机"))->setChecked(true);
        Unit<QComboBox>(&window, QStringLiteral("组合框_连接方式"))->setCurrentIndex(1);
        auto* edit = Unit<QLineEdit>(&window, QStringLiteral("编辑框_地址"));
        edit->clear();
        typeText(edit, address);
        Unit<QComboBox>(&window, QStringLiteral("组合框_纸宽"))->setCurrentIndex(paper80 ? 1 : 0);
        Unit<QCheckBox>(&window, QStringLiteral("复选框_切纸"))->setChecked(cut);
        Unit<QCheckBox>(&window, QStringLiteral("复选框_开钱箱"))->setChecked(drawer);
        QTest::mouseClick(Unit<QPushButton>(&window, QStringLiteral("按钮_保存")), Qt::LeftButton);
    }
    QString sales() { return shop.scalar(QStringLiteral("select count(*) from 销售记录")); }
    void pressF5() { QTest::keyClick(Unit<QLineEdit>(mainWindowWidget(), QStringLiteral("编辑框_名称")), Qt::Key_F5); }

    CupsServer cups;
};

TEST_F(ThermalPrintingTest, SetUpInThePrinterWindowTestPrintedAndKeptForTheUser)
{
    FakeReceiptPrinter fake;
    ASSERT_TRUE(fake.listening());
    const QString address = QStringLiteral("127.0.0.1:%1").arg(fake.port());
    setUpInWindow(address, true, true, false);
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();

    const ThermalSettings saved = ThermalSettings::load();
    EXPECT_TRUE(saved.enabled);
    EXPECT_EQ(saved.connection.kind, RawConnection::Kind::Network);
    EXPECT_EQ(saved.connection.describe(), address);
    EXPECT_EQ(saved.widthDots(), 576);
    EXPECT_TRUE(saved.cut);
    EXPECT_FALSE(saved.openDrawer);

    // Opened again, the window shows what was saved; 测试打印 reaches the printer.
    ASSERT_TRUE(cups.addQueue(QStringLiteral("P")));
    PrinterSelectWindow window;
    EXPECT_TRUE(Unit<QGroupBox>(&window, QStringLiteral("分组框_热敏打印机"))->isChecked());
    EXPECT_EQ(Unit<QLineEdit>(&window, QStringLiteral("编辑框_地址"))->text(), address);
    EXPECT_EQ(Unit<QComboBox>(&window, QStringLiteral("组合框_纸宽"))->currentText(), QStringLiteral("80 mm"));
    QTest::mouseClick(Unit<QPushButton>(&window, QStringLiteral("按钮_测试打印")), Qt::LeftButton);
    ASSERT_EQ(hooks().messageTexts(), QStringList{PrinterSelectWindow::kTestPrinted});
    const DecodedEscPos test = decodeEscPos(fake.received(), 576);
    EXPECT_TRUE(test.initialised);
    EXPECT_TRUE(test.error.isEmpty()) << test.error.toStdString();
    EXPECT_GT(test.picture.height(), 300) << "a whole receipt, not a blank";
    EXPECT_TRUE(test.cut);
    EXPECT_FALSE(test.drawer);

    // An address that is no host and port is refused and nothing changes.
    Unit<QLineEdit>(&window, QStringLiteral("编辑框_地址"))->setText(QStringLiteral("printer:port"));
    QTest::mouseClick(Unit<QPushButton>(&window, QStringLiteral("按钮_保存")), Qt::LeftButton);
    EXPECT_EQ(hooks().messageTexts().last(), PrinterSelectWindow::kBadAddress);
    EXPECT_EQ(ThermalSettings::load().connection.describe(), address);

    // A serial port: its speed is chosen (only there), and a printer that cannot answer is not asked.
    auto* kind = Unit<QComboBox>(&window, QStringLiteral("组合框_连接方式"));
    auto* baud = Unit<QComboBox>(&window, QStringLiteral("组合框_波特率"));
    kind->setCurrentIndex(0);
    Unit<QLineEdit>(&window, QStringLiteral("编辑框_地址"))->setText(QStringLiteral("/dev/usb/lp0"));
    EXPECT_FALSE(baud->isEnabled());
    Unit<QLineEdit>(&window, QStringLiteral("编辑框_地址"))->setText(QStringLiteral("/dev/ttyUSB0"));
    EXPECT_TRUE(baud->isEnabled());
    baud->setCurrentText(QStringLiteral("115200"));
    Unit<QCheckBox>(&window, QStringLiteral("复选框_不查询状态"))->setChecked(true);
    QTest::mouseClick(Unit<QPushButton>(&window, QStringLiteral("按钮_保存")), Qt::LeftButton);
    const ThermalSettings serial = ThermalSettings::load();
    EXPECT_EQ(serial.connection.target, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(serial.connection.baudRate, 115200);
    EXPECT_FALSE(serial.askStatus);
    PrinterSelectWindow again;
    EXPECT_EQ(Unit<QComboBox>(&again, QStringLiteral("组合框_波特率"))->currentText(), QStringLiteral("115200"));
    EXPECT_TRUE(Unit<QCheckBox>(&again, QStringLiteral("复选框_不查询状态"))->isChecked());

    // Switched off, receipts go to the system's printer again.
    Unit<QGroupBox>(&window, QStringLiteral("分组框_热敏打印机"))->setChecked(false);
    auto* queues = Unit<QComboBox>(&window, QStringLiteral("组合框_打印机名称"));
    queues->setCurrentIndex(queues->findText(QStringLiteral("P")));
    QTest::mouseClick(Unit<QPushButton>(&window, QStringLiteral("按钮_保存")), Qt::LeftButton);
    EXPECT_FALSE(ThermalSettings::load().enabled);
    EXPECT_EQ(userDefaultPrinter(), QStringLiteral("P"));
}

TEST_F(ThermalPrintingTest, F5PrintsOnTheThermalPrinterAndOpensTheDrawer)
{
    FakeReceiptPrinter fake;
    ASSERT_NO_FATAL_FAILURE(openTillPrintingTo(fake, false, true));
    enterLine(QStringLiteral("可口可乐"), QStringLiteral("2"), QStringLiteral("2.5"));
    pressF5();
    waitForReceipts();
    EXPECT_EQ(hooks().messageTexts().last(), QStringLiteral("打印完毕"));
    const DecodedEscPos receipt = decodeEscPos(fake.received(), 384);
    EXPECT_TRUE(receipt.error.isEmpty()) << receipt.error.toStdString();
    EXPECT_GT(receipt.picture.height(), 300);
    EXPECT_TRUE(receipt.drawer);
    EXPECT_FALSE(receipt.cut);
    EXPECT_EQ(sales(), QStringLiteral("1"));
}

TEST_F(ThermalPrintingTest, AStalledClosingOrRefusingPrinterIsAPrintFailureTheSaleIsKeptTheWindowLives)
{
    FakeReceiptPrinter stalled(FakeReceiptPrinter::Behaviour::Stalls);
    ASSERT_NO_FATAL_FAILURE(openTillPrintingTo(stalled, true, false));
    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("1"));
    QElapsedTimer waited;
    waited.start();
    pressF5();
    EXPECT_LT(waited.elapsed(), 1000) << "F5 hands the receipt over and returns";
    waitForReceipts(ThermalPrinter::kSendTimeoutMs + 5000);
    ASSERT_FALSE(hooks().messages().isEmpty());
    EXPECT_TRUE(hooks().messages().last().text.startsWith(QStringLiteral("小票没有打印出来！")));
    EXPECT_EQ(sales(), QStringLiteral("1"));

    // A printer that takes the first 2,000 bytes and hangs up: not printed either.
    FakeReceiptPrinter closing(FakeReceiptPrinter::Behaviour::ClosesEarly);
    ThermalSettings settings = ThermalSettings::load();
    settings.connection.port = closing.port();
    ASSERT_TRUE(settings.save());
    hooks().clearMessages();
    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("1"));
    pressF5();
    waitForReceipts(ThermalPrinter::kSendTimeoutMs + 5000);
    EXPECT_EQ(closing.received().size(), 2000);
    EXPECT_EQ(hooks().messageTexts().size(), 1);
    EXPECT_TRUE(hooks().messageTexts().value(0).startsWith(QStringLiteral("小票没有打印出来！")));

    // A printer that refuses the connection: told at once.
    settings.connection.port = FakeReceiptPrinter::refusingPort();
    ASSERT_TRUE(settings.save());
    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("1"));
    waited.restart();
    pressF5();
    waitForReceipts();
    EXPECT_LT(waited.elapsed(), ThermalPrinter::kSendTimeoutMs);
    EXPECT_TRUE(hooks().messages().last().text.startsWith(QStringLiteral("小票没有打印出来！")));
    EXPECT_EQ(sales(), QStringLiteral("3"));
}

TEST_F(ThermalPrintingTest, APrinterOutOfPaperGetsNothingAndTheCashierIsToldWhy)
{
    FakeReceiptPrinter empty(FakeReceiptPrinter::Behaviour::PaperEnd);
    ASSERT_NO_FATAL_FAILURE(openTillPrintingTo(empty, false, true));
    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("1"));
    pressF5();
    waitForReceipts();
    ASSERT_EQ(hooks().messages().size(), 1);
    EXPECT_EQ(hooks().messages()[0].text, QStringLiteral("打印机缺纸或未就绪：缺纸"));
    EXPECT_EQ(hooks().messages()[0].icon, MessageIcon::Error);
    const QByteArray received = empty.received();
    EXPECT_EQ(received, QByteArrayLiteral("\x10\x04\x01\x10\x04\x02\x10\x04\x03\x10\x04\x04"))
        << "only the questions were sent: no receipt, no drawer";
    EXPECT_EQ(sales(), QStringLiteral("1")) << "the sale is kept";

    // 测试打印 says the same.
    PrinterSelectWindow window;
    FakeReceiptPrinter stillEmpty(FakeReceiptPrinter::Behaviour::PaperEnd);
    auto* address = Unit<QLineEdit>(&window, QStringLiteral("编辑框_地址"));
    address->setText(QStringLiteral("127.0.0.1:%1").arg(stillEmpty.port()));
    hooks().clearMessages();
    QTest::mouseClick(Unit<QPushButton>(&window, QStringLiteral("按钮_测试打印")), Qt::LeftButton);
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("打印机缺纸或未就绪：缺纸")});
}

TEST_F(ThermalPrintingTest, TheCashierTypesWhileASlowPrinterTakesALongReceiptAndASecondWaitsItsTurn)
{
    FakeReceiptPrinter slow(FakeReceiptPrinter::Behaviour::Slow, 16 * 1024);
    ASSERT_NO_FATAL_FAILURE(openTillPrintingTo(slow, false, false));
    for (int i = 0; i < 8; ++i)
        enterLine(QStringLiteral("盐%1").arg(i), QStringLiteral("1"), QStringLiteral("1"));
    pressF5();
    ASSERT_GT(ReceiptPrinting::receiptsUnderWay(), 0);
    // The next sale is rung up while the receipt goes out.
    enterLine(QStringLiteral("糖"), QStringLiteral("2"), QStringLiteral("3"));
    EXPECT_EQ(Unit<QTreeView>(mainWindowWidget(), QStringLiteral("超级列表框1"))->model()->rowCount(), 1);
    EXPECT_GT(ReceiptPrinting::receiptsUnderWay(), 0) << "typed while the printer was still taking the receipt";
    EXPECT_TRUE(hooks().messages().isEmpty());
    // Printed too, after the first.
    pressF5();
    EXPECT_EQ(ReceiptPrinting::receiptsUnderWay(), 2);
    waitForReceipts(60000);
    EXPECT_EQ(hooks().messageTexts(), (QStringList{QStringLiteral("打印完毕"), QStringLiteral("打印完毕")}));
    EXPECT_EQ(sales(), QStringLiteral("2"));
}

} // namespace
} // namespace quorrel::test
