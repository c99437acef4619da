// The database moments of a sale in a shop that has remembered 1,000,000 products (names 商品0000001
// to 商品1000000, all beginning with the same character): a completion lookup while the cashier
// types, opening the product drop-down list, and storing a sale of 50 lines. Each is set beside the
// way it was done before or the same work in plain SQLCipher calls.

#include "core/sales/NameCompletion.h"
#include "core/sales/ProductStore.h"
#include "core/sales/Sale.h"
#include "core/sales/SaleStore.h"
#include "core/shop/Products.h"
#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/Gbk.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/SchemaUpgrade.h"
#include "core/store/Transaction.h"
#include "gui/sales/ProductLookup.h"
#include "gui/widgets/DropComboBox.h"
#include "support/BenchShop.h"
#include "support/RatioReport.h"

#include <sqlcipher/sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int kProducts = 1000000;
constexpr int kLines = 50;

// From the prefix every product shares to one only the oldest product has, and two nothing begins
// with.
const char* const kPrefixes[] = {"商",          "商品0",       "商品01", "商品0000", "商品00000",
                                 "商品0000001", "商品1000000", "商品9",  "x"};

using quorrel::bench::fail;

class Shop : public quorrel::bench::BenchShop
{
public:
    Shop()
    {
        addProducts(kProducts, [](int i) { return QStringLiteral("商品%1").arg(i + 1, 7, 10, QChar(u'0')); });
    }
};

Shop& theShop()
{
    static Shop shop;
    return shop;
}

// --- completion ----------------------------------------------------------------------------------

// What a key release in the name box costs: the prefix lookup, then the completion of the box.
void CompletionLookup(benchmark::State& state)
{
    quorrel::Database& db = theShop().db();
    const QString typed = QString::fromUtf8(kPrefixes[state.range(0)]);
    state.SetLabel(kPrefixes[state.range(0)]);
    for (auto _ : state) {
        const auto match = quorrel::lastProductWithPrefix(db, typed);
        if (!match)
            state.SkipWithError("lookup failed");
        auto completed = quorrel::completeName(typed, quorrel::gbkLength(typed), match->name);
        benchmark::DoNotOptimize(completed);
    }
}
BENCHMARK(CompletionLookup)->DenseRange(0, std::size(kPrefixes) - 1)->Unit(benchmark::kMicrosecond)->Repetitions(3);

// How it was looked up before, in plain SQLite: the highest ID in the name range, then that row.
void PlainPrefixQuery(benchmark::State& state)
{
    sqlite3* db = theShop().plain();
    const QString prefix = QString::fromUtf8(kPrefixes[state.range(0)]);
    state.SetLabel(kPrefixes[state.range(0)]);
    const QByteArray low = prefix.toUtf8();
    const QByteArray high = quorrel::prefixUpperBound(prefix).toUtf8();
    for (auto _ : state) {
        sqlite3_stmt* range = nullptr;
        if (sqlite3_prepare_v2(db, "select max(ID) from 商品名称 where 名称 >= ? and 名称 < ?", -1, &range, nullptr) !=
            SQLITE_OK)
            state.SkipWithError("prepare failed");
        sqlite3_bind_text(range, 1, low.constData(), static_cast<int>(low.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(range, 2, high.constData(), static_cast<int>(high.size()), SQLITE_TRANSIENT);
        QString name;
        if (sqlite3_step(range) == SQLITE_ROW && sqlite3_column_type(range, 0) == SQLITE_INTEGER) {
            const sqlite3_int64 id = sqlite3_column_int64(range, 0);
            sqlite3_stmt* row = nullptr;
            sqlite3_prepare_v2(db, "select * from 商品名称 where ID = ?", -1, &row, nullptr);
            sqlite3_bind_int64(row, 1, id);
            if (sqlite3_step(row) == SQLITE_ROW)
                name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(row, 1)));
            sqlite3_finalize(row);
        }
        sqlite3_finalize(range);
        benchmark::DoNotOptimize(name);
    }
}
BENCHMARK(PlainPrefixQuery)->DenseRange(0, std::size(kPrefixes) - 1)->Unit(benchmark::kMicrosecond)->Repetitions(3);

// --- a shop of the release before ----------------------------------------------------------------

