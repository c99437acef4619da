#include "gui/records/SalesRecordsWindow.h"

#include "ui_SalesRecordsWindow.h"

#include "core/records/DataReset.h"
#include "core/records/SaleRecords.h"
#include "core/records/SalesRecordsModel.h"
#include "core/records/SpreadsheetExport.h"
#include "core/records/StoredReceipt.h"
#include "core/shop/Session.h"
#include "core/shop/ShopSettings.h"
#include "core/store/Clock.h"
#include "core/store/DatabaseFiles.h"
#include "core/store/ReplacingFile.h"
#include "core/store/Schema.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "gui/records/ListExport.h"
#include "gui/widgets/ColumnWidths.h"
#include "gui/widgets/FileDialog.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>
#include <QFile>
#include <QHeaderView>
#include <QMenu>

namespace quorrel {

namespace {

// The designed widths; a column widens to show its values whole.
const QList<int> kColumnWidths = {50, 90, 126, 50, 80, 60, 115};
const QString kHint = QStringLiteral("提示");
const QString kHintColon = QStringLiteral("提示：");

} // namespace

SalesRecordsWindow::SalesRecordsWindow(Session& session, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::SalesRecordsWindow>()), m_session(session),
      m_model(new SalesRecordsModel(session.db, this))
{
    m_ui->setupUi(this);
    setFixedSize(size());

    QTreeView* list = m_ui->超级列表框1;
    list->setModel(m_model);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    ColumnWidths::keep(list, kColumnWidths);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("菜单"));
    QAction* details = m_menu->addAction(QStringLiteral("查看详情"));
    QAction* remove = m_menu->addAction(QStringLiteral("删除记录"));
    QAction* print = m_menu->addAction(QStringLiteral("打印记录"));

    m_ui->按钮_导出表->setEnabled(m_session.may(Permission::ExportRecords));
    for (QPushButton* data : {m_ui->按钮_管理数据, m_ui->按钮_数据恢复})
        data->setEnabled(m_session.may(Permission::ManageData));
    m_ui->按钮_查看详情->setEnabled(false);

    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SalesRecordsWindow::selectionChanged);
    connect(list, &QTreeView::doubleClicked, this, &SalesRecordsWindow::openDetails);
    connect(list, &QWidget::customContextMenuRequested, this, &SalesRecordsWindow::showPopup);
    connect(details, &QAction::triggered, this, &SalesRecordsWindow::openDetails);
    connect(remove, &QAction::triggered, this, &SalesRecordsWindow::deleteSale);
    connect(print, &QAction::triggered, this, &SalesRecordsWindow::printSale);
    connect(m_ui->按钮_查看详情, &QPushButton::clicked, this, &SalesRecordsWindow::openDetails);
    connect(m_ui->按钮_搜索, &QPushButton::clicked, this, &SalesRecordsWindow::quickFind);
    connect(m_ui->按钮_查询, &QPushButton::clicked, this, &SalesRecordsWindow::searchRequested);
    StoredSales& sales = m_session.shop.sales();
    connect(&sales, &StoredSales::saleChanged, this, &SalesRecordsWindow::saleChanged);
    connect(&sales, &StoredSales::saleStored, this, &SalesRecordsWindow::saleChanged);
    connect(&sales, &StoredSales::saleDeleted, this, &SalesRecordsWindow::saleDeleted);
    connect(m_ui->按钮_导出表, &QPushButton::clicked, this, &SalesRecordsWindow::exportRecords);
    connect(m_ui->按钮_管理数据, &QPushButton::clicked, this, &SalesRecordsWindow::resetData);
    connect(m_ui->按钮_数据恢复, &QPushButton::clicked, this, &SalesRecordsWindow::restoreData);

    showRecords(todaysRecords(Clock::now()));
}

SalesRecordsWindow::~SalesRecordsWindow() = default;

void SalesRecordsWindow::showRecords(const RecordsQuery& query)
{
    if (!m_model->setQuery(query)) {
        qWarning().noquote() << "records query failed:" << m_session.db.lastError();
        MessageBox::show(nullptr, MessageBox::kQueryFailed);
    }
    updateTotals();
}

void SalesRecordsWindow::updateTotals()
{
    if (m_totals)
        m_totals->cancel(); // an earlier fill's totals are of no use any more
    if (m_model->rowCount() == 0) {
        m_totalsWanted = false;
        showTotals(RecordTotals());
        return;
    }
    // Summing every sale found may take seconds in a large shop: the list is usable meanwhile. The
    // summing starts once the rows found have been painted (their repaint is already queued), so
    // that it takes no time from them.
    m_ui->标签_销售数量->setText(kCountingTotals);
    m_ui->标签_总金额->setText(kCountingTotals);
    if (!m_totalsWanted)
        QMetaObject::invokeMethod(this, &SalesRecordsWindow::startTotals, Qt::QueuedConnection);
    m_totalsWanted = true;
}

