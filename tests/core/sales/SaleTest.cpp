// The sale as a model: its totals are exact sums of its lines, and the list view's rows follow it.

#include "core/sales/SaleLinesModel.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace quorrel::test {
namespace {

LineCells line(const QString& quantity, const QString& amount, const QString& discounted)
{
    return {QStringLiteral("糖"), quantity, QStringLiteral("1.00"), amount, discounted};
}

TEST(SaleTest, TotalsAreExactSumsOfTheLinesAndTheRowsFollowTheSale)
{
    SaleLinesModel model;
    ASSERT_TRUE(model.addLine(line(QStringLiteral("1"), QStringLiteral("131072.01"), QStringLiteral("131072.01"))));
    EXPECT_EQ(model.sale().totalAmount(), QStringLiteral("131072.01")) << "single precision showed 131072.02";
    ASSERT_TRUE(model.addLine(line(QStringLiteral("2.5"), QStringLiteral("3.12"), QStringLiteral("3.125"))));
    ASSERT_TRUE(model.addLine(line(QStringLiteral("0.1"), QStringLiteral("0.20"), QStringLiteral("0.2"))));
    EXPECT_EQ(model.sale().totalQuantity(), QStringLiteral("3.6"));
    EXPECT_EQ(model.sale().totalDiscounted(), QStringLiteral("131075.34")) << "131075.335 rounds half away from zero";
    EXPECT_EQ(model.sale().amountDue(false), QStringLiteral("131075.33"));
    EXPECT_EQ(model.sale().amountDue(true), QStringLiteral("131075.34"));

    // Removing rows renumbers the rest; changing one changes only its cells.
    model.removeLines({0, 2});
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.index(0, SaleLinesModel::NumberColumn).data().toString(), QStringLiteral("1"));
    EXPECT_EQ(model.index(0, SaleLinesModel::AmountColumn).data().toString(), QStringLiteral("3.12"));
    ASSERT_TRUE(model.changeLine(0, line(QStringLiteral("1"), QStringLiteral("2.00"), QStringLiteral("2.00"))));
    EXPECT_EQ(model.sale().totalAmount(), QStringLiteral("2.00"));

    // A line the totals cannot hold exactly is refused and the sale stays as it was.
    EXPECT_FALSE(model.addLine(line(QStringLiteral("1"), QStringLiteral("9223372036854775807"), QStringLiteral("1"))));
    EXPECT_EQ(model.rowCount(), 1);
    model.clear();
    EXPECT_TRUE(model.sale().isEmpty());
    EXPECT_EQ(model.sale().totalAmount(), QStringLiteral("0.00"));
}

TEST(SaleTest, RandomSalesTotalToTheCentOfTheirLines)
{
    QRandomGenerator random(20161207);
    for (int sale = 0; sale < 2000; ++sale) {
        Sale lines;
        qint64 cents = 0;
        const int count = random.bounded(2, 11);
        for (int k = 0; k < count; ++k) {
            const qint64 amount = random.bounded(6000001);
            cents += amount;
            const QString text = QStringLiteral("%1.%2").arg(amount / 100).arg(amount % 100, 2, 10, QChar(u'0'));
            ASSERT_TRUE(lines.addLine(line(QStringLiteral("1"), text, text)));
        }
        const QString expected = QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QChar(u'0'));
        ASSERT_EQ(lines.totalAmount(), expected) << "sale " << sale;
    }
}

} // namespace
} // namespace quorrel::test
