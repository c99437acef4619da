#include "core/workbook/XlsWriter.h"

#include "core/workbook/CompoundFile.h"

#include <QHashFunctions>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>

namespace quorrel {

namespace {

constexpr quint32 kEmpty = 0xFFFFFFFF;
constexpr quint64 kFreeSlot = ~quint64(0);
constexpr qsizetype kMaxRecordData = 8224;
constexpr quint16 kTextCellXf = 15; // the one cell format: number format 49, "@" (text)
constexpr int kWidestColumn = 60;   // in characters: a longer text runs on out of sight rather than widen it

enum Record : quint16
{
    kBof = 0x0809,
    kEof = 0x000A,
    kCodePage = 0x0042,
    kWindow1 = 0x003D,
    kFont = 0x0031,
    kXf = 0x00E0,
    kStyle = 0x0293,
    kBoundSheet = 0x0085,
    kSst = 0x00FC,
    kContinue = 0x003C,
    kExtSst = 0x00FF,
    kDimensions = 0x0200,
    kLabelSst = 0x00FD,
    kRow = 0x0208,
    kColInfo = 0x007D,
    kWindow2 = 0x023E,
};

template <typename T> void add(QByteArray& out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

void add8(QByteArray& out, quint8 value)
{
    out.append(static_cast<char>(value));
}

void record(QByteArray& out, quint16 type, const QByteArray& data)
{
    add<quint16>(out, type);
    add<quint16>(out, static_cast<quint16>(data.size()));
    out += data;
}

bool isWide(QStringView text)
{
    const auto* units = reinterpret_cast<const char16_t*>(text.constData());
    return std::any_of(units, units + text.size(), [](char16_t unit) { return unit > 0xFF; });
}

// Characters [from, from + count) of `text`: one byte each when `wide` is false (every character
// is then below 256), else UTF-16LE.
void addCharacters(QByteArray& out, QStringView text, qsizetype from, qsizetype count, bool wide)
{
    const qsizetype at = out.size();
    if (!wide) {
        out.resize(at + count);
        const auto* in = reinterpret_cast<const char16_t*>(text.constData()) + from;
        char* bytes = out.data() + at;
        for (qsizetype i = 0; i < count; ++i)
            bytes[i] = static_cast<char>(in[i]);
        return;
    }
    out.resize(at + 2 * count);
    qToLittleEndian<quint16>(text.utf16() + from, count, out.data() + at);
}

// A name up to 255 characters with a one-byte length, as fonts and sheets carry it.
QByteArray shortString(const QString& text)
{
    QByteArray out;
    const bool wide = isWide(text);
    add8(out, static_cast<quint8>(text.size()));
    add8(out, wide ? 1 : 0);
    addCharacters(out, text, 0, text.size(), wide);
    return out;
}

QByteArray bof(quint16 kind)
{
    QByteArray data;
    add<quint16>(data, 0x0600); // BIFF8
    add<quint16>(data, kind);
    add<quint16>(data, 0x0DBB); // build and year of the writing application, as Excel 97 gives them
    add<quint16>(data, 0x07CC);
    add<quint32>(data, 0);
    add<quint32>(data, 0x06);
    return data;
}

QByteArray font()
{
    QByteArray data;
    add<quint16>(data, 240);    // 12 points in twips
    add<quint16>(data, 0);      // plain
    add<quint16>(data, 0x7FFF); // automatic colour
    add<quint16>(data, 400);    // normal weight
    add<quint16>(data, 0);
    add8(data, 0);    // no underline
    add8(data, 0);    // family
    add8(data, 0x86); // GB2312 character set
    add8(data, 0);
    data += shortString(QStringLiteral("宋体"));
    return data;
}

QByteArray xf(bool style)
{
    QByteArray data;
    add<quint16>(data, 0);                       // font 0
    add<quint16>(data, style ? 0 : 49);          // "General" / "@"
    add<quint16>(data, style ? 0xFFF5 : 0x0001); // locked; a style, or a cell of style 0
    add8(data, 0x20);                            // bottom aligned
    add8(data, 0);                               // no rotation
    add8(data, 0);                               // no indent
    add8(data, style ? 0 : 0x04);                // a cell states its own number format
    add<quint32>(data, 0);                       // no borders
    add<quint32>(data, 0);
    add<quint16>(data, static_cast<quint16>(64 | 65 << 7)); // automatic pattern colours
    return data;
}

QByteArray window1()
{
    QByteArray data;
    for (quint16 value : {quint16(0), quint16(0), quint16(0x3A5C), quint16(0x23BE), quint16(0x0038), quint16(0),
                          quint16(0), quint16(1), quint16(600)})
        add<quint16>(data, value);
    return data;
}

QByteArray window2(bool first)
{
    QByteArray data;
    add<quint16>(data, first ? 0x06B6 : 0x00B6); // grid, headers, zeros, outline; the first sheet selected
    add<quint16>(data, 0);
    add<quint16>(data, 0);
    add<quint16>(data, 64);
    add<quint16>(data, 0);
    add<quint16>(data, 0);
    add<quint16>(data, 0);
    add<quint32>(data, 0);
    return data;
}

// The shared string table: an SST record continued by CONTINUE records, none holding more than
// 8,224 bytes. A string's length and flags stay in one record; its characters may run on into the
// next, which then starts with the flags byte again. A character pair (surrogates) is never split.
class SstWriter
{
public:
    SstWriter(QByteArray& out, quint32 total, quint32 unique) : m_out(out)
    {
        m_perBucket = std::max<quint32>(8, (unique + 127) / 128);
        begin(kSst);
        add<quint32>(m_out, total);
        add<quint32>(m_out, unique);
        m_used = 8;
    }

    void addString(QStringView text)
    {
        const bool wide = isWide(text);
        const qsizetype size = text.size();
        const qsizetype unit = wide ? 2 : 1;
        if (room() < 3 + std::min<qsizetype>(size * unit, 2 * unit))
            next();
        if (m_count++ % m_perBucket == 0)
            m_buckets.append({static_cast<quint32>(m_out.size()), static_cast<quint16>(m_out.size() - m_start)});
        add<quint16>(m_out, static_cast<quint16>(size));
        add8(m_out, wide ? 1 : 0);
        m_used += 3;
        for (qsizetype from = 0;;) {
            qsizetype count = std::min(room() / unit, size - from);
            if (from + count < size && count > 0 && text.at(from + count - 1).isHighSurrogate())
                --count;
            addCharacters(m_out, text, from, count, wide);
            m_used += count * unit;
            from += count;
            if (from == size)
                break;
            next();
            add8(m_out, wide ? 1 : 0);
            m_used = 1;
        }
    }

    // Ends the table and adds EXTSST, the index of every bucket's first string.
    void finish()
    {
        end();
        QByteArray data;
        add<quint16>(data, static_cast<quint16>(m_perBucket));
        for (const auto& [position, offset] : m_buckets) {
            add<quint32>(data, position);
            add<quint16>(data, offset);
            add<quint16>(data, 0);
        }
        record(m_out, kExtSst, data);
    }

private:
    qsizetype room() const { return kMaxRecordData - m_used; }
    void begin(quint16 type)
    {
        m_start = m_out.size();
        add<quint16>(m_out, type);
        add<quint16>(m_out, 0);
        m_used = 0;
    }
    void end() { qToLittleEndian<quint16>(static_cast<quint16>(m_used), m_out.data() + m_start + 2); }
    void next()
    {
        end();
        begin(kContinue);
    }

    QByteArray& m_out;
    qsizetype m_start = 0;
    qsizetype m_used = 0;
    quint32 m_perBucket = 8;
    quint32 m_count = 0;
    QList<std::pair<quint32, quint16>> m_buckets;
};

// A row's record, before its cells (as Excel 97 writers lay them out): its cells span the columns
// [0, columns), default height, the text format. Returns the end of the bytes written at `at`.
char* putRowRecord(char* at, quint16 row, quint16 columns)
{
    qToLittleEndian<quint16>(kRow, at);
    qToLittleEndian<quint16>(16, at + 2);
    qToLittleEndian<quint16>(row, at + 4);
    qToLittleEndian<quint16>(0, at + 6);
    qToLittleEndian<quint16>(columns, at + 8);
    qToLittleEndian<quint16>(0x00FF, at + 10);
    qToLittleEndian<quint32>(0, at + 12);
    qToLittleEndian<quint32>(0x0100 | quint32(kTextCellXf) << 16, at + 16);
    return at + 20;
}

// Roughly how many character widths a text takes: CJK and other wide characters count twice.
int displayWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x1100 ? 2 : 1;
    return width;
}

char* putCell(char* at, quint16 row, quint16 column, quint32 id)
{
    qToLittleEndian<quint16>(kLabelSst, at);
    qToLittleEndian<quint16>(10, at + 2);
    qToLittleEndian<quint16>(row, at + 4);
    qToLittleEndian<quint16>(column, at + 6);
    qToLittleEndian<quint16>(kTextCellXf, at + 8);
    qToLittleEndian<quint32>(id, at + 10);
    return at + 14;
}

} // namespace

XlsWriter::XlsWriter(const QStringList& titles) : m_titles(titles)
{
    for (qsizetype c = 0; c < titles.size(); ++c) {
        if (titles[c].size() > kMaxCellLength && m_titleError.isEmpty())
            m_titleError = QStringLiteral("第%1列的标题超过%2个字符").arg(c + 1).arg(kMaxCellLength);
        m_titleIds.append(stringId(titles[c], hashOf(titles[c])));
        m_widths.append(displayWidth(titles[c]));
    }
}

int XlsWriter::sheetCount() const
{
    return std::max<int>(1, static_cast<int>((m_rowCount + kRowsPerSheet - 1) / kRowsPerSheet));
}

bool XlsWriter::checkCells(const QString* cells, qsizetype count, qsizetype columns, qsizetype row, QString* error)
{
    QString problem;
    if (count > columns) {
        problem = QStringLiteral("第%1行有%2个单元格，多于%3列").arg(row).arg(count).arg(columns);
    } else {
        for (qsizetype c = 0; c < count && problem.isEmpty(); ++c) {
            if (cells[c].size() > kMaxCellLength)
                problem = QStringLiteral("第%1行第%2列超过%3个字符，Excel单元格容纳不下")
                              .arg(row)
                              .arg(c + 1)
                              .arg(kMaxCellLength);
        }
    }
    if (problem.isEmpty())
        return true;
    if (error)
        *error = problem;
    return false;
}

void XlsWriter::reserve(qsizetype rows)
{
    m_cells.reserve(m_cells.size() + rows * m_titles.size());
    // Most cells of a records list are unique (numbers, times, amounts): room for half of them.
    const qsizetype strings = stringCount() + rows * m_titles.size() / 2;
    m_starts.reserve(static_cast<std::size_t>(strings) + 1);
    m_text.reserve(static_cast<std::size_t>(strings) * 12);
    while (static_cast<qsizetype>(m_slots.size()) < 2 * strings)
        growTable();
}

bool XlsWriter::addRow(const QString* cells, qsizetype count, QString* error)
{
    if (!checkCells(cells, count, m_titles.size(), m_rowCount + 1, error))
        return false;
    const qsizetype columns = std::min(count, m_titles.size());
    // The slots of the whole row are asked from memory before the first is needed: their waits
    // then overlap instead of following one another.
    constexpr qsizetype kAtOnce = 16;
    quint32 hashes[kAtOnce];
    if (2 * (stringCount() + columns) > static_cast<qsizetype>(m_slots.size()))
        growTable();
    for (qsizetype c = 0; c < std::min(columns, kAtOnce); ++c) {
        hashes[c] = hashOf(cells[c]);
        __builtin_prefetch(&m_slots[hashes[c] & (m_slots.size() - 1)]);
    }
    for (qsizetype c = 0; c < m_titles.size(); ++c) {
        quint32 id = kEmpty;
        if (c < columns && !cells[c].isEmpty()) {
            id = stringId(cells[c], c < kAtOnce ? hashes[c] : hashOf(cells[c]));
            if (m_widths[c] < kWidestColumn)
                m_widths[c] = std::max(m_widths[c], displayWidth(cells[c]));
            ++m_references;
        }
        m_cells.append(id);
    }
    ++m_rowCount;
    return true;
}

quint32 XlsWriter::hashOf(const QString& text)
{
    const size_t hash = qHash(text);
    return static_cast<quint32>(hash ^ (hash >> 32));
}

quint32 XlsWriter::stringId(const QString& text, quint32 hash)
{
    if (text.isEmpty())
        return kEmpty;
    if (2 * (stringCount() + 1) > static_cast<qsizetype>(m_slots.size()))
        growTable();
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const quint64 entry = m_slots[slot];
        if (entry == kFreeSlot) {
            const auto added = static_cast<quint32>(stringCount());
            m_slots[slot] = quint64(hash) << 32 | added;
            const auto* units = reinterpret_cast<const char16_t*>(text.constData());
            m_text.insert(m_text.end(), units, units + text.size());
            m_starts.push_back(m_text.size());
            return added;
        }
        if (entry >> 32 == hash && string(static_cast<quint32>(entry)) == QStringView(text))
            return static_cast<quint32>(entry);
    }
}

