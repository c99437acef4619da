#pragma once

#include "core/records/RecordsQuery.h"
#include "core/records/SaleRecords.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

#include <memory>

namespace quorrel {

class Database;
class RecordSet;

// The sales a records query finds, read from an open cursor a screenful at a time as the view
// scrolls, so that a result of millions of sales costs no more than what has been shown.
// Column 0 is the row number; the ID of a row's sale is its Qt::UserRole data.
class SalesRecordsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // Rows read per fetch, a screenful and a little more: a find that scans far for its matches
    // shows the first ones early, and scrolling reads on as it goes.
    static constexpr int kFetchRows = 32;

    explicit SalesRecordsModel(Database& db, QObject* parent = nullptr);
    ~SalesRecordsModel() override;

    // Runs the query and shows its first rows; false when it cannot run (the list is then empty).
    bool setQuery(const RecordsQuery& query);
    // Runs the current query again.
    bool refresh();
    // Empties the list and lets go of the cursor, as before the database file is closed.
    void clear();
    const RecordsQuery& query() const { return m_query; }

    qint64 saleId(int row) const;
    const SaleRecord& record(int row) const { return m_rows.at(row); }
    void removeSale(int row);

    // Every row of the result as the list shows it, reading the rest of the cursor first.
    QList<QStringList> allRowTexts();
    static QStringList columnTitles();
    // The text the list shows in `column` for the sale in row `row` (0-based); the export writes
    // the same texts.
    static QString cellText(const SaleRecord& sale, qsizetype row, int column);
    // 销售时间 as the list shows it: the long form of a stored date-time ("2016年8月24日9时5分7秒"),
    // or the stored text as it is when it is no date.
    static QString timeText(const QString& stored);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex& parent = QModelIndex()) override;

private:
    Database& m_db;
    RecordsQuery m_query;
    std::unique_ptr<RecordSet> m_cursor;
    QList<SaleRecord> m_rows;
};

} // namespace quorrel
