#include "gui/records/SaleDetailWindow.h"

#include "ui_SaleDetailWindow.h"

#include "core/records/SpreadsheetExport.h"
#include "core/records/StoredLinesModel.h"
#include "core/sales/DiscountRates.h"
#include "core/sales/LineMath.h"
#include "core/shop/Session.h"
#include "core/store/Conversions.h"
#include "gui/records/ListExport.h"
#include "gui/widgets/ColumnWidths.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>
#include <QHeaderView>

namespace quorrel {

namespace {

// The designed widths; a column widens to show its values whole.
const QList<int> kColumnWidths = {50, 120, 100, 100, 100, 100};
const QString kHint = QStringLiteral("提示");
const QString kHintColon = QStringLiteral("提示：");
const QString kOutOfRange = QStringLiteral("数量或单价超出范围！");

} // namespace

SaleDetailWindow::SaleDetailWindow(Session& session, qint64 saleId, QWidget* recordsWindow, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::SaleDetailWindow>()), m_session(session), m_saleId(saleId),
      m_recordsWindow(recordsWindow), m_model(new StoredLinesModel(this))
{
    m_ui->setupUi(this);
    setFixedSize(size());

    QTreeView* list = m_ui->超级列表框1;
    list->setModel(m_model);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    ColumnWidths::keep(list, kColumnWidths);
    m_ui->组合框_折扣->addItems(discountRates());
    m_ui->组合框_折扣->addItem(QString());
    m_ui->组合框_折扣->setCurrentIndex(-1);

    if (!m_session.may(Permission::EditStoredLines)) {
        for (QPushButton* adminOnly : {m_ui->按钮_添加, m_ui->按钮_修改, m_ui->按钮_删除, m_ui->按钮_导出})
            adminOnly->setEnabled(false);
    }
    m_ui->编辑框_折扣->setText(QStringLiteral("10"));

    // The boxes show the selected row; a click shows it again, the current row's too, after the boxes
    // were edited.
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &SaleDetailWindow::rowChosen);
    connect(list, &QAbstractItemView::clicked, this, &SaleDetailWindow::rowChosen);
    connect(m_ui->选择框_折扣, &QCheckBox::toggled, this, &SaleDetailWindow::discountToggled);
    connect(m_ui->组合框_折扣, &QComboBox::textActivated, m_ui->编辑框_折扣, &QLineEdit::setText);
    connect(m_ui->按钮_添加, &QPushButton::clicked, this, &SaleDetailWindow::addLine);
    connect(m_ui->按钮_修改, &QPushButton::clicked, this, &SaleDetailWindow::changeLine);
    connect(m_ui->按钮_删除, &QPushButton::clicked, this, &SaleDetailWindow::deleteLine);
    connect(m_ui->按钮_导出, &QPushButton::clicked, this, &SaleDetailWindow::exportLines);
    connect(m_ui->按钮_关闭, &QPushButton::clicked, this, &QDialog::reject);

    fillLines();
}

SaleDetailWindow::~SaleDetailWindow() = default;

void SaleDetailWindow::fillLines()
{
    const std::optional<QList<SaleLine>> lines = loadSaleLines(m_session.db, m_saleId);
    if (!lines) {
        qWarning().noquote() << "sale lines not read:" << m_session.db.lastError();
        MessageBox::show(this, MessageBox::kQueryFailed);
        m_model->setLines({});
        return;
    }
    m_model->setLines(*lines);
}

