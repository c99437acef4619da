#include "core/store/RecordSet.h"

#include "core/store/Engine.h"

namespace quorrel {

RecordSet::RecordSet(std::unique_ptr<Rows> rows)
    : m_rows(std::move(rows)), m_columnCount(m_rows ? m_rows->columnCount() : 0)
{}

RecordSet::~RecordSet()
{
    close();
}

void RecordSet::close()
{
    m_rows.reset();
    m_atEnd = true;
}

void RecordSet::step()
{
    if (!m_rows) {
        m_atEnd = true;
        return;
    }
    const Rows::Step result = m_rows->step();
    m_atEnd = result != Rows::Step::Row;
    if (result == Rows::Step::Failed)
        m_failed = true;
}

void RecordSet::moveFirst()
{
    if (!m_rows)
        return;
    if (m_started) {
        // Already on the first row: keep it (the query stepped once to detect failures).
        if (m_firstRowCurrent)
            return;
        m_rows->rewind();
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
    if (m_names.isEmpty() && m_rows) {
        m_names.reserve(m_columnCount);
        for (int i = 0; i < m_columnCount; ++i)
            m_names.append(m_rows->columnName(i));
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
    if (!m_rows || m_atEnd || index < 0 || index >= m_columnCount)
        return QString();
    return m_rows->value(index);
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

QString RecordSet::columnName(int position) const
{
    return m_rows && position >= 1 && position <= m_columnCount ? m_rows->columnName(position - 1) : QString();
}

bool RecordSet::isNull(int position) const
{
    const int index = position - 1;
    return !m_rows || m_atEnd || index < 0 || index >= m_columnCount || m_rows->isNull(index);
}

QString RecordSet::text(int position) const
{
    const int index = position - 1;
    if (!m_rows || m_atEnd || index < 0 || index >= m_columnCount)
        return QString();
    return m_rows->text(index);
}

} // namespace quorrel
