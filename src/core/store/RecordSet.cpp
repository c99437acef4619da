#include "core/store/RecordSet.h"

#include "core/store/Conversions.h"

#include <sqlcipher/sqlite3.h>

namespace quorrel {

RecordSet::RecordSet(sqlite3_stmt* statement)
    : m_statement(statement), m_columnCount(statement ? sqlite3_column_count(statement) : 0)
{}

RecordSet::~RecordSet()
{
    close();
}

void RecordSet::close()
{
    if (m_statement) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
    m_atEnd = true;
}

void RecordSet::step()
{
    if (!m_statement) {
        m_atEnd = true;
        return;
    }
    const int rc = sqlite3_step(m_statement);
    m_atEnd = rc != SQLITE_ROW;
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        m_failed = true;
}

void RecordSet::moveFirst()
{
    if (!m_statement)
        return;
    if (m_started) {
        // Already on the first row: keep it (the query stepped once to detect failures).
        if (m_firstRowCurrent)
            return;
        sqlite3_reset(m_statement);
    }
    m_started = true;
    m_failed = false;
    step();
    m_firstRowCurrent = true;
}

void RecordSet::moveNext()
{
    if (m_atEnd)
        return;
    m_firstRowCurrent = false;
    step();
}

int RecordSet::indexOf(const QString& column) const
{
    if (m_names.isEmpty() && m_statement) {
        m_names.reserve(m_columnCount);
        for (int i = 0; i < m_columnCount; ++i)
            m_names.append(QString::fromUtf8(sqlite3_column_name(m_statement, i)));
    }
    const int count = static_cast<int>(m_names.size());
    if (count == 0)
        return -1;
    const int next = (m_lastFound + 1) % count;
    if (m_names[next] == column)
        return m_lastFound = next;
    for (int i = 0; i < count; ++i) {
        if (m_names[i] == column)
            return m_lastFound = i;
    }
    // Names compare as Access compares them, without regard to letter case; the first wins.
    for (int i = 0; i < count; ++i) {
        if (m_names[i].compare(column, Qt::CaseInsensitive) == 0)
            return m_lastFound = i;
    }
    return -1;
}

QVariant RecordSet::value(int index) const
{
    if (!m_statement || m_atEnd || index < 0 || index >= m_columnCount)
        return QString();
    sqlite3_value* value = sqlite3_column_value(m_statement, index);
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_value_int64(value));
    case SQLITE_FLOAT:
        return sqlite3_value_double(value);
    case SQLITE_BLOB: {
        const void* data = sqlite3_value_blob(value);
        return QByteArray(static_cast<const char*>(data), sqlite3_value_bytes(value));
    }
    case SQLITE_TEXT: {
        const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
        return QString::fromUtf8(data, sqlite3_value_bytes(value));
    }
    default:
        return QString();
    }
}

QVariant RecordSet::readField(const QString& column) const
{
    return value(indexOf(column));
}

QVariant RecordSet::readField(int position) const
{
    return value(position - 1);
}

QString RecordSet::text(const QString& column) const
{
    return text(indexOf(column) + 1);
}

QString RecordSet::text(int position) const
{
    const int index = position - 1;
    if (!m_statement || m_atEnd || index < 0 || index >= m_columnCount)
        return QString();
    // One call into the statement, then the value's own accessors (they take no lock).
    sqlite3_value* value = sqlite3_column_value(m_statement, index);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return QString();
    case SQLITE_FLOAT:
        return doubleToText(sqlite3_value_double(value));
    default: {
        const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
        return QString::fromUtf8(data, sqlite3_value_bytes(value));
    }
    }
}

} // namespace quorrel
