#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

class QIODevice;

namespace quorrel {

// Writes an Excel 97–2003 workbook (BIFF8 in a compound file) of text cells: the column titles in
// the first row of a sheet, then one row per added row. A sheet holds 65,535 rows below its titles;
// further rows continue on Sheet2, Sheet3, … each with the titles repeated. Every text goes through
// the shared string table, so any character, quotes and long texts are kept as they are.
class XlsWriter
{
public:
    static constexpr int kMaxColumns = 256;
    static constexpr int kRowsPerSheet = 65535;
    static constexpr int kMaxCellLength = 32767;

    explicit XlsWriter(const QStringList& titles);

    const QStringList& titles() const { return m_titles; }
    qsizetype rowCount() const { return m_rowCount; }
    int sheetCount() const;

    // Room for `rows` more rows, when their number is known beforehand.
    void reserve(qsizetype rows);

    // Adds a row below the last one; a row shorter than the titles ends in empty cells. Refused
    // (false, `error` saying which cell) when it has more cells than there are titles or a cell
    // longer than a cell holds.
    bool addRow(const QStringList& cells, QString* error = nullptr)
    {
        return addRow(cells.constData(), cells.size(), error);
    }
    bool addRow(const QString* cells, qsizetype count, QString* error = nullptr);

    // Writes the whole workbook. Refused when there are more titles than a sheet has columns,
    // or a title is longer than a cell holds; false also when the device refuses a write.
    bool write(QIODevice* device, QString* error = nullptr) const;

    // Checks a row as addRow does without adding it; `row` is 1-based for the message.
    static bool checkCells(const QStringList& cells, qsizetype columns, qsizetype row, QString* error)
    {
        return checkCells(cells.constData(), cells.size(), columns, row, error);
    }
    static bool checkCells(const QString* cells, qsizetype count, qsizetype columns, qsizetype row, QString* error);

private:
    static quint32 hashOf(const QString& text);
    quint32 stringId(const QString& text, quint32 hash);
    void growTable();
    QByteArray workbookStream() const;

    QStringList m_titles;
    QList<quint32> m_titleIds;
    // Row after row, one string id per column; kEmpty marks an empty cell (none is written).
    QList<quint32> m_cells;
    qsizetype m_rowCount = 0;
    quint64 m_references = 0;
    // The shared string table: every distinct text once, its characters end to end in m_text (the
    // string with id i runs from m_starts[i] to m_starts[i + 1]), found again through an
    // open-addressing table of slots, each a string's hash in the high half and its id in the low
    // half (all ones where free). Most cells of a records list are distinct, so this lookup is the
    // writer's main work, and its time goes in waiting for the slots to come from memory.
    qsizetype stringCount() const { return static_cast<qsizetype>(m_starts.size()) - 1; }
    QStringView string(quint32 id) const
    {
        return QStringView(m_text.data() + m_starts[id], static_cast<qsizetype>(m_starts[id + 1] - m_starts[id]));
    }
    std::vector<char16_t> m_text;
    std::vector<std::size_t> m_starts{0};
    std::vector<quint64> m_slots;
    QList<int> m_widths; // per column, the widest text in characters
    QString m_titleError;
};

} // namespace quorrel
