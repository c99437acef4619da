#include "gui/sales/LineItems.h"

#include "ui_MainWindow.h"

#include "gui/widgets/MessageBox.h"
#include "gui/sales/ProductLookup.h"
#include "core/store/Conversions.h"

#include <QWheelEvent>

namespace quorrel {

namespace {

const QString kHint = QStringLiteral("提示");

void SetCells(QTreeWidgetItem* row, const LineCells& cells)
{
    row->setText(1, cells.name);
    row->setText(2, cells.quantity);
    row->setText(3, cells.unitPrice);
    row->setText(4, cells.amount);
    row->setText(5, cells.discounted);
    for (int column = 2; column < 6; ++column)
        row->setTextAlignment(column, Qt::AlignCenter);
}

} // namespace

LineItems::LineItems(Ui::MainWindow& ui, ProductLookup& products, QWidget* owner)
    : QObject(owner), m_ui(ui), m_products(products), m_owner(owner)
{
    connect(m_ui.按钮_修改, &QPushButton::clicked, this, &LineItems::ChangeLine);
    connect(m_ui.按钮_删除, &QPushButton::clicked, this, &LineItems::DeleteLines);
    connect(m_ui.超级列表框1, &QTreeWidget::itemSelectionChanged, this, &LineItems::RowSelected);
    connect(m_ui.选择框_折扣, &QCheckBox::clicked, this, &LineItems::DiscountToggled);
    m_ui.编辑框_数量->installEventFilter(this);
    m_ui.编辑框_单价->installEventFilter(this);
}

LineEntry LineItems::Entry() const
{
    return LineEntry{m_ui.编辑框_名称->text(), m_ui.编辑框_数量->text(), m_ui.编辑框_单价->text(),
                     m_ui.选择框_折扣->isChecked(), m_ui.组合框_折扣->currentText()};
}

void LineItems::AddLine()
{
    if (m_ui.编辑框_名称->text().isEmpty()) {
        MessageBox::Error(QStringLiteral("商品名称不能为空！"), kHint, m_owner);
        return;
    }
    if (m_ui.编辑框_数量->text().isEmpty()) {
        MessageBox::Error(QStringLiteral("数量不能为空！"), kHint, m_owner);
        return;
    }
    if (m_ui.编辑框_单价->text().isEmpty()) {
        MessageBox::Error(QStringLiteral("价格不能为空！"), kHint, m_owner);
        return;
    }
    if (!m_products.RememberProduct())
        return;
    QTreeWidget* list = m_ui.超级列表框1;
    auto* row = new QTreeWidgetItem(list);
    row->setText(0, QString::number(list->topLevelItemCount()));
    SetCells(row, AddedLine(Entry()));
    m_products.LineAdded();
    ResetEntry();
    RefreshTotals();
    list->scrollToItem(row);
}

void LineItems::ChangeLine()
{
    if (m_ui.编辑框_名称->text().isEmpty()) {
        MessageBox::Inform(QStringLiteral("商品名称不能为空！"), m_owner);
        return;
    }
    if (m_ui.编辑框_单价->text().isEmpty()) {
        MessageBox::Inform(QStringLiteral("单价不能为空！"), m_owner);
        return;
    }
    if (m_ui.编辑框_数量->text().isEmpty()) {
        MessageBox::Inform(QStringLiteral("数量不能为空！"), m_owner);
        return;
    }
    const QList<QTreeWidgetItem*> selected = m_ui.超级列表框1->selectedItems();
    if (selected.isEmpty())
        return; // no row to change: the entry stays as typed
    SetCells(selected.first(), ChangedLine(Entry()));
    ResetEntry();
    RefreshTotals();
}

void LineItems::DeleteLines()
{
    ResetEntry();
    qDeleteAll(m_ui.超级列表框1->selectedItems());
    RenumberRows();
    RefreshTotals();
}

void LineItems::RowSelected()
{
    const QList<QTreeWidgetItem*> selected = m_ui.超级列表框1->selectedItems();
    if (selected.isEmpty())
        return;
    m_ui.按钮_修改->setEnabled(true);
    m_ui.按钮_删除->setEnabled(true);
    QTreeWidgetItem* row = m_ui.超级列表框1->currentItem();
    if (!row || !row->isSelected())
        row = selected.first();
    m_ui.编辑框_名称->setText(row->text(1));
    m_ui.编辑框_数量->setText(row->text(2));
    m_ui.编辑框_单价->setText(row->text(3));
}

void LineItems::DiscountToggled(bool ticked)
{
    m_ui.组合框_折扣->setEnabled(ticked);
    if (ticked)
        m_ui.组合框_折扣->setCurrentIndex(0); // "10": no discount until a rate is chosen
}

void LineItems::RefreshTotals()
{
    m_ui.标签_总量->setText(SumColumn(ColumnCells(2)));
    m_ui.标签_总金额->setText(FormatMoney(SumColumn(ColumnCells(4))));
    m_ui.标签_打折后->setText(FormatMoney(SumColumn(ColumnCells(5))));
    m_ui.编辑框_实收->setText(FormatMoney(AmountDue()));
}

QString LineItems::AmountDue() const
{
    return SumColumn(ColumnCells(m_ui.选择框_折扣->isChecked() ? 5 : 4));
}

QStringList LineItems::ColumnCells(int column) const
{
    QStringList cells;
    const QTreeWidget* list = m_ui.超级列表框1;
    cells.reserve(list->topLevelItemCount());
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        cells << list->topLevelItem(i)->text(column);
    return cells;
}

QList<LineCells> LineItems::Lines() const
{
    QList<LineCells> lines;
    const QTreeWidget* list = m_ui.超级列表框1;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list->topLevelItem(i);
        lines.append({row->text(1), row->text(2), row->text(3), row->text(4), row->text(5)});
    }
    return lines;
}

bool LineItems::IsEmpty() const
{
    return m_ui.超级列表框1->topLevelItemCount() == 0 || m_ui.超级列表框1->topLevelItem(0)->text(0).isEmpty();
}

void LineItems::Clear()
{
    m_ui.超级列表框1->clear();
}

void LineItems::ResetEntry()
{
    m_ui.编辑框_名称->clear();
    m_ui.编辑框_数量->setText(QStringLiteral("1"));
    m_ui.编辑框_单价->setText(QStringLiteral("0.00"));
    m_ui.编辑框_名称->setFocus(); // the next product is typed at once
}

void LineItems::RenumberRows()
{
    QTreeWidget* list = m_ui.超级列表框1;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->topLevelItem(i)->setText(0, QString::number(i + 1));
}

void LineItems::WheelOverQuantity(int step)
{
    if (const std::optional<QString> text = SteppedQuantity(m_ui.编辑框_数量->text(), step))
        m_ui.编辑框_数量->setText(*text);
}

void LineItems::WheelOverPrice(int step)
{
    if (const std::optional<QString> text = SteppedPrice(m_ui.编辑框_单价->text(), step))
        m_ui.编辑框_单价->setText(*text);
}

bool LineItems::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const int notches = WheelNotches(wheel->angleDelta().y());
        if (notches == 0)
            return true; // a partial notch from a fine-grained wheel: wait for a whole one
        if (watched == m_ui.编辑框_数量) {
            WheelOverQuantity(WheelStep(notches));
            return true;
        }
        if (watched == m_ui.编辑框_单价) {
            WheelOverPrice(WheelStep(notches));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quorrel
