// The two database moments of a sale: one completion lookup while the cashier types, in a shop with
// 100,000 remembered products, and storing a sale of 50 lines. Each is compared with the same work
// in plain SQLCipher calls on a connection of its own to the same encrypted file.

#include "core/sales/NameCompletion.h"
#include "core/sales/ProductStore.h"
#include "core/sales/SaleStore.h"
#include "core/store/Database.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/Gbk.h"
#include "core/store/Schema.h"
#include "core/store/Transaction.h"
#include "support/BenchShop.h"
#include "support/RatioReport.h"

#include <sqlcipher/sqlite3.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kProducts = 100000;
constexpr int kLines = 50;
const char* const kPrefixes[] = {"c", "co", "ke", "可口", "zq7", "A01-"};

using quorrel::bench::fail;

// 100,000 remembered products: names a shop would have, some Latin, some Chinese, some with a
// code in front.
class Shop : public quorrel::bench::BenchShop
{
public:
    Shop()
    {
        static const char* const kWords[] = {"cola",   "coke", "cookie", "kettle",   "可口可乐",
                                             "矿泉水", "薯片", "洗衣粉", "zq7 band", "面包"};
        quorrel::Transaction transaction(db());
        for (int i = 0; i < kProducts; ++i) {
            const QString word = QString::fromUtf8(kWords[i % 10]);
            const QString name = (i % 3 == 0 ? QStringLiteral("A%1-").arg(i % 97, 2, 10, QChar(u'0')) : QString()) +
                                 word + QString::number(i);
            if (!db().execute(QStringLiteral("insert into 商品名称 (名称, 单价) values (?, ?)"),
                              {name, QString::number(1 + i % 50) + QStringLiteral(".50")}))
                fail("product not stored:", db().lastError());
        }
        if (!transaction.commit())
            fail("products not committed:", db().lastError());
    }
};

Shop& theShop()
{
    static Shop shop;
    return shop;
}

// --- completion ----------------------------------------------------------------------------------

// What a key release in the name box costs: the prefix query, then the completion of the box.
void CompletionLookup(benchmark::State& state)
{
    quorrel::Database& db = theShop().db();
    int i = 0;
    for (auto _ : state) {
        const QString typed = QString::fromUtf8(kPrefixes[i++ % std::size(kPrefixes)]);
        const auto match = quorrel::lastProductWithPrefix(db, typed);
        if (!match)
            state.SkipWithError("lookup failed");
        auto completed = quorrel::completeName(typed, quorrel::gbkLength(typed), match->name);
        benchmark::DoNotOptimize(completed);
    }
}
BENCHMARK(CompletionLookup)->Unit(benchmark::kMicrosecond)->Repetitions(5);

// The same two statements in plain SQLite: the highest ID in the name range, then that row.
void PlainPrefixQuery(benchmark::State& state)
{
    sqlite3* db = theShop().plain();
    int i = 0;
    for (auto _ : state) {
        const QString prefix = QString::fromUtf8(kPrefixes[i++ % std::size(kPrefixes)]);
        const QByteArray low = prefix.toUtf8();
        const QByteArray high = quorrel::prefixUpperBound(prefix).toUtf8();
        sqlite3_stmt* range = nullptr;
        if (sqlite3_prepare_v2(db, "select max(ID) from 商品名称 where 名称 >= ? and 名称 < ?", -1, &range, nullptr) !=
            SQLITE_OK)
            state.SkipWithError("prepare failed");
        sqlite3_bind_text(range, 1, low.constData(), static_cast<int>(low.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(range, 2, high.constData(), static_cast<int>(high.size()), SQLITE_TRANSIENT);
        QString name;
        QString price;
        if (sqlite3_step(range) == SQLITE_ROW && sqlite3_column_type(range, 0) == SQLITE_INTEGER) {
            const sqlite3_int64 id = sqlite3_column_int64(range, 0);
            sqlite3_stmt* row = nullptr;
            sqlite3_prepare_v2(db, "select * from 商品名称 where ID = ?", -1, &row, nullptr);
            sqlite3_bind_int64(row, 1, id);
            if (sqlite3_step(row) == SQLITE_ROW) {
                name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(row, 1)));
                price = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(row, 2)));
            }
            sqlite3_finalize(row);
        }
        sqlite3_finalize(range);
        benchmark::DoNotOptimize(name);
        benchmark::DoNotOptimize(price);
    }
}
BENCHMARK(PlainPrefixQuery)->Unit(benchmark::kMicrosecond)->Repetitions(5);

