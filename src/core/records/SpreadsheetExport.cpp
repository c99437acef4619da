#include "core/records/SpreadsheetExport.h"

#include "core/store/Database.h"
#include "core/store/RecordSet.h"
#include "core/store/Transaction.h"
#include "core/workbook/XlsWriter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>

#include <sqlcipher/sqlite3.h>
#include <zlib.h>

#include <cstddef>

namespace quorrel::exportdb {
extern const unsigned char kImage[];
extern const std::size_t kImageSize;
extern const char kDerivedKey[];
} // namespace quorrel::exportdb

namespace quorrel {

namespace {

constexpr quint32 kImageMagic = 0x033E0F0D;
constexpr quint32 kLargestImage = 64u << 20;

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

QString quotedName(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// The table's column names: the titles, quoted. SQLite wants them distinct (ignoring the case of
// ASCII letters) and not empty, which a list's titles need not be; such a title gets its position.
QStringList columnNames(const QStringList& titles)
{
    QStringList names;
    QSet<QString> taken;
    for (qsizetype c = 0; c < titles.size(); ++c) {
        QString name = titles[c].trimmed();
        if (name.isEmpty() || taken.contains(name.toLower()))
            name = QStringLiteral("%1_%2").arg(name).arg(c + 1);
        taken.insert(name.toLower());
        names.append(quotedName(name));
    }
    return names;
}

// The list's cells go in as bound parameters, so a quote or any other character is stored as it is.
bool fillTable(Database& db, const QStringList& titles, const QList<QStringList>& rows, QString* error)
{
    const QStringList names = columnNames(titles);
    QStringList definitions;
    for (const QString& name : names)
        definitions.append(name + QStringLiteral(" text"));
    if (!db.execute(QStringLiteral("create table tmp (%1)").arg(definitions.join(QLatin1Char(',')))))
        return fail(error, db.lastError());
    const QString insert =
        QStringLiteral("insert into tmp (%1) values (%2)")
            .arg(names.join(QLatin1Char(',')), QStringList(names.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    Transaction transaction(db);
    if (!transaction.began())
        return fail(error, db.lastError());
    // One statement prepared once for every row: the list may hold a year of sales.
    const bool ok = db.executeEach(insert, rows.size(), [&](qsizetype r) {
        const QStringList& row = rows[r];
        QVariantList cells;
        cells.reserve(titles.size());
        for (qsizetype c = 0; c < titles.size(); ++c)
            cells.append(c < row.size() ? row[c] : QString());
        return cells;
    });
    if (!ok)
        return fail(error, db.lastError());
    if (!transaction.commit())
        return fail(error, db.lastError());
    return true;
}

bool readTable(Database& db, qsizetype rows, XlsWriter& writer, QString* error)
{
    writer.reserve(rows);
    const auto records = db.query(QStringLiteral("select * from tmp order by rowid"));
    if (!records)
        return fail(error, db.lastError());
    const auto columns = static_cast<int>(writer.titles().size());
    QStringList cells;
    for (; !records->atEnd(); records->moveNext()) {
        cells.clear();
        for (int c = 1; c <= columns; ++c)
            cells.append(records->text(c));
        if (!writer.addRow(cells, error))
            return false;
    }
    if (records->failed())
        return fail(error, QStringLiteral("读取临时表失败"));
    return true;
}

bool writeWorkbook(const QString& targetPath, const XlsWriter& writer, QString* error)
{
    QSaveFile file(targetPath);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("无法写入%1：%2").arg(targetPath, file.errorString()));
    QString problem;
    if (!writer.write(&file, &problem)) {
        file.cancelWriting();
        return fail(error, problem);
    }
    if (!file.commit())
        return fail(error, QStringLiteral("无法写入%1：%2").arg(targetPath, file.errorString()));
    return true;
}

} // namespace

QByteArray unpackExportDatabase(const QByteArray& packed)
{
    if (packed.size() < 8 || qFromLittleEndian<quint32>(packed.constData()) != kImageMagic)
        return QByteArray();
    const quint32 size = qFromLittleEndian<quint32>(packed.constData() + 4);
    if (size == 0 || size > kLargestImage)
        return QByteArray();
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    uLongf unpacked = size;
    const int rc =
        uncompress(reinterpret_cast<Bytef*>(bytes.data()), &unpacked,
                   reinterpret_cast<const Bytef*>(packed.constData() + 8), static_cast<uLong>(packed.size() - 8));
    if (rc != Z_OK || unpacked != size)
        return QByteArray();
    return bytes;
}

bool exportToWorkbook(const QString& targetPath, const QStringList& titles, const QList<QStringList>& rows,
                      QString* error)
{
    // Everything that would make the workbook fail is found before anything is written.
    if (titles.isEmpty())
        return fail(error, QStringLiteral("列表没有列，无法导出"));
    if (titles.size() > XlsWriter::kMaxColumns)
        return fail(error,
                    QStringLiteral("共%1列，Excel工作表最多%2列").arg(titles.size()).arg(XlsWriter::kMaxColumns));
    if (!XlsWriter::checkCells(titles, titles.size(), 1, error))
        return false;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (!XlsWriter::checkCells(rows[r], titles.size(), r + 1, error))
            return false;
    }

    // A directory of its own (mode 0700, a unique name) in the user's temporary directory: no other
    // user can read the listed sales or put a file in the database's place. Removed with its
    // contents when this function returns.
    QTemporaryDir directory(QDir::tempPath() + QStringLiteral("/quorrel-export-XXXXXX"));
    if (!directory.isValid())
        return fail(error, QStringLiteral("无法建立临时目录：%1").arg(directory.errorString()));
    const QByteArray image = unpackExportDatabase(QByteArray::fromRawData(
        reinterpret_cast<const char*>(exportdb::kImage), static_cast<qsizetype>(exportdb::kImageSize)));
    if (image.isEmpty())
        return fail(error, QStringLiteral("程序所带的空数据库已损坏"));
    const QString databasePath = directory.filePath(QStringLiteral("db.tmp"));
    QFile file(databasePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(image) != image.size() || !file.flush()) {
        return fail(error, QStringLiteral("无法写入临时数据库：%1").arg(file.errorString()));
    }
    file.close();

    bool ok = true;
    {
        Database db;
        // The image's page key was derived when it was made, as for the factory database.
        if (!db.open(databasePath, "x'" + QByteArray(exportdb::kDerivedKey) + "'"))
            return fail(error, QStringLiteral("无法打开临时数据库：%1").arg(db.lastError()));
        // A scratch file: nothing is gained by surviving a power cut, so no journal file or syncs.
        ok = db.execute(QStringLiteral("PRAGMA journal_mode = MEMORY")) &&
             db.execute(QStringLiteral("PRAGMA synchronous = OFF"));
        if (!ok)
            fail(error, db.lastError());
        XlsWriter writer(titles);
        ok = ok && fillTable(db, titles, rows, error) && readTable(db, rows.size(), writer, error) &&
             writeWorkbook(targetPath, writer, error);
        db.close();
    }
    // The workbook is in place by now whatever happens here; the directory is private to the user,
    // and the system clears its temporary directory in any case.
    directory.remove();
    return ok;
}

} // namespace quorrel
