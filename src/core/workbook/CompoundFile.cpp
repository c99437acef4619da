#include "core/workbook/CompoundFile.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <numeric>
#include <vector>

namespace quorrel {

namespace {

constexpr quint32 kSectorSize = 512;
constexpr quint32 kMiniSectorSize = 64;
constexpr quint32 kMiniStreamCutoff = 4096;
constexpr quint32 kIdsPerSector = kSectorSize / 4;
constexpr quint32 kHeaderFatSlots = 109;
constexpr quint32 kDirEntrySize = 128;

constexpr quint32 kDifatSector = 0xFFFFFFFC;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kNoStream = 0xFFFFFFFF;

quint32 sectorsFor(quint64 bytes, quint32 unit)
{
    return static_cast<quint32>((bytes + unit - 1) / unit);
}

void put16(QByteArray& out, qsizetype at, quint16 value)
{
    qToLittleEndian(value, out.data() + at);
}

void put32(QByteArray& out, qsizetype at, quint32 value)
{
    qToLittleEndian(value, out.data() + at);
}

void put64(QByteArray& out, qsizetype at, quint64 value)
{
    qToLittleEndian(value, out.data() + at);
}

// Chains `count` consecutive sectors from `first` in a FAT or MiniFAT.
void chain(std::vector<quint32>& table, quint32 first, quint32 count)
{
    for (quint32 i = 0; i < count; ++i)
        table[first + i] = (i + 1 < count) ? first + i + 1 : kEndOfChain;
}

// The order the directory's tree is sorted in: shorter names first, then by upper-case characters.
bool nameLess(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return a.size() < b.size();
    return a.toUpper() < b.toUpper();
}

struct Entry
{
    QString name;
    quint8 type = 0; // 0 unused, 2 stream, 5 root
    quint32 left = kNoStream;
    quint32 right = kNoStream;
    quint32 child = kNoStream;
    quint32 start = kEndOfChain;
    quint64 size = 0;
    QByteArray classId;
};

// Builds a balanced binary tree over sorted[begin, end) and returns its root's entry id. All nodes
// are black, which readers accept for a tree that is never rebalanced.
quint32 buildTree(std::vector<Entry>& entries, const std::vector<quint32>& sorted, qsizetype begin, qsizetype end)
{
    if (begin >= end)
        return kNoStream;
    const qsizetype middle = begin + (end - begin) / 2;
    const quint32 id = sorted[middle];
    entries[id].left = buildTree(entries, sorted, begin, middle);
    entries[id].right = buildTree(entries, sorted, middle + 1, end);
    return id;
}

QByteArray directoryBytes(const std::vector<Entry>& entries, quint32 sectors)
{
    QByteArray out(static_cast<qsizetype>(sectors) * kSectorSize, '\0');
    for (quint32 i = 0; i < sectors * kSectorSize / kDirEntrySize; ++i) {
        const qsizetype at = static_cast<qsizetype>(i) * kDirEntrySize;
        put32(out, at + 68, kNoStream);
        put32(out, at + 72, kNoStream);
        put32(out, at + 76, kNoStream);
        if (i >= entries.size())
            continue;
        const Entry& e = entries[i];
        for (qsizetype c = 0; c < e.name.size(); ++c)
            put16(out, at + 2 * c, e.name.at(c).unicode());
        put16(out, at + 64, static_cast<quint16>((e.name.size() + 1) * 2));
        out[at + 66] = static_cast<char>(e.type);
        out[at + 67] = 1; // black
        put32(out, at + 68, e.left);
        put32(out, at + 72, e.right);
        put32(out, at + 76, e.child);
        std::copy(e.classId.begin(), e.classId.end(), out.begin() + at + 80);
        put32(out, at + 116, e.start);
        put64(out, at + 120, e.size);
    }
    return out;
}

bool validName(const QString& name)
{
    static const QString kForbidden = QStringLiteral("/\\:!");
    return !name.isEmpty() && name.size() <= 31 &&
           std::none_of(name.begin(), name.end(), [](QChar c) { return kForbidden.contains(c); });
}

class SectorWriter
{
public:
    explicit SectorWriter(QIODevice* device) : m_device(device) {}

