#include "gui/sales/LineItems.h"

#include "ui_MainWindow.h"

#include "core/store/Conversions.h"
#include "gui/sales/ProductLookup.h"
#include "gui/widgets/MessageBox.h"

#include <QWheelEvent>

namespace quorrel {

namespace {

const QString kHint = QStringLiteral("提示");

void setCells(QTreeWidgetItem* row, const LineCells& cells)
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
    connect(m_ui.按钮_修改, &QPushButton::clicked, this, &LineItems::changeLine);
    connect(m_ui.按钮_删除, &QPushButton::clicked, this, &LineItems::deleteLines);
    connect(m_ui.超级列表框1, &QTreeWidget::itemSelectionChanged, this, &LineItems::rowSelected);
    connect(m_ui.选择框_折扣, &QCheckBox::clicked, this, &LineItems::discountToggled);
    m_ui.编辑框_数量->installEventFilter(this);
    m_ui.编辑框_单价->installEventFilter(this);
}

LineEntry LineItems::entry() const
{
    return LineEntry{m_ui.编辑框_名称->text(), m_ui.编辑框_数量->text(), m_ui.编辑框_单价->text(),
                     m_ui.选择框_折扣->isChecked(), m_ui.组合框_折扣->currentText()};
}

void LineItems::addLine()
{
    if (m_ui.编辑框_名称->text().isEmpty()) {
        MessageBox::critical(m_owner, QStringLiteral("商品名称不能为空！"), kHint);
        return;
    }
    if (m_ui.编辑框_数量->text().isEmpty()) {
        MessageBox::critical(m_owner, QStringLiteral("数量不能为空！"), kHint);
        return;
    }
    if (m_ui.编辑框_单价->text().isEmpty()) {
        MessageBox::critical(m_owner, QStringLiteral("价格不能为空！"), kHint);
        return;
    }
    if (!m_products.rememberProduct())
        return;
    QTreeWidget* list = m_ui.超级列表框1;
    auto* row = new QTreeWidgetItem(list);
    row->setText(0, QString::number(list->topLevelItemCount()));
    setCells(row, addedLine(entry()));
    m_products.lineAdded();
    resetEntry();
    refreshTotals();
    list->scrollToItem(row);
}

void LineItems::changeLine()
{
    if (m_ui.编辑框_名称->text().isEmpty()) {
        MessageBox::show(m_owner, QStringLiteral("商品名称不能为空！"));
        return;
    }
    if (m_ui.编辑框_单价->text().isEmpty()) {
        MessageBox::show(m_owner, QStringLiteral("单价不能为空！"));
        return;
    }
    if (m_ui.编辑框_数量->text().isEmpty()) {
        MessageBox::show(m_owner, QStringLiteral("数量不能为空！"));
        return;
    }
    const QList<QTreeWidgetItem*> selected = m_ui.超级列表框1->selectedItems();
    if (selected.isEmpty())
        return; // no row to change: the entry stays as typed
    setCells(selected.first(), changedLine(entry()));
    resetEntry();
    refreshTotals();
}

void LineItems::deleteLines()
{
    resetEntry();
    qDeleteAll(m_ui.超级列表框1->selectedItems());
    renumberRows();
    refreshTotals();
}

void LineItems::rowSelected()
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

void LineItems::discountToggled(bool ticked)
{
    m_ui.组合框_折扣->setEnabled(ticked);
    if (ticked)
        m_ui.组合框_折扣->setCurrentIndex(0); // "10": no discount until a rate is chosen
}

void LineItems::refreshTotals()
{
    m_ui.标签_总量->setText(sumColumn(columnCells(2)));
    m_ui.标签_总金额->setText(formatMoney(sumColumn(columnCells(4))));
    m_ui.标签_打折后->setText(formatMoney(sumColumn(columnCells(5))));
    m_ui.编辑框_实收->setText(formatMoney(amountDue()));
}

QString LineItems::amountDue() const
{
    return sumColumn(columnCells(m_ui.选择框_折扣->isChecked() ? 5 : 4));
}

QStringList LineItems::columnCells(int column) const
{
    QStringList cells;
    const QTreeWidget* list = m_ui.超级列表框1;
    cells.reserve(list->topLevelItemCount());
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        cells << list->topLevelItem(i)->text(column);
    return cells;
}

QList<LineCells> LineItems::lines() const
{
    QList<LineCells> lines;
    const QTreeWidget* list = m_ui.超级列表框1;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list->topLevelItem(i);
        lines.append({row->text(1), row->text(2), row->text(3), row->text(4), row->text(5)});
    }
    return lines;
}

bool LineItems::isEmpty() const
{
    return m_ui.超级列表框1->topLevelItemCount() == 0 || m_ui.超级列表框1->topLevelItem(0)->text(0).isEmpty();
}

void LineItems::clear()
{
    m_ui.超级列表框1->clear();
}

void LineItems::resetEntry()
{
    m_ui.编辑框_名称->clear();
    m_ui.编辑框_数量->setText(QStringLiteral("1"));
    m_ui.编辑框_单价->setText(QStringLiteral("0.00"));
    m_ui.编辑框_名称->setFocus(); // the next product is typed at once
}

void LineItems::renumberRows()
{
    QTreeWidget* list = m_ui.超级列表框1;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->topLevelItem(i)->setText(0, QString::number(i + 1));
}

void LineItems::wheelOverQuantity(int step)
{
    if (const std::optional<QString> text = steppedQuantity(m_ui.编辑框_数量->text(), step))
        m_ui.编辑框_数量->setText(*text);
}

void LineItems::wheelOverPrice(int step)
{
    if (const std::optional<QString> text = steppedPrice(m_ui.编辑框_单价->text(), step))
        m_ui.编辑框_单价->setText(*text);
}

bool LineItems::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const int notches = wheelNotches(wheel->angleDelta().y());
        if (notches == 0)
            return true; // a partial notch from a fine-grained wheel: wait for a whole one
        if (watched == m_ui.编辑框_数量) {
            wheelOverQuantity(wheelStep(notches));
            return true;
        }
        if (watched == m_ui.编辑框_单价) {
            wheelOverPrice(wheelStep(notches));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quorrel
