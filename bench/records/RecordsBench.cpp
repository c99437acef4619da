// The records window at shop scale: opening it on today's sales, a quick find, the first screen and
// the totals of a 100,000-row result, each beside the same statements in plain SQLCipher calls, and
// the memory the list takes as more of a result is shown. Then the quick find "0001" through the
// window itself: from the click to its first rows painted, and to its totals, which are summed on a
// thread of their own while the window goes on handling events.
//
// The shop (QUORREL_RECORDS_SALES sales, 1,000,000 unless set; about 500 of them today) is generated
// once into a file in the build directory and reused by later runs.

#include "core/records/RecordsQuery.h"
#include "core/records/SaleRecords.h"
#include "core/records/SalesRecordsModel.h"
#include "core/shop/Session.h"
#include "core/store/Clock.h"
#include "core/store/DateTexts.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/Schema.h"
#include "core/store/Transaction.h"
#include "gui/records/SalesRecordsWindow.h"
#include "mock/MockClock.h"
#include "support/BenchShop.h"
#include "support/RatioReport.h"

#include <sqlcipher/sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using quorrel::bench::fail;

constexpr int kTodaysSales = 500;
constexpr int kYears = 10;
constexpr int kFirstScreen = 64; // what the list reads before it is first painted
const QDateTime kNow(QDate(2026, 6, 30), QTime(20, 0, 0));

qint64 salesWanted()
{
    const QByteArray wanted = qgetenv("QUORREL_RECORDS_SALES");
    return wanted.isEmpty() ? 1000000 : wanted.toLongLong();
}

QString shopPath()
{
    return QStringLiteral(RECORDS_CACHE_DIR "/records-bench-%1.mdb").arg(salesWanted());
}

// Sales spread evenly over ten years before today, then today's from 08:00 on; ticket numbers as
// the date-prefix format makes them.
void generate(const QString& path)
{
    const QString building = path + QStringLiteral(".part");
    QString error;
    if (!quorrel::writeFactoryDatabase(building, &error))
        fail("factory database not written:", error);
    quorrel::Database db;
    if (!db.open(building, quorrel::schema::kDatabaseKey))
        fail("generated shop not opened:", db.lastError());
    db.execute(QStringLiteral("PRAGMA cache_size = -200000"));
    const qint64 total = salesWanted();
    const qint64 older = total - kTodaysSales;
    const qint64 span = qint64(kYears) * 365 * 86400;
    const QDateTime start = QDateTime(kNow.date().addYears(-kYears), QTime(0, 0));
    std::fprintf(stderr, "generating %lld sales into %s …\n", static_cast<long long>(total), qPrintable(path));
    quorrel::Transaction transaction(db);
    const QString cashiers[] = {QStringLiteral("admin"), QStringLiteral("小王"), QStringLiteral("小李"),
                                QStringLiteral("老张")};
    const bool stored = db.executeEach(
        QStringLiteral("insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) values (?,?,?,?,?,?)"), total,
        [&](qint64 i) {
            const QDateTime time =
                i < older ? start.addSecs(i * span / older)
                          : QDateTime(kNow.date(), QTime(8, 0)).addSecs((i - older) * 43200 / kTodaysSales);
            return QVariantList{quorrel::datePrefix(time.date()) +
                                    QString::number(i % 10000000).rightJustified(7, u'0'),
                                quorrel::canonicalDateTimeText(time),
                                QString::number(1 + i % 7),
                                QString::number(double(1 + i % 7) * (2.5 + double(i % 300) * 0.35), 'f', 2),
                                cashiers[i % 4],
                                i % 5 ? QString() : QStringLiteral("会员 ")};
        });
    if (!stored)
        fail("sales not stored:", db.lastError());
    if (!transaction.commit())
        fail("sales not committed:", db.lastError());
    db.close();
    if (!QFile::rename(building, path))
        fail("generated shop not renamed into place");
}

struct Shop
{
    Shop()
    {
        if (!QFileInfo::exists(shopPath()))
            generate(shopPath());
        if (!session.db.open(shopPath(), quorrel::schema::kDatabaseKey))
            fail("shop not opened:", session.db.lastError());
        session.currentUser = QStringLiteral("admin");
        session.currentRole = quorrel::kAdministratorRole;
        const QByteArray key = quorrel::knownRawKey(shopPath(), quorrel::schema::kDatabaseKey);
        const QByteArray path = shopPath().toUtf8();
        if (sqlite3_open_v2(path.constData(), &plain, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
            sqlite3_key(plain, key.constData(), int(key.size())) != SQLITE_OK ||
            sqlite3_exec(plain, "select count(*) from sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail("plain connection not opened");
    }
    quorrel::Session session;
    sqlite3* plain = nullptr;
};

Shop& shop()
{
    static Shop s;
    return s;
}

// A date range holding at least 100,000 of the older sales.
quorrel::RecordsQuery largeResult()
{
    quorrel::SearchCriteria criteria;
    criteria.byTime = true;
    const qint64 perDay = (salesWanted() - kTodaysSales) / (kYears * 365);
    const qint64 days = 100000 / qMax<qint64>(perDay, 1) + 1;
    criteria.lastDay = kNow.date().addDays(-30);
    criteria.firstDay = criteria.lastDay.addDays(-(days - 1));
    return quorrel::searchRecords(criteria);
}

// Steps a statement over `rows` rows reading every column as text, as the list does.
void plainRows(const std::string& sql, const std::vector<std::string>& texts, int rows, benchmark::State& state)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(shop().plain, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(shop().plain));
        return;
    }
    for (std::size_t i = 0; i < texts.size(); ++i)
        sqlite3_bind_text(statement, int(i + 1), texts[i].c_str(), -1, SQLITE_TRANSIENT);
    int read = 0;
    while ((rows < 0 || read < rows) && sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(statement); ++c)
            benchmark::DoNotOptimize(sqlite3_column_text(statement, c));
        ++read;
    }
    sqlite3_finalize(statement);
}

