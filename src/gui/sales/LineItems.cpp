#include "gui/sales/LineItems.h"

#include "core/sales/CurrentSale.h"
#include "core/store/Conversions.h"
#include "gui/sales/ProductLookup.h"
#include "gui/widgets/MessageBox.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWheelEvent>

namespace quorrel {

namespace {
const QString kHint = QStringLiteral("提示");
const QString kOutOfRange = QStringLiteral("数量或单价超出范围！");
} // namespace

LineItems::LineItems(const LineEntryBoxes& boxes, CurrentSale& sale, ProductLookup& products, QWidget* owner)
    : QObject(owner), m_boxes(boxes), m_sale(sale), m_products(products), m_owner(owner)
{
    // Ticked by the cashier or by the stored setting: the customer pays the discounted total.
    connect(m_boxes.discount, &QCheckBox::toggled, &m_sale, &CurrentSale::setDiscountOn);
    connect(m_boxes.change, &QPushButton::clicked, this, &LineItems::changeLine);
    connect(m_boxes.remove, &QPushButton::clicked, this, &LineItems::deleteLines);
    connect(m_boxes.list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &LineItems::rowSelected);
    connect(m_boxes.discount, &QCheckBox::clicked, this, &LineItems::discountToggled);
    m_boxes.quantity->installEventFilter(this);
    m_boxes.price->installEventFilter(this);
}

const Sale& LineItems::sale() const
{
    return m_sale.sale();
}

LineEntry LineItems::entry() const
{
    return LineEntry{m_boxes.name->text(), m_boxes.quantity->text(), m_boxes.price->text(),
                     m_boxes.discount->isChecked(), m_boxes.discountRate->currentText()};
}

QList<int> LineItems::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : m_boxes.list->selectionModel()->selectedRows())
        rows << index.row();
    return rows;
}

void LineItems::addLine()
{
    if (m_boxes.name->text().isEmpty()) {
        MessageBox::critical(m_owner, QStringLiteral("商品名称不能为空！"), kHint);
        return;
    }
    if (m_boxes.quantity->text().isEmpty()) {
        MessageBox::critical(m_owner, QStringLiteral("数量不能为空！"), kHint);
        return;
    }
    if (m_boxes.price->text().isEmpty()) {
        MessageBox::critical(m_owner, QStringLiteral("价格不能为空！"), kHint);
        return;
    }
    // A line that cannot be held exactly is refused before anything is remembered.
    const std::optional<LineCells> line = addedLine(entry());
    Sale trial = m_sale.sale();
    if (!line || !trial.addLine(*line)) {
        MessageBox::critical(m_owner, kOutOfRange, kHint);
        return;
    }
    if (!m_products.rememberProduct())
        return;
    SaleLinesModel& lines = m_sale.lines();
    lines.addLine(*line);
    m_products.lineAdded();
    resetEntry();
    refreshTotals();
    m_boxes.list->scrollTo(lines.index(lines.rowCount() - 1, 0));
}

void LineItems::changeLine()
{
    if (m_boxes.name->text().isEmpty()) {
        MessageBox::show(m_owner, QStringLiteral("商品名称不能为空！"));
        return;
    }
    if (m_boxes.price->text().isEmpty()) {
        MessageBox::show(m_owner, QStringLiteral("单价不能为空！"));
        return;
    }
    if (m_boxes.quantity->text().isEmpty()) {
        MessageBox::show(m_owner, QStringLiteral("数量不能为空！"));
        return;
    }
    if (selectedRows().isEmpty() || !m_shownRow.isValid())
        return; // no row to change: the entry stays as typed
    // The row whose values the boxes were given, whichever of the selected rows was selected first.
    const std::optional<LineCells> line = changedLine(entry());
    if (!line || !m_sale.lines().changeLine(m_shownRow.row(), *line)) {
        MessageBox::critical(m_owner, kOutOfRange, kHint);
        return;
    }
    resetEntry();
    refreshTotals();
}

void LineItems::deleteLines()
{
    resetEntry();
    m_sale.lines().removeLines(selectedRows());
    refreshTotals();
}

void LineItems::rowSelected()
{
    QItemSelectionModel* selection = m_boxes.list->selectionModel();
    const QModelIndexList selected = selection->selectedRows();
    if (selected.isEmpty())
        return;
    m_boxes.change->setEnabled(true);
    m_boxes.remove->setEnabled(true);
    int row = selected.first().row();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row()))
        row = current.row();
    const LineCells& line = m_sale.sale().line(row);
    m_shownRow = m_sale.lines().index(row, 0);
    m_boxes.name->setText(line.name);
    m_boxes.quantity->setText(line.quantity);
    m_boxes.price->setText(line.unitPrice);
}

void LineItems::discountToggled(bool ticked)
{
    m_boxes.discountRate->setEnabled(ticked);
    if (ticked)
        m_boxes.discountRate->setCurrentIndex(0); // "10": no discount until a rate is chosen
}

void LineItems::refreshTotals()
{
    const Sale& sale = m_sale.sale();
    m_boxes.totalQuantity->setText(sale.totalQuantity());
    m_boxes.totalAmount->setText(sale.totalAmount());
    m_boxes.totalDiscounted->setText(sale.totalDiscounted());
    m_sale.setField(CurrentSale::Field::Received, formatMoney(m_sale.amountDue()));
}

void LineItems::resetEntry()
{
    m_boxes.name->clear();
    m_boxes.quantity->setText(QStringLiteral("1"));
    m_boxes.price->setText(QStringLiteral("0.00"));
    m_boxes.name->setFocus(); // the next product is typed at once
}

void LineItems::wheelOverQuantity(int step)
{
    if (const std::optional<QString> text = steppedQuantity(m_boxes.quantity->text(), step))
        m_boxes.quantity->setText(*text);
}

void LineItems::wheelOverPrice(int step)
{
    if (const std::optional<QString> text = steppedPrice(m_boxes.price->text(), step))
        m_boxes.price->setText(*text);
}

bool LineItems::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const int notches = wheelNotches(wheel->angleDelta().y());
        if (notches == 0)
            return true; // a partial notch from a fine-grained wheel: wait for a whole one
        if (watched == m_boxes.quantity) {
            wheelOverQuantity(wheelStep(notches));
            return true;
        }
        if (watched == m_boxes.price) {
            wheelOverPrice(wheelStep(notches));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quorrel