int SaleDetailWindow::selectedRow() const
{
    const QModelIndexList rows = m_ui->超级列表框1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void SaleDetailWindow::rowChosen()
{
    const int row = selectedRow();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const SaleLine& line = m_model->line(row);
    m_ui->编辑框_名称->setText(line.cells.name);
    m_ui->编辑框_数量->setText(line.cells.quantity);
    m_ui->编辑框_单价->setText(line.cells.unitPrice);
    m_ui->编辑框_备注->setPlainText(line.remark);
    // A line sold at a discount shows its rate, so that 修改 keeps it: the rate stored with it, or
    // for a line stored before rates were kept, the one its amounts imply.
    QString rate = line.cells.discountRate;
    if (rate.isEmpty()) {
        const double amount = textToNumber(line.cells.amount);
        const double discounted = textToNumber(line.cells.discounted);
        const bool reduced =
            amount != 0.0 && formatMoney(roundToText(discounted, 2)) != formatMoney(roundToText(amount, 2));
        rate = reduced ? QString::number(10.0 * discounted / amount, 'f', 1) : LineCells::kNoDiscount;
    }
    const bool reduced = textToNumber(rate) != 10.0;
    m_ui->选择框_折扣->setChecked(reduced);
    m_ui->编辑框_折扣->setText(reduced ? rate : LineCells::kNoDiscount);
}

void SaleDetailWindow::discountToggled(bool on)
{
    m_ui->编辑框_折扣->setEnabled(on);
    m_ui->组合框_折扣->setEnabled(on);
}

bool SaleDetailWindow::checkEntry()
{
    const struct
    {
        QLineEdit* box;
        QString message;
    } checks[] = {{m_ui->编辑框_名称, QStringLiteral("商品名称不能为空！")},
                  {m_ui->编辑框_数量, QStringLiteral("数量不能为空！")},
                  {m_ui->编辑框_单价, QStringLiteral("价格不能为空！")}};
    for (const auto& check : checks) {
        if (check.box->text().isEmpty()) {
            MessageBox::critical(this, check.message, kHint);
            return false;
        }
    }
    return true;
}

LineEntry SaleDetailWindow::entry() const
{
    return LineEntry{m_ui->编辑框_名称->text(), m_ui->编辑框_数量->text(), m_ui->编辑框_单价->text(),
                     m_ui->选择框_折扣->isChecked(), m_ui->编辑框_折扣->text()};
}

namespace {

// The cells of an entered line, rounded as a sale rounds them when it is rung up; the name as typed.
// nullopt when a number is beyond what an amount can hold exactly.
std::optional<SaleLine> enteredLine(const LineEntry& entry, qint64 id, const QString& remark)
{
    std::optional<LineCells> cells = addedLine(entry);
    if (!cells)
        return std::nullopt;
    cells->name = entry.name;
    return SaleLine{id, *cells, remark};
}

} // namespace

void SaleDetailWindow::addLine()
{
    if (!checkEntry())
        return;
    const std::optional<SaleLine> line = enteredLine(entry(), 0, m_ui->编辑框_备注->toPlainText());
    if (!line) {
        MessageBox::critical(this, kOutOfRange, kHint);
        return;
    }
    m_model->appendLine(*line);
    m_ui->超级列表框1->scrollToBottom();
}

void SaleDetailWindow::changeLine()
{
    if (!checkEntry())
        return;
    const int row = selectedRow();
    if (row < 0) {
        MessageBox::show(this, QStringLiteral("请选择要修改的行！"), kHintColon);
        return;
    }
    const std::optional<SaleLine> entered =
        enteredLine(entry(), m_model->line(row).id, m_ui->编辑框_备注->toPlainText());
    if (!entered) {
        MessageBox::critical(this, kOutOfRange, kHint);
        return;
    }
    const SaleLine& line = *entered;
    // A line added on screen has no stored row to change.
    if (line.id != 0) {
        if (const Done stored = m_session.shop.sales().updateLine(m_saleId, line); !stored) {
            MessageBox::failed(this, QStringLiteral("数据添加失败"), stored.error());
            return;
        }
    }
    m_model->replaceLine(row, line);
}

void SaleDetailWindow::deleteLine()
{
    const int row = selectedRow();
    if (row < 0) {
        MessageBox::show(this, QStringLiteral("请选择要删除的行！"), kHintColon);
        return;
    }
    if (!MessageBox::question(this, QStringLiteral("确定要删除吗？"), QStringLiteral("注意")))
        return;
    const qint64 id = m_model->line(row).id;
    if (id != 0) {
        if (const Done removed = m_session.shop.sales().removeLine(m_saleId, id); !removed) {
            MessageBox::failed(this, QStringLiteral("数据删除失败"), removed.error());
            return;
        }
    }
    m_model->removeLine(row);
    m_ui->超级列表框1->selectionModel()->clear();
}

void SaleDetailWindow::exportLines()
{
    // The lines as shown, those added here and not stored included: copied for the worker.
    const QList<QStringList> rows = m_model->allRowTexts();
    const QString databasePath = m_session.db.path();
    exportList(this, m_recordsWindow, !rows.isEmpty(), databasePath,
               [rows, databasePath](const QString& target, QString* error) {
                   return exportToWorkbook(target, StoredLinesModel::columnTitles(), rows, error, databasePath);
               });
}

} // namespace quorrel
