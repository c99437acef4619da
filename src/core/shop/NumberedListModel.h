#pragma once

#include "core/store/Result.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

#include <limits>
#include <optional>

namespace quorrel {

// A stored list as the settings and customer windows show it: the row number (from 1) and two
// texts of each row, the row's ID under Qt::UserRole. A long list is read a page at a time as the
// view shows it; `Row` has an `id`, and the rows are read in the order of their IDs.
template <typename Row> class NumberedListModel : public QAbstractTableModel
{
public:
    static constexpr int kPageRows = 256;

    // The row shown in `row`, or nullptr.
    const Row* rowAt(int row) const { return row >= 0 && row < m_rows.size() ? &m_rows[row] : nullptr; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_titles.size());
    }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override
    {
        const Row* row = rowAt(index.row());
        if (!row)
            return QVariant();
        if (role == Qt::UserRole)
            return row->id;
        if ((role != Qt::DisplayRole && role != Qt::EditRole) || index.column() < 0 ||
            index.column() >= m_titles.size())
            return QVariant();
        return index.column() == 0 ? QString::number(index.row() + 1) : text(*row, index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_titles.size())
            return QVariant();
        return m_titles[section];
    }
    bool canFetchMore(const QModelIndex& parent) const override { return !parent.isValid() && !m_atEnd; }
    void fetchMore(const QModelIndex& parent) override
    {
        if (!parent.isValid())
            readPage();
    }

protected:
    NumberedListModel(QStringList titles, QObject* parent) : QAbstractTableModel(parent), m_titles(std::move(titles)) {}

    // The text of column 1 or 2 of the row.
    virtual QString text(const Row& row, int column) const = 0;
    // Up to `count` rows after the one with ID `afterId`, or why they could not be read. A list
    // that is always shown whole is given with setRows() instead.
    virtual Result<QList<Row>> readRows(qint64 afterId, int count)
    {
        Q_UNUSED(afterId);
        Q_UNUSED(count);
        return QList<Row>();
    }

public:
    // Why the last page could not be read; empty after one that was.
    const QString& readError() const { return m_readError; }

protected:
    // Starts again from the first row; false when the first page could not be read.
    bool restart()
    {
        beginResetModel();
        m_rows.clear();
        m_atEnd = false;
        endResetModel();
        return readPage();
    }
    void setRows(QList<Row> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        m_atEnd = true;
        endResetModel();
    }

private:
    bool readPage()
    {
        if (m_atEnd)
            return true;
        const qint64 after = m_rows.isEmpty() ? std::numeric_limits<qint64>::min() : m_rows.last().id;
        const Result<QList<Row>> page = readRows(after, kPageRows);
        m_readError = page.error();
        if (!page) {
            m_atEnd = true;
            return false;
        }
        m_atEnd = page->size() < kPageRows;
        if (!page->isEmpty()) {
            const int first = static_cast<int>(m_rows.size());
            beginInsertRows(QModelIndex(), first, first + static_cast<int>(page->size()) - 1);
            m_rows.append(*page);
            endInsertRows();
        }
        return true;
    }

    QStringList m_titles;
    QList<Row> m_rows;
    bool m_atEnd = true;
    QString m_readError;
};

} // namespace quorrel