// The shop as the release before this one wrote it: the same million products, no lookup tables,
// schema version 2. Each run opens a fresh copy of it.
class OlderShop
{
public:
    OlderShop()
    {
        quorrel::Database& db = theShop().db();
        if (!QFile::copy(db.path(), m_template))
            fail("older shop not copied");
        quorrel::Database older;
        if (!older.open(m_template, quorrel::schema::kDatabaseKey) ||
            !older.executeScript(quorrel::schema::kDropLookupTables) ||
            !older.execute(QStringLiteral("PRAGMA user_version = 2")))
            fail("older shop not made:", older.lastError());
    }
    // A fresh copy of the older shop, to be opened.
    QString copy()
    {
        QFile::remove(m_copy);
        if (!QFile::copy(m_template, m_copy))
            fail("older shop not copied");
        return m_copy;
    }

private:
    QTemporaryDir m_dir;
    QString m_template = m_dir.filePath(QStringLiteral("older.mdb"));
    QString m_copy = m_dir.filePath(QStringLiteral("ZoZ.mdb"));
};

OlderShop& olderShop()
{
    static OlderShop shop;
    return shop;
}

// Opening it the first time: the upgrade walks the million products once and makes the lookup
// tables, in one transaction. Counter "ticks": how often the progress dialog heard from it.
void UpgradeOlderShop(benchmark::State& state)
{
    int ticks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = olderShop().copy();
        state.ResumeTiming();
        quorrel::Database db;
        if (!db.open(path, quorrel::schema::kDatabaseKey, [&ticks] { ++ticks; }) ||
            quorrel::schemaVersion(db) != quorrel::schema::kSchemaVersion)
            state.SkipWithError("not upgraded");
    }
    state.counters["ticks"] = ticks;
}
BENCHMARK(UpgradeOlderShop)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// The cashier's first keystroke on the file just upgraded: the lookup pays nothing more.
void FirstKeystrokeAfterUpgrade(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = olderShop().copy();
        quorrel::Database db;
        if (!db.open(path, quorrel::schema::kDatabaseKey))
            state.SkipWithError("not opened");
        state.ResumeTiming();
        const auto match = quorrel::lastProductWithPrefix(db, QStringLiteral("商"));
        if (!match || match->name.isEmpty())
            state.SkipWithError("lookup failed");
        state.PauseTiming();
        QElapsedTimer second;
        second.start();
        benchmark::DoNotOptimize(quorrel::lastProductWithPrefix(db, QStringLiteral("商品")));
        state.counters["next_key_us"] = second.nsecsElapsed() / 1000.0;
        state.ResumeTiming();
    }
}
BENCHMARK(FirstKeystrokeAfterUpgrade)->Unit(benchmark::kMicrosecond)->Iterations(1)->Repetitions(5);

// The same on a file that was current already: what a first lookup on a fresh connection costs.
void FirstKeystrokeAfterOpen(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        quorrel::Database db;
        if (!db.open(theShop().db().path(), quorrel::schema::kDatabaseKey))
            state.SkipWithError("not opened");
        state.ResumeTiming();
        const auto match = quorrel::lastProductWithPrefix(db, QStringLiteral("商"));
        if (!match || match->name.isEmpty())
            state.SkipWithError("lookup failed");
    }
}
BENCHMARK(FirstKeystrokeAfterOpen)->Unit(benchmark::kMicrosecond)->Iterations(1)->Repetitions(5);

// --- the product drop-down list ------------------------------------------------------------------

