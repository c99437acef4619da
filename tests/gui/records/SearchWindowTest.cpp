// The conditional search through its window: ticked criteria only, whole days, both modes, the
// result and its totals in the records window.

#include "RecordsFixture.h"

#include "gui/records/SalesRecordsWindow.h"
#include "gui/records/SearchWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace quorrel::test {
namespace {

class SearchTest : public RecordsTest
{
protected:
    void SetUp() override
    {
        RecordsTest::SetUp();
        storeSale(QStringLiteral("A"), QStringLiteral("2024-03-01 09:00:00"), QStringLiteral("2"),
                  QStringLiteral("15.00"), QStringLiteral("admin"));
        storeSale(QStringLiteral("B"), QStringLiteral("2024-03-03 23:30:00"), QStringLiteral("12"),
                  QStringLiteral("3.00"), QStringLiteral("小王"));
        storeSale(QStringLiteral("C"), QStringLiteral("2024-03-04 10:00:00"), QStringLiteral("1"),
                  QStringLiteral("115.00"), QStringLiteral("小王"));
        storeSale(QStringLiteral("D"), QStringLiteral("2024-03-05 08:00:00"), QStringLiteral("5"),
                  QStringLiteral("9.00"), QStringLiteral("admin's"));
        openRecords();
        QTest::mouseClick(Unit<QPushButton>(window.get(), QStringLiteral("按钮_查询")), Qt::LeftButton);
        search = window->findChild<SearchWindow*>();
        ASSERT_NE(search, nullptr);
    }

    template <typename T> T* unit(const QString& name) { return Unit<T>(search, name); }
    QStringList found()
    {
        QTest::mouseClick(unit<QPushButton>(QStringLiteral("按钮1")), Qt::LeftButton);
        QStringList tickets = shownColumn(1);
        tickets.sort();
        return tickets;
    }
    void tick(const QString& name, bool on = true) { unit<QCheckBox>(name)->setChecked(on); }

    SearchWindow* search = nullptr;
};

TEST_F(SearchTest, OpensWithTodayInactiveInputsAndCashiers)
{
    EXPECT_TRUE(search->isModal());
    EXPECT_EQ(unit<QDateTimeEdit>(QStringLiteral("日期框1"))->date(), QDate(2024, 3, 5));
    EXPECT_FALSE(unit<QDateTimeEdit>(QStringLiteral("日期框2"))->isEnabled());
    EXPECT_FALSE(unit<QLineEdit>(QStringLiteral("编辑框_数量1"))->isEnabled());
    EXPECT_TRUE(unit<QRadioButton>(QStringLiteral("单选框_模糊"))->isChecked());
    EXPECT_EQ(unit<QComboBox>(QStringLiteral("组合框_收银员"))->itemText(0), QStringLiteral("admin"));
    tick(QStringLiteral("选择框_时间"));
    tick(QStringLiteral("选择框_收银员"));
    EXPECT_TRUE(unit<QDateTimeEdit>(QStringLiteral("日期框2"))->isEnabled());
    EXPECT_TRUE(unit<QComboBox>(QStringLiteral("组合框_收银员"))->isEnabled());
    unit<QRadioButton>(QStringLiteral("单选框_精确"))->click();
    EXPECT_FALSE(unit<QRadioButton>(QStringLiteral("单选框_模糊"))->isChecked());
}

TEST_F(SearchTest, FuzzyUsesTickedPatternsOverWholeDays)
{
    EXPECT_EQ(found(),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")}))
        << "nothing ticked lists every sale";

    // An unticked box takes no part, whatever it holds.
    unit<QLineEdit>(QStringLiteral("编辑框_数量1"))->setText(QStringLiteral("2"));
    EXPECT_EQ(found().size(), 4);

    tick(QStringLiteral("选择框_时间"));
    unit<QDateTimeEdit>(QStringLiteral("日期框1"))->setDate(QDate(2024, 3, 2));
    unit<QDateTimeEdit>(QStringLiteral("日期框2"))->setDateTime(QDateTime(QDate(2024, 3, 4), QTime(0, 5)));
    EXPECT_EQ(found(), (QStringList{QStringLiteral("B"), QStringLiteral("C")})) << "the last day counts to 23:59:59";

    tick(QStringLiteral("选择框_时间"), false);
    tick(QStringLiteral("选择框_数量"));
    tick(QStringLiteral("选择框_金额"));
    unit<QLineEdit>(QStringLiteral("编辑框_销售金额1"))->setText(QStringLiteral("15"));
    EXPECT_EQ(found(), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}))
        << "quantity containing 2 or amount containing 15.00";
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_销售数量")), QStringLiteral("15"));
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_总金额")), QStringLiteral("133.00"));