void SalesRecordsWindow::startTotals()
{
    if (!m_totalsWanted || !m_session.db.isOpen())
        return;
    m_totalsWanted = false;
    if (!m_totals) {
        m_totals = std::make_unique<RecordTotalsReader>(
            this, [this](const std::optional<RecordTotals>& totals, const QString& error) {
                if (!totals) {
                    qWarning().noquote() << "totals query failed:" << error;
                    showTotals(RecordTotals());
                    MessageBox::show(nullptr, MessageBox::kQueryFailed);
                    return;
                }
                showTotals(*totals);
                if (!totals->known)
                    MessageBox::show(nullptr, kUnreadableTotal.arg(totals->unreadableTicket, totals->unreadableValue));
            });
    }
    m_totals->request(m_session.db.path(), QByteArray(schema::kDatabaseKey), m_model->query());
}

void SalesRecordsWindow::showTotals(const RecordTotals& totals)
{
    m_ui->标签_销售数量->setText(totals.known ? totals.quantity : kNoTotal);
    m_ui->标签_总金额->setText(totals.known ? totals.amount : kNoTotal);
    emit totalsShown();
}

// Before the database file is closed or replaced: the reader's connection goes first.
void SalesRecordsWindow::stopTotals()
{
    m_totalsWanted = false;
    if (m_totals)
        m_totals->stop();
}

int SalesRecordsWindow::selectedRow() const
{
    const QModelIndexList rows = m_ui->超级列表框1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void SalesRecordsWindow::selectionChanged()
{
    if (selectedRow() >= 0)
        m_ui->按钮_查看详情->setEnabled(true);
}

void SalesRecordsWindow::openDetails()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    emit detailsRequested(m_model->saleId(row));
}

void SalesRecordsWindow::saleChanged()
{
    // What the list shows of a sale, and the totals, are read again.
    m_model->refresh();
    updateTotals();
}

void SalesRecordsWindow::saleDeleted(qint64 saleId)
{
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->saleId(row) == saleId) {
            m_model->removeSale(row);
            break;
        }
    }
    updateTotals();
}

void SalesRecordsWindow::showPopup(const QPoint& position)
{
    m_menu->popup(m_ui->超级列表框1->viewport()->mapToGlobal(position));
}

void SalesRecordsWindow::quickFind()
{
    const QString text = m_ui->编辑框_查单号->text();
    if (text.isEmpty()) {
        MessageBox::show(this, QStringLiteral("内容不能为空！"));
        return;
    }
    showRecords(ticketFragmentRecords(text));
}

void SalesRecordsWindow::deleteSale()
{
    if (!m_session.may(Permission::DeleteSales)) {
        MessageBox::show(this, QStringLiteral("只有管理员才有删除权限！"), kHint);
        return;
    }
    const int row = selectedRow();
    if (row < 0) {
        MessageBox::show(this, QStringLiteral("请选择要删除的行！"), kHintColon);
        return;
    }
    if (!MessageBox::question(this, QStringLiteral("确定要删除吗？"), QStringLiteral("注意")))
        return;
    if (m_totals)
        m_totals->cancel(); // its reading would hold the write up
    // The list loses the row through the sales' own announcement.
    if (const Done removed = m_session.shop.sales().remove(m_model->saleId(row)); !removed) {
        updateTotals();
        MessageBox::failed(this, QStringLiteral("数据删除失败"), removed.error());
    }
}

void SalesRecordsWindow::printSale()
{
    const int row = selectedRow();
    if (row < 0) {
        MessageBox::show(this, QStringLiteral("请选择要打印的行！"), kHintColon);
        return;
    }
    const qint64 id = m_model->saleId(row);
    const std::optional<SaleRecord> sale = loadSale(m_session.db, id);
    const std::optional<QList<SaleLine>> lines = loadSaleLines(m_session.db, id);
    const Result<QString> shopName = m_session.shop.settings().shopName();
    if (!sale || !lines || !shopName) {
        qWarning().noquote() << "stored sale not read:" << m_session.db.lastError();
        MessageBox::show(this, MessageBox::kQueryFailed);
        return;
    }
    // The same receipt code as at the till, with today's print settings; nothing is stored.
    const auto [stored, header] = storedSale(*shopName, *sale, *lines);
    if (!m_receipts)
        m_receipts = new ReceiptPrinting(m_session.shop.settings(), this); // keeps its printer for the next reprint
    m_receipts->printReceipt(receiptOf(stored, header));
}

void SalesRecordsWindow::exportRecords()
{
    // The list reads its rows as they are scrolled to, on this thread's connection: the worker
    // reads the listed query again on a connection of its own, in the same order.
    exportList(this, this, m_model->rowCount() > 0, m_session.db.path(),
               [databasePath = m_session.db.path(), query = m_model->query()](const QString& target, QString* error) {
                   return exportRecordsToWorkbook(target, databasePath, QByteArray(schema::kDatabaseKey), query, error);
               });
}

