#include "core/records/SpreadsheetExport.h"

#include "core/records/SaleRecords.h"
#include "core/records/SalesRecordsModel.h"
#include "core/store/Database.h"
#include "core/store/DatabaseFiles.h"
#include "core/store/RecordSet.h"
#include "core/store/ReplacingFile.h"
#include "core/workbook/XlsWriter.h"

#include <array>

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

bool saveWorkbook(const QString& targetPath, const XlsWriter& writer, QString* error, const QString& databasePath)
{
    if (!databasePath.isEmpty() && isDatabaseOwnFile(databasePath, targetPath))
        return fail(error, QStringLiteral("不能写到数据库自己的文件：%1").arg(targetPath));
    // Every write reaches the file at once and a refused one fails the workbook; nothing takes the
    // target's name before the whole file is on the disk and reads back as written.
    ReplacingFile file(targetPath, ReplacingFile::Permissions::KeepOrDefault, databasePath);
    if (!file.open())
        return fail(error, file.errorString());
    QString problem;
    if (!writer.write(file.device(), &problem))
        return fail(error, file.errorString().isEmpty() ? problem : file.errorString());
    if (!file.finish() || !file.commit())
        return fail(error, file.errorString());
    return true;
}

bool exportToWorkbook(const QString& targetPath, const QStringList& titles, const QList<QStringList>& rows,
                      QString* error, const QString& databasePath)
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
    return saveWorkbook(targetPath, writer, error, databasePath);
}

bool exportRecordsToWorkbook(const QString& targetPath, const QString& databasePath, const QByteArray& key,
                             const RecordsQuery& query, QString* error)
{
    XlsWriter writer(SalesRecordsModel::columnTitles());
    {
        Database db;
        if (!db.open(databasePath, key))
            return fail(error, QStringLiteral("无法打开数据库：%1").arg(db.lastError()));
        const auto records = db.browse(recordsSql(query, kRecordColumns), query.params);
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
    return saveWorkbook(targetPath, writer, error, databasePath);
}

} // namespace quorrel
