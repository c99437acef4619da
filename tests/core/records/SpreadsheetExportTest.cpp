// The exports of the records windows to a workbook, read back with xlrd: a list held in memory,
// and the sales a records query finds, read from a real shop file.

#include "core/records/SpreadsheetExport.h"
#include "core/records/SalesRecordsModel.h"
#include "core/store/Database.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/Schema.h"
#include "core/workbook/XlsReadBack.h"
#include "core/workbook/XlsWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quorrel;
using namespace quorrel::test;

namespace {

const QStringList kTitles = {QStringLiteral("序号"), QStringLiteral("销售票号"), QStringLiteral("销售时间"),
                             QStringLiteral("数量"), QStringLiteral("金额"),     QStringLiteral("收银员"),
                             QStringLiteral("备注")};

QStringList sale(int number, const QString& remark = QString())
{
    return {QString::number(number),
            QStringLiteral("16082400%1").arg(number, 2, 10, QLatin1Char('0')),
            QStringLiteral("2016年8月24日 9:%1:07").arg(number % 60, 2, 10, QLatin1Char('0')),
            QStringLiteral("1.5"),
            QStringLiteral("%1.35").arg(number),
            QStringLiteral("收银员%1").arg(number % 3),
            remark};
}

QList<QStringList> trimmed(QList<QStringList> rows)
{
    for (QStringList& row : rows) {
        while (!row.isEmpty() && row.last().isEmpty())
            row.removeLast();
    }
    return rows;
}

// Each test gets its own temporary directory as the user's, so what the export leaves there shows.
class SpreadsheetExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_userTemp.path().toUtf8());
    }
    void TearDown() override { qputenv("TMPDIR", m_savedTmp); }

    QString target(const QString& name = QStringLiteral("160824查询结果.xls")) const { return m_out.filePath(name); }
    QStringList leftInUserTemp() const
    {
        return QDir(m_userTemp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }
    QStringList filesBesideTarget() const { return QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir m_userTemp;
    QTemporaryDir m_out;
    QByteArray m_savedTmp;
};

TEST_F(SpreadsheetExportTest, ThreeSalesWithQuotesAndALongRemark)
{
    const QList<QStringList> rows = {sale(1), sale(2, QStringLiteral("他说\"送货上门\"，it's ok")),
                                     sale(3, QString(300, QChar(0x5907)))};
    QString error;
    ASSERT_TRUE(exportToWorkbook(target(), kTitles, rows, &error)) << error.toStdString();

    const ReadBook book = readWithXlrd(target());
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    ASSERT_EQ(book.sheets.size(), 1);
    EXPECT_EQ(book.sheets.first().name, QStringLiteral("Sheet1"));
    EXPECT_TRUE(book.sheets.first().allText);
    EXPECT_EQ(trimmed(book.sheets.first().rows), trimmed(QList<QStringList>{kTitles} + rows));
    // Nothing is left in the user's temporary directory, nor beside the workbook.
    EXPECT_EQ(leftInUserTemp(), QStringList());
    EXPECT_EQ(filesBesideTarget(), QStringList{QStringLiteral("160824查询结果.xls")});
}

TEST_F(SpreadsheetExportTest, SeventyThousandRowsFillTwoSheets)
{
    QList<QStringList> rows;
    for (int i = 1; i <= 70000; ++i)
        rows.append(sale(i, i % 2 ? QString() : QStringLiteral("备注%1").arg(i)));
    QString error;
    ASSERT_TRUE(exportToWorkbook(target(), kTitles, rows, &error)) << error.toStdString();
    const ReadBook book = readWithXlrd(target());
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    ASSERT_EQ(book.sheets.size(), 2);
    EXPECT_EQ(book.sheets[1].name, QStringLiteral("Sheet2"));
    EXPECT_EQ(trimmed(book.sheets[0].rows), trimmed(QList<QStringList>{kTitles} + rows.mid(0, 65535)));
    EXPECT_EQ(trimmed(book.sheets[1].rows), trimmed(QList<QStringList>{kTitles} + rows.mid(65535)));
}

TEST_F(SpreadsheetExportTest, ReplacesAnEarlierWorkbookOnlyOnSuccess)
{
    QFile old(target());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("earlier workbook");
    old.close();

    // Refused before anything is written: the old file stays as it was.
    QString error;
    const QString tooLong(XlsWriter::kMaxCellLength + 1, QLatin1Char('x'));
    EXPECT_FALSE(exportToWorkbook(target(), kTitles, {sale(1), sale(2, tooLong)}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("第2行第7列"))) << error.toStdString();
    EXPECT_FALSE(exportToWorkbook(target(), QStringList(), QList<QStringList>{QStringList()}, &error)); // no columns
    EXPECT_FALSE(exportToWorkbook(target(), kTitles, {sale(1) + QStringList{QStringLiteral("extra")}}, &error));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("earlier workbook"));
    old.close();

    // A list without rows gives its titles; the largest cell Excel allows is kept whole, and
    // duplicate or empty titles are kept as they are.
    const QString longest(XlsWriter::kMaxCellLength, QChar(0x957F));
    ASSERT_TRUE(exportToWorkbook(target(), {QStringLiteral("名称"), QStringLiteral("名称"), QString()},
                                 {{longest, QStringLiteral("x")}}, &error))
        << error.toStdString();
    ReadBook book = readWithXlrd(target());
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    EXPECT_EQ(trimmed(book.sheets.first().rows),
              (QList<QStringList>{{QStringLiteral("名称"), QStringLiteral("名称")}, {longest, QStringLiteral("x")}}));
    ASSERT_TRUE(exportToWorkbook(target(), kTitles, {}, &error)) << error.toStdString();
    book = readWithXlrd(target());
    EXPECT_EQ(book.sheets.first().rows, QList<QStringList>{kTitles});
    EXPECT_EQ(filesBesideTarget(), QStringList{QStringLiteral("160824查询结果.xls")});
    EXPECT_EQ(leftInUserTemp(), QStringList());
}

