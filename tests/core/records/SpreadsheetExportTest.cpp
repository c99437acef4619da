// The export of a list to a workbook through the temporary database, read back with xlrd.

#include "core/records/SpreadsheetExport.h"
#include "core/workbook/XlsReadBack.h"
#include "core/workbook/XlsWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

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
    // The temporary database is gone, and nothing but the workbook was left beside it.
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
    // duplicate or empty titles are no trouble for the temporary table.
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

TEST_F(SpreadsheetExportTest, DamagedDatabaseImageIsRefused)
{
    const auto packed = [](quint32 magic, quint32 size, const QByteArray& stream) {
        QByteArray out(8, '\0');
        qToLittleEndian(magic, out.data());
        qToLittleEndian(size, out.data() + 4);
        return out + stream;
    };
    const QByteArray bytes(98304, 'd');
    const QByteArray stream = qCompress(bytes).mid(4); // qCompress puts its own size before the zlib stream
    EXPECT_EQ(unpackExportDatabase(packed(0x033E0F0D, 98304, stream)), bytes);
    EXPECT_TRUE(unpackExportDatabase(packed(0x033E0F0E, 98304, stream)).isEmpty());
    EXPECT_TRUE(unpackExportDatabase(packed(0x033E0F0D, 98303, stream)).isEmpty());
    EXPECT_TRUE(unpackExportDatabase(packed(0x033E0F0D, 98305, stream)).isEmpty());
    EXPECT_TRUE(unpackExportDatabase(packed(0x033E0F0D, 98304, stream.left(stream.size() / 2))).isEmpty());
    EXPECT_TRUE(unpackExportDatabase(QByteArray("\x0d\x0f")).isEmpty());
}

} // namespace
