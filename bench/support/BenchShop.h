#pragma once

#include "core/sales/Sale.h"
#include "core/store/Database.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>

struct sqlite3;

namespace quorrel::bench {

// Ends the benchmark program with a message: a benchmark whose set-up failed measures nothing.
[[noreturn]] void fail(const char* what, const QString& detail = QString());

// The resident set size of this process in MB, as /proc tells it; 0 when it cannot be read.
double residentMegabytes();

// The sale the storing benchmarks store: `lines` lines named 商品0, 商品1, …, each 2 × 3.50.
Sale saleOfLines(int lines);

// A shop for a benchmark: the factory database written to a temporary directory, opened through
// Database and, for the yardstick, through a plain SQLCipher connection of its own with the same key.
class BenchShop
{
public:
    BenchShop();
    ~BenchShop();
    BenchShop(const BenchShop&) = delete;
    BenchShop& operator=(const BenchShop&) = delete;

    Database& db() { return m_db; }
    // Stores `count` products through the plain connection in one transaction, the i-th (from 0)
    // named name(i) with the price "(1 + i % 50).50".
    void addProducts(int count, const std::function<QString(int)>& name);
    sqlite3* plain() { return m_plain; }

private:
    QTemporaryDir m_dir;
    QString m_path;
    Database m_db;
    sqlite3* m_plain = nullptr;
};

} // namespace quorrel::bench
