// The workbook writer, checked by independent readers: python3-xlrd (which also checks the
// compound file's sector chains) and, where installed, LibreOffice.

#include "core/workbook/XlsWriter.h"
#include "core/workbook/CompoundFile.h"
#include "core/workbook/XlsReadBack.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quorrel;
using namespace quorrel::test;

namespace {

// Trailing empty cells carry nothing: the reader pads rows to the widest one.
QList<QStringList> trimmed(QList<QStringList> rows)
{
    for (QStringList& row : rows) {
        while (!row.isEmpty() && row.last().isEmpty())
            row.removeLast();
    }
    return rows;
}

class XlsWriterTest : public ::testing::Test
{
protected:
    // Writes the workbook to a file and reads it back; fails the test when either step fails.
    ReadBook writeAndRead(const XlsWriter& writer, const QString& name = QStringLiteral("book.xls"))
    {
        m_path = m_dir.filePath(name);
        QFile file(m_path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        QString error;
        EXPECT_TRUE(writer.write(&file, &error)) << error.toStdString();
        file.close();
        ReadBook book = readWithXlrd(m_path);
        EXPECT_TRUE(book.ok) << book.error.toStdString();
        return book;
    }

    static XlsWriter writerWith(const QStringList& titles, const QList<QStringList>& rows)
    {
        XlsWriter writer(titles);
        for (const QStringList& row : rows) {
            QString error;
            EXPECT_TRUE(writer.addRow(row, &error)) << error.toStdString();
        }
        return writer;
    }

    QTemporaryDir m_dir;
    QString m_path;
};

const QStringList kSalesTitles = {QStringLiteral("序号"), QStringLiteral("销售票号"), QStringLiteral("销售时间"),
                                  QStringLiteral("数量"), QStringLiteral("金额"),     QStringLiteral("收银员"),
                                  QStringLiteral("备注")};

TEST_F(XlsWriterTest, ThreeSalesAreTextCellsUnderTheTitles)
{
    const QList<QStringList> rows = {
        {QStringLiteral("1"), QStringLiteral("1608240001"), QStringLiteral("2016年8月24日 9:05:07"),
         QStringLiteral("2"), QStringLiteral("15.00"), QStringLiteral("admin"), QStringLiteral("会员价")},
        {QStringLiteral("2"), QStringLiteral("1608240002"), QStringLiteral("2016年8月24日 10:11:12"),
         QStringLiteral("1.5"), QStringLiteral("3.35"), QStringLiteral("张三"), QString()},
        {QStringLiteral("3"), QStringLiteral("1608240003"), QStringLiteral("2016年8月24日 23:59:59"),
         QStringLiteral("10"), QStringLiteral("1234567.89"), QStringLiteral("admin"), QStringLiteral("Ünïcödé ½")}};
    const ReadBook book = writeAndRead(writerWith(kSalesTitles, rows));
    ASSERT_EQ(book.sheets.size(), 1);
    const ReadSheet& sheet = book.sheets.first();
    EXPECT_EQ(sheet.name, QStringLiteral("Sheet1"));
    EXPECT_TRUE(sheet.allText); // 序号 1, 2, 3 and the amounts stay texts
    EXPECT_EQ(trimmed(sheet.rows), QList<QStringList>{kSalesTitles} + trimmed(rows));

    bool available = false;
    QString error;
    const QList<QStringList> csv = convertWithLibreOffice(m_path, &available, &error);
    if (!available)
        GTEST_SKIP() << "LibreOffice is not installed: only xlrd read the workbook";
    EXPECT_EQ(trimmed(csv), QList<QStringList>{kSalesTitles} + trimmed(rows)) << error.toStdString();
}

// Strings long enough to run across the shared string table's CONTINUE records, in both of its
// encodings, with a character pair at a record boundary, quotes, and a cell as long as Excel allows.
TEST_F(XlsWriterTest, AnyTextIsKeptWhole)
{
    QList<QStringList> rows;
    rows.append({QStringLiteral("他说\"好\"，it's 'fine'"), QString(300, QLatin1Char('x')),
                 QString(XlsWriter::kMaxCellLength, QChar(0x6C49))});
    QString pairs;
    for (int i = 0; i < 5000; ++i)
        pairs += QString::fromUcs4(U"\U0001F600");
    rows.append({pairs, QString(20000, QLatin1Char('a')), QStringLiteral("x") + pairs});
    for (int i = 0; i < 3000; ++i) // many short strings: the table's index spans many buckets
        rows.append({QString::number(i), QStringLiteral("品名%1").arg(i), QString(i % 50, QChar(0xE9))});
    const ReadBook book =
        writeAndRead(writerWith({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, rows));
    ASSERT_EQ(book.sheets.size(), 1);
    EXPECT_TRUE(book.sheets.first().allText);
    EXPECT_EQ(trimmed(book.sheets.first().rows),
              trimmed(QList<QStringList>{{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}} + rows));
}

TEST_F(XlsWriterTest, RowsBeyondOneSheetContinueOnTheNextWithTheTitles)
{
    const QStringList titles = {QStringLiteral("序号"), QStringLiteral("名称")};
    for (const int count : {XlsWriter::kRowsPerSheet, XlsWriter::kRowsPerSheet + 1}) {
        QList<QStringList> rows;
        for (int i = 1; i <= count; ++i)
            rows.append({QString::number(i), QStringLiteral("商品%1").arg(i % 97)});
        const XlsWriter writer = writerWith(titles, rows);
        const ReadBook book = writeAndRead(writer, QStringLiteral("%1.xls").arg(count));
        ASSERT_EQ(book.sheets.size(), count == XlsWriter::kRowsPerSheet ? 1 : 2);
        EXPECT_EQ(book.sheets.first().rows.size(), 65536);
        EXPECT_EQ(book.sheets.first().rows.first(), titles);
        EXPECT_EQ(book.sheets.first().rows.last(), rows[XlsWriter::kRowsPerSheet - 1]);
        if (book.sheets.size() == 2) {
            EXPECT_EQ(book.sheets[1].name, QStringLiteral("Sheet2"));
            EXPECT_EQ(book.sheets[1].rows, (QList<QStringList>{titles, rows.last()}));
        }
    }
}

// Past 109 FAT sectors (about 7 MB) the compound file needs DIFAT sectors; xlrd follows them and
// checks that no sector is used twice.
TEST_F(XlsWriterTest, LargeWorkbookSpillsIntoDifatSectors)
{
    QList<QStringList> rows;
    for (int i = 0; i < 1200; ++i)
        rows.append({QString::number(i) + QString(3000, QChar(0x4E00 + i % 1000)), QString::number(i)});
    const ReadBook book = writeAndRead(writerWith({QStringLiteral("长"), QStringLiteral("短")}, rows));
    EXPECT_GT(QFile(m_path).size(), 109 * 128 * 512);
    ASSERT_EQ(book.sheets.size(), 1);
    EXPECT_EQ(book.sheets.first().rows.mid(1), rows);
}

// Random lists: any number of columns, texts of any length up to a cell's limit, made of ASCII,
// Latin-1, CJK, quotes and character pairs, so strings start, split and end anywhere in the records.
TEST_F(XlsWriterTest, RandomListsReadBackAsWritten)
{
    QRandomGenerator random(20160824);
    const auto randomText = [&random]() {
        static const int kLengths[] = {
            0, 1, 2, 5, 40, 255, 256, 300, 4000, 8221, 8224, 9000, XlsWriter::kMaxCellLength};
        const int length = kLengths[random.bounded(int(std::size(kLengths)))];
        QString text;
        while (text.size() < length) {
            switch (random.bounded(5)) {
            case 0:
                text += QChar(0x20 + random.bounded(0x5F));
                break;
            case 1:
                text += QChar(0xA0 + random.bounded(0x60));
                break;
            case 2:
                text += QChar(0x4E00 + random.bounded(0x5000));
                break;
            case 3:
                text += random.bounded(2) ? QLatin1Char('"') : QLatin1Char('\'');
                break;
            default:
                if (text.size() + 2 <= length)
                    text += QString::fromUcs4(U"\U0001F600");
            }
        }
        return text;
    };
    for (int round = 0; round < 8; ++round) {
        const int columns = random.bounded(6);
        QStringList titles;
        for (int c = 0; c < columns; ++c)
            titles.append(randomText());
        QList<QStringList> rows;
        for (int r = random.bounded(40); r > 0; --r) {
            QStringList row;
            for (int c = random.bounded(columns + 1); c > 0; --c)
                row.append(randomText());
            rows.append(row);
        }
        const ReadBook book = writeAndRead(writerWith(titles, rows), QStringLiteral("random%1.xls").arg(round));
        ASSERT_EQ(book.sheets.size(), 1);
        EXPECT_TRUE(book.sheets.first().allText);
        QList<QStringList> expected = trimmed(QList<QStringList>{titles} + rows);
        while (!expected.isEmpty() && expected.last().isEmpty())
            expected.removeLast(); // the reader does not see empty rows at the end
        EXPECT_EQ(trimmed(book.sheets.first().rows), expected) << "round " << round;
    }
}

TEST_F(XlsWriterTest, EdgeInputs)
{
    // No columns and no rows: one empty sheet, a file small enough for the mini stream.
    ReadBook book = writeAndRead(XlsWriter({}), QStringLiteral("none.xls"));
    ASSERT_EQ(book.sheets.size(), 1);
    EXPECT_TRUE(book.sheets.first().rows.isEmpty());
    EXPECT_LT(QFile(m_path).size(), 4096 + 2048);

    book = writeAndRead(XlsWriter({QStringLiteral("名称"), QString()}), QStringLiteral("titles.xls"));
    ASSERT_EQ(book.sheets.size(), 1);
    EXPECT_EQ(trimmed(book.sheets.first().rows), QList<QStringList>{{QStringLiteral("名称")}});

    XlsWriter writer({QStringLiteral("a")});
    QString error;
    EXPECT_FALSE(writer.addRow({QString(XlsWriter::kMaxCellLength + 1, QLatin1Char('x'))}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("32767"))) << error.toStdString();
    EXPECT_FALSE(writer.addRow({QStringLiteral("1"), QStringLiteral("2")}, &error));
    EXPECT_EQ(writer.rowCount(), 0);
    EXPECT_TRUE(writer.addRow({}, &error)); // a row of empty cells

    QBuffer buffer;
    EXPECT_FALSE(XlsWriter(QStringList(XlsWriter::kMaxColumns + 1, QStringLiteral("t"))).write(&buffer, &error));
    EXPECT_FALSE(XlsWriter({QString(XlsWriter::kMaxCellLength + 1, QLatin1Char('t'))}).write(&buffer, &error));
    // A device that refuses writes is reported.
    EXPECT_FALSE(writer.write(&buffer, &error));
    EXPECT_FALSE(error.isEmpty());
}

// Streams big and small (the small ones in the mini stream) side by side in one compound file.
TEST_F(XlsWriterTest, CompoundFileHoldsStreamsOfAnySize)
{
    QByteArray big(70000, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    const QList<CompoundStream> streams = {{QStringLiteral("Book"), big},
                                           {QStringLiteral("Small"), QByteArray("small stream")},
                                           {QStringLiteral("Edge"), QByteArray(4095, 'e')},
                                           {QStringLiteral("Cutoff"), QByteArray(4096, 'c')},
                                           {QStringLiteral("Some more"), QByteArray(65, 'm')}};
    QFile file(m_dir.filePath(QStringLiteral("streams.cfb")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QString error;
    ASSERT_TRUE(writeCompoundFile(&file, streams, &error)) << error.toStdString();
    file.close();
    QStringList names;
    for (const CompoundStream& stream : streams)
        names.append(stream.name);
    const QMap<QString, QByteArray> read = readStreamsWithXlrd(file.fileName(), names);
    ASSERT_EQ(read.size(), streams.size());
    for (const CompoundStream& stream : streams)
        EXPECT_EQ(read.value(stream.name), stream.data) << stream.name.toStdString();

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_FALSE(writeCompoundFile(&buffer, {{QString(32, QLatin1Char('n')), QByteArray("x")}}, &error));
    EXPECT_FALSE(writeCompoundFile(&buffer, {{QStringLiteral("a/b"), QByteArray("x")}}, &error));
    EXPECT_FALSE(writeCompoundFile(&buffer, {{QStringLiteral("Book"), {}}, {QStringLiteral("BOOK"), {}}}, &error));
    EXPECT_EQ(buffer.size(), 0);
}

} // namespace
