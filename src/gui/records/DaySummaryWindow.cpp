#include "gui/records/DaySummaryWindow.h"

#include "ui_DaySummaryWindow.h"

#include "core/receipt/ClosingLayout.h"
#include "core/records/ChangeLog.h"
#include "core/records/SpreadsheetExport.h"
#include "core/shop/Session.h"
#include "core/store/Clock.h"
#include "core/store/DateTexts.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "gui/records/ListExport.h"
#include "gui/widgets/MessageBox.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTime>
#include <QTreeView>
#include <QVBoxLayout>

namespace quorrel {

namespace {

const QString kAll = QStringLiteral("全部");
const QString kClosingNotPrinted = QStringLiteral("日结没有打印出来！请检查打印机是否连接、是否设为默认打印机。");

QStandardItemModel* listModel(QTreeView* view, const QStringList& titles, QObject* parent)
{
    auto* model = new QStandardItemModel(0, static_cast<int>(titles.size()), parent);
    model->setHorizontalHeaderLabels(titles);
    for (int column = 1; column < titles.size(); ++column) // counts and amounts read from the right
        model->setHeaderData(column, Qt::Horizontal, int(Qt::AlignRight | Qt::AlignVCenter), Qt::TextAlignmentRole);
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->header()->setStretchLastSection(false);
    view->setColumnWidth(0, 260);
    view->setColumnWidth(1, 110);
    view->setColumnWidth(2, 140);
    return model;
}

void fillRows(QStandardItemModel* model, const QList<DayFigures::Row>& rows)
{
    model->removeRows(0, model->rowCount());
    for (const DayFigures::Row& row : rows) {
        auto* count = new QStandardItem(QString::number(row.count));
        auto* amount = new QStandardItem(row.amount);
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        model->appendRow({new QStandardItem(row.name), count, amount});
    }
}

QList<QStringList> rowTexts(const QList<DayFigures::Row>& rows)
{
    QList<QStringList> texts;
    for (const DayFigures::Row& row : rows)
        texts << QStringList{row.name, QString::number(row.count), row.amount};
    return texts;
}

} // namespace

DaySummaryWindow::DaySummaryWindow(Session& session, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::DaySummaryWindow>()), m_session(session)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    m_methods = listModel(m_ui->超级列表框1,
                          {QStringLiteral("付款方式"), QStringLiteral("笔数"), QStringLiteral("金额")}, this);
    m_cashiers =
        listModel(m_ui->超级列表框2, {QStringLiteral("收银员"), QStringLiteral("笔数"), QStringLiteral("金额")}, this);
    m_ui->日期框_日期->setDate(Clock::now().date());
    connect(m_ui->日期框_日期, &QDateTimeEdit::dateChanged, this, &DaySummaryWindow::fillCashiers);
    connect(m_ui->按钮_查询, &QPushButton::clicked, this, &DaySummaryWindow::refresh);
    connect(m_ui->按钮_变更记录, &QPushButton::clicked, this, &DaySummaryWindow::openChanges);
    connect(m_ui->按钮_打印, &QPushButton::clicked, this, &DaySummaryWindow::printClosing);
    connect(m_ui->按钮_导出, &QPushButton::clicked, this, &DaySummaryWindow::exportClosing);
    connect(m_ui->按钮_关闭, &QPushButton::clicked, this, &QDialog::reject);
    // Figures change with every sale stored, changed or deleted.
    connect(&m_session.shop.sales(), &ShopTable::changed, this, &DaySummaryWindow::refresh);
    fillCashiers();
    refresh();
}

DaySummaryWindow::~DaySummaryWindow() = default;

void DaySummaryWindow::fillCashiers()
{
    QComboBox* combo = m_ui->组合框_收银员;
    const QString chosen = combo->currentText();
    combo->clear();
    // An ordinary user closes their own sales only.
    if (!m_session.isAdministrator()) {
        combo->addItem(m_session.currentUser);
        return;
    }
    combo->addItem(kAll);
    const Result<QStringList> cashiers = cashiersOnDay(m_session.db, m_ui->日期框_日期->date());
    if (!cashiers) {
        MessageBox::failed(this, MessageBox::kQueryFailed, cashiers.error());
        return;
    }
    combo->addItems(*cashiers);
    combo->setCurrentIndex(std::max(0, combo->findText(chosen)));
}

QString DaySummaryWindow::chosenCashier() const
{
    const QString chosen = m_ui->组合框_收银员->currentText();
    return chosen == kAll && m_session.isAdministrator() ? QString() : chosen;
}

