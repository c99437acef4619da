// A stored sale's lines: adding on screen, changing and deleting stored lines with the sale's
// totals kept in step, the discount of a stored line, and the role rules.

#include "RecordsFixture.h"

#include "core/records/SalesRecordsModel.h"
#include "core/records/StoredLinesModel.h"
#include "gui/records/SaleDetailWindow.h"
#include "gui/records/SalesRecordsWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeView>

namespace quorrel::test {
namespace {

class SaleDetailTest : public RecordsTest
{
protected:
    // Opens the records window and the detail window of its first sale, as a double click does.
    SaleDetailWindow* openDetail(const QString& role = QStringLiteral("管理员"))
    {
        openRecords(role);
        selectRow(0);
        auto* list = Unit<QTreeView>(window.get(), QStringLiteral("超级列表框1"));
        emit list->doubleClicked(list->model()->index(0, 1));
        detail = window->findChild<SaleDetailWindow*>();
        EXPECT_NE(detail, nullptr);
        return detail;
    }

    QLineEdit* box(const QString& name) { return Unit<QLineEdit>(detail, name); }
    void click(const QString& name) { QTest::mouseClick(Unit<QPushButton>(detail, name), Qt::LeftButton); }
    void chooseLine(int row)
    {
        auto* list = Unit<QTreeView>(detail, QStringLiteral("超级列表框1"));
        list->setCurrentIndex(list->model()->index(row, 1));
    }
    void enter(const QString& name, const QString& quantity, const QString& price, bool discount = false,
               const QString& rate = QStringLiteral("10"))
    {
        box(QStringLiteral("编辑框_名称"))->setText(name);
        box(QStringLiteral("编辑框_数量"))->setText(quantity);
        box(QStringLiteral("编辑框_单价"))->setText(price);
        Unit<QCheckBox>(detail, QStringLiteral("选择框_折扣"))->setChecked(discount);
        box(QStringLiteral("编辑框_折扣"))->setText(rate);
    }
    QStringList row(int r) { return detail->model().allRowTexts().value(r); }
    QString header(const QString& column)
    {
        return shop.scalar(QStringLiteral("select ") + column + QStringLiteral(" from 销售记录 where ID=?"), {saleId});
    }

