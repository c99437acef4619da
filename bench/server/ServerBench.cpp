// The shop on a PostgreSQL server against plain libpq doing the same statements: storing a
// 50-line sale under the next ticket number, and a completion lookup among 1,000,000 products.
// The server is a private cluster on a Unix socket (see tests/support/PostgresServer.h), or the
// one QUORREL_BENCH_DATABASE names (an empty database: its tables are made here).

#include "support/BenchShop.h"
#include "support/PostgresServer.h"
#include "support/RatioReport.h"

#include "core/records/DaySummary.h"
#include "core/records/RecordsQuery.h"
#include "core/records/SaleRecords.h"
#include "core/records/SalesRecordsModel.h"
#include "core/sales/ProductStore.h"
#include "core/sales/SaleStore.h"
#include "core/store/Database.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/ServerSchema.h"
#include "core/tickets/TicketNumbers.h"

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kLines = 50;
constexpr int kProducts = 1000000;
const char* const kPrefixes[] = {"商品1", "商品12345", "x"};

[[noreturn]] void fail(const char* what, const QString& why)
{
    std::fprintf(stderr, "%s %s\n", what, qPrintable(why));
    std::exit(1);
}

QString& connection()
{
    static QString text;
    return text;
}

quorrel::Database& shop()
{
    static quorrel::Database db;
    return db;
}

PGconn* plain()
{
    static PGconn* pg = nullptr;
    if (!pg) {
        pg = PQconnectdb(connection().toUtf8().constData());
        if (PQstatus(pg) != CONNECTION_OK)
            fail("plain connection:", QString::fromUtf8(PQerrorMessage(pg)));
    }
    return pg;
}

bool plainRun(const char* sql, int count = 0, const char* const* values = nullptr, PGresult** keep = nullptr)
{
    PGresult* result = PQexecParams(plain(), sql, count, nullptr, values, nullptr, nullptr, 0);
    const ExecStatusType state = PQresultStatus(result);
    const bool ok = state == PGRES_COMMAND_OK || state == PGRES_TUPLES_OK;
    if (keep && ok)
        *keep = result;
    else
        PQclear(result);
    return ok;
}

void StoreSale(benchmark::State& state)
{
    const quorrel::Sale sale = quorrel::bench::saleOfLines(kLines);
    quorrel::SaleHeader header;
    header.cashier = QStringLiteral("admin");
    header.remark = QStringLiteral("谢谢惠顾");
    for (auto _ : state) {
        const auto stored = quorrel::storeNextSale(shop(), quorrel::kTicketFormatDatePrefix, header, sale);
        if (!stored)
            state.SkipWithError("sale not stored");
        else
            header.ticketNumber = stored->ticketNumber;
    }
}
BENCHMARK(StoreSale)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The same statements by hand: the lock, the last number, the header, its ID, the lines in one
// statement, the commit.
void PlainStoreSale(benchmark::State& state)
{
    QByteArray lines = "insert into 销售详情 (关联,名称,数量,单价,金额,折后,备注,折扣) values ";
    for (int k = 0; k < kLines; ++k)
        lines += QStringLiteral("%1($1,$%2,'2','3.50','7.00','7.00',' 谢谢惠顾','10')")
                     .arg(k ? QStringLiteral(",") : QString())
                     .arg(k + 2)
                     .toUtf8();
    std::vector<QByteArray> names;
    for (int k = 0; k < kLines; ++k)
        names.push_back(QStringLiteral("商品%1").arg(k).toUtf8());
    for (auto _ : state) {
        PGresult* last = nullptr;
        PGresult* id = nullptr;
        bool ok = plainRun("BEGIN") && plainRun("select pg_advisory_xact_lock(1364349003)") &&
                  plainRun("select 销售票号 from 销售记录 order by id desc limit 1", 0, nullptr, &last) &&
                  plainRun("select 销售id, 销售票号 from 末单票号");
        const QByteArray number =
            QByteArray::number(PQntuples(last) ? QByteArray(PQgetvalue(last, 0, 0)).toLongLong() + 1 : 1);
        PQclear(last);
        const char* header[] = {number.constData(),   "100", "350.00", "admin", "谢谢惠顾 ", "", "", "", "",
                                "2016-12-07 10:00:00"};
        ok = ok &&
             plainRun("insert into 销售记录 (销售票号,数量,金额,收银员,备注,付款方式,实收,找零,收银台,销售时间) "
                      "values ($1,$2,$3,$4,$5,$6,$7,$8,$9,$10)",
                      10, header) &&
             plainRun("select lastval()", 0, nullptr, &id);
        std::vector<const char*> values{ok ? PQgetvalue(id, 0, 0) : "0"};
        for (const QByteArray& name : names)
            values.push_back(name.constData());
        ok = ok && plainRun(lines.constData(), int(values.size()), values.data()) && plainRun("COMMIT");
        PQclear(id);
        if (!ok) {
            plainRun("ROLLBACK");
            state.SkipWithError(PQerrorMessage(plain()));
        }
    }
}
BENCHMARK(PlainStoreSale)->Unit(benchmark::kMillisecond)->Repetitions(5);