std::vector<std::string> texts(const QVariantList& params)
{
    std::vector<std::string> out;
    for (const QVariant& p : params)
        out.push_back(p.toString().toStdString());
    return out;
}

void OpenRecordsWindow(benchmark::State& state)
{
    for (auto _ : state) {
        quorrel::SalesRecordsWindow window(shop().session);
        benchmark::DoNotOptimize(window.model().rowCount());
    }
}
BENCHMARK(OpenRecordsWindow)->Unit(benchmark::kMillisecond)->Repetitions(5);

void PlainTodaysListing(benchmark::State& state)
{
    const quorrel::RecordsQuery today = quorrel::todaysRecords(kNow);
    for (auto _ : state) {
        plainRows(quorrel::recordsSql(today, quorrel::kRecordColumns).toStdString(), texts(today.params), kFirstScreen,
                  state);
        plainRows("select sum(数量), sum(金额) from 销售记录 s where " + today.where.toStdString(), texts(today.params),
                  -1, state);
    }
}
BENCHMARK(PlainTodaysListing)->Unit(benchmark::kMillisecond)->Repetitions(5);

void QuickFind(benchmark::State& state)
{
    quorrel::SalesRecordsModel model(shop().session.db);
    for (auto _ : state) {
        if (!model.setQuery(quorrel::ticketFragmentRecords(QStringLiteral("4321"))))
            state.SkipWithError("quick find failed");
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(QuickFind)->Unit(benchmark::kMillisecond)->Repetitions(5);

void PlainTableScanFind(benchmark::State& state)
{
    for (auto _ : state)
        plainRows("select * from 销售记录 where 销售票号 like ?", {"%4321%"}, kFirstScreen, state);
}
BENCHMARK(PlainTableScanFind)->Unit(benchmark::kMillisecond)->Repetitions(5);

void PlainIndexFind(benchmark::State& state)
{
    const quorrel::RecordsQuery find = quorrel::ticketFragmentRecords(QStringLiteral("4321"));
    for (auto _ : state)
        plainRows(quorrel::recordsSql(find, quorrel::kRecordColumns).toStdString(), texts(find.params), kFirstScreen,
                  state);
}
BENCHMARK(PlainIndexFind)->Unit(benchmark::kMillisecond)->Repetitions(5);

void LargeResultFirstScreen(benchmark::State& state)
{
    quorrel::SalesRecordsModel model(shop().session.db);
    for (auto _ : state) {
        if (!model.setQuery(largeResult()))
            state.SkipWithError("search failed");
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(LargeResultFirstScreen)->Unit(benchmark::kMillisecond)->Repetitions(5);

void PlainLargeResultFirstScreen(benchmark::State& state)
{
    const quorrel::RecordsQuery large = largeResult();
    for (auto _ : state)
        plainRows(quorrel::recordsSql(large, quorrel::kRecordColumns).toStdString(), texts(large.params), kFirstScreen,
                  state);
}
BENCHMARK(PlainLargeResultFirstScreen)->Unit(benchmark::kMillisecond)->Repetitions(5);

void LargeResultTotals(benchmark::State& state)
{
    const quorrel::RecordsQuery large = largeResult();
    for (auto _ : state) {
        const auto totals = quorrel::recordTotals(shop().session.db, large);
        if (!totals)
            state.SkipWithError("totals failed");
        benchmark::DoNotOptimize(totals);
    }
}
BENCHMARK(LargeResultTotals)->Unit(benchmark::kMillisecond)->Repetitions(5);

void PlainLargeResultSums(benchmark::State& state)
{
    const quorrel::RecordsQuery large = largeResult();
    for (auto _ : state)
        plainRows("select sum(数量), sum(金额) from 销售记录 s where " + large.where.toStdString(), texts(large.params),
                  -1, state);
}
BENCHMARK(PlainLargeResultSums)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The window's quick find for "0001" (one sale in 2,500 has it), clicked as a user does.
struct QuickFindTimes
{
    double rowsMs = 0;       // click to the first rows painted
    double totalsMs = 0;     // click to the totals shown
    double longestGapMs = 0; // the longest the GUI thread went without handling events meanwhile
};

QuickFindTimes quickFindInWindow(quorrel::SalesRecordsWindow& window)
{
    auto* box = window.findChild<QLineEdit*>(QStringLiteral("编辑框_查单号"));
    auto* find = window.findChild<QPushButton*>(QStringLiteral("按钮_搜索"));
    auto* amount = window.findChild<QLabel*>(QStringLiteral("标签_总金额"));
    if (!box || !find || !amount)
        fail("records window units not found");
    box->setText(QStringLiteral("0001"));
    bool shown = false;
    const auto connection =
        QObject::connect(&window, &quorrel::SalesRecordsWindow::totalsShown, &window, [&shown] { shown = true; });
    QuickFindTimes times;
    QElapsedTimer clock;
    clock.start();
    find->click();
    window.repaint();
    times.rowsMs = double(clock.nsecsElapsed()) / 1e6;
    // A timer keeps the event loop turning; the gap between two turns is how long input would wait.
    QTimer tick;
    tick.start(5);
    qint64 last = clock.nsecsElapsed();
    while (!shown) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const qint64 now = clock.nsecsElapsed();
        times.longestGapMs = std::max(times.longestGapMs, double(now - last) / 1e6);
        last = now;
    }
    times.totalsMs = double(clock.nsecsElapsed()) / 1e6;
    QObject::disconnect(connection);
    if (amount->text() == quorrel::SalesRecordsWindow::kCountingTotals)
        fail("totals not shown");
    return times;
}

quorrel::SalesRecordsWindow& shownWindow()
{
    static quorrel::SalesRecordsWindow* window = [] {
        auto* w = new quorrel::SalesRecordsWindow(shop().session);
        w->show();
        return w;
    }();
    return *window;
}

void QuickFindRowsShown(benchmark::State& state)
{
    double longestGap = 0;
    std::vector<double> totals;
    for (auto _ : state) {
        const QuickFindTimes times = quickFindInWindow(shownWindow());
        state.SetIterationTime(times.rowsMs / 1000);
        longestGap = std::max(longestGap, times.longestGapMs);
        totals.push_back(times.totalsMs);
    }
    std::sort(totals.begin(), totals.end());
    state.counters["totals_ms"] = totals[totals.size() / 2];
    state.counters["gui_gap_ms"] = longestGap;
}
BENCHMARK(QuickFindRowsShown)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5);

void QuickFindTotalsShown(benchmark::State& state)
{
    for (auto _ : state)
        state.SetIterationTime(quickFindInWindow(shownWindow()).totalsMs / 1000);
}
BENCHMARK(QuickFindTotalsShown)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3);

// What the window did before: the first rows and the exact totals, one after the other on the GUI
// thread's connection.
void QuickFindRowsWithTotalsOnGuiThread(benchmark::State& state)
{
    quorrel::SalesRecordsModel model(shop().session.db);
    for (auto _ : state) {
        const quorrel::RecordsQuery find = quorrel::ticketFragmentRecords(QStringLiteral("0001"));
        if (!model.setQuery(find) || !quorrel::recordTotals(shop().session.db, find))
            state.SkipWithError("quick find failed");
    }
}
BENCHMARK(QuickFindRowsWithTotalsOnGuiThread)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

// Memory of a listed result of `rows` sales: after its first screen, and once every row has been
// scrolled into the list.
void ListedRowsMemory(benchmark::State& state)
{
    quorrel::RecordsQuery query;
    query.where = QStringLiteral("s.ID <= ?");
    query.params = {qlonglong(state.range(0))};
    long before = 0, firstScreen = 0, all = 0;
    for (auto _ : state) {
        quorrel::SalesRecordsModel model(shop().session.db);
        before = residentKb();
        model.setQuery(query);
        firstScreen = residentKb();
        while (model.canFetchMore())
            model.fetchMore();
        all = residentKb();
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["first_screen_MB"] = double(firstScreen - before) / 1024.0;
    state.counters["all_rows_MB"] = double(all - before) / 1024.0;
}
BENCHMARK(ListedRowsMemory)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quorrel::test::MockClock::setFixed(kNow);
    shop(); // generate or open the shop before anything is timed
    return quorrel::bench::runWithRatios(
        argc, argv,
        {{"records window open / plain today's statements", "OpenRecordsWindow", "PlainTodaysListing", 0, true},
         {"quick find / plain index find", "QuickFind", "PlainIndexFind", 0, true},
         {"quick find / plain table-scan find", "QuickFind", "PlainTableScanFind", 0, true},
         {"100k result first screen / plain", "LargeResultFirstScreen", "PlainLargeResultFirstScreen", 0, true},
         {"100k result totals (exact) / plain sum()", "LargeResultTotals", "PlainLargeResultSums", 0, true},
         {"find 0001: rows shown / rows and totals on the GUI thread (before)", "QuickFindRowsShown",
          "QuickFindRowsWithTotalsOnGuiThread"},
         {"find 0001: totals shown / rows and totals on the GUI thread (before)", "QuickFindTotalsShown",
          "QuickFindRowsWithTotalsOnGuiThread"}});
}
