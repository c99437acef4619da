#pragma once

#include <QByteArray>
#include <QString>

// What an ESC/POS printer says of itself when asked with DLE EOT n (real-time status): one byte
// for each of n = 1 (printer), 2 (off-line causes), 3 (errors) and 4 (paper roll sensor).

namespace quorrel {

// DLE EOT 1 to 4, in that order: four bytes come back, one for each.
QByteArray statusQueries();
inline constexpr int kStatusAnswers = 4;

// How many answers a printer gives while it reads `stream`: it takes every 10 04 n (n from 1 to 4)
// for a status request wherever it stands, picture data included.
int statusRequestsIn(const QByteArray& stream);

// A status byte has bits 1 and 4 set and bits 0 and 7 clear.
bool isStatusByte(char byte);

struct PrinterStatus
{
    bool offline = false;
    bool coverOpen = false;
    bool paperEnd = false;
    bool cutterError = false;
    bool otherError = false; // mechanical, unrecoverable or auto-recoverable error
    bool paperNearEnd = false;

    // The four answers to statusQueries(); `valid` is set false when they are not status bytes.
    static PrinterStatus fromAnswers(const QByteArray& answers, bool* valid);

    // The printer cannot print now; paper near its end still prints.
    bool stopsPrinting() const { return offline || coverOpen || paperEnd || cutterError || otherError; }
    // Why, in the cashier's words: "缺纸", "纸仓盖打开", "脱机" and so on, joined by "、".
    QString problem() const;
};

} // namespace quorrel
