// A sale is stored whole or not at all, even when the program is killed in the middle of saving.

#include "support/Hooks.h"
#include "support/TestDatabase.h"

#include "core/store/Database.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"

#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

namespace quorrel::test {
namespace {

TEST(CrashSafetyTest, SalesSurviveBeingKilledAtRandomMoments)
{
    TempShop shop;
    shop.writeFactory();
    QRandomGenerator random(20161207);
    constexpr int kRuns = 40;
    int killedWhileSaving = 0;
    for (int run = 0; run < kRuns; ++run) {
        QProcess saver;
        saver.start(QStringLiteral(CRASH_SAVER_PATH), {shop.databasePath()});
        ASSERT_TRUE(saver.waitForStarted(10000)) << saver.errorString().toStdString();
        ASSERT_TRUE(saver.waitForReadyRead(20000))
            << "the saver did not start saving: " << saver.readAllStandardError().toStdString();
        QThread::msleep(random.bounded(1, 120)); // let it run into the middle of some save
        if (saver.state() == QProcess::Running)
            ++killedWhileSaving;
        saver.kill(); // SIGKILL: no clean-up of any kind
        ASSERT_TRUE(saver.waitForFinished(10000));
        EXPECT_EQ(saver.exitStatus(), QProcess::CrashExit) << saver.readAllStandardError().toStdString();
    }
    EXPECT_EQ(killedWhileSaving, kRuns);

    Database db;
    ASSERT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey)) << db.lastError().toStdString();
    auto check = db.query(QStringLiteral("PRAGMA integrity_check"));
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->text(1), QStringLiteral("ok"));
    check->close();

    QHash<qint64, QStringList> linesBySale;
    auto lines = db.query(QStringLiteral("select 关联, 名称 from 销售详情 order by ID"));
    ASSERT_NE(lines, nullptr);
    for (lines->moveFirst(); !lines->atEnd(); lines->moveNext())
        linesBySale[lines->readField(1).toLongLong()] << lines->text(2);
    lines->close();

    int sales = 0;
    auto headers = db.query(QStringLiteral("select ID, 数量, 备注 from 销售记录"));
    ASSERT_NE(headers, nullptr);
    for (headers->moveFirst(); !headers->atEnd(); headers->moveNext()) {
        ++sales;
        const qint64 id = headers->readField(1).toLongLong();
        const int count = headers->text(2).toInt();
        QStringList expected;
        for (int k = 1; k <= count; ++k)
            expected << QStringLiteral("L%1").arg(k);
        EXPECT_EQ(linesBySale.take(id), expected) << "sale " << id;
        EXPECT_EQ(headers->text(3), QStringLiteral("n=%1 ").arg(count));
    }
    EXPECT_TRUE(linesBySale.isEmpty()) << linesBySale.size() << " sales' lines have no header";
    EXPECT_GE(sales, kRuns) << "every run stores at least its first sale";
}

} // namespace
} // namespace quorrel::test
