#include "core/records/SalesRecordsModel.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/DateTexts.h"
#include "core/store/RecordSet.h"

namespace quorrel {

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
    m_cursor.reset(); // the walk before ends before the next begins
    m_cursor = m_db.browse(recordsSql(query, kRecordColumns), query.params);
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
            cells << cellText(m_rows.at(row), row, column);
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

QString SalesRecordsModel::timeText(const QString& stored)
{
    // The stored form, "YYYY-MM-DD HH:MM:SS", is read digit by digit: an export passes every listed
    // sale through here, and the general parser takes microseconds a text. The wall-clock time is
    // shown as stored, whatever the time zone makes of it.
    const auto number = [&stored](qsizetype from, qsizetype digits, int* value) {
        *value = 0;
        for (qsizetype i = from; i < from + digits; ++i) {
            const char16_t c = stored.at(i).unicode();
            if (c < u'0' || c > u'9')
                return false;
            *value = *value * 10 + (c - u'0');
        }
        return true;
    };
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (stored.size() == 19 && stored.at(4) == u'-' && stored.at(7) == u'-' && stored.at(10) == u' ' &&
        stored.at(13) == u':' && stored.at(16) == u':' && number(0, 4, &year) && number(5, 2, &month) &&
        number(8, 2, &day) && number(11, 2, &hour) && number(14, 2, &minute) && number(17, 2, &second)) {
        if (!QDate(year, month, day).isValid() || !QTime(hour, minute, second).isValid())
            return stored;
        char16_t text[32];
        qsizetype length = 0;
        const auto put = [&text, &length](int value, char16_t unit) {
            char16_t digits[8];
            int count = 0;
            do {
                digits[count++] = static_cast<char16_t>(u'0' + value % 10);
                value /= 10;
            } while (value > 0);
            while (count > 0)
                text[length++] = digits[--count];
            text[length++] = unit;
        };
        put(year, u'年');
        put(month, u'月');
        put(day, u'日');
        // Down to the last part that is not zero.
        if (hour != 0 || minute != 0 || second != 0)
            put(hour, u'时');
        if (minute != 0 || second != 0)
            put(minute, u'分');
        if (second != 0)
            put(second, u'秒');
        return QString(reinterpret_cast<const QChar*>(text), length);
    }
    const QDateTime time = parseStoredDateTime(stored);
    return time.isValid() ? longDateTimeText(time) : stored;
}

QString SalesRecordsModel::cellText(const SaleRecord& sale, qsizetype row, int column)
{
    switch (column) {
    case 0:
        return QString::number(row + 1);
    case 1:
        return sale.ticketNumber;
    case 2:
        return timeText(sale.time);
    case 3:
        return sale.quantity;
    case 4:
        return sale.amount;
    case 5:
        return sale.cashier;
    default:
        return sale.remark;
    }
}

QVariant SalesRecordsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return cellText(m_rows.at(index.row()), index.row(), index.column());
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
        batch.append(SaleRecord{textToWhole(m_cursor->text(1)),
                                m_cursor->text(2),
                                m_cursor->text(3),
                                m_cursor->text(4),
                                m_cursor->text(5),
                                m_cursor->text(6),
                                m_cursor->text(7),
                                // how it was paid shows only with the whole sale
                                {},
                                {},
                                {},
                                {}});
    }
    if (m_cursor->atEnd())
        m_cursor.reset(); // its read lock, or a server's reading transaction, goes with it
    if (batch.isEmpty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
    m_rows.append(batch);
    endInsertRows();
}

} // namespace quorrel
