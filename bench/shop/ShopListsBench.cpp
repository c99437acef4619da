// The settings window's long lists: opening the product page of a shop with 1,000,000 products (the
// first page of rows the view shows) and finding a customer among 100,000 by a four-digit part of
// the telephone number, as the customer window's partial search does.

#include "core/shop/Customers.h"
#include "core/shop/Products.h"
#include "core/store/Database.h"
#include "support/BenchShop.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <limits>

namespace {

using quorrel::bench::fail;

class Shop : public quorrel::bench::BenchShop
{
public:
    Shop()
    {
        if (!db().execute(
                QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000000) "
                               "insert into 商品名称 (名称, 单价) select '商品' || i, (i % 50) || '.50' from n")))
            fail("products not stored:", db().lastError());
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

void OpenProductPage(benchmark::State& state)
{
    quorrel::Products products(theShop().db());
    for (auto _ : state) {
        const auto page = products.page(std::numeric_limits<qint64>::min(), 256);
        if (!page || page->size() != 256)
            state.SkipWithError("product page not read");
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(OpenProductPage)->Unit(benchmark::kMillisecond)->Repetitions(3);

void FindCustomerByPhonePart(benchmark::State& state)
{
    quorrel::Customers customers(theShop().db());
    quorrel::Customers::Search search;
    search.field = quorrel::Customers::Search::Field::Phone;
    search.text = QStringLiteral("4242");
    search.partial = true;
    for (auto _ : state) {
        const auto found = customers.page(search, std::numeric_limits<qint64>::min(), 256);
        if (!found)
            state.SkipWithError("customer search failed");
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(FindCustomerByPhonePart)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    theShop(); // fill the shop before anything is timed
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
