// Printing the receipt from the real main window: the job, the messages, reprints, the stored
// ticket number, and the receipt as a PDF a person would read.

#include "support/AppDriver.h"

#include "core/receipt/PainterPrinter.h"
#include "gui/app/MainWindow.h"
#include "gui/receipt/PrinterSelectWindow.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "gui/receipt/SystemPrinter.h"
#include "mock/MockClock.h"
#include "support/CupsServer.h"
#include "support/PdfText.h"

#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <optional>

namespace quorrel::test {
namespace {

using Kind = RecordingPrinter::Kind;

int pdfPages(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(process.waitForFinished(30000));
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n'))
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// Runs a CUPS command-line tool; the environment points it at the test's own server.
bool cupsTool(const QString& name, const QStringList& arguments, QString* output = nullptr)
{
    const QString tool =
        QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    if (tool.isEmpty()) {
        ADD_FAILURE() << name.toStdString() << " is missing";
        return false;
    }
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << name.toStdString() << " failed: " << process.readAllStandardError().toStdString();
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return true;
}

class PrintingTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
        MockClock::setFixed(QDateTime(QDate(2016, 8, 24), QTime(9, 5, 7)));
    }
    void TearDown() override
    {
        MockClock::reset();
        AppTest::TearDown();
    }
    MainWindow* open() { return main = openMainWindow(); }
    QLineEdit* U(const char16_t* name) { return Unit<QLineEdit>(main, QString::fromUtf16(name)); }

    MainWindow* main = nullptr;
};

TEST_F(PrintingTest, F5PrintsTheReceiptUnderTheNumberTheSaleIsStoredWith)
{
    shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='假', 提示再次打印='假' where ID=1"));
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("糖"), QStringLiteral("3"), QStringLiteral("1.1"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    RecordingPrinter* printer = hooks().Printer();
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer->documents(), 1);
    const QString stored = shop.scalar(QStringLiteral("select 销售票号 from 销售记录"));
    EXPECT_EQ(stored, QStringLiteral("1608240000001"));
    EXPECT_NE(printer->written(QStringLiteral("单号：") + stored), nullptr) << "the receipt shows the stored number";
    EXPECT_NE(printer->written(QStringLiteral("糖")), nullptr);
    EXPECT_NE(printer->written(QStringLiteral("总额:3.30")), nullptr);
    EXPECT_TRUE(hooks().messages().isEmpty());
}

TEST_F(PrintingTest, FinishedNoticeThenTheQuestionAndYesTwicePrintsThreeReceipts)
{
    shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='真', 提示再次打印='真' where ID=1"));
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("盐"), QStringLiteral("1"), QStringLiteral("2"));
    hooks().answerNext(MessageAnswer::Yes);
    hooks().answerNext(MessageAnswer::Yes);
    hooks().answerNext(MessageAnswer::No);
    QTest::mouseClick(Unit<QPushButton>(main, QStringLiteral("按钮_打印小票")), Qt::LeftButton);
    waitForReceipts();
    ASSERT_NE(hooks().Printer(), nullptr);
    EXPECT_EQ(hooks().Printer()->documents(), 3);
    const QStringList expected{QStringLiteral("打印完毕"), QStringLiteral("打印完毕,是否再次打印！"),
                               QStringLiteral("打印完毕"), QStringLiteral("打印完毕,是否再次打印！"),
                               QStringLiteral("打印完毕"), QStringLiteral("打印完毕,是否再次打印！")};
    EXPECT_EQ(hooks().messageTexts(), expected);
    for (const ShownMessage& shown : hooks().messages()) {
        EXPECT_EQ(shown.caption, QStringLiteral("提示:"));
        EXPECT_EQ(shown.icon, MessageIcon::None);
        EXPECT_EQ(shown.ownerClass, QStringLiteral("quorrel::MainWindow"));
    }
    // Every copy carries the same number, the one stored, and the sale is stored once.
    EXPECT_EQ(hooks().Printer()->ofKind(Kind::WriteAt).count() % 3, 0);
    int numbered = 0;
    for (const auto& op : hooks().Printer()->ofKind(Kind::WriteAt))
        if (op.text == QStringLiteral("单号：1608240000001"))
            ++numbered;
    EXPECT_EQ(numbered, 3);
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("1"));
}

// A printer that refuses every job, as when there is no printer and the dialog is cancelled.
class RefusingPrinter : public RecordingPrinter
{
public:
    bool startDocument() override
    {
        RecordingPrinter::startDocument();
        return false;
    }
    bool endDocument() override
    {
        RecordingPrinter::endDocument();
        return false;
    }
};

TEST_F(PrintingTest, AReceiptThatWasNotPrintedIsNeverReportedAsPrintedButTheSaleIsKept)
{
    shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='真', 提示再次打印='真' where ID=1"));
    ReceiptPrinting::setPrinterFactory([] { return std::make_unique<RefusingPrinter>(); });
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("1"));
    hooks().answerNext(MessageAnswer::No);
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    ASSERT_EQ(hooks().messages().size(), 2);
    EXPECT_TRUE(hooks().messages()[0].text.startsWith(QStringLiteral("小票没有打印出来！")));
    EXPECT_EQ(hooks().messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(hooks().messages()[1].text, QStringLiteral("打印完毕,是否再次打印！"));
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("1"))
        << "the cash was taken: the sale is stored all the same";
}

