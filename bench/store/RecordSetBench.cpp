// Walking a 10,000-row "select *" through RecordSet, compared with the same walk in plain
// SQLCipher calls on a connection of its own to the same encrypted file.

#include "core/store/Database.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/Transaction.h"
#include "support/BenchShop.h"
#include "support/RatioReport.h"

#include <sqlcipher/sqlite3.h>

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int kRows = 10000;
constexpr int kColumns = 8; // ID, 关联, 名称, 数量, 单价, 金额, 折后, 备注
constexpr const char* kSelect = "select * from 销售详情";

using quorrel::bench::fail;

// A shop database in a temporary directory: the factory file with 10,000 sale lines added.
class Shop : public quorrel::bench::BenchShop
{
public:
    Shop() { fill(); }

private:
    void fill()
    {
        quorrel::Transaction transaction(db());
        const QString insert = QStringLiteral(
            "insert into 销售详情 (关联, 名称, 数量, 单价, 金额, 折后, 备注) values (?, ?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < kRows; ++i) {
            const int quantity = 1 + i % 5;
            const double price = 3.5 + (i % 40) * 1.25;
            const QVariantList values{qlonglong(1 + i / 4),
                                      QStringLiteral("商品%1号 规格%2").arg(i % 500).arg(i % 7),
                                      QString::number(quantity),
                                      QString::number(price, 'f', 2),
                                      QString::number(quantity * price, 'f', 2),
                                      QString::number(quantity * price * 0.9, 'f', 2),
                                      i % 3 == 0 ? QStringLiteral("会员价") : QString()};
            if (!db().execute(insert, values))
                fail("sale line not stored:", db().lastError());
        }
        if (!transaction.commit())
            fail("sale lines not committed:", db().lastError());
    }
};

Shop& theShop()
{
    static Shop shop;
    return shop;
}

void checkRows(benchmark::State& state, int rows)
{
    if (rows != kRows)
        state.SkipWithError("the walk did not see every row");
}

void count(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["rows"] = kRows;
}

// --- RecordSet ---------------------------------------------------------------------------------

// Every column read by name as text, the way the windows read their rows.
void RecordSetTextByName(benchmark::State& state)
{
    quorrel::Database& db = theShop().db();
    for (auto _ : state) {
        auto records = db.query(QString::fromUtf8(kSelect));
        int rows = 0;
        qsizetype characters = 0;
        for (records->moveFirst(); !records->atEnd(); records->moveNext()) {
            characters += records->text(QStringLiteral("ID")).size();
            characters += records->text(QStringLiteral("关联")).size();
            characters += records->text(QStringLiteral("名称")).size();
            characters += records->text(QStringLiteral("数量")).size();
            characters += records->text(QStringLiteral("单价")).size();
            characters += records->text(QStringLiteral("金额")).size();
            characters += records->text(QStringLiteral("折后")).size();
            characters += records->text(QStringLiteral("备注")).size();
            ++rows;
        }
        records->close();
        benchmark::DoNotOptimize(characters);
        checkRows(state, rows);
    }
    count(state);
}
BENCHMARK(RecordSetTextByName)->Unit(benchmark::kMillisecond);

// Every column read by name as a typed value.
void RecordSetReadFieldByName(benchmark::State& state)
{
    quorrel::Database& db = theShop().db();
    for (auto _ : state) {
        auto records = db.query(QString::fromUtf8(kSelect));
        int rows = 0;
        for (records->moveFirst(); !records->atEnd(); records->moveNext()) {
            QVariant id = records->readField(QStringLiteral("ID"));
            QVariant sale = records->readField(QStringLiteral("关联"));
            QVariant name = records->readField(QStringLiteral("名称"));
            QVariant quantity = records->readField(QStringLiteral("数量"));
            QVariant price = records->readField(QStringLiteral("单价"));
            QVariant amount = records->readField(QStringLiteral("金额"));
            QVariant discounted = records->readField(QStringLiteral("折后"));
            QVariant remark = records->readField(QStringLiteral("备注"));
            benchmark::DoNotOptimize(id);
            benchmark::DoNotOptimize(sale);
            benchmark::DoNotOptimize(name);
            benchmark::DoNotOptimize(quantity);
            benchmark::DoNotOptimize(price);
            benchmark::DoNotOptimize(amount);
            benchmark::DoNotOptimize(discounted);
            benchmark::DoNotOptimize(remark);
            ++rows;
        }
        records->close();
        checkRows(state, rows);
    }
    count(state);
}
BENCHMARK(RecordSetReadFieldByName)->Unit(benchmark::kMillisecond);

