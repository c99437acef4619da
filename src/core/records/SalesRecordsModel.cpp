#include "core/records/SalesRecordsModel.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/DateTexts.h"
#include "core/store/RecordSet.h"

namespace quorrel {

namespace {

// Rows read per fetch, about two screens: a find that scans for its matches shows the first ones
// early, and scrolling reads ahead without a pause.
constexpr int kFetchRows = 64;

} // namespace

SalesRecordsModel::SalesRecordsModel(Database& db, QObject* parent) : QAbstractTableModel(parent), m_db(db) {}

SalesRecordsModel::~SalesRecordsModel() = default;

QStringList SalesRecordsModel::columnTitles()
{
    return {QStringLiteral("序号"), QStringLiteral("销售票号"), QStringLiteral("销售时间"), QStringLiteral("数量"),
            QStringLiteral("金额"), QStringLiteral("收银员"),   QStringLiteral("备注")};
}

bool SalesRecordsModel::setQuery(const RecordsQuery& query)
{
    beginResetModel();
    m_query = query;
    m_rows.clear();
    m_cursor = m_db.query(recordsSql(query, kRecordColumns), query.params);
    endResetModel();
    if (!m_cursor)
        return false;
    fetchMore();
    return true;
}

bool SalesRecordsModel::refresh()
{
    return setQuery(m_query);
}

void SalesRecordsModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_cursor.reset();
    endResetModel();
}

qint64 SalesRecordsModel::saleId(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).id : 0;
}

void SalesRecordsModel::removeSale(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    // The numbers of the rows below move up by one.
    if (row < m_rows.size())
        emit dataChanged(index(row, 0), index(static_cast<int>(m_rows.size()) - 1, 0));
}

QList<QStringList> SalesRecordsModel::allRowTexts()
{
    while (canFetchMore())
        fetchMore();
    QList<QStringList> rows;
    rows.reserve(m_rows.size());
    for (int row = 0; row < m_rows.size(); ++row) {
        QStringList cells;
        for (int column = 0; column < 7; ++column)
            cells << cellText(row, column);
        rows.append(cells);
    }
    return rows;
}

int SalesRecordsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int SalesRecordsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 7;
}

QString SalesRecordsModel::cellText(int row, int column) const
{
    const SaleRecord& r = m_rows.at(row);
    switch (column) {
    case 0:
        return QString::number(row + 1);
    case 1:
        return r.ticketNumber;
    case 2: {
        const QDateTime time = parseStoredDateTime(r.time);
        return time.isValid() ? longDateTimeText(time) : r.time;
    }
    case 3:
        return r.quantity;
    case 4:
        return r.amount;
    case 5:
        return r.cashier;
    default:
        return r.remark;
    }
}

QVariant SalesRecordsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::UserRole)
        return m_rows.at(index.row()).id;
    return QVariant();
}

QVariant SalesRecordsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 7)
        return columnTitles().at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool SalesRecordsModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_cursor && !m_cursor->atEnd();
}

void SalesRecordsModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    QList<SaleRecord> batch;
    batch.reserve(kFetchRows);
    for (; batch.size() < kFetchRows && !m_cursor->atEnd(); m_cursor->moveNext()) {
        batch.append(SaleRecord{textToWhole(m_cursor->text(1)), m_cursor->text(2), m_cursor->text(3), m_cursor->text(4),
                                m_cursor->text(5), m_cursor->text(6), m_cursor->text(7)});
    }
    if (m_cursor->atEnd())
        m_cursor.reset(); // the statement's read lock goes with it
    if (batch.isEmpty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
    m_rows.append(batch);
    endInsertRows();
}

} // namespace quorrel