void DaySummaryWindow::refresh()
{
    QStringList methodOrder;
    if (const Result<QList<PaymentMethod>> methods = m_session.shop.paymentMethods().all()) {
        for (const PaymentMethod& method : *methods)
            methodOrder << method.name;
    }
    const Result<DayFigures> figures =
        daySummary(m_session.db, m_ui->日期框_日期->date(), chosenCashier(), methodOrder);
    if (!figures) {
        MessageBox::failed(this, MessageBox::kQueryFailed, figures.error());
        return;
    }
    m_figures = *figures;
    showFigures();
}

void DaySummaryWindow::showFigures()
{
    fillRows(m_methods, m_figures.methods + QList<DayFigures::Row>{m_figures.total});
    fillRows(m_cashiers, m_figures.cashiers);
    m_ui->标签_笔数->setText(QString::number(m_figures.total.count));
    m_ui->标签_总金额->setText(m_figures.total.amount);
    m_ui->标签_现金->setText(m_figures.cash);
    m_ui->标签_删除->setText(deletedSummary(m_figures));
    m_ui->标签_修改->setText(changedSummary(m_figures));
}

void DaySummaryWindow::openChanges()
{
    const QDate day = m_ui->日期框_日期->date();
    const Result<QList<SaleChange>> changes =
        changesBetween(m_session.db, QDateTime(day, QTime(0, 0)), QDateTime(day, QTime(23, 59, 59)));
    if (!changes) {
        MessageBox::failed(this, MessageBox::kQueryFailed, changes.error());
        return;
    }
    QDialog list(this);
    list.setObjectName(QStringLiteral("变更记录"));
    list.setWindowTitle(QStringLiteral("变更记录 ") + day.toString(QStringLiteral("yyyy-MM-dd")));
    list.resize(860, 360);
    auto* view = new QTreeView(&list);
    view->setObjectName(QStringLiteral("超级列表框1"));
    view->setRootIsDecorated(false);
    auto* layout = new QVBoxLayout(&list);
    layout->addWidget(view);
    auto* model = new QStandardItemModel(0, 7, &list);
    model->setHorizontalHeaderLabels({QStringLiteral("时间"), QStringLiteral("用户"), QStringLiteral("收银台"),
                                      QStringLiteral("动作"), QStringLiteral("销售票号"), QStringLiteral("之前"),
                                      QStringLiteral("之后")});
    for (const SaleChange& change : *changes) {
        QList<QStandardItem*> row;
        for (const QString& text :
             {change.time, change.user, change.till, change.action, change.ticketNumber, change.before, change.after})
            row << new QStandardItem(text);
        model->appendRow(row);
    }
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->header()->resizeSections(QHeaderView::ResizeToContents);
    list.exec();
}

void DaySummaryWindow::printClosing()
{
    ClosingHeader header;
    header.shopName = MessageBox::valueOrReport(this, m_session.shop.settings().shopName());
    header.day = m_ui->日期框_日期->date().toString(QStringLiteral("yyyy-MM-dd"));
    header.till = m_session.till;
    header.cashier = m_ui->组合框_收银员->currentText();
    header.printed = dateTimeText(Clock::now());
    if (!m_receipts)
        m_receipts = new ReceiptPrinting(m_session.shop.settings(), this);
    m_receipts->printDocument(
        [header, figures = m_figures](Printer& printer, const ReceiptSettings& settings) {
            return layOutClosing(printer, header, figures, settings.paperMargin);
        },
        kClosingNotPrinted);
}

void DaySummaryWindow::exportClosing()
{
    const QDate day = m_ui->日期框_日期->date();
    QList<QStringList> rows = rowTexts(m_figures.methods);
    rows << QStringList{m_figures.total.name, QString::number(m_figures.total.count), m_figures.total.amount};
    for (const QStringList& cashier : rowTexts(m_figures.cashiers))
        rows << QStringList{QStringLiteral("收银员：") + cashier[0], cashier[1], cashier[2]};
    rows << QStringList{QStringLiteral("现金"), QString(), m_figures.cash}
         << QStringList{QStringLiteral("删除"), QString::number(m_figures.deletedCount), m_figures.deletedAmount}
         << QStringList{QStringLiteral("修改"), QString::number(m_figures.changedCount), QString()};
    const QStringList titles{QStringLiteral("日结 ") + day.toString(QStringLiteral("yyyy-MM-dd")),
                             QStringLiteral("笔数"), QStringLiteral("金额")};
    exportList(this, this, true, m_session.db.path(), [titles, rows](const QString& target, QString* error) {
        return exportToWorkbook(target, titles, rows, error);
    });
}

} // namespace quorrel