void CompletionLookup(benchmark::State& state)
{
    const QString prefix = QString::fromUtf8(kPrefixes[state.range(0)]);
    for (auto _ : state) {
        if (!quorrel::lastProductWithPrefix(shop(), prefix))
            state.SkipWithError("lookup failed");
    }
}
BENCHMARK(CompletionLookup)->DenseRange(0, std::size(kPrefixes) - 1)->Unit(benchmark::kMicrosecond)->Repetitions(3);

// What the name index alone answers: the highest ID in the prefix's range, then its row.
void PlainPrefixQuery(benchmark::State& state)
{
    const QByteArray prefix(kPrefixes[state.range(0)]);
    const QByteArray bound = quorrel::prefixUpperBound(QString::fromUtf8(prefix)).toUtf8();
    for (auto _ : state) {
        const char* values[] = {prefix.constData(), bound.constData()};
        PGresult* id = nullptr;
        if (!plainRun("select max(id) from 商品名称 where 名称 >= $1 and 名称 < $2", 2, values, &id)) {
            state.SkipWithError("query failed");
            continue;
        }
        const char* row[] = {PQgetvalue(id, 0, 0)};
        if (!PQgetisnull(id, 0, 0))
            plainRun("select 名称, 单价 from 商品名称 where id = $1", 1, row);
        PQclear(id);
    }
}
BENCHMARK(PlainPrefixQuery)->DenseRange(0, std::size(kPrefixes) - 1)->Unit(benchmark::kMicrosecond)->Repetitions(3);

// --- the records window's first rows ---------------------------------------------------------------

int salesCount()
{
    const int named = qEnvironmentVariableIntValue("QUORREL_SERVER_BENCH_SALES");
    return named > 0 ? named : 1000000;
}

// Today as the benchmark's sales have it: the last 300 of them.
const QDateTime kToday(QDate(2016, 12, 7), QTime(23, 0));

void readFirstRows(benchmark::State& state, const quorrel::RecordsQuery& query)
{
    const QString sql = quorrel::recordsSql(query, quorrel::kRecordColumns);
    for (auto _ : state) {
        // As the records list reads them: through its cursor.
        auto rows = shop().browse(sql, query.params);
        if (!rows) {
            state.SkipWithError("query failed");
            continue;
        }
        for (int n = 0; n < 100 && !rows->atEnd(); ++n, rows->moveNext())
            benchmark::DoNotOptimize(rows->text(2));
    }
}

void plainFirstRows(benchmark::State& state, const char* sql, const std::vector<QByteArray>& params)
{
    std::vector<const char*> values;
    for (const QByteArray& param : params)
        values.push_back(param.constData());
    for (auto _ : state) {
        PGresult* rows = nullptr;
        if (!plainRun(sql, int(values.size()), values.data(), &rows)) {
            state.SkipWithError("query failed");
            continue;
        }
        for (int n = 0; n < 100 && n < PQntuples(rows); ++n)
            benchmark::DoNotOptimize(PQgetvalue(rows, n, 1));
        PQclear(rows);
    }
}

void TodaysRecords(benchmark::State& state)
{
    readFirstRows(state, quorrel::todaysRecords(kToday));
}
BENCHMARK(TodaysRecords)->Unit(benchmark::kMillisecond)->Repetitions(5);

void PlainTodaysRecords(benchmark::State& state)
{
    plainFirstRows(state,
                   "select s.id, s.销售票号, s.销售时间, s.数量, s.金额, s.收银员, s.备注 from 销售记录 s "
                   "where s.销售时间 between $1 and $2 order by s.销售时间 desc, s.id desc",
                   {"2016-12-07 00:00:00", "2016-12-07 23:00:00"});
}
BENCHMARK(PlainTodaysRecords)->Unit(benchmark::kMillisecond)->Repetitions(5);