    // A ticked empty pattern is skipped rather than matching everything.
    unit<QLineEdit>(QStringLiteral("编辑框_数量1"))->clear();
    tick(QStringLiteral("选择框_收银员"));
    auto* cashier = unit<QComboBox>(QStringLiteral("组合框_收银员"));
    cashier->setCurrentIndex(-1);
    EXPECT_EQ(found(), (QStringList{QStringLiteral("A"), QStringLiteral("C")}));
    EXPECT_TRUE(hooks().messages().isEmpty());
}

TEST_F(SearchTest, ExactNeedsEveryTickedEqualityAndComparesAmountsAsNumbers)
{
    shop.exec(QStringLiteral("insert into 用户登录 (用户名,权限,密码) values ('小王','普通用户','')"));
    search->close();
    QTest::mouseClick(Unit<QPushButton>(window.get(), QStringLiteral("按钮_查询")), Qt::LeftButton);
    for (SearchWindow* w : window->findChildren<SearchWindow*>())
        if (w->isVisible())
            search = w;
    unit<QRadioButton>(QStringLiteral("单选框_精确"))->click();
    tick(QStringLiteral("选择框_金额"));
    unit<QLineEdit>(QStringLiteral("编辑框_销售金额1"))->setText(QStringLiteral("15"));
    EXPECT_EQ(found(), QStringList{QStringLiteral("A")});

    tick(QStringLiteral("选择框_金额"), false);
    tick(QStringLiteral("选择框_收银员"));
    auto* cashier = unit<QComboBox>(QStringLiteral("组合框_收银员"));
    cashier->setCurrentIndex(cashier->findText(QStringLiteral("小王")));
    EXPECT_EQ(found(), (QStringList{QStringLiteral("B"), QStringLiteral("C")}));
    tick(QStringLiteral("选择框_数量"));
    unit<QLineEdit>(QStringLiteral("编辑框_数量1"))->setText(QStringLiteral("1"));
    EXPECT_EQ(found(), QStringList{QStringLiteral("C")});
    tick(QStringLiteral("选择框_时间"));
    unit<QDateTimeEdit>(QStringLiteral("日期框1"))->setDate(QDate(2024, 3, 5));
    EXPECT_TRUE(found().isEmpty()) << "a range after the sale lists nothing";
    EXPECT_EQ(label(QStringLiteral("标签_总金额")), QStringLiteral("0.00"));
}

TEST_F(SearchTest, AnAmountThatIsNoNumberIsToldNotSearchedFor)
{
    storeSale(QStringLiteral("Z"), QStringLiteral("2024-03-02 09:00:00"), QStringLiteral("1"), QStringLiteral("0.00"));
    const QStringList before = shownColumn(1);
    unit<QRadioButton>(QStringLiteral("单选框_精确"))->click();
    tick(QStringLiteral("选择框_金额"));
    for (const QString& amount : {QStringLiteral("abc"), QStringLiteral(""), QStringLiteral("1.2.3")}) {
        SCOPED_TRACE(amount.toStdString());
        unit<QLineEdit>(QStringLiteral("编辑框_销售金额1"))->setText(amount);
        hooks().clearMessages();
        QTest::mouseClick(unit<QPushButton>(QStringLiteral("按钮1")), Qt::LeftButton);
        EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("金额必须是数字！")});
        EXPECT_EQ(shownColumn(1), before) << "the sale of 0.00 is not listed for it";
    }
    // Full-width digits are a number.
    unit<QLineEdit>(QStringLiteral("编辑框_销售金额1"))->setText(QStringLiteral("１５"));
    hooks().clearMessages();
    EXPECT_EQ(found(), QStringList{QStringLiteral("A")});
    EXPECT_TRUE(hooks().messages().isEmpty());
}

} // namespace
} // namespace quorrel::test
