#include "support/BenchShop.h"

#include "core/store/FactoryDatabase.h"
#include "core/store/Schema.h"

#include <QFile>

#include <sqlcipher/sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quorrel::bench {

void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "%s %s\n", what, detail.toLocal8Bit().constData());
    std::exit(1);
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

BenchShop::BenchShop()
{
    if (!m_dir.isValid())
        fail("no temporary directory");
    m_path = m_dir.filePath(QStringLiteral("ZoZ.mdb"));
    QString error;
    if (!writeFactoryDatabase(m_path, &error))
        fail("factory database not written:", error);
    if (!m_db.open(m_path, QByteArray(schema::kDatabaseKey)))
        fail("database not opened:", m_db.lastError());
    // Opened as Database::Open does (one thread, no mutex): the key, then one statement to prove it.
    const QByteArray path = m_path.toUtf8();
    const char* key = schema::kDatabaseKey;
    if (sqlite3_open_v2(path.constData(), &m_plain, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
            SQLITE_OK ||
        sqlite3_key(m_plain, key, static_cast<int>(std::strlen(key))) != SQLITE_OK ||
        sqlite3_exec(m_plain, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("plain connection not opened:", QString::fromUtf8(sqlite3_errmsg(m_plain)));
}

void BenchShop::addProducts(int count, const std::function<QString(int)>& name)
{
    sqlite3_stmt* insert = nullptr;
    bool ok = sqlite3_exec(m_plain, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_prepare_v2(m_plain, "insert into 商品名称 (名称, 单价) values (?, ?)", -1, &insert, nullptr) ==
                  SQLITE_OK;
    for (int i = 0; ok && i < count; ++i) {
        const QByteArray text = name(i).toUtf8();
        const QByteArray price = QByteArray::number(1 + i % 50) + ".50";
        sqlite3_reset(insert);
        sqlite3_bind_text(insert, 1, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, price.constData(), static_cast<int>(price.size()), SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE;
    }
    sqlite3_finalize(insert);
    if (!ok || sqlite3_exec(m_plain, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("products not stored:", QString::fromUtf8(sqlite3_errmsg(m_plain)));
}

BenchShop::~BenchShop()
{
    sqlite3_close_v2(m_plain);
}

Sale saleOfLines(int lines)
{
    Sale sale;
    for (int k = 0; k < lines; ++k)
        sale.addLine({QStringLiteral("商品%1").arg(k), QStringLiteral("2"), QStringLiteral("3.50"),
                      QStringLiteral("7.00"), QStringLiteral("7.00")});
    return sale;
}

} // namespace quorrel::bench
