#include "core/records/SpreadsheetExport.h"

#include "core/records/SaleRecords.h"
#include "core/records/SalesRecordsModel.h"
#include "core/store/Database.h"
#include "core/store/FileWriter.h"
#include "core/store/RecordSet.h"
#include "core/workbook/XlsWriter.h"

#include <QSaveFile>

#include <array>
#include <cerrno>

namespace quorrel {

namespace {

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool checkTitles(const QStringList& titles, QString* error)
{
    if (titles.isEmpty())
        return fail(error, QStringLiteral("列表没有列，无法导出"));
    if (titles.size() > XlsWriter::kMaxColumns)
        return fail(error,
                    QStringLiteral("共%1列，Excel工作表最多%2列").arg(titles.size()).arg(XlsWriter::kMaxColumns));
    return XlsWriter::checkCells(titles, titles.size(), 1, error);
}

} // namespace

bool saveWorkbook(const QString& targetPath, const XlsWriter& writer, QString* error)
{
    // Unbuffered: QSaveFile keeps no account of a buffered write that fails when it is flushed at
    // commit(), and would put a short file in the target's place as if it were whole. So every
    // write reaches the file system at once, and a refused one fails the workbook.
    QSaveFile file(targetPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(error, QStringLiteral("无法写入%1：%2").arg(targetPath, file.errorString()));
    QString problem;
    if (!writer.write(&file, &problem)) {
        file.cancelWriting();
        return fail(error, problem);
    }
    // commit() syncs too, but does not say when that fails: a file system may take the writes
    // and refuse the blocks only now.
    if (FileWriter::current().sync(file.handle()) != 0) {
        const QString reason = qt_error_string(errno);
        file.cancelWriting();
        return fail(error, QStringLiteral("无法写入%1：%2").arg(targetPath, reason));
    }
    if (!file.commit())
        return fail(error, QStringLiteral("无法写入%1：%2").arg(targetPath, file.errorString()));
    return true;
}

bool exportToWorkbook(const QString& targetPath, const QStringList& titles, const QList<QStringList>& rows,
                      QString* error)
{
    if (!checkTitles(titles, error))
        return false;
    XlsWriter writer(titles);
    writer.reserve(rows.size());
    // addRow refuses a row it cannot write before anything reaches the disk.
    for (const QStringList& row : rows) {
        if (!writer.addRow(row, error))
            return false;
    }
    return saveWorkbook(targetPath, writer, error);
}

bool exportRecordsToWorkbook(const QString& targetPath, const QString& databasePath, const QByteArray& key,
                             const RecordsQuery& query, QString* error)
{
    XlsWriter writer(SalesRecordsModel::columnTitles());
    {
        Database db;
        if (!db.open(databasePath, key))
            return fail(error, QStringLiteral("无法打开数据库：%1").arg(db.lastError()));
        const auto records = db.query(recordsSql(query, kRecordColumns), query.params);
        if (!records)
            return fail(error, db.lastError());
        std::array<QString, 7> cells;
        SaleRecord sale;
        for (qsizetype row = 0; !records->atEnd(); records->moveNext(), ++row) {
            sale.ticketNumber = records->text(2);
            sale.time = records->text(3);
            sale.quantity = records->text(4);
            sale.amount = records->text(5);
            sale.cashier = records->text(6);
            sale.remark = records->text(7);
            for (int column = 0; column < 7; ++column)
                cells[static_cast<std::size_t>(column)] = SalesRecordsModel::cellText(sale, row, column);
            if (!writer.addRow(cells.data(), static_cast<qsizetype>(cells.size()), error))
                return false;
        }
        if (records->failed())
            return fail(error, QStringLiteral("读取销售记录失败：%1").arg(db.lastError()));
    } // the connection is closed before the file is written
    return saveWorkbook(targetPath, writer, error);
}

} // namespace quorrel
