#pragma once

#include <QList>
#include <QString>
#include <QVariant>

struct sqlite3_stmt;

namespace quorrel {

// The cursor a query yields, already on its first row (AtEnd() when there is none); rows are read
// one at a time as the caller walks them.
class RecordSet
{
public:
    explicit RecordSet(sqlite3_stmt* statement);
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    void MoveFirst();
    bool AtEnd() const { return m_atEnd; }
    void MoveNext();
    void Close();

    // Typed value of the current row: qlonglong, double, QString or QByteArray.
    // A column that does not exist, a NULL, or a read past the end give an empty QString.
    QVariant ReadField(const QString& column) const;
    QVariant ReadField(int position) const; // 1-based, as in select * order

    // The same value as text (numbers in their plain decimal form).
    QString Text(const QString& column) const;
    QString Text(int position) const;

    int ColumnCount() const { return m_columnCount; }
    // False when a step failed part-way through the walk (for example a damaged page).
    bool Failed() const { return m_failed; }

private:
    void Step();
    int IndexOf(const QString& column) const;
    QVariant Value(int index) const;

    sqlite3_stmt* m_statement = nullptr;
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
