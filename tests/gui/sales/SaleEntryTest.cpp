// Entering a sale in the real main window: product completion, lines, totals and discount.

#include "support/AppDriver.h"
#include "support/Eventually.h"

#include "gui/app/MainWindow.h"
#include "gui/sales/ProductLookup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QWheelEvent>

namespace quorrel::test {
namespace {

class SaleEntryTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
    }

    MainWindow* open() { return main = openMainWindow(); }
    template <typename T = QLineEdit> T* U(const char16_t* name) { return Unit<T>(main, QString::fromUtf16(name)); }
    QLineEdit* nameBox() { return U(u"编辑框_名称"); }
    QTreeView* list() { return U<QTreeView>(u"超级列表框1"); }
    int rowCount() { return list()->model()->rowCount(); }
    ProductLookup* products() { return Unit<ProductLookup>(main, QStringLiteral("ProductLookup")); }
    // Selects or deselects a row as a click with Ctrl would, without moving the current row.
    void select(int row, bool on = true)
    {
        list()->selectionModel()->select(list()->model()->index(row, 0),
                                         (on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                             QItemSelectionModel::Rows);
    }

    // Clicks a row of the list as the cashier does, with the modifiers held.
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QRect cell = list()->visualRect(list()->model()->index(row, 1));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    // Types into the name box as a cashier does: each key pressed and let go.
    void typeName(const QString& text)
    {
        nameBox()->setFocus();
        for (QChar c : text) {
            ASSERT_LT(c.unicode(), 0x80) << "TypeName takes ASCII; Chinese comes through the input method";
            QTest::keyClick(nameBox(), char(c.unicode()));
        }
    }
    QStringList row(int index)
    {
        QStringList cells;
        const QAbstractItemModel* model = list()->model();
        for (int c = 0; c < model->columnCount() && index < model->rowCount(); ++c)
            cells << model->index(index, c).data().toString();
        return cells;
    }
    QStringList totals()
    {
        return {U<QLabel>(u"标签_总量")->text(), U<QLabel>(u"标签_总金额")->text(), U<QLabel>(u"标签_打折后")->text(),
                U(u"编辑框_实收")->text()};
    }
    int productCount(const QString& name)
    {
        return shop.scalar(QStringLiteral("select count(*) from 商品名称 where 名称=?"), {name}).toInt();
    }
    void wheel(QWidget* target, int notches)
    {
        const QPointF at(5, 5);
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }

    MainWindow* main = nullptr;
};

TEST_F(SaleEntryTest, TypingOffersTheLastStoredProductWithItsCompletedPartSelected)
{
    shop.exec(QStringLiteral("insert into 商品名称 (名称, 单价) values ('cola', '3.00')"));
    shop.exec(QStringLiteral("insert into 商品名称 (名称, 单价) values ('coke', '2.50')"));
    ASSERT_NE(open(), nullptr);
    typeName(QStringLiteral("c"));
    EXPECT_EQ(nameBox()->text(), QStringLiteral("coke"));
    EXPECT_EQ(nameBox()->selectedText(), QStringLiteral("oke"));
    EXPECT_EQ(U(u"编辑框_单价")->text(), QStringLiteral("2.50"));

    // Typing on replaces the offer; "col" finds cola.
    typeName(QStringLiteral("ol"));
    EXPECT_EQ(nameBox()->text(), QStringLiteral("cola"));
    EXPECT_EQ(nameBox()->selectedText(), QStringLiteral("a"));
    EXPECT_EQ(U(u"编辑框_单价")->text(), QStringLiteral("3.00"));

    // Backspace takes the offer away and offers nothing new.
    QTest::keyClick(nameBox(), Qt::Key_Backspace);
    EXPECT_EQ(nameBox()->text(), QStringLiteral("col"));
    EXPECT_FALSE(nameBox()->hasSelectedText());

    // A name nothing begins with: no offer, the price stays.
    nameBox()->clear();
    typeName(QStringLiteral("x"));
    EXPECT_EQ(nameBox()->text(), QStringLiteral("x"));
    EXPECT_EQ(products()->lastMatch(), QString());
    EXPECT_EQ(U(u"编辑框_单价")->text(), QStringLiteral("3.00"));

    // Upper case matches in the database but is offered only when the first letter agrees exactly.
    nameBox()->clear();
    typeName(QStringLiteral("C"));
    EXPECT_EQ(products()->lastMatch(), QStringLiteral("coke"));
    EXPECT_FALSE(nameBox()->hasSelectedText());
}

TEST_F(SaleEntryTest, ChineseNamesCompleteByWholeCharacters)
{
    shop.exec(QStringLiteral("insert into 商品名称 (名称, 单价) values ('可口可乐', '3.50')"));
    ASSERT_NE(open(), nullptr);
    nameBox()->setFocus();
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("可口"));
    QApplication::sendEvent(nameBox(), &commit);
    EXPECT_TRUE(eventuallyEqual([&] { return nameBox()->text(); }, QStringLiteral("可口可乐"), 5000));
    EXPECT_EQ(nameBox()->selectedText(), QStringLiteral("可乐"));
    EXPECT_EQ(products()->typedLength(), 4);
    EXPECT_EQ(U(u"编辑框_单价")->text(), QStringLiteral("3.50"));
}