    // Writes the bytes and pads them with zeros to a whole number of sectors.
    bool write(const char* data, qint64 size)
    {
        if (size > 0 && m_device->write(data, size) != size)
            return false;
        static const char kZeros[kSectorSize] = {};
        const qint64 pad = (kSectorSize - size % kSectorSize) % kSectorSize;
        return pad == 0 || m_device->write(kZeros, pad) == pad;
    }
    bool write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }

    bool writeIds(const std::vector<quint32>& ids, std::size_t from, std::size_t count)
    {
        QByteArray out(static_cast<qsizetype>(count) * 4, '\0');
        for (std::size_t i = 0; i < count; ++i)
            put32(out, static_cast<qsizetype>(i) * 4, ids[from + i]);
        return write(out);
    }

private:
    QIODevice* m_device;
};

} // namespace

bool writeCompoundFile(QIODevice* device, const QList<CompoundStream>& streams, QString* error,
                       const QByteArray& rootClassId)
{
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    for (qsizetype i = 0; i < streams.size(); ++i) {
        if (!validName(streams[i].name))
            return fail(QStringLiteral("流名称无效：%1").arg(streams[i].name));
        for (qsizetype j = 0; j < i; ++j) {
            if (streams[i].name.compare(streams[j].name, Qt::CaseInsensitive) == 0)
                return fail(QStringLiteral("流名称重复：%1").arg(streams[i].name));
        }
    }

    // Directory: the root entry, then one entry per stream in the order given.
    std::vector<Entry> entries(1 + streams.size());
    entries[0].name = QStringLiteral("Root Entry");
    entries[0].type = 5;
    if (rootClassId.size() == 16)
        entries[0].classId = rootClassId;

    // Small streams are laid end to end in the mini stream, in 64-byte mini sectors.
    quint32 miniSectors = 0;
    for (qsizetype i = 0; i < streams.size(); ++i) {
        Entry& e = entries[i + 1];
        e.name = streams[i].name;
        e.type = 2;
        e.size = static_cast<quint64>(streams[i].data.size());
        if (e.size > 0 && e.size < kMiniStreamCutoff) {
            e.start = miniSectors;
            miniSectors += sectorsFor(e.size, kMiniSectorSize);
        }
    }
    std::vector<quint32> miniFat(static_cast<std::size_t>(sectorsFor(miniSectors, kIdsPerSector)) * kIdsPerSector,
                                 kFreeSector);
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].size > 0 && entries[i].size < kMiniStreamCutoff)
            chain(miniFat, entries[i].start, sectorsFor(entries[i].size, kMiniSectorSize));
    }

    // Sectors in file order: big streams, the mini stream, the MiniFAT, the directory, FAT, DIFAT.
    quint32 next = 0;
    std::vector<std::pair<quint32, quint32>> runs; // first sector and length of every chain
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].size >= kMiniStreamCutoff) {
            entries[i].start = next;
            runs.emplace_back(next, sectorsFor(entries[i].size, kSectorSize));
            next += runs.back().second;
        }
    }
    const quint64 miniStreamSize = static_cast<quint64>(miniSectors) * kMiniSectorSize;
    const quint32 miniStreamSectors = sectorsFor(miniStreamSize, kSectorSize);
    if (miniStreamSectors > 0) {
        entries[0].start = next;
        entries[0].size = miniStreamSize;
        runs.emplace_back(next, miniStreamSectors);
        next += miniStreamSectors;
    }
    const quint32 miniFatSectors = static_cast<quint32>(miniFat.size() / kIdsPerSector);
    const quint32 miniFatStart = miniFatSectors > 0 ? next : kEndOfChain;
    if (miniFatSectors > 0) {
        runs.emplace_back(next, miniFatSectors);
        next += miniFatSectors;
    }
    const quint32 dirSectors = sectorsFor(entries.size() * kDirEntrySize, kSectorSize);
    const quint32 dirStart = next;
    runs.emplace_back(next, dirSectors);
    next += dirSectors;

    // The FAT must also describe its own sectors and the DIFAT's.
    quint32 fatSectors = 0;
    quint32 difatSectors = 0;
    for (;;) {
        const quint32 needFat = sectorsFor(quint64(next) + fatSectors + difatSectors, kIdsPerSector);
        const quint32 needDifat =
            needFat > kHeaderFatSlots ? sectorsFor(needFat - kHeaderFatSlots, kIdsPerSector - 1) : 0;
        if (needFat == fatSectors && needDifat == difatSectors)
            break;
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const quint32 fatStart = next;
    const quint32 difatStart = fatStart + fatSectors;

    std::vector<quint32> fat(static_cast<std::size_t>(fatSectors) * kIdsPerSector, kFreeSector);
    for (const auto& [first, count] : runs)
        chain(fat, first, count);
    for (quint32 i = 0; i < fatSectors; ++i)
        fat[fatStart + i] = kFatSector;
    for (quint32 i = 0; i < difatSectors; ++i)
        fat[difatStart + i] = kDifatSector;

    // Root's children as a search tree.
    std::vector<quint32> sorted(streams.size());
    std::iota(sorted.begin(), sorted.end(), 1u);
    std::sort(sorted.begin(), sorted.end(),
              [&entries](quint32 a, quint32 b) { return nameLess(entries[a].name, entries[b].name); });
    entries[0].child = buildTree(entries, sorted, 0, static_cast<qsizetype>(sorted.size()));

    // FAT sector numbers: the first 109 in the header, the rest 127 to a DIFAT sector, whose last
    // slot points to the next DIFAT sector.
    std::vector<quint32> fatIds(fatSectors);
    std::iota(fatIds.begin(), fatIds.end(), fatStart);
    QByteArray header(kSectorSize, '\0');
    static const unsigned char kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(std::begin(kSignature), std::end(kSignature), header.begin());
    put16(header, 24, 0x003E); // minor version
    put16(header, 26, 0x0003); // major version: 512-byte sectors
    put16(header, 28, 0xFFFE); // little-endian
    put16(header, 30, 9);      // sector shift
    put16(header, 32, 6);      // mini sector shift
    put32(header, 44, fatSectors);
    put32(header, 48, dirStart);
    put32(header, 56, kMiniStreamCutoff);
    put32(header, 60, miniFatStart);
    put32(header, 64, miniFatSectors);
    put32(header, 68, difatSectors > 0 ? difatStart : kEndOfChain);
    put32(header, 72, difatSectors);
    for (quint32 i = 0; i < kHeaderFatSlots; ++i)
        put32(header, 76 + 4 * i, i < fatSectors ? fatIds[i] : kFreeSector);

    SectorWriter out(device);
    bool ok = out.write(header);
    for (std::size_t i = 1; ok && i < entries.size(); ++i) {
        if (entries[i].size >= kMiniStreamCutoff)
            ok = out.write(streams[static_cast<qsizetype>(i - 1)].data);
    }
    if (ok && miniStreamSectors > 0) {
        QByteArray mini;
        mini.reserve(static_cast<qsizetype>(miniStreamSize));
        for (std::size_t i = 1; i < entries.size(); ++i) {
            if (entries[i].size > 0 && entries[i].size < kMiniStreamCutoff) {
                mini += streams[static_cast<qsizetype>(i - 1)].data;
                mini.append(
                    static_cast<qsizetype>((kMiniSectorSize - entries[i].size % kMiniSectorSize) % kMiniSectorSize),
                    '\0');
            }
        }
        ok = out.write(mini);
    }
    ok = ok && out.writeIds(miniFat, 0, miniFat.size());
    ok = ok && out.write(directoryBytes(entries, dirSectors));
    ok = ok && out.writeIds(fat, 0, fat.size());
    for (quint32 d = 0; ok && d < difatSectors; ++d) {
        std::vector<quint32> ids(kIdsPerSector, kFreeSector);
        for (quint32 s = 0; s + 1 < kIdsPerSector; ++s) {
            const quint32 index = kHeaderFatSlots + d * (kIdsPerSector - 1) + s;
            if (index < fatSectors)
                ids[s] = fatIds[index];
        }
        ids[kIdsPerSector - 1] = (d + 1 < difatSectors) ? difatStart + d + 1 : kEndOfChain;
        ok = out.writeIds(ids, 0, ids.size());
    }
    if (!ok)
        return fail(device->errorString());
    return true;
}

} // namespace quorrel
