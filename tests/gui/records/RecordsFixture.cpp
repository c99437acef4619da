#include "RecordsFixture.h"

#include "mock/MockClock.h"

#include "core/records/SalesRecordsModel.h"
#include "core/store/Clock.h"
#include "core/store/Schema.h"
#include "gui/app/RecordsWindows.h"
#include "gui/records/SalesRecordsWindow.h"

#include <QApplication>
#include <QLabel>
#include <QTreeView>

namespace quorrel::test {

void RecordsTest::SetUp()
{
    HookedTest::SetUp();
    shop.writeFactory();
    ASSERT_TRUE(session.db.open(shop.databasePath(), schema::kDatabaseKey));
    session.currentUser = QStringLiteral("admin");
    MockClock::setFixed(QDateTime(QDate(2024, 3, 5), QTime(14, 30, 20)));
}

void RecordsTest::TearDown()
{
    window.reset();
    QApplication::processEvents();
    MockClock::reset();
    HookedTest::TearDown();
}

qint64 RecordsTest::storeSale(const QString& ticket, const QString& time, const QString& quantity,
                              const QString& amount, const QString& cashier, const QList<QStringList>& lines,
                              const QString& remark)
{
    EXPECT_TRUE(session.db.execute(QStringLiteral("insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) "
                                                  "values (?,?,?,?,?,?)"),
                                   {ticket, time, quantity, amount, cashier, remark}));
    const qint64 id = session.db.lastInsertId();
    for (const QStringList& line : lines) {
        EXPECT_TRUE(session.db.execute(
            QStringLiteral("insert into 销售详情 (关联,名称,数量,单价,金额,折后,备注) "
                           "values (?,?,?,?,?,?,?)"),
            {id, line.value(0), line.value(1), line.value(2), line.value(3), line.value(4), line.value(5)}));
    }
    return id;
}

SalesRecordsWindow* RecordsTest::openRecords(const QString& role)
{
    session.currentRole = role;
    window = std::make_unique<SalesRecordsWindow>(session);
    connectRecordsSubWindows(window.get(), session);
    window->show();
    totalsLabel(QStringLiteral("标签_总金额")); // today's totals have come
    return window.get();
}

QStringList RecordsTest::shownColumn(int column) const
{
    QStringList cells;
    SalesRecordsModel& model = window->model();
    while (model.canFetchMore())
        model.fetchMore();
    for (int row = 0; row < model.rowCount(); ++row)
        cells << model.index(row, column).data().toString();
    return cells;
}

void RecordsTest::selectRow(int row) const
{
    auto* list = Unit<QTreeView>(window.get(), QStringLiteral("超级列表框1"));
    list->setCurrentIndex(list->model()->index(row, 1));
}

QString RecordsTest::label(const QString& name) const
{
    return Unit<QLabel>(window.get(), name)->text();
}

// Waits as QTRY_COMPARE does, but fails the GoogleTest test when the totals do not come.
QString RecordsTest::totalsLabel(const QString& name) const
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return label(name) != SalesRecordsWindow::kCountingTotals; }))
        << name.toStdString() << " still reads " << SalesRecordsWindow::kCountingTotals.toStdString();
    return label(name);
}

} // namespace quorrel::test