TEST_F(SaleEntryTest, EveryNewProductTypedIsRememberedOnceAndFoundOnesAreNot)
{
    shop.exec(QStringLiteral("insert into 商品名称 (名称, 单价) values ('cola', '3.00')"));
    ASSERT_NE(open(), nullptr);
    typeName(QStringLiteral("tea"));
    U(u"编辑框_单价")->setText(QStringLiteral("4.5"));
    QTest::keyClick(nameBox(), Qt::Key_Return);
    typeName(QStringLiteral("milk"));
    U(u"编辑框_单价")->setText(QStringLiteral("6"));
    QTest::keyClick(nameBox(), Qt::Key_Return);
    typeName(QStringLiteral("tea"));
    QTest::keyClick(nameBox(), Qt::Key_Return);
    typeName(QStringLiteral("cola"));
    QTest::keyClick(nameBox(), Qt::Key_Return);
    EXPECT_EQ(rowCount(), 4);
    EXPECT_EQ(productCount(QStringLiteral("tea")), 1);
    EXPECT_EQ(productCount(QStringLiteral("milk")), 1) << "a second new product of the same run is remembered too";
    EXPECT_EQ(productCount(QStringLiteral("cola")), 1);
    EXPECT_EQ(shop.scalar(QStringLiteral("select 单价 from 商品名称 where 名称='tea'")), QStringLiteral("4.50"));
    EXPECT_EQ(row(2)[3], QStringLiteral("4.50")) << "the remembered price is completed the next time";

    // A line's name taken again from the list (no typing, no lookup) is not stored a second time.
    typeName(QStringLiteral("juice"));
    QTest::keyClick(nameBox(), Qt::Key_Return);
    EXPECT_EQ(productCount(QStringLiteral("juice")), 1);
    select(1);
    ASSERT_EQ(nameBox()->text(), QStringLiteral("milk"));
    QTest::keyClick(nameBox(), Qt::Key_Return);
    EXPECT_EQ(rowCount(), 6);
    EXPECT_EQ(productCount(QStringLiteral("milk")), 1);
}

