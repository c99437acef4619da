// Child program for the crash test: saves sales into the given database until it is killed.
// Sale n carries (n % 9) + 1 lines named L1, L2, …; its 数量 holds that count so that a reader
// can tell whether the header and its lines were stored together.

#include "core/sales/SaleStore.h"
#include "core/store/Database.h"
#include "core/store/Schema.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: crash_saver DATABASE\n");
        return 2;
    }
    quorrel::Database db;
    if (!db.open(QString::fromLocal8Bit(argv[1]), quorrel::schema::kDatabaseKey)) {
        std::fprintf(stderr, "crash_saver: %s\n", qPrintable(db.lastError()));
        return 1;
    }
    for (int sale = 0;; ++sale) {
        const int count = sale % 9 + 1;
        quorrel::Sale lines;
        for (int k = 1; k <= count; ++k) {
            lines.addLine({QStringLiteral("L%1").arg(k), QStringLiteral("1"), QStringLiteral("2.00"),
                           QStringLiteral("2.00"), QStringLiteral("2.00")});
        }
        quorrel::SaleHeader header;
        header.ticketNumber = QString::number(sale);
        header.cashier = QStringLiteral("crash");
        header.remark = QStringLiteral("n=%1").arg(count);
        if (!quorrel::storeSale(db, header, lines)) {
            std::fprintf(stderr, "crash_saver: %s\n", qPrintable(db.lastError()));
            return 1;
        }
        if (sale == 0) {
            std::printf("saving\n");
            std::fflush(stdout);
        }
    }
}