// Every column read by position as text: the walk without the name look-ups.
void RecordSetTextByPosition(benchmark::State& state)
{
    quorrel::Database& db = theShop().db();
    for (auto _ : state) {
        auto records = db.query(QString::fromUtf8(kSelect));
        int rows = 0;
        qsizetype characters = 0;
        for (records->moveFirst(); !records->atEnd(); records->moveNext()) {
            for (int column = 1; column <= kColumns; ++column)
                characters += records->text(column).size();
            ++rows;
        }
        records->close();
        benchmark::DoNotOptimize(characters);
        checkRows(state, rows);
    }
    count(state);
}
BENCHMARK(RecordSetTextByPosition)->Unit(benchmark::kMillisecond);

// --- Plain SQLCipher ---------------------------------------------------------------------------

sqlite3_stmt* prepareSelect(sqlite3* db)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, kSelect, -1, &statement, nullptr) != SQLITE_OK)
        fail("select not prepared:", QString::fromUtf8(sqlite3_errmsg(db)));
    return statement;
}

QString columnText(sqlite3_stmt* statement, int index)
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
    return QString::fromUtf8(data, sqlite3_column_bytes(statement, index));
}

// Every column as text made into a QString: the same work as RecordSetTextByName.
void PlainTextAsQString(benchmark::State& state)
{
    sqlite3* db = theShop().plain();
    for (auto _ : state) {
        sqlite3_stmt* statement = prepareSelect(db);
        int rows = 0;
        qsizetype characters = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 0; column < kColumns; ++column)
                characters += columnText(statement, column).size();
            ++rows;
        }
        sqlite3_finalize(statement);
        benchmark::DoNotOptimize(characters);
        checkRows(state, rows);
    }
    count(state);
}
BENCHMARK(PlainTextAsQString)->Unit(benchmark::kMillisecond);

// Every column as a typed QVariant: the same work as RecordSetReadFieldByName.
void PlainTyped(benchmark::State& state)
{
    sqlite3* db = theShop().plain();
    for (auto _ : state) {
        sqlite3_stmt* statement = prepareSelect(db);
        int rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 0; column < kColumns; ++column) {
                QVariant value;
                switch (sqlite3_column_type(statement, column)) {
                case SQLITE_INTEGER:
                    value = qlonglong(sqlite3_column_int64(statement, column));
                    break;
                case SQLITE_FLOAT:
                    value = sqlite3_column_double(statement, column);
                    break;
                case SQLITE_TEXT:
                    value = columnText(statement, column);
                    break;
                default:
                    value = QString();
                    break;
                }
                benchmark::DoNotOptimize(value);
            }
            ++rows;
        }
        sqlite3_finalize(statement);
        checkRows(state, rows);
    }
    count(state);
}
BENCHMARK(PlainTyped)->Unit(benchmark::kMillisecond);

// Every column's bytes touched, no QString at all: the floor set by SQLCipher itself.
void PlainRawBytes(benchmark::State& state)
{
    sqlite3* db = theShop().plain();
    for (auto _ : state) {
        sqlite3_stmt* statement = prepareSelect(db);
        int rows = 0;
        long bytes = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 0; column < kColumns; ++column) {
                const unsigned char* data = sqlite3_column_text(statement, column);
                bytes += sqlite3_column_bytes(statement, column) + (data ? data[0] : 0);
            }
            ++rows;
        }
        sqlite3_finalize(statement);
        benchmark::DoNotOptimize(bytes);
        checkRows(state, rows);
    }
    count(state);
}
BENCHMARK(PlainRawBytes)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    theShop(); // made before any timing starts
    const bool withCpuTime = true;
    return quorrel::bench::runWithRatios(
        argc, argv,
        {
            {"RecordSet Text by name / plain C text as QString", "RecordSetTextByName", "PlainTextAsQString", 1.3,
             withCpuTime},
            {"RecordSet ReadField by name / plain C typed QVariant", "RecordSetReadFieldByName", "PlainTyped", 1.3,
             withCpuTime},
            {"RecordSet Text by position / plain C text as QString", "RecordSetTextByPosition", "PlainTextAsQString", 0,
             withCpuTime},
            {"RecordSet Text by name / plain C raw bytes", "RecordSetTextByName", "PlainRawBytes", 0, withCpuTime},
        });
}