// For comparison: the prefix as a LIKE pattern, which SQLite cannot serve from the index when the
// pattern is a bound parameter (it reads the whole table).
void PlainLikeQuery(benchmark::State& state)
{
    sqlite3* db = theShop().plain();
    int i = 0;
    for (auto _ : state) {
        const QByteArray pattern = QByteArray(kPrefixes[i++ % std::size(kPrefixes)]) + '%';
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "select * from 商品名称 where 名称 like ? order by ID desc limit 1", -1, &statement,
                               nullptr) != SQLITE_OK)
            state.SkipWithError("prepare failed");
        sqlite3_bind_text(statement, 1, pattern.constData(), static_cast<int>(pattern.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(statement) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_text(statement, 1));
        sqlite3_finalize(statement);
    }
}
BENCHMARK(PlainLikeQuery)->Unit(benchmark::kMicrosecond)->Repetitions(5);

// --- saving a sale -------------------------------------------------------------------------------

QList<quorrel::LineCells> fiftyLines()
{
    QList<quorrel::LineCells> lines;
    for (int k = 0; k < kLines; ++k)
        lines.append({QStringLiteral("商品%1").arg(k), QStringLiteral("2"), QStringLiteral("3.50"),
                      QStringLiteral("7.00"), QStringLiteral("7.00")});
    return lines;
}

void SaveSale(benchmark::State& state)
{
    quorrel::Database& db = theShop().db();
    const QList<quorrel::LineCells> lines = fiftyLines();
    const quorrel::SaleHeader header{QStringLiteral("1612070000001"), QStringLiteral("100"), QStringLiteral("350.00"),
                                     QStringLiteral("admin"), QStringLiteral("谢谢惠顾")};
    for (auto _ : state) {
        if (!quorrel::storeSale(db, header, lines))
            state.SkipWithError("sale not stored");
    }
}
BENCHMARK(SaveSale)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The same rows in one plain transaction, each statement prepared once.
void PlainSaleInserts(benchmark::State& state)
{
    sqlite3* db = theShop().plain();
    const QList<quorrel::LineCells> lines = fiftyLines();
    auto text = [](sqlite3_stmt* statement, int index, const QString& value) {
        const QByteArray bytes = value.toUtf8();
        sqlite3_bind_text(statement, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    };
    for (auto _ : state) {
        bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_stmt* header = nullptr;
        ok = ok && sqlite3_prepare_v2(db,
                                      "insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) values "
                                      "(?,datetime('now','localtime'),?,?,?,?)",
                                      -1, &header, nullptr) == SQLITE_OK;
        if (ok) {
            text(header, 1, QStringLiteral("1612070000001"));
            text(header, 2, QStringLiteral("100"));
            text(header, 3, QStringLiteral("350.00"));
            text(header, 4, QStringLiteral("admin"));
            text(header, 5, QStringLiteral("谢谢惠顾 "));
            ok = sqlite3_step(header) == SQLITE_DONE;
        }
        sqlite3_finalize(header);
        const sqlite3_int64 id = sqlite3_last_insert_rowid(db);
        sqlite3_stmt* line = nullptr;
        ok = ok &&
             sqlite3_prepare_v2(db, "insert into 销售详情 (关联,名称,数量,单价,金额,折后,备注) values (?,?,?,?,?,?,?)",
                                -1, &line, nullptr) == SQLITE_OK;
        for (const quorrel::LineCells& cells : lines) {
            if (!ok)
                break;
            sqlite3_reset(line);
            sqlite3_bind_int64(line, 1, id);
            text(line, 2, cells.name);
            text(line, 3, cells.quantity);
            text(line, 4, cells.unitPrice);
            text(line, 5, cells.amount);
            text(line, 6, cells.discounted);
            text(line, 7, QStringLiteral(" 谢谢惠顾"));
            ok = sqlite3_step(line) == SQLITE_DONE;
        }
        sqlite3_finalize(line);
        ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!ok) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            state.SkipWithError("plain inserts failed");
        }
    }
}
BENCHMARK(PlainSaleInserts)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    theShop(); // fill the shop before anything is timed
    return quorrel::bench::runWithRatios(
        argc, argv,
        {{"completion lookup / plain prefix query", "CompletionLookup", "PlainPrefixQuery", 1.5, true},
         {"completion lookup / plain LIKE query", "CompletionLookup", "PlainLikeQuery", 0, true},
         {"saving a 50-line sale / plain inserts", "SaveSale", "PlainSaleInserts", 1.3, true}});
}