bool SalesRecordsWindow::refusedOnServer()
{
    // A shop on a server is the server's to back up and restore, whole and consistent, while the
    // other tills go on selling; a file of one till's making would be a copy of part of it.
    if (!m_session.db.isServer())
        return false;
    MessageBox::show(this,
                     QStringLiteral("数据库在服务器上：请用服务器自己的工具备份和恢复，\n"
                                    "例如 pg_dump -Fc 备份，pg_restore 恢复（见说明书“多台收银机”一节）。"),
                     kHint);
    return true;
}

void SalesRecordsWindow::resetData()
{
    if (refusedOnServer())
        return;
    if (!MessageBox::question(this, QStringLiteral("确定初始化吗,并备份数据吗 ？"), kHint))
        return;
    const QString databasePath = m_session.db.path();
    const QString target = FileDialog::saveFileNameAs(this, QStringLiteral("备份数据"), QStringLiteral("*.mdb (*.mdb)"),
                                                      proposedFileName(), QStringLiteral(".mdb"));
    if (target.isEmpty()) {
        MessageBox::show(this, QStringLiteral("保存失败！"));
        return; // the database stays open: nothing has changed
    }
    if (isDatabaseOwnFile(databasePath, target)) {
        // The database stays open and nothing is reset: the user may choose another name.
        MessageBox::show(this, QStringLiteral("不能备份到数据库自己的文件，请换一个文件名！"));
        return;
    }
    m_model->clear();
    stopTotals();
    m_session.db.close();
    QString error;
    ResetResult result = ResetResult::BackupFailed;
    runInBackground(this, QStringLiteral("正在备份并初始化数据，请稍候……"),
                    [&] { result = resetDatabase(databasePath, target, &error); });
    if (result == ResetResult::Done) {
        MessageBox::show(this, QStringLiteral("初始化完成，并已备份！"));
    } else if (result == ResetResult::OwnFile) {
        MessageBox::show(this, QStringLiteral("不能备份到数据库自己的文件，请换一个文件名！"));
    } else {
        qWarning().noquote() << "reset failed:" << error;
        MessageBox::show(this, QStringLiteral("初始化错误！"));
    }
    emit restartRequested();
}

void SalesRecordsWindow::restoreData()
{
    if (refusedOnServer())
        return;
    const QString source = FileDialog::openFileName(this, QStringLiteral("数据恢复"), QStringLiteral("*.mdb (*.mdb)"));
    if (source.isEmpty())
        return;
    const QString databasePath = m_session.db.path();
    // The copy is made beside the database and checked before the user is asked: a file that
    // cannot be used, or a disk without room for it, is said at once and nothing is replaced.
    ReplacingFile staged(databasePath, ReplacingFile::Permissions::KeepOrOwnerOnly, databasePath);
    FileOutcome outcome;
    runInBackground(this, QStringLiteral("正在检查所选文件，请稍候……"),
                    [&] { outcome = stageRestore(source, staged); });
    if (!outcome) {
        qWarning().noquote() << "not restored:" << outcome.error;
        switch (outcome.failure) {
        case FileFailure::DiskFull:
            MessageBox::show(this, QStringLiteral("磁盘空间不足，未恢复！"));
            break;
        case FileFailure::NotAShopFile:
            MessageBox::show(this, QStringLiteral("所选文件不是有效的数据库，未恢复！"));
            break;
        default:
            MessageBox::show(this, QStringLiteral("恢复失败，当前数据未改变！"));
            break;
        }
        return;
    }
    if (!MessageBox::question(this, QStringLiteral("恢复后当前数据将被替换，是否继续？"), kHint))
        return; // the staged copy goes with `staged`
    m_model->clear();
    stopTotals();
    m_session.db.close();
    QString kept;
    const QDateTime now = Clock::now();
    runInBackground(this, QStringLiteral("正在恢复数据，请稍候……"),
                    [&] { outcome = finishRestore(staged, now, &kept); });
    if (!outcome) {
        qWarning().noquote() << "restore failed:" << outcome.error;
        MessageBox::show(this, outcome.failure == FileFailure::DiskFull ? QStringLiteral("磁盘空间不足，未恢复！")
                                                                        : QStringLiteral("恢复失败，当前数据未改变！"));
        m_session.shop.forget();
        if (m_session.db.open(databasePath, QByteArray(schema::kDatabaseKey)))
            showRecords(todaysRecords(Clock::now()));
        return;
    }
    MessageBox::show(this, QStringLiteral("数据恢复完成！\n原数据已保存为 ") + kept);
    emit restartRequested();
}

} // namespace quorrel
