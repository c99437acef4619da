// Exporting a records list of 65,000 sales (seven text columns) to an .xls workbook: the whole
// export (the listed query read on a connection of its own, straight into the workbook writer,
// the workbook written beside the target and renamed), its parts, and the same rows written with
// python3-xlwt as the yardstick.

#include "core/records/RecordsQuery.h"
#include "core/records/SaleRecords.h"
#include "core/records/SalesRecordsModel.h"
#include "core/records/SpreadsheetExport.h"
#include "core/store/Database.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/Transaction.h"
#include "core/workbook/XlsWriter.h"
#include "support/BenchShop.h"
#include "support/RatioReport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 65000;

using quorrel::bench::fail;

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString shopPath()
{
    return workDir().filePath(QStringLiteral("ZoZ.mdb"));
}

// A year of a busy shop's sales (180 a day), about four in seven cells unique, every tenth remark
// filled; stored once, before anything is timed.
void makeShop()
{
    QString error;
    if (!quorrel::writeFactoryDatabase(shopPath(), &error))
        fail("factory database not written:", error);
    quorrel::Database db;
    if (!db.open(shopPath(), quorrel::schema::kDatabaseKey))
        fail("shop not opened:", db.lastError());
    static const QString kCashiers[] = {QStringLiteral("admin"), QStringLiteral("张三"), QStringLiteral("李四")};
    quorrel::Transaction transaction(db);
    const bool stored = db.executeEach(
        QStringLiteral("insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) values (?,?,?,?,?,?)"), kRows,
        [](qsizetype row) {
            const int i = static_cast<int>(row) + 1;
            const int day = i / 180;
            const QString date = QStringLiteral("2016-%1-%2")
                                     .arg(1 + day / 28, 2, 10, QChar(u'0'))
                                     .arg(1 + day % 28, 2, 10, QChar(u'0'));
            return QVariantList{QStringLiteral("16%1%2%3")
                                    .arg(1 + day / 28, 2, 10, QChar(u'0'))
                                    .arg(1 + day % 28, 2, 10, QChar(u'0'))
                                    .arg(i % 180 + 1, 4, 10, QChar(u'0')),
                                QStringLiteral("%1 %2:%3:%4")
                                    .arg(date)
                                    .arg(8 + i % 13, 2, 10, QChar(u'0'))
                                    .arg(i % 60, 2, 10, QChar(u'0'))
                                    .arg(i * 7 % 60, 2, 10, QChar(u'0')),
                                QString::number(1 + i % 9),
                                QStringLiteral("%1.%2").arg(i % 500).arg(i % 100, 2, 10, QChar(u'0')),
                                kCashiers[i % 3],
                                i % 10 == 0 ? QStringLiteral("会员折扣") : QString()};
        });
    if (!stored || !transaction.commit())
        fail("sales not stored:", db.lastError());
}

// The list: every sale, in the database's order, as a search with nothing ticked lists them.
const quorrel::RecordsQuery& listed()
{
    static const quorrel::RecordsQuery kQuery = quorrel::searchRecords(quorrel::SearchCriteria());
    return kQuery;
}

// The listed rows as the records list shows them, read once into memory.
const QList<QStringList>& rows()
{
    static const QList<QStringList> kRowsShown = [] {
        quorrel::Database db;
        if (!db.open(shopPath(), quorrel::schema::kDatabaseKey))
            fail("shop not opened:", db.lastError());
        quorrel::SalesRecordsModel model(db);
        if (!model.setQuery(listed()))
            fail("sales not listed:", db.lastError());
        QList<QStringList> out = model.allRowTexts();
        if (out.size() != kRows)
            fail("not every sale listed");
        return out;
    }();
    return kRowsShown;
}

void ExportToWorkbook(benchmark::State& state)
{
    const QString target = workDir().filePath(QStringLiteral("export.xls"));
    for (auto _ : state) {
        QString error;
        if (!quorrel::exportRecordsToWorkbook(target, shopPath(), quorrel::schema::kDatabaseKey, listed(), &error))
            state.SkipWithError(error.toStdString().c_str());
    }
    state.counters["file_MB"] = static_cast<double>(QFile(target).size()) / (1 << 20);
}
BENCHMARK(ExportToWorkbook)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The export's first part: the connection opened, the listed sales read and made into the list's
// texts, nothing written.
void ReadListedRows(benchmark::State& state)
{
    for (auto _ : state) {
        quorrel::Database db;
        if (!db.open(shopPath(), quorrel::schema::kDatabaseKey))
            state.SkipWithError("shop not opened");
        const auto records = db.query(quorrel::recordsSql(listed(), quorrel::kRecordColumns), listed().params);
        quorrel::SaleRecord sale;
        qsizetype row = 0;
        for (; records && !records->atEnd(); records->moveNext(), ++row) {
            sale.ticketNumber = records->text(2);
            sale.time = records->text(3);
            sale.quantity = records->text(4);
            sale.amount = records->text(5);
            sale.cashier = records->text(6);
            sale.remark = records->text(7);
            for (int column = 0; column < 7; ++column)
                benchmark::DoNotOptimize(quorrel::SalesRecordsModel::cellText(sale, row, column));
        }
        if (row != kRows)
            state.SkipWithError("not every sale read");
    }
}
BENCHMARK(ReadListedRows)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The workbook writer alone, fed from the rows in memory, writing the same file: what the export
// of a list held in memory (the sale detail window's) costs.
void XlsWriterOnly(benchmark::State& state)
{
    const QString target = workDir().filePath(QStringLiteral("writer.xls"));
    rows(); // read before anything is timed
    for (auto _ : state) {
        quorrel::XlsWriter writer(quorrel::SalesRecordsModel::columnTitles());
        for (const QStringList& row : rows())
            writer.addRow(row);
        QSaveFile file(target);
        QString error;
        if (!file.open(QIODevice::WriteOnly) || !writer.write(&file, &error) || !file.commit())
            state.SkipWithError("writing failed");
    }
}
BENCHMARK(XlsWriterOnly)->Unit(benchmark::kMillisecond)->Repetitions(5);

// xlwt in a python3 child; the time is the writing alone as the script measures it.
void XlwtWrite(benchmark::State& state)
{
    const QString source = workDir().filePath(QStringLiteral("rows.tsv"));
    if (!QFile::exists(source)) {
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly))
            fail("cannot write", source);
        file.write(quorrel::SalesRecordsModel::columnTitles().join(QLatin1Char('\t')).toUtf8() + '\n');
        for (const QStringList& row : rows())
            file.write(row.join(QLatin1Char('\t')).toUtf8() + '\n');
    }
    for (auto _ : state) {
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(XLWT_SCRIPT), source, workDir().filePath(QStringLiteral("xlwt.xls"))});
        if (!python.waitForFinished(300000) || python.exitCode() != 0) {
            state.SkipWithError(python.exitCode() == 3 ? "python3-xlwt is not installed" : "xlwt failed");
            break;
        }
        state.SetIterationTime(python.readAllStandardOutput().trimmed().toDouble());
    }
}
BENCHMARK(XlwtWrite)->Unit(benchmark::kMillisecond)->UseManualTime()->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    makeShop(); // made before anything is timed
    return quorrel::bench::runWithRatios(
        argc, argv,
        {{"export of 65,000 listed sales / xlwt writing them", "ExportToWorkbook", "XlwtWrite"},
         {"workbook writer alone / xlwt writing them", "XlsWriterOnly", "XlwtWrite"},
         {"reading the listed sales / whole export", "ReadListedRows", "ExportToWorkbook", 0, true}});
}