// Dropping the list down as the cashier does: it is filled afresh, then shown.
void OpenProductList(benchmark::State& state)
{
    QLineEdit name;
    QLineEdit price;
    quorrel::DropComboBox combo;
    quorrel::Products products(theShop().db());
    quorrel::ProductLookup lookup(&name, &price, &combo, products, nullptr);
    combo.show();
    for (auto _ : state) {
        combo.showPopup();
        QApplication::processEvents();
        state.PauseTiming();
        combo.hidePopup();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rss_mb"] = quorrel::bench::residentMegabytes();
    state.counters["rows_read"] = combo.count();
}
BENCHMARK(OpenProductList)->Unit(benchmark::kMillisecond)->Iterations(20);

// How the list was filled before: every product read and added as an item, then shown. Runs once,
// last: it leaves the process as large as it made it.
void AllRowsList(benchmark::State& state)
{
    quorrel::Database& db = theShop().db();
    for (auto _ : state) {
        QComboBox combo;
        auto records = db.query(QStringLiteral("select * from 商品名称"));
        for (records->moveFirst(); !records->atEnd(); records->moveNext())
            combo.addItem(records->text(QStringLiteral("代码")) + records->text(QStringLiteral("名称")),
                          quorrel::textToWhole(records->text(QStringLiteral("单价"))));
        combo.show();
        combo.showPopup();
        QApplication::processEvents();
        state.counters["rss_mb"] = quorrel::bench::residentMegabytes();
        combo.hidePopup();
    }
}

// --- saving a sale -------------------------------------------------------------------------------

quorrel::SaleHeader saleHeader()
{
    quorrel::SaleHeader header;
    header.ticketNumber = QStringLiteral("1612070000001");
    header.cashier = QStringLiteral("admin");
    header.remark = QStringLiteral("谢谢惠顾");
    return header;
}

void SaveSale(benchmark::State& state)
{
    quorrel::Database& db = theShop().db();
    const quorrel::Sale sale = quorrel::bench::saleOfLines(kLines);
    const quorrel::SaleHeader header = saleHeader();
    for (auto _ : state) {
        if (!quorrel::storeSale(db, header, sale))
            state.SkipWithError("sale not stored");
    }
}
BENCHMARK(SaveSale)->Unit(benchmark::kMillisecond)->Repetitions(5);

// How a sale was stored before: one statement for the header and one for each line.
void SaveSaleLineByLine(benchmark::State& state)
{
    quorrel::Database& db = theShop().db();
    const quorrel::Sale sale = quorrel::bench::saleOfLines(kLines);
    const quorrel::SaleHeader header = saleHeader();
    for (auto _ : state) {
        quorrel::Transaction transaction(db);
        bool ok = db.execute(
            QStringLiteral("insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values "
                           "(?,now(),?,?,?,?)"),
            {header.ticketNumber, sale.totalQuantity(), sale.totalAmount(), header.cashier, header.remark + u' '});
        const qint64 id = db.lastInsertId();
        for (const quorrel::LineCells& line : sale.lines()) {
            ok = ok && db.execute(QStringLiteral("insert into [销售详情] (关联,名称,数量,单价,金额,折后,备注 ) values "
                                                 "(?,?,?,?,?,?,? )"),
                                  {id, line.name, line.quantity, line.unitPrice, line.amount, line.discounted,
                                   u' ' + header.remark});
        }
        if (!ok || !transaction.commit())
            state.SkipWithError("sale not stored");
    }
}
BENCHMARK(SaveSaleLineByLine)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The same rows in one plain transaction, each statement prepared once.
void PlainSaleInserts(benchmark::State& state)
{
    sqlite3* db = theShop().plain();
    const quorrel::Sale sale = quorrel::bench::saleOfLines(kLines);
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
            text(header, 2, sale.totalQuantity());
            text(header, 3, sale.totalAmount());
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
        for (const quorrel::LineCells& cells : sale.lines()) {
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
    QApplication app(argc, argv);
    QElapsedTimer timer;
    timer.start();
    theShop(); // fill the shop before anything is timed
    std::printf("%d products stored in %.1f s\n", kProducts, timer.elapsed() / 1000.0);
    // The products were stored behind the program's back, a million at once: the first lookup takes
    // them into the prefix table in one walk.
    timer.restart();
    if (!quorrel::lastProductWithPrefix(theShop().db(), QStringLiteral("商")))
        fail("first lookup failed:", theShop().db().lastError());
    std::printf("first lookup after a bulk import (walks the products once): %.1f ms, RSS %.0f MB\n",
                timer.nsecsElapsed() / 1e6, quorrel::bench::residentMegabytes());
    olderShop(); // made before anything is timed
    benchmark::RegisterBenchmark("AllRowsList", AllRowsList)->Unit(benchmark::kMillisecond)->Iterations(1);
    return quorrel::bench::runWithRatios(
        argc, argv,
        {{"saving a 50-line sale / plain inserts", "SaveSale", "PlainSaleInserts", 1.15, true},
         {"saving a 50-line sale line by line (before) / plain inserts", "SaveSaleLineByLine", "PlainSaleInserts", 0,
          true},
         {"opening the product list / filling it with every row (before)", "OpenProductList", "AllRowsList", 0}});
}
