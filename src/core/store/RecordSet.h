#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

namespace quorrel {

class Rows;

// The cursor a query yields, already on its first row (atEnd() when there is none); rows are read
// one at a time as the caller walks them.
class RecordSet
{
public:
    explicit RecordSet(std::unique_ptr<Rows> rows);
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    void moveFirst();
    bool atEnd() const { return m_atEnd; }
    void moveNext();
    void close();

    // Typed value of the current row: qlonglong, double, QString or QByteArray.
    // A column that does not exist, a NULL, or a read past the end give an empty QString.
    QVariant readField(const QString& column) const;
    QVariant readField(int position) const; // 1-based, as in select * order

    // The same value as text (numbers in their plain decimal form).
    QString text(const QString& column) const;
    QString text(int position) const;

    int columnCount() const { return m_columnCount; }
    // The name of a column (1-based), as the statement gave it.
    QString columnName(int position) const;
    // Whether the current row holds NULL there (readField gives an empty text for it).
    bool isNull(int position) const;
    // False when a step failed part-way through the walk (for example a damaged page).
    bool failed() const { return m_failed; }

private:
    void step();
    int indexOf(const QString& column) const;
    QVariant value(int index) const;

    std::unique_ptr<Rows> m_rows;
    int m_columnCount = 0;
    bool m_atEnd = true;
    bool m_started = false;
    bool m_failed = false;
    bool m_firstRowCurrent = false;
    // Column names, read on the first lookup by name. Rows are usually read column after column in
    // the same order, so the lookup tries the column after the last one found first.
    mutable QList<QString> m_names;
    mutable int m_lastFound = -1;
};

} // namespace quorrel