void QuickFind(benchmark::State& state)
{
    readFirstRows(state, quorrel::ticketFragmentRecords(QStringLiteral("4321")));
}
BENCHMARK(QuickFind)->Unit(benchmark::kMillisecond)->Repetitions(5);

void PlainQuickFind(benchmark::State& state)
{
    plainFirstRows(state,
                   "select s.id, s.销售票号, s.销售时间, s.数量, s.金额, s.收银员, s.备注 from 销售记录 s "
                   "where s.销售票号 ilike $1",
                   {"%4321%"});
}
BENCHMARK(PlainQuickFind)->Unit(benchmark::kMillisecond)->Repetitions(5);

// A list of every sale (a search that finds them all): the records list's first screen, read through
// its cursor, against the whole result arriving at once as a plain query has it. The counter is the
// memory the open list takes.
quorrel::RecordsQuery everySale()
{
    quorrel::RecordsQuery every;
    every.order = QStringLiteral("order by s.销售时间 desc, s.ID desc");
    return every;
}

void EverySaleListed(benchmark::State& state)
{
    const quorrel::RecordsQuery every = everySale();
    double taken = 0;
    for (auto _ : state) {
        quorrel::SalesRecordsModel model(shop());
        const double before = quorrel::bench::residentMegabytes();
        if (!model.setQuery(every))
            state.SkipWithError("list not opened");
        taken = quorrel::bench::residentMegabytes() - before;
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["open_list_MB"] = taken;
}
BENCHMARK(EverySaleListed)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void EverySaleAtOnce(benchmark::State& state)
{
    const QString sql = quorrel::recordsSql(everySale(), quorrel::kRecordColumns);
    double taken = 0;
    for (auto _ : state) {
        const double before = quorrel::bench::residentMegabytes();
        auto rows = shop().query(sql);
        if (!rows)
            state.SkipWithError("query failed");
        taken = quorrel::bench::residentMegabytes() - before;
        for (int n = 0; n < 32 && rows && !rows->atEnd(); ++n, rows->moveNext())
            benchmark::DoNotOptimize(rows->text(2));
    }
    state.counters["open_list_MB"] = taken;
}
BENCHMARK(EverySaleAtOnce)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// --- the day's closing ------------------------------------------------------------------------------

// A busy day after the benchmark's "today": 5,000 sales paid in the four methods by three cashiers.
const QDate kBusyDay(2016, 12, 8);
constexpr int kBusyDaySales = 5000;

void DaySummaryOfABusyDay(benchmark::State& state)
{
    const QStringList methods{QStringLiteral("现金"), QStringLiteral("微信支付"), QStringLiteral("支付宝"),
                              QStringLiteral("银行卡")};
    for (auto _ : state) {
        const auto figures = quorrel::daySummary(shop(), kBusyDay, QString(), methods);
        if (!figures || figures->total.count != kBusyDaySales)
            state.SkipWithError("day not summed");
    }
}
BENCHMARK(DaySummaryOfABusyDay)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The same two statements: the day's sales read whole, and the day's change log.
void PlainDayStatements(benchmark::State& state)
{
    const char* const day[] = {"2016-12-08 00:00:00", "2016-12-08 23:59:59"};
    for (auto _ : state) {
        PGresult* sales = nullptr;
        PGresult* changes = nullptr;
        if (!plainRun("select 付款方式, 收银员, 金额 from 销售记录 where 销售时间 between $1 and $2 "
                      "order by 销售时间, id",
                      2, day, &sales) ||
            !plainRun("select 时间, 用户, 收银台, 动作, 销售票号, 之前, 之后 from 销售变更 "
                      "where 时间 between $1 and $2 order by id",
                      2, day, &changes))
            state.SkipWithError("day not read");
        for (int n = 0; sales && n < PQntuples(sales); ++n)
            benchmark::DoNotOptimize(PQgetvalue(sales, n, 2));
        PQclear(sales);
        PQclear(changes);
    }
}
BENCHMARK(PlainDayStatements)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::unique_ptr<quorrel::test::PostgresServer> server;
    connection() = qEnvironmentVariable("QUORREL_BENCH_DATABASE");
    if (connection().isEmpty()) {
        server = std::make_unique<quorrel::test::PostgresServer>();
        if (!server->unavailable().isEmpty())
            fail("no private server:", server->unavailable());
        connection() = server->createDatabase(QStringLiteral("bench"));
    }
    if (!shop().open(connection(), quorrel::schema::kDatabaseKey))
        fail("cannot connect:", shop().lastError());
    if (const quorrel::Done made = quorrel::server::createShop(shop()); !made)
        fail("shop not made:", made.error());
    QElapsedTimer timer;
    timer.start();
    if (!shop().execute(QStringLiteral("insert into 商品名称 (名称, 单价) select '商品' || n, '1.00' "
                                       "from generate_series(1, ?) as n"),
                        {kProducts}) ||
        !shop().execute(QStringLiteral("analyze 商品名称")))
        fail("products not stored:", shop().lastError());
    std::printf("%d products stored in %.1f s\n", kProducts, timer.elapsed() / 1000.0);
    // The sales: one a minute back from today's last, numbered as the date format numbers them.
    timer.restart();
    if (!shop().execute(QStringLiteral("insert into 销售记录 (销售票号, 销售时间, 数量, 金额, 收银员, 备注) "
                                       "select '161207' || lpad(n::text, 7, '0'), "
                                       "to_char(timestamp '2016-12-07 22:59:00' - (? - n) * interval '1 minute', "
                                       "'YYYY-MM-DD HH24:MI:SS'), '3', '10.50', 'admin', ' ' "
                                       "from generate_series(1, ?) as n"),
                        {salesCount(), salesCount()}) ||
        !shop().execute(QStringLiteral("analyze 销售记录")))
        fail("sales not stored:", shop().lastError());
    if (!shop().execute(QStringLiteral("insert into 销售记录 (销售票号, 销售时间, 数量, 金额, 收银员, 备注, 付款方式) "
                                       "select '161208' || lpad(n::text, 7, '0'), "
                                       "'2016-12-08 ' || lpad((8 + n % 14)::text, 2, '0') || ':' || "
                                       "lpad((n % 60)::text, 2, '0') || ':' || lpad((n * 7 % 60)::text, 2, '0'), "
                                       "'1', (n % 97) || '.50', "
                                       "case n % 3 when 0 then 'admin' when 1 then '小王' else '小李' end, ' ', "
                                       "case n % 4 when 0 then '现金' when 1 then '微信支付' when 2 then '支付宝' "
                                       "else '银行卡' end "
                                       "from generate_series(1, ?) as n"),
                        {kBusyDaySales}) ||
        !shop().execute(QStringLiteral("analyze 销售记录")))
        fail("busy day not stored:", shop().lastError());
    auto trigrams =
        shop().query(QStringLiteral("select count(*) from pg_indexes where indexname = '销售记录_票号片段'"));
    std::printf("%d sales stored in %.1f s (trigram index: %s)\n", salesCount(), timer.elapsed() / 1000.0,
                trigrams && trigrams->text(1) == QStringLiteral("1") ? "yes" : "no");
    timer.restart();
    if (!quorrel::lastProductWithPrefix(shop(), QStringLiteral("商")))
        fail("first lookup failed:", shop().lastError());
    std::printf("first lookup after a bulk import (walks the products once): %.1f ms\n", timer.nsecsElapsed() / 1e6);
    const int status = quorrel::bench::runWithRatios(
        argc, argv,
        {{"storing a 50-line sale on the server / plain libpq", "StoreSale", "PlainStoreSale", 1.2, true},
         {"completion '商品1' on the server / plain libpq", "CompletionLookup/0", "PlainPrefixQuery/0", 0},
         {"completion '商品12345' on the server / plain libpq", "CompletionLookup/1", "PlainPrefixQuery/1", 0},
         {"today's records, first rows / plain libpq", "TodaysRecords", "PlainTodaysRecords", 0},
         {"quick find '4321', first rows / plain libpq", "QuickFind", "PlainQuickFind", 0},
         {"every sale listed, first screen / the whole result at once", "EverySaleListed", "EverySaleAtOnce", 0},
         {"day's closing of 5,000 sales / plain statements", "DaySummaryOfABusyDay", "PlainDayStatements", 0}});
    PQfinish(plain());
    shop().close();
    return status;
}
