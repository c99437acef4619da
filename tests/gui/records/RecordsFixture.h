#pragma once

#include "core/shop/Session.h"
#include "support/AppDriver.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

#include <memory>

namespace quorrel {
class SalesRecordsWindow;
}

namespace quorrel::test {

// A shop of the test's own with a session on it, and stored sales made to measure.
class RecordsTest : public HookedTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Stores a sale at `time` ("YYYY-MM-DD HH:MM:SS") with lines of {name, quantity, price, amount,
    // discounted}; returns its ID.
    qint64 storeSale(const QString& ticket, const QString& time, const QString& quantity, const QString& amount,
                     const QString& cashier = QStringLiteral("admin"), const QList<QStringList>& lines = {},
                     const QString& remark = QStringLiteral("备注 "));

    // The records window on today's sales, once their totals have come.
    SalesRecordsWindow* openRecords(const QString& role = QStringLiteral("管理员"));
    // The list's column as shown, top to bottom.
    QStringList shownColumn(int column) const;
    void selectRow(int row) const;
    QString label(const QString& name) const;
    // A totals label once the totals have come (it reads "计算中…" until then).
    QString totalsLabel(const QString& name) const;

    TempShop shop;
    Session session;
    std::unique_ptr<SalesRecordsWindow> window;
};

} // namespace quorrel::test
