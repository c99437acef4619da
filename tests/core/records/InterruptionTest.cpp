// A backup, reset or restore killed at any moment leaves the shop's file whole: the old data or
// the new, never a mixture, and nothing else once the next start has tidied up.

#include "support/TestDatabase.h"

#include "core/store/Database.h"
#include "core/store/DatabaseFiles.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/ShopFileCheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

QStringList everything(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A shop file with one sale `ticket` and a logo large enough that copying it takes a while.
void writeShop(const QString& path, const QString& ticket)
{
    ASSERT_TRUE(writeFactoryDatabase(path));
    Database db;
    ASSERT_TRUE(db.open(path, schema::kDatabaseKey)) << db.lastError().toStdString();
    ASSERT_TRUE(db.execute(u"update 配置文件 set logo=randomblob(3000000) where ID=1"_s));
    ASSERT_TRUE(db.execute(u"insert into 销售记录 (销售票号, 销售时间, 数量, 金额, 收银员, 备注) "
                           "values (?, '2024-03-05 10:00:00', '1', '5.00', 'admin', ' ')"_s,
                           {ticket}));
}

// The tickets of a shop file that opens with the key and passes quick_check; "broken" otherwise.
QString ticketsOf(const QString& path)
{
    Database db;
    if (!db.open(path, schema::kDatabaseKey))
        return u"broken: "_s + db.lastError();
    if (const Done pages = shopfile::quickCheck(db); !pages)
        return u"broken: "_s + pages.error();
    const QStringList tickets = columnValues(db, u"select 销售票号 from 销售记录"_s, u"销售票号"_s);
    return tickets.join(u',');
}

struct Run
{
    QString operation;
    QString database;
    QString file;
};

// Runs the operation in a child and kills it `delayUs` after it has begun, or lets it end when
// `delayUs` is negative. True when it had ended; `tookUs` is the time it ran.
bool runAndKill(const Run& run, int delayUs, qint64* tookUs)
{
    QProcess child;
    child.start(QStringLiteral(FILE_REPLACER_PATH), {run.operation, run.database, run.file});
    EXPECT_TRUE(child.waitForStarted(10000)) << child.errorString().toStdString();
    EXPECT_TRUE(child.waitForReadyRead(10000)) << child.readAllStandardError().toStdString();
    QElapsedTimer took;
    took.start();
    if (delayUs < 0) {
        EXPECT_TRUE(child.waitForFinished(30000));
    } else {
        QThread::usleep(static_cast<unsigned long>(delayUs));
        child.kill(); // SIGKILL: no clean-up of any kind
        EXPECT_TRUE(child.waitForFinished(10000));
    }
    *tookUs = took.nsecsElapsed() / 1000;
    const QByteArray out = child.readAllStandardOutput();
    EXPECT_TRUE(child.exitStatus() == QProcess::CrashExit || out.contains("done"))
        << child.readAllStandardError().toStdString();
    return out.contains("done");
}

TEST(InterruptionTest, KilledAnywhereTheShopFileHoldsTheOldOrTheNewDataAndNothingIsLeftBehind)
{
    QTemporaryDir templates;
    const QString old = templates.filePath(u"old.mdb"_s);
    const QString fresh = templates.filePath(u"new.mdb"_s);
    writeShop(old, u"OLD"_s);
    writeShop(fresh, u"NEW"_s);
    if (HasFatalFailure())
        return;

    QRandomGenerator random(20240305);
    const QStringList operations{u"backup"_s, u"reset"_s, u"restore"_s};
    QHash<QString, qint64> durationUs; // of each operation left alone
    constexpr int kRuns = 100;
    int killedMidway = 0;
    for (int run = 0; run < kRuns; ++run) {
        const QString operation = operations[run % operations.size()];
        SCOPED_TRACE(QStringLiteral("run %1: %2").arg(run).arg(operation).toStdString());
        QTemporaryDir shopDir;
        QTemporaryDir backupDir;
        const QString database = shopDir.filePath(u"ZoZ.mdb"_s);
        ASSERT_TRUE(QFile::copy(old, database));
        const QString file = operation == u"restore"_s ? fresh : backupDir.filePath(u"backup.mdb"_s);
        // The first three runs are left to end (each operation once) and timed; the others are
        // killed at a random moment within that time.
        const int delayUs = run < 3 ? -1 : static_cast<int>(random.bounded(qint64(0), durationUs[operation]));
        qint64 tookUs = 0;
        const bool finished = runAndKill({operation, database, file}, delayUs, &tookUs);
        if (run < 3) {
            ASSERT_TRUE(finished) << "left alone, it ends";
            durationUs[operation] = std::max<qint64>(tookUs, 1000);
        } else if (!finished) {
            ++killedMidway;
        }

        // The next start.
        removeLeftovers(database);
        const QString expectedNew = operation == u"restore"_s ? u"NEW"_s
                                    : operation == u"reset"_s ? QString()
                                                              : u"OLD"_s;
        const QStringList shopFiles = everything(shopDir.path());
        const QString tickets = ticketsOf(database);
        EXPECT_TRUE(tickets == u"OLD"_s || tickets == expectedNew) << tickets.toStdString();
        for (const QString& name : shopFiles) {
            // A finished restore keeps the replaced file, which holds the old data.
            if (name.startsWith(u"ZoZ.mdb.bak-"_s)) {
                EXPECT_EQ(tickets, expectedNew) << "a kept copy only once the new file is in place";
                EXPECT_EQ(ticketsOf(shopDir.filePath(name)), u"OLD"_s);
            } else {
                EXPECT_EQ(name, u"ZoZ.mdb"_s);
            }
        }
        if (operation != u"restore"_s) {
            const QStringList backups = everything(backupDir.path());
            EXPECT_TRUE(backups.isEmpty() || backups == QStringList{u"backup.mdb"_s})
                << backups.join(u' ').toStdString();
            if (!backups.isEmpty()) {
                EXPECT_EQ(ticketsOf(backupDir.filePath(u"backup.mdb"_s)), u"OLD"_s);
            }
            if (operation == u"reset"_s && tickets.isEmpty()) {
                EXPECT_EQ(backups, QStringList{u"backup.mdb"_s}) << "no reset without a whole backup";
            }
        }
    }
    EXPECT_GE(killedMidway, kRuns / 2) << "most kills should fall inside an operation";
}

} // namespace
} // namespace quorrel::test