// Doubles the table (a power of two, at most half full) and puts every slot back.
void XlsWriter::growTable()
{
    std::vector<quint64> table(std::max<std::size_t>(1024, 2 * m_slots.size()), kFreeSlot);
    const std::size_t mask = table.size() - 1;
    for (const quint64 entry : m_slots) {
        if (entry == kFreeSlot)
            continue;
        std::size_t slot = (entry >> 32) & mask;
        while (table[slot] != kFreeSlot)
            slot = (slot + 1) & mask;
        table[slot] = entry;
    }
    m_slots = std::move(table);
}

QByteArray XlsWriter::workbookStream() const
{
    const int sheets = sheetCount();
    const qsizetype columns = m_titles.size();
    const auto titleCells = static_cast<quint64>(
        std::count_if(m_titleIds.begin(), m_titleIds.end(), [](quint32 id) { return id != kEmpty; }));

    QByteArray out;
    out.reserve(static_cast<qsizetype>(m_references) * 14 + m_rowCount * 20 + stringCount() * 16 + 4096);
    record(out, kBof, bof(0x0005));
    QByteArray codePage;
    add<quint16>(codePage, 1200); // texts are UTF-16
    record(out, kCodePage, codePage);
    record(out, kWindow1, window1());
    for (int i = 0; i < 5; ++i) // Excel wants at least five (index 4 is never used)
        record(out, kFont, font());
    for (int i = 0; i < 15; ++i)
        record(out, kXf, xf(true));
    record(out, kXf, xf(false));
    record(out, kStyle, QByteArray::fromHex("008000ff")); // "Normal" is style XF 0
    QList<qsizetype> sheetOffsets;
    for (int s = 0; s < sheets; ++s) {
        QByteArray data;
        add<quint32>(data, 0); // the sheet's position, filled in below
        add8(data, 0);         // visible
        add8(data, 0);         // worksheet
        data += shortString(QStringLiteral("Sheet%1").arg(s + 1));
        sheetOffsets.append(out.size() + 4);
        record(out, kBoundSheet, data);
    }
    SstWriter sst(out, static_cast<quint32>(titleCells * static_cast<quint64>(sheets) + m_references),
                  static_cast<quint32>(stringCount()));
    for (qsizetype id = 0; id < stringCount(); ++id)
        sst.addString(string(static_cast<quint32>(id)));
    sst.finish();
    record(out, kEof, QByteArray());

    for (int s = 0; s < sheets; ++s) {
        qToLittleEndian<quint32>(static_cast<quint32>(out.size()), out.data() + sheetOffsets[s]);
        const qsizetype first = static_cast<qsizetype>(s) * kRowsPerSheet;
        const qsizetype rows = std::min<qsizetype>(kRowsPerSheet, m_rowCount - first);
        record(out, kBof, bof(0x0010));
        for (qsizetype c = 0; c < columns; ++c) {
            QByteArray info;
            add<quint16>(info, static_cast<quint16>(c));
            add<quint16>(info, static_cast<quint16>(c));
            add<quint16>(info, static_cast<quint16>(256 * (std::clamp(m_widths[c], 6, kWidestColumn) + 2)));
            add<quint16>(info, kTextCellXf);
            add<quint16>(info, 0);
            add<quint16>(info, 0);
            record(out, kColInfo, info);
        }
        QByteArray dimensions;
        add<quint32>(dimensions, 0);
        add<quint32>(dimensions, columns > 0 ? static_cast<quint32>(rows + 1) : 0);
        add<quint16>(dimensions, 0);
        add<quint16>(dimensions, static_cast<quint16>(columns));
        add<quint16>(dimensions, 0);
        record(out, kDimensions, dimensions);
        // Every row with a cell: its record, then its cells, written in place (there are hundreds of
        // thousands); room for the most they can take, given back after.
        const qsizetype start = out.size();
        out.resize(start + (rows + 1) * (20 + 14 * columns));
        char* at = out.data() + start;
        const auto putCells = [&at, columns](quint16 row, const quint32* ids) {
            if (std::all_of(ids, ids + columns, [](quint32 id) { return id == kEmpty; }))
                return;
            at = putRowRecord(at, row, static_cast<quint16>(columns));
            for (qsizetype c = 0; c < columns; ++c) {
                if (ids[c] != kEmpty)
                    at = putCell(at, row, static_cast<quint16>(c), ids[c]);
            }
        };
        putCells(0, m_titleIds.constData());
        for (qsizetype r = 1; r <= rows; ++r)
            putCells(static_cast<quint16>(r), m_cells.constData() + (first + r - 1) * columns);
        out.resize(at - out.constData());
        record(out, kWindow2, window2(s == 0));
        record(out, kEof, QByteArray());
    }
    return out;
}

bool XlsWriter::write(QIODevice* device, QString* error) const
{
    QString problem = m_titleError;
    if (problem.isEmpty() && m_titles.size() > kMaxColumns)
        problem = QStringLiteral("共%1列，Excel工作表最多%2列").arg(m_titles.size()).arg(kMaxColumns);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    // The root storage carries Excel's class id, as Excel's own files do.
    return writeCompoundFile(device, {{QStringLiteral("Workbook"), workbookStream()}}, error,
                             QByteArray::fromHex("2008020000000000c000000000000046"));
}

} // namespace quorrel