TEST_F(PrintingTest, LogoAndMarginsComeFromTheSettings)
{
    QImage wide(100, 50, QImage::Format_RGB32);
    wide.fill(Qt::black);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(wide.save(&buffer, "PNG"));
    shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='假', 是否打印logo='真', 纸张边距='30', 打印偏差='30', "
                             "logo偏差=15, logo=? where ID=1"),
              {png});
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("1"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    RecordingPrinter* printer = hooks().Printer();
    ASSERT_NE(printer, nullptr);
    const auto margins = printer->ofKind(Kind::SetLeftMargin);
    ASSERT_EQ(margins.size(), 1);
    EXPECT_EQ(margins[0].x1, 30);
    const auto pictures = printer->ofKind(Kind::DrawPicture);
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_EQ(pictures[0].x2, 445);
    EXPECT_EQ(pictures[0].y2, 222) << "the logo keeps its proportions";
    EXPECT_EQ(pictures[0].bytes, png);
    EXPECT_EQ(printer->written(QStringLiteral("单号：1608240000001"))->y1, 5 + 222 + 80) << "below the logo";
    EXPECT_EQ(printer->written(QStringLiteral("单号：1608240000001"))->x1, 30);
}

TEST_F(PrintingTest, ReceiptRenderedToPdfReadsAsTheSale)
{
    shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='假', 店名='好邻居便利店' where ID=1"));
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("receipt.pdf"));
    ReceiptPrinting::setPrinterFactory([pdf] { return std::make_unique<PdfPrinter>(pdf); });
    ASSERT_NE(open(), nullptr);
    Unit<QPlainTextEdit>(main, QStringLiteral("编辑框_备注"))->setPlainText(QStringLiteral("谢谢惠顾\n欢迎再来"));
    enterLine(QStringLiteral("可口可乐"), QStringLiteral("2"), QStringLiteral("2.5"));
    enterLine(QStringLiteral("大包装的薯片原味"), QStringLiteral("1"), QStringLiteral("7.8"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    ASSERT_TRUE(QFile::exists(pdf));
    const QString text = pdfText(pdf);
    for (const QString& expected :
         {QStringLiteral("好邻居便利店"), QStringLiteral("单号:1608240000001"), QStringLiteral("可口可乐"),
          QStringLiteral("5.00"), QStringLiteral("大包装的薯"), QStringLiteral("片原味"), QStringLiteral("7.80"),
          QStringLiteral("合计数量:3"), QStringLiteral("总额:12.80"), QStringLiteral("收银员:admin"),
          QStringLiteral("谢谢惠顾"), QStringLiteral("欢迎再来")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << " not in:\n" << text.toStdString();
    EXPECT_EQ(pdfPages(pdf), 1);
}

TEST_F(PrintingTest, LongRemarkRunsOnToFurtherPages)
{
    QStringList lines;
    for (int i = 1; i <= 120; ++i)
        lines << QStringLiteral("备注第%1行").arg(i);
    shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='假' where ID=1"));
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("long.pdf"));
    ReceiptPrinting::setPrinterFactory([pdf] { return std::make_unique<PdfPrinter>(pdf); });
    ASSERT_NE(open(), nullptr);
    Unit<QPlainTextEdit>(main, QStringLiteral("编辑框_备注"))->setPlainText(lines.join(u'\n'));
    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("1"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    EXPECT_GE(pdfPages(pdf), 2);
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("备注第1行")));
    EXPECT_TRUE(text.contains(QStringLiteral("备注第120行"))) << "nothing of the remark is lost";
}

// F5 on a real CUPS server: the job reaches the default queue, and after the printer window makes
// another queue the default the next receipt goes there.
TEST_F(PrintingTest, F5PrintsOnTheDefaultCupsQueueAndFollowsTheChosenPrinter)
{
    CupsServer cups;
    QUORREL_START_CUPS_SERVER(cups);
    ASSERT_TRUE(cups.addQueue(QStringLiteral("P")));
    ASSERT_TRUE(cups.addQueue(QStringLiteral("P2")));
    ASSERT_TRUE(cups.setServerDefault(QStringLiteral("P")));
    hooks().useSystemPrinter(true);
    shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='假', 提示再次打印='假' where ID=1"));

    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("可口可乐"), QStringLiteral("2"), QStringLiteral("2.5"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    const QList<CapturedJob> jobs = cups.waitForJobs(QStringLiteral("P"), 1, 30000);
    ASSERT_EQ(jobs.size(), 1) << cups.lastError().toStdString();
    EXPECT_EQ(jobs[0].title, SystemPrinter::kJobName);
    EXPECT_TRUE(jobs[0].data.startsWith("%PDF")) << "the queue receives the receipt as a document";
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("job.pdf"));
    {
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(jobs[0].data);
    }
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("1608240000001"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("可口可乐"))) << text.toStdString();
    EXPECT_EQ(shop.scalar(QStringLiteral("select 销售票号 from 销售记录")), QStringLiteral("1608240000001"));
    EXPECT_TRUE(cups.capturedJobs(QStringLiteral("P2")).isEmpty());

    // The printer window makes P2 the default: the next receipt goes there.
    {
        PrinterSelectWindow window(main);
        auto* printers = Unit<QComboBox>(&window, QStringLiteral("组合框_打印机名称"));
        ASSERT_EQ(printers->currentText(), QStringLiteral("P"));
        printers->setCurrentIndex(printers->findText(QStringLiteral("P2")));
        QTest::mouseClick(Unit<QPushButton>(&window, QStringLiteral("按钮_保存")), Qt::LeftButton);
    }
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
    enterLine(QStringLiteral("雪碧"), QStringLiteral("1"), QStringLiteral("3"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    EXPECT_EQ(cups.waitForJobs(QStringLiteral("P2"), 1, 30000).size(), 1);
    EXPECT_EQ(cups.capturedJobs(QStringLiteral("P")).size(), 1);
}

// A queue that refuses jobs and one whose jobs CUPS aborts: the receipt is reported as not printed,
// never as printed, and each sale is kept.
TEST_F(PrintingTest, AJobTheCupsQueueRefusesOrAbortsIsReportedAsNotPrinted)
{
    CupsServer cups;
    QUORREL_START_CUPS_SERVER(cups);
    ASSERT_TRUE(cups.addQueue(QStringLiteral("P")));
    ASSERT_TRUE(cups.addQueue(QStringLiteral("Q")));
    ASSERT_TRUE(cups.setServerDefault(QStringLiteral("P")));
    ASSERT_TRUE(cups.rejectJobs(QStringLiteral("P"))) << cups.lastError().toStdString();
    ASSERT_TRUE(cups.failJobs(QStringLiteral("Q"))) << cups.lastError().toStdString();
    hooks().useSystemPrinter(true);
    shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='真', 提示再次打印='假' where ID=1"));
    ASSERT_NE(open(), nullptr);

    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("1"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    ASSERT_EQ(hooks().messages().size(), 1) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_TRUE(hooks().messages()[0].text.startsWith(QStringLiteral("小票没有打印出来！")));
    EXPECT_EQ(hooks().messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("1"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor is gone after a refused job";

    ASSERT_TRUE(cups.setServerDefault(QStringLiteral("Q")));
    enterLine(QStringLiteral("盐"), QStringLiteral("1"), QStringLiteral("2"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    ASSERT_EQ(hooks().messages().size(), 2) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_TRUE(hooks().messages()[1].text.startsWith(QStringLiteral("小票没有打印出来！")));
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("2"));
    EXPECT_TRUE(cups.capturedJobs(QStringLiteral("P")).isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor is gone after an aborted job";
}

// While CUPS has the job, the GUI thread goes on, under the busy cursor (the arrow with the busy sign:
// the windows can be used). The queue is stopped when
// F5 is pressed, so the job waits there; a timer of the GUI thread starts the queue again once it
// sees the job waiting. Were the job followed on the GUI thread, the timer could not run until the
// follow gave up, and the job on a stopped queue would be cancelled and reported as not printed.
TEST_F(PrintingTest, TheWindowRunsOnUnderTheBusyCursorWhileCupsHasTheJob)
{
    CupsServer cups;
    QUORREL_START_CUPS_SERVER(cups);
    ASSERT_TRUE(cups.addQueue(QStringLiteral("P")));
    ASSERT_TRUE(cups.setServerDefault(QStringLiteral("P")));
    ASSERT_TRUE(cupsTool(QStringLiteral("cupsdisable"), {QStringLiteral("P")}));
    hooks().useSystemPrinter(true);
    shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='假', 提示再次打印='假' where ID=1"));
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("可口可乐"), QStringLiteral("2"), QStringLiteral("2.5"));

    bool started = false;
    std::optional<Qt::CursorShape> cursorMeanwhile;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QString waiting;
        if (started || !cupsTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), QStringLiteral("P")}, &waiting) ||
            waiting.trimmed().isEmpty())
            return;
        if (const QCursor* cursor = QGuiApplication::overrideCursor())
            cursorMeanwhile = cursor->shape();
        started = cupsTool(QStringLiteral("cupsenable"), {QStringLiteral("P")});
    });
    timer.start(0);
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    timer.stop();

    EXPECT_TRUE(started) << "the GUI thread ran while the job waited in CUPS";
    EXPECT_EQ(cursorMeanwhile, Qt::BusyCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_EQ(cups.waitForJobs(QStringLiteral("P"), 1, 30000).size(), 1) << cups.lastError().toStdString();
}

} // namespace
} // namespace quorrel::test