TEST_F(SpreadsheetExportTest, UnwritableTargetFailsAndLeavesNothing)
{
    QString error;
    EXPECT_FALSE(exportToWorkbook(m_out.filePath(QStringLiteral("missing/查询结果.xls")), kTitles, {sale(1)}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(leftInUserTemp(), QStringList());
    EXPECT_EQ(filesBesideTarget(), QStringList());
}

TEST_F(SpreadsheetExportTest, ListedSalesAreReadOnAConnectionOfTheirOwnAsTheListShowsThem)
{
    const QString shopPath = m_out.filePath(QStringLiteral("ZoZ.mdb"));
    QString error;
    ASSERT_TRUE(writeFactoryDatabase(shopPath, &error)) << error.toStdString();
    Database db;
    ASSERT_TRUE(db.open(shopPath, schema::kDatabaseKey));
    const QList<QVariantList> sales = {
        {QStringLiteral("2403050000001"), QStringLiteral("2024-03-05 00:00:00"), QStringLiteral("1.5"),
         QStringLiteral("1234567.89"), QStringLiteral("admin"), QStringLiteral("他说\"送货\"，it's ok ")},
        {QStringLiteral("2403050000002"), QStringLiteral("2024-03-05 09:05:07"), QStringLiteral("2"),
         QStringLiteral("10.00"), QStringLiteral("小王"), QString(300, QChar(0x5907))},
        {QStringLiteral("2403050000003"), QStringLiteral("2024/3/5 9:00"), QStringLiteral("3"), QStringLiteral("0.10"),
         QStringLiteral("admin"), QString()},
        {QStringLiteral("2403050000004"), QStringLiteral("不是时间"), QStringLiteral("4"), QStringLiteral("4.00"),
         QStringLiteral("admin"), QStringLiteral("会员 ")}};
    for (const QVariantList& sale : sales) {
        ASSERT_TRUE(db.execute(QStringLiteral("insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) "
                                              "values (?,?,?,?,?,?)"),
                               sale))
            << db.lastError().toStdString();
    }
    const RecordsQuery every = searchRecords(SearchCriteria());
    SalesRecordsModel list(db);
    ASSERT_TRUE(list.setQuery(every));
    const QList<QStringList> shown = list.allRowTexts();
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[0][2], QStringLiteral("2024年3月5日"));
    EXPECT_EQ(shown[1][2], QStringLiteral("2024年3月5日9时5分7秒"));
    EXPECT_EQ(shown[2][2], QStringLiteral("2024年3月5日9时"));
    EXPECT_EQ(shown[3][2], QStringLiteral("不是时间"));

    // The list's own connection stays open, with its cursor, while the export reads.
    ASSERT_TRUE(exportRecordsToWorkbook(target(), shopPath, schema::kDatabaseKey, every, &error))
        << error.toStdString();
    ReadBook book = readWithXlrd(target());
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    ASSERT_EQ(book.sheets.size(), 1);
    EXPECT_TRUE(book.sheets.first().allText);
    EXPECT_EQ(trimmed(book.sheets.first().rows), trimmed(QList<QStringList>{kTitles} + shown));

    // A quick find lists its own sales, numbered from 1.
    ASSERT_TRUE(exportRecordsToWorkbook(target(), shopPath, schema::kDatabaseKey,
                                        ticketFragmentRecords(QStringLiteral("0004")), &error))
        << error.toStdString();
    book = readWithXlrd(target());
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    EXPECT_EQ(trimmed(book.sheets.first().rows),
              trimmed(QList<QStringList>{kTitles,
                                         {QStringLiteral("1"), QStringLiteral("2403050000004"),
                                          QStringLiteral("不是时间"), QStringLiteral("4"), QStringLiteral("4.00"),
                                          QStringLiteral("admin"), QStringLiteral("会员 ")}}));

    // A file that does not open with the key, or a query that cannot run, writes nothing.
    const QByteArray before = [&] {
        QFile file(target());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    EXPECT_FALSE(exportRecordsToWorkbook(target(), shopPath, "another key", every, &error));
    EXPECT_FALSE(exportRecordsToWorkbook(target(), m_out.filePath(QStringLiteral("missing.mdb")), schema::kDatabaseKey,
                                         every, &error));
    RecordsQuery broken = every;
    broken.where = QStringLiteral("s.no_such_column = 1");
    EXPECT_FALSE(exportRecordsToWorkbook(target(), shopPath, schema::kDatabaseKey, broken, &error));
    EXPECT_FALSE(error.isEmpty());
    QFile after(target());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    EXPECT_EQ(leftInUserTemp(), QStringList());
    EXPECT_EQ(filesBesideTarget(), (QStringList{QStringLiteral("160824查询结果.xls"), QStringLiteral("ZoZ.mdb")}));
}

} // namespace
