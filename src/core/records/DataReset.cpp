#include "core/records/DataReset.h"

#include "core/store/Database.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/FileWriter.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>

namespace quorrel {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// The file a path names once links are resolved; a path that does not exist yet is resolved
// through its folder.
QString resolvedPath(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + u'/' + info.fileName();
}

// Copies `source` to `target` through a temporary file beside the target that is renamed only once
// every byte has been written and flushed.
bool copyAtomically(const QString& source, const QString& target, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        setError(error, in.errorString());
        return false;
    }
    // Unbuffered: QSaveFile keeps no account of a buffered write that fails when it is flushed at
    // commit(), and would rename a short copy into place as if it were whole.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setError(error, out.errorString());
        return false;
    }
    const qint64 expected = in.size();
    qint64 copied = 0;
    QByteArray buffer;
    while (!in.atEnd()) {
        buffer = in.read(1 << 20);
        if (buffer.isEmpty() && in.error() != QFile::NoError)
            break;
        if (out.write(buffer) != buffer.size()) {
            setError(error, out.errorString());
            out.cancelWriting();
            return false;
        }
        copied += buffer.size();
    }
    if (copied != expected || in.error() != QFile::NoError) {
        setError(error, QStringLiteral("只复制了 %1 / %2 字节：%3").arg(copied).arg(expected).arg(in.errorString()));
        out.cancelWriting();
        return false;
    }
    // commit() syncs too, but does not say when that fails.
    if (FileWriter::current().sync(out.handle()) != 0) {
        setError(error, qt_error_string(errno));
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        setError(error, out.errorString());
        return false;
    }
    return true;
}

bool holdsShopTables(Database& db)
{
    static const QStringList kTables{QStringLiteral("配置文件"), QStringLiteral("用户登录"), QStringLiteral("商品名称"),
                                     QStringLiteral("付款方式"), QStringLiteral("客户资料"), QStringLiteral("销售记录"),
                                     QStringLiteral("销售详情")};
    for (const QString& table : kTables) {
        auto found =
            db.query(QStringLiteral("select count(*) from sqlite_master where type='table' and name=?"), {table});
        if (!found || found->text(1) != QStringLiteral("1"))
            return false;
    }
    return true;
}

} // namespace

bool isDatabaseFile(const QString& databasePath, const QString& target)
{
    return resolvedPath(target) == resolvedPath(databasePath);
}

bool backUpDatabase(const QString& databasePath, const QString& target, QString* error)
{
    if (isDatabaseFile(databasePath, target)) {
        setError(error, QStringLiteral("备份文件不能是数据库文件本身"));
        return false;
    }
    return copyAtomically(databasePath, target, error);
}

ResetResult resetDatabase(const QString& databasePath, const QString& backupTarget, QString* error)
{
    if (!backUpDatabase(databasePath, backupTarget, error))
        return ResetResult::BackupFailed;
    if (!writeFactoryDatabase(databasePath, error))
        return ResetResult::FactoryFailed;
    return ResetResult::Done;
}

QString stageRestore(const QString& databasePath, const QString& source, QString* error)
{
    QTemporaryFile staged(QFileInfo(databasePath).absolutePath() + QStringLiteral("/ZoZ.mdb.restore-XXXXXX"));
    if (!staged.open()) {
        setError(error, staged.errorString());
        return QString();
    }
    staged.close();
    const QString stagedPath = staged.fileName();
    if (!copyAtomically(source, stagedPath, error))
        return QString();
    bool valid = false;
    {
        // The copy, not the chosen file, is opened: opening brings its tables up to date.
        Database candidate;
        valid = candidate.open(stagedPath, QByteArray(schema::kDatabaseKey)) && holdsShopTables(candidate);
        if (!valid)
            setError(error, candidate.lastError());
    }
    if (!valid)
        return QString();
    staged.setAutoRemove(false);
    return stagedPath;
}

bool finishRestore(const QString& databasePath, const QString& staged, const QDateTime& now, QString* keptAs,
                   QString* error)
{
    const QString kept = databasePath + QStringLiteral(".bak-") + now.toString(QStringLiteral("yyMMddHHmmss"));
    if (QFileInfo::exists(databasePath) && !copyAtomically(databasePath, kept, error))
        return false;
    // rename(2) replaces the old file in one step: there is never a moment without a database.
    if (std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(databasePath).constData()) != 0) {
        setError(error, QStringLiteral("无法替换数据库文件"));
        return false;
    }
    if (keptAs)
        *keptAs = kept;
    return true;
}

} // namespace quorrel
