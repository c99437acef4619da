// Child program for the several-tills test: one till ringing up sales on a shared shop as fast as it
// can. Sale n of till T has n % 4 + 1 lines named "T-n-k", so that a reader can tell each line's sale.

#include "core/sales/SaleStore.h"
#include "core/store/Database.h"
#include "core/store/Schema.h"
#include "core/tickets/TicketNumbers.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: till_ringer CONNECTION TILL SALES\n");
        return 2;
    }
    const QString till = QString::fromLocal8Bit(argv[2]);
    const int sales = QByteArray(argv[3]).toInt();
    quorrel::Database db;
    if (!db.open(QString::fromLocal8Bit(argv[1]), quorrel::schema::kDatabaseKey)) {
        std::fprintf(stderr, "till_ringer: %s\n", qPrintable(db.lastError()));
        return 1;
    }
    // The number this till last saw: its own last sale's, as the main window keeps it.
    QString shown;
    for (int n = 0; n < sales; ++n) {
        quorrel::Sale lines;
        for (int k = 0; k <= n % 4; ++k) {
            lines.addLine({QStringLiteral("%1-%2-%3").arg(till).arg(n).arg(k), QStringLiteral("1"),
                           QStringLiteral("2.00"), QStringLiteral("2.00"), QStringLiteral("2.00")});
        }
        quorrel::SaleHeader header;
        header.ticketNumber = shown;
        header.cashier = till;
        header.till = till;
        const quorrel::Result<quorrel::StoredSale> stored =
            quorrel::storeNextSale(db, quorrel::kTicketFormatDatePrefix, header, lines);
        if (!stored) {
            std::fprintf(stderr, "till_ringer: %s\n", qPrintable(stored.error()));
            return 1;
        }
        shown = stored->ticketNumber;
    }
    return 0;
}