TEST_F(SaleEntryTest, ProductListPicksAndTheWheelStepsThroughIt)
{
    shop.exec(QStringLiteral("insert into 商品名称 (名称, 单价) values ('cola', '3.50')"));
    shop.exec(QStringLiteral("insert into 商品名称 (名称, 单价) values ('coke', '2.50')"));
    ASSERT_NE(open(), nullptr);
    // Before the list was ever dropped down the wheel changes nothing.
    U(u"编辑框_单价")->setText(QStringLiteral("1.00"));
    wheel(nameBox(), -1);
    EXPECT_EQ(nameBox()->text(), QString());
    EXPECT_EQ(U(u"编辑框_单价")->text(), QStringLiteral("1.00"));

    auto* combo = U<QComboBox>(u"组合框_名称");
    combo->showPopup();
    combo->hidePopup();
    ASSERT_EQ(combo->count(), 2);
    combo->activated(0);
    EXPECT_EQ(nameBox()->text(), QStringLiteral("cola"));
    EXPECT_EQ(U(u"编辑框_单价")->text(), QStringLiteral("3.50")) << "picking fills the stored price";
    QTest::keyClick(nameBox(), Qt::Key_Return);
    EXPECT_EQ(productCount(QStringLiteral("cola")), 1) << "a picked product is not stored again";

    wheel(nameBox(), -1); // towards the user: +1
    EXPECT_EQ(nameBox()->text(), QStringLiteral("cola"));
    wheel(nameBox(), -1);
    EXPECT_EQ(nameBox()->text(), QStringLiteral("coke"));
    wheel(nameBox(), -1); // past the end stays on the last entry
    EXPECT_EQ(nameBox()->text(), QStringLiteral("coke"));
    EXPECT_EQ(U(u"编辑框_单价")->text(), QStringLiteral("2.50"));
    wheel(nameBox(), 1); // one notch away: −1
    EXPECT_EQ(nameBox()->text(), QStringLiteral("cola"));
}

TEST_F(SaleEntryTest, LinesCarryTheirAmountsAndTheTotalsFollow)
{
    ASSERT_NE(open(), nullptr);
    U(u"编辑框_单价")->setFocus();
    enterLine(QStringLiteral("糖"), QStringLiteral("3"), QStringLiteral("1.1"));
    EXPECT_EQ(row(0), (QStringList{QStringLiteral("1"), QStringLiteral("糖"), QStringLiteral("3"),
                                   QStringLiteral("1.10"), QStringLiteral("3.30"), QStringLiteral("3.30")}));
    EXPECT_EQ(totals(), (QStringList{QStringLiteral("3"), QStringLiteral("3.30"), QStringLiteral("3.30"),
                                     QStringLiteral("3.30")}));
    // The entry is reset for the next line, and the next product can be typed at once.
    EXPECT_TRUE(nameBox()->hasFocus());
    EXPECT_EQ(nameBox()->text(), QString());
    EXPECT_EQ(U(u"编辑框_数量")->text(), QStringLiteral("1"));
    EXPECT_EQ(U(u"编辑框_单价")->text(), QStringLiteral("0.00"));

    enterLine(QStringLiteral("盐"), QStringLiteral("3"), QStringLiteral("1.115"));
    EXPECT_EQ(row(1)[4], QStringLiteral("3.35")) << "3.345 rounds half away from zero";
    enterLine(QStringLiteral("A01-可乐"), QStringLiteral("2.5"), QStringLiteral("2"));
    EXPECT_EQ(row(2)[1], QStringLiteral("可乐"));
    EXPECT_EQ(productCount(QStringLiteral("A01-可乐")), 1) << "the full name is remembered";
    EXPECT_EQ(totals(), (QStringList{QStringLiteral("8.5"), QStringLiteral("11.65"), QStringLiteral("11.65"),
                                     QStringLiteral("11.65")}));

    // Deleting the middle row renumbers the rest.
    select(1);
    QTest::mouseClick(U<QPushButton>(u"按钮_删除"), Qt::LeftButton);
    ASSERT_EQ(rowCount(), 2);
    EXPECT_EQ(row(0)[0], QStringLiteral("1"));
    EXPECT_EQ(row(1)[0], QStringLiteral("2"));
    EXPECT_EQ(row(1)[1], QStringLiteral("可乐"));
    EXPECT_EQ(totals()[1], QStringLiteral("8.30"));
}

