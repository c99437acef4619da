#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The installed printers and the current user's default printer, as the CUPS server and the user's
// lpoptions keep them. Receipts always go to that default; the program keeps no printer name of its own.

namespace quorrel {

// The queues of the CUPS server, in the order CUPS lists them (by name, without regard to case).
// Instances and printers merely discovered on the network are left out. An empty list means the
// server has no printers; nullopt means the list could not be had (the server does not answer),
// with the reason in `error`.
std::optional<QStringList> localPrinterNames(QString* error = nullptr);

// The queue the current user prints to when no printer is named: LPDEST or PRINTER, else the
// user's lpoptions, else the server's default. For a default instance ("P/draft") it is the queue
// ("P"). Empty when there is no default or the server cannot be asked.
QString userDefaultPrinter(QString* error = nullptr);

// Makes the queue `name` the current user's default, the way `lpoptions -d` does, keeping the
// user's other saved options. False, with the reason in `error`, when the name is empty or not a
// queue of the server (nothing is changed then), when the choice cannot be written, or when it
// does not take effect (LPDEST or PRINTER overrides it).
bool setUserDefaultPrinter(const QString& name, QString* error = nullptr);

// Index of the first name that begins with `prefix`, ignoring case; -1 when none does. This is a
// combo box's prefix search. An empty prefix matches nothing: the search would otherwise pick the
// first printer, which would show a printer as the default when the user has none.
int findPrinterByPrefix(const QStringList& names, const QString& prefix);

} // namespace quorrel
