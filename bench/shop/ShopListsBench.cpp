// The settings window's and the customer window's long lists: opening the product page of a shop
// with 1,000,000 products (the first page of rows the view shows), opening the customer list of a
// shop with 100,000 customers, and finding customers by a part of the telephone number, against the
// statement that reads every customer in plain SQLCipher.

#include "core/shop/CustomerListModel.h"
#include "core/shop/Customers.h"
#include "core/shop/Products.h"
#include "core/store/Database.h"
#include "support/BenchShop.h"
#include "support/RatioReport.h"

#include <QCoreApplication>

#include <sqlcipher/sqlite3.h>

#include <benchmark/benchmark.h>

#include <limits>

namespace {

using quorrel::bench::fail;
using Field = quorrel::Customers::Search::Field;

constexpr int kPageRows = 256;

class Shop : public quorrel::bench::BenchShop
{
public:
    Shop()
    {
        if (!db().execute(
                QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000000) "
                               "insert into 商品名称 (名称, 单价) select '商品' || i, (i % 50) || '.50' from n")))
            fail("products not stored:", db().lastError());
        // Mobile numbers spread over the whole range: a four-digit part is in about 80 of them.
        if (!db().execute(
                QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < 100000) "
                               "insert into 客户资料 (姓名, 电话) select '客户' || i, '139' || substr('0000000' || (i "
                               "* 7919 % 100000000), -8) "
                               "from n")))
            fail("customers not stored:", db().lastError());
    }
};

Shop& theShop()
{
    static Shop shop;
    return shop;
}

quorrel::Result<QList<quorrel::Customer>> search(Field field, const QString& text, bool partial)
{
    return quorrel::Customers(theShop().db())
        .page({field, text, partial}, std::numeric_limits<qint64>::min(), kPageRows);
}

void OpenProductPage(benchmark::State& state)
{
    quorrel::Products products(theShop().db());
    for (auto _ : state) {
        const auto page = products.page(std::numeric_limits<qint64>::min(), kPageRows);
        if (!page || page->size() != kPageRows)
            state.SkipWithError("product page not read");
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(OpenProductPage)->Unit(benchmark::kMillisecond)->Repetitions(3);

void OpenCustomerList(benchmark::State& state)
{
    quorrel::Customers customers(theShop().db());
    quorrel::CustomerListModel list(customers);
    for (auto _ : state) {
        if (!list.reload() || list.rowCount() != kPageRows)
            state.SkipWithError("customer list not read");
    }
}
BENCHMARK(OpenCustomerList)->Unit(benchmark::kMillisecond)->Repetitions(3);

const char* const kParts[] = {"4242", "424", "42", "13942424242"};

void FindCustomerByPhonePart(benchmark::State& state)
{
    const QString part = QString::fromLatin1(kParts[state.range(0)]);
    state.SetLabel(kParts[state.range(0)]);
    // The customers stored by the set-up are taken into the index by the first search.
    static_cast<void>(search(Field::Phone, part, true));
    qsizetype found = 0;
    for (auto _ : state) {
        const auto page = search(Field::Phone, part, true);
        if (!page)
            state.SkipWithError("customer search failed");
        found = page ? page->size() : 0;
    }
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(FindCustomerByPhonePart)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Repetitions(3);

// A customer added, then a search: the change is taken into the index by the search.
void AddCustomerThenFindByPhonePart(benchmark::State& state)
{
    quorrel::Customers customers(theShop().db());
    static_cast<void>(search(Field::Phone, QStringLiteral("4242"), true));
    for (auto _ : state) {
        state.PauseTiming();
        if (!customers.add(QStringLiteral("新客"), QStringLiteral("13700004242")))
            state.SkipWithError("customer not added");
        state.ResumeTiming();
        if (!search(Field::Phone, QStringLiteral("4242"), true))
            state.SkipWithError("customer search failed");
    }
}
BENCHMARK(AddCustomerThenFindByPhonePart)->Unit(benchmark::kMillisecond)->Repetitions(3);

void FindCustomerByNamePart(benchmark::State& state)
{
    for (auto _ : state) {
        if (!search(Field::Name, QStringLiteral("户4242"), true))
            state.SkipWithError("customer search failed");
    }
}
BENCHMARK(FindCustomerByNamePart)->Unit(benchmark::kMillisecond)->Repetitions(3);

void FindCustomerByWholePhone(benchmark::State& state)
{
    for (auto _ : state) {
        if (!search(Field::Phone, QStringLiteral("13942424242"), false))
            state.SkipWithError("customer search failed");
    }
}
BENCHMARK(FindCustomerByWholePhone)->Unit(benchmark::kMillisecond)->Repetitions(3);

// The yardstick: the first page of the partial search reading the customers in order.
void PlainPhoneLikeScan(benchmark::State& state)
{
    sqlite3* db = theShop().plain();
    for (auto _ : state) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "select ID, 姓名, 电话 from 客户资料 where 电话 like '%4242%' order by ID limit 256",
                               -1, &statement, nullptr) != SQLITE_OK)
            state.SkipWithError("prepare failed");
        int rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(statement);
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(PlainPhoneLikeScan)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    theShop(); // fill the shop before anything is timed
    return quorrel::bench::runWithRatios(
        argc, argv,
        {{"phone part 4242 / reading every customer", "FindCustomerByPhonePart/0", "PlainPhoneLikeScan", 0, true}});
}