TEST_F(SaleEntryTest, DiscountAppliesToLinesAddedWhileItIsTicked)
{
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("米"), QStringLiteral("1"), QStringLiteral("10"));
    QTest::mouseClick(U<QCheckBox>(u"选择框_折扣"), Qt::LeftButton);
    auto* rate = U<QComboBox>(u"组合框_折扣");
    EXPECT_TRUE(rate->isEnabled());
    EXPECT_EQ(rate->currentText(), QStringLiteral("10"));
    EXPECT_EQ(row(0)[5], QStringLiteral("10.00")) << "ticking leaves existing lines as they were";

    rate->setCurrentText(QStringLiteral("8.5"));
    enterLine(QStringLiteral("面"), QStringLiteral("1"), QStringLiteral("10"));
    EXPECT_EQ(row(1)[4], QStringLiteral("10.00"));
    EXPECT_EQ(row(1)[5], QStringLiteral("8.50"));
    EXPECT_EQ(totals(), (QStringList{QStringLiteral("2"), QStringLiteral("20.00"), QStringLiteral("18.50"),
                                     QStringLiteral("18.50")}));
    QTest::mouseClick(U<QCheckBox>(u"选择框_折扣"), Qt::LeftButton);
    EXPECT_FALSE(rate->isEnabled());
}

TEST_F(SaleEntryTest, ChangingALineKeepsItsOwnRoundingAndFormatting)
{
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("A02-饼干"), QStringLiteral("1"), QStringLiteral("1"));
    select(0);
    EXPECT_TRUE(U<QPushButton>(u"按钮_修改")->isEnabled());
    EXPECT_EQ(nameBox()->text(), QStringLiteral("饼干"));
    EXPECT_EQ(U(u"编辑框_单价")->text(), QStringLiteral("1.00"));

    nameBox()->setText(QStringLiteral("A02-饼干"));
    U(u"编辑框_数量")->setText(QStringLiteral("2.5"));
    U(u"编辑框_单价")->setText(QStringLiteral("1.25"));
    QTest::mouseClick(U<QPushButton>(u"按钮_修改"), Qt::LeftButton);
    EXPECT_EQ(row(0), (QStringList{QStringLiteral("1"), QStringLiteral("A02-饼干"), QStringLiteral("2.5"),
                                   QStringLiteral("1.25"), QStringLiteral("3.12"), QStringLiteral("3.125")}));
    EXPECT_EQ(totals()[2], QStringLiteral("3.13"));

    QTest::mouseClick(U<QCheckBox>(u"选择框_折扣"), Qt::LeftButton);
    U<QComboBox>(u"组合框_折扣")->setCurrentText(QStringLiteral("9"));
    select(0, false);
    select(0);
    U(u"编辑框_数量")->setText(QStringLiteral("1"));
    U(u"编辑框_单价")->setText(QStringLiteral("5"));
    QTest::mouseClick(U<QPushButton>(u"按钮_修改"), Qt::LeftButton);
    EXPECT_EQ(row(0)[5], QStringLiteral("4.5"));
    EXPECT_EQ(U(u"编辑框_实收")->text(), QStringLiteral("4.50"));
}

TEST_F(SaleEntryTest, EmptyEntryBoxesAreRefusedWithTheirMessages)
{
    ASSERT_NE(open(), nullptr);
    QTest::mouseClick(U<QPushButton>(u"按钮_添加商品"), Qt::LeftButton);
    nameBox()->setText(QStringLiteral("茶"));
    U(u"编辑框_数量")->clear();
    QTest::mouseClick(U<QPushButton>(u"按钮_添加商品"), Qt::LeftButton);
    U(u"编辑框_数量")->setText(QStringLiteral("1"));
    U(u"编辑框_单价")->clear();
    QTest::mouseClick(U<QPushButton>(u"按钮_添加商品"), Qt::LeftButton);
    EXPECT_EQ(hooks().messageTexts(),
              (QStringList{QStringLiteral("商品名称不能为空！"), QStringLiteral("数量不能为空！"),
                           QStringLiteral("价格不能为空！")}));
    for (const ShownMessage& shown : hooks().messages()) {
        EXPECT_EQ(shown.caption, QStringLiteral("提示"));
        EXPECT_EQ(shown.icon, MessageIcon::Error);
    }
    EXPECT_EQ(rowCount(), 0);
    EXPECT_EQ(productCount(QStringLiteral("茶")), 0);
}