    qint64 saleId = 0;
    SaleDetailWindow* detail = nullptr;
};

TEST_F(SaleDetailTest, AddShowsRoundedAmountsWithAndWithoutDiscountAndStoresNothing)
{
    saleId = storeSale(QStringLiteral("1"), QStringLiteral("2024-03-05 08:00:00"), QStringLiteral("0"),
                       QStringLiteral("0.00"));
    openDetail();
    ASSERT_NE(detail, nullptr);
    QSignalSpy stored(&session.shop.sales(), &ShopTable::changed);
    EXPECT_EQ(detail->model().rowCount(), 0);
    EXPECT_EQ(box(QStringLiteral("编辑框_折扣"))->text(), QStringLiteral("10"));

    click(QStringLiteral("按钮_添加"));
    EXPECT_EQ(hooks().messages().value(0).text, QStringLiteral("商品名称不能为空！"));
    EXPECT_EQ(hooks().messages().value(0).icon, MessageIcon::Error);

    enter(QStringLiteral("A-茶"), QStringLiteral("2"), QStringLiteral("3.5"));
    click(QStringLiteral("按钮_添加"));
    enter(QStringLiteral("茶"), QStringLiteral("2"), QStringLiteral("3.5"), true, QStringLiteral("9.5"));
    click(QStringLiteral("按钮_添加"));
    enter(QStringLiteral("茶"), QStringLiteral("2"), QStringLiteral("3.5"), true, QStringLiteral("9.0"));
    click(QStringLiteral("按钮_添加"));
    enter(QStringLiteral("糖"), QStringLiteral("3"), QStringLiteral("1.115"));
    click(QStringLiteral("按钮_添加"));

    EXPECT_EQ(row(0), (QStringList{QStringLiteral("1"), QStringLiteral("A-茶"), QStringLiteral("2"),
                                   QStringLiteral("3.50"), QStringLiteral("7.00"), QStringLiteral("7.00")}));
    EXPECT_EQ(row(1).value(5), QStringLiteral("6.65"));
    EXPECT_EQ(row(2).value(5), QStringLiteral("6.30"));
    EXPECT_EQ(row(3).value(4), QStringLiteral("3.35")) << "rounded as when the sale was rung up";
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售详情")), QStringLiteral("0"));

    // A line that exists only on screen is changed and deleted on screen, without a statement.
    chooseLine(0);
    enter(QStringLiteral("茶"), QStringLiteral("4"), QStringLiteral("3.5"));
    click(QStringLiteral("按钮_修改"));
    EXPECT_EQ(row(0).value(4), QStringLiteral("14.00"));
    hooks().answerNext(MessageAnswer::Yes);
    click(QStringLiteral("按钮_删除"));
    EXPECT_EQ(detail->model().rowCount(), 3);
    EXPECT_EQ(row(0).value(0), QStringLiteral("1"));
    EXPECT_TRUE(stored.isEmpty()) << "nothing stored, nothing announced";
}

TEST_F(SaleDetailTest, ChangeAndDeleteStoredLinesKeepHeaderInStep)
{
    saleId = storeSale(QStringLiteral("1"), QStringLiteral("2024-03-05 08:00:00"), QStringLiteral("3"),
                       QStringLiteral("17.00"), QStringLiteral("admin"),
                       {{QStringLiteral("茶"), QStringLiteral("2"), QStringLiteral("3.50"), QStringLiteral("7.00"),
                         QStringLiteral("6.65"), QStringLiteral(" 少糖")},
                        {QStringLiteral("饼"), QStringLiteral("1"), QStringLiteral("10.00"), QStringLiteral("10.00"),
                         QStringLiteral("10.00"), QStringLiteral(" ")}});
    openDetail();
    ASSERT_NE(detail, nullptr);

    click(QStringLiteral("按钮_修改"));
    EXPECT_EQ(hooks().messages().value(0).text, QStringLiteral("商品名称不能为空！"));
    enter(QStringLiteral("x"), QStringLiteral("1"), QStringLiteral("1"));
    click(QStringLiteral("按钮_修改"));
    EXPECT_EQ(hooks().messages().value(1).text, QStringLiteral("请选择要修改的行！"));

    // Choosing the discounted line brings its remark and its rate.
    chooseLine(0);
    EXPECT_EQ(Unit<QPlainTextEdit>(detail, QStringLiteral("编辑框_备注"))->toPlainText(), QStringLiteral(" 少糖"));
    EXPECT_TRUE(Unit<QCheckBox>(detail, QStringLiteral("选择框_折扣"))->isChecked());
    EXPECT_EQ(box(QStringLiteral("编辑框_折扣"))->text(), QStringLiteral("9.5"));
    box(QStringLiteral("编辑框_数量"))->setText(QStringLiteral("4"));
    click(QStringLiteral("按钮_修改"));
    EXPECT_EQ(row(0).mid(2), (QStringList{QStringLiteral("4"), QStringLiteral("3.50"), QStringLiteral("14.00"),
                                          QStringLiteral("13.30")}));
    EXPECT_EQ(shop.scalar(QStringLiteral("select 折后 from 销售详情 where 名称='茶'")), QStringLiteral("13.30"));
    EXPECT_EQ(shop.scalar(QStringLiteral("select 备注 from 销售详情 where 名称='茶'")), QStringLiteral(" 少糖"));
    EXPECT_EQ(header(QStringLiteral("数量")), QStringLiteral("5"));
    EXPECT_EQ(header(QStringLiteral("金额")), QStringLiteral("24.00"));

    chooseLine(1);
    EXPECT_FALSE(Unit<QCheckBox>(detail, QStringLiteral("选择框_折扣"))->isChecked());
    hooks().answerNext(MessageAnswer::No);
    click(QStringLiteral("按钮_删除"));
    EXPECT_EQ(detail->model().rowCount(), 2);
    hooks().answerNext(MessageAnswer::Yes);
    click(QStringLiteral("按钮_删除"));
    EXPECT_EQ(detail->model().rowCount(), 1);
    EXPECT_EQ(header(QStringLiteral("数量")), QStringLiteral("4"));
    EXPECT_EQ(header(QStringLiteral("金额")), QStringLiteral("14.00"));

    // The records list and its totals follow every stored change at once.
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_总金额")), QStringLiteral("14.00"));
    EXPECT_EQ(window->model().record(0).quantity, QStringLiteral("4"));

    // The last line goes; the header stays with nothing in it.
    chooseLine(0);
    hooks().answerNext(MessageAnswer::Yes);
    click(QStringLiteral("按钮_删除"));
    EXPECT_EQ(header(QStringLiteral("数量")), QStringLiteral("0"));
    EXPECT_EQ(header(QStringLiteral("金额")), QStringLiteral("0.00"));

    EXPECT_EQ(totalsLabel(QStringLiteral("标签_总金额")), QStringLiteral("0.00"));
    EXPECT_EQ(window->model().record(0).quantity, QStringLiteral("0"));
}

TEST_F(SaleDetailTest, OnlyTheSelectedRowIsChangedOrDeletedAndAClickOnAnyRowShowsIt)
{
    saleId = storeSale(QStringLiteral("1"), QStringLiteral("2024-03-05 08:00:00"), QStringLiteral("3"),
                       QStringLiteral("17.00"), QStringLiteral("admin"),
                       {{QStringLiteral("茶"), QStringLiteral("2"), QStringLiteral("3.50"), QStringLiteral("7.00"),
                         QStringLiteral("7.00")},
                        {QStringLiteral("饼"), QStringLiteral("1"), QStringLiteral("10.00"), QStringLiteral("10.00"),
                         QStringLiteral("10.00")}});
    openDetail();
    ASSERT_NE(detail, nullptr);
    detail->show();
    auto* list = Unit<QTreeView>(detail, QStringLiteral("超级列表框1"));
    const auto clickRow = [list](int r) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(r, 1)).center());
    };

    // Nothing is selected when the window opens: 修改 and 删除 say so and touch no line.
    enter(QStringLiteral("x"), QStringLiteral("1"), QStringLiteral("1"));
    click(QStringLiteral("按钮_修改"));
    click(QStringLiteral("按钮_删除"));
    EXPECT_EQ(hooks().messageTexts(),
              (QStringList{QStringLiteral("请选择要修改的行！"), QStringLiteral("请选择要删除的行！")}));
    EXPECT_EQ(row(0).value(1), QStringLiteral("茶"));
    EXPECT_EQ(detail->model().rowCount(), 2);

    // A click on the first row, current from the start, shows it; so does a click on it again after
    // the boxes were typed over.
    clickRow(0);
    EXPECT_EQ(box(QStringLiteral("编辑框_名称"))->text(), QStringLiteral("茶"));
    box(QStringLiteral("编辑框_名称"))->setText(QStringLiteral("别的"));
    clickRow(0);
    EXPECT_EQ(box(QStringLiteral("编辑框_名称"))->text(), QStringLiteral("茶"));
    clickRow(1);
    EXPECT_EQ(box(QStringLiteral("编辑框_名称"))->text(), QStringLiteral("饼"));

    // A price beyond what an amount holds is refused as such, and nothing is stored.
    hooks().clearMessages();
    box(QStringLiteral("编辑框_单价"))->setText(QStringLiteral("10000000000000000"));
    click(QStringLiteral("按钮_修改"));
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("数量或单价超出范围！")});
    EXPECT_EQ(header(QStringLiteral("金额")), QStringLiteral("17.00"));
    // The largest price that is taken is stored and read back whole.
    box(QStringLiteral("编辑框_单价"))->setText(QStringLiteral("9999999999999999"));
    click(QStringLiteral("按钮_修改"));
    EXPECT_EQ(hooks().messageTexts().size(), 1) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_EQ(header(QStringLiteral("金额")), QStringLiteral("10000000000000006.00"));
}

TEST_F(SaleDetailTest, OrdinaryUserOnlyLooks)
{
    saleId = storeSale(QStringLiteral("1"), QStringLiteral("2024-03-05 08:00:00"), QStringLiteral("1"),
                       QStringLiteral("1.00"), QStringLiteral("admin"), {{QStringLiteral("茶"), QStringLiteral("1")}});
    openDetail(QStringLiteral("普通用户"));
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->model().rowCount(), 1);
    for (const QString& name : {QStringLiteral("按钮_添加"), QStringLiteral("按钮_修改"), QStringLiteral("按钮_删除"),
                                QStringLiteral("按钮_导出")})
        EXPECT_FALSE(Unit<QPushButton>(detail, name)->isEnabled()) << name.toStdString();
    EXPECT_TRUE(Unit<QPushButton>(detail, QStringLiteral("按钮_关闭"))->isEnabled());
}

} // namespace
} // namespace quorrel::test
