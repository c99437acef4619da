#pragma once

#include "core/records/SaleRecords.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

namespace quorrel {

// The lines of one sale as its detail list shows them: 序号, 名称, 数量, 单价, 金额, 折后.
// Lines added on screen carry the ID 0. The ID is a row's Qt::UserRole data.
class StoredLinesModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setLines(const QList<SaleLine>& lines);
    void appendLine(const SaleLine& line);
    void replaceLine(int row, const SaleLine& line);
    void removeLine(int row);
    const SaleLine& line(int row) const { return m_lines.at(row); }

    QList<QStringList> allRowTexts() const;
    static QStringList columnTitles();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString cellText(int row, int column) const;

    QList<SaleLine> m_lines;
};

} // namespace quorrel