TEST_F(SaleEntryTest, WheelStepsQuantityAndPrice)
{
    ASSERT_NE(open(), nullptr);
    QLineEdit* quantity = U(u"编辑框_数量");
    QLineEdit* price = U(u"编辑框_单价");
    quantity->setText(QStringLiteral("2.5"));
    wheel(quantity, -1);
    EXPECT_EQ(quantity->text(), QStringLiteral("3"));
    wheel(quantity, 1);
    EXPECT_EQ(quantity->text(), QStringLiteral("2"));
    quantity->setText(QStringLiteral("0"));
    wheel(quantity, 1);
    EXPECT_EQ(quantity->text(), QStringLiteral("0")) << "no step below nothing";
    wheel(quantity, -3);
    EXPECT_EQ(quantity->text(), QStringLiteral("1"));

    price->setText(QStringLiteral("12.50"));
    wheel(price, -1);
    EXPECT_EQ(price->text(), QStringLiteral("13.50"));
    price->setText(QStringLiteral("7"));
    wheel(price, 1);
    EXPECT_EQ(price->text(), QStringLiteral("6.00"));
    price->setText(QStringLiteral("12.5"));
    wheel(price, -1);
    EXPECT_EQ(price->text(), QStringLiteral("13.50")) << "a price typed with one decimal keeps a price shape";
}

TEST_F(SaleEntryTest, ChangeActsOnTheRowTheBoxesShowAndDeleteOnEverySelectedRow)
{
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("甲"), QStringLiteral("1"), QStringLiteral("1"));
    enterLine(QStringLiteral("乙"), QStringLiteral("1"), QStringLiteral("2"));
    enterLine(QStringLiteral("丙"), QStringLiteral("1"), QStringLiteral("3"));
    clickRow(2);
    clickRow(0, Qt::ControlModifier);
    ASSERT_EQ(nameBox()->text(), QStringLiteral("甲")) << "the row clicked last is shown";
    U(u"编辑框_数量")->setText(QStringLiteral("4"));
    QTest::mouseClick(U<QPushButton>(u"按钮_修改"), Qt::LeftButton);
    EXPECT_EQ(row(0), (QStringList{QStringLiteral("1"), QStringLiteral("甲"), QStringLiteral("4"),
                                   QStringLiteral("1.00"), QStringLiteral("4.00"), QStringLiteral("4")}));
    EXPECT_EQ(row(2)[1], QStringLiteral("丙")) << "the row selected first is left alone";

    clickRow(0);
    clickRow(2, Qt::ControlModifier);
    QTest::mouseClick(U<QPushButton>(u"按钮_删除"), Qt::LeftButton);
    ASSERT_EQ(rowCount(), 1);
    EXPECT_EQ(row(0)[1], QStringLiteral("乙"));
    EXPECT_EQ(totals()[1], QStringLiteral("2.00"));
}

TEST_F(SaleEntryTest, AFailedLookupKeepsWhatWasTypedAndSaysSoOncePerKey)
{
    shop.exec(QStringLiteral("insert into 商品名称 (名称, 单价) values ('coke', '2.50')"));
    ASSERT_NE(open(), nullptr);
    typeName(QStringLiteral("c"));
    ASSERT_EQ(nameBox()->text(), QStringLiteral("coke"));
    shop.exec(QStringLiteral("alter table 商品名称 rename to 商品名称_old"));
    typeName(QStringLiteral("x"));
    EXPECT_EQ(nameBox()->text(), QStringLiteral("cx")) << "no completion from the match before the failure";
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("查询失败！")});
}

TEST_F(SaleEntryTest, LargeNumbersAreExactAndOverflowingOnesAreRefused)
{
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("条码"), QStringLiteral("6901234567890"), QStringLiteral("3.5"));
    EXPECT_EQ(row(0)[4], QStringLiteral("24154320987615.00"));
    EXPECT_EQ(totals()[1], QStringLiteral("24154320987615.00"));

    enterLine(QStringLiteral("太多"), QStringLiteral("1e308"), QStringLiteral("2"));
    enterLine(QStringLiteral("太贵"), QStringLiteral("1"), QStringLiteral("99999999999999999999"));
    EXPECT_EQ(hooks().messageTexts(),
              (QStringList{QStringLiteral("数量或单价超出范围！"), QStringLiteral("数量或单价超出范围！")}));
    EXPECT_EQ(rowCount(), 1);
    EXPECT_EQ(productCount(QStringLiteral("太多")), 0) << "nothing of a refused line is stored";

    // A change to such a value is refused the same way, and the line stays as it was.
    hooks().clearMessages();
    select(0);
    U(u"编辑框_数量")->setText(QStringLiteral("1e308"));
    QTest::mouseClick(U<QPushButton>(u"按钮_修改"), Qt::LeftButton);
    ASSERT_EQ(hooks().messages().size(), 1);
    EXPECT_EQ(hooks().messages()[0].text, QStringLiteral("数量或单价超出范围！"));
    EXPECT_EQ(hooks().messages()[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(hooks().messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(row(0)[4], QStringLiteral("24154320987615.00"));
    select(0, false);

    enterLine(QStringLiteral("全角"), QStringLiteral("１．５"), QStringLiteral("１．５"));
    EXPECT_EQ(row(1), (QStringList{QStringLiteral("2"), QStringLiteral("全角"), QStringLiteral("1.5"),
                                   QStringLiteral("1.50"), QStringLiteral("2.25"), QStringLiteral("2.25")}));
    EXPECT_EQ(totals()[0], QStringLiteral("6901234567891.5"));
}

TEST_F(SaleEntryTest, ModifierKeysAloneKeepTheOfferedCompletion)
{
    shop.exec(QStringLiteral("insert into 商品名称 (名称, 单价) values ('Q01', '1.00')"));
    ASSERT_NE(open(), nullptr);
    nameBox()->setFocus();
    QTest::keyPress(nameBox(), Qt::Key_Shift);
    QTest::keyClick(nameBox(), 'Q', Qt::ShiftModifier);
    QTest::keyRelease(nameBox(), Qt::Key_Shift);
    EXPECT_EQ(nameBox()->text(), QStringLiteral("Q01"));
    EXPECT_EQ(nameBox()->selectedText(), QStringLiteral("01"));
}

TEST_F(SaleEntryTest, EnterOnTheOpenProductListPicksWithoutAddingALine)
{
    shop.exec(QStringLiteral("insert into 商品名称 (名称, 单价) values ('cola', '3.50')"));
    ASSERT_NE(open(), nullptr);
    auto* combo = U<QComboBox>(u"组合框_名称");
    combo->showPopup();
    ASSERT_TRUE(combo->view()->isVisible());
    QTest::keyClick(combo->view(), Qt::Key_Return);
    EXPECT_EQ(nameBox()->text(), QStringLiteral("cola"));
    EXPECT_EQ(rowCount(), 0) << "the Enter that picks adds nothing";
    QTest::keyClick(nameBox(), Qt::Key_Return);
    EXPECT_EQ(rowCount(), 1);
}

} // namespace
} // namespace quorrel::test
