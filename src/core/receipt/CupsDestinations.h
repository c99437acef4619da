#pragma once

#include <QString>
#include <QStringList>

#include <QByteArray>
#include <QList>

#include <optional>
#include <utility>

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

// Hands `file` to the CUPS queue as one job named `title`, with the given job options ("raw" sends
// the bytes untouched). The job's id, or 0 when the server does not take it (the queue rejects
// jobs, does not exist, the server does not answer), with the reason in `error`.
int submitCupsJob(const QString& queue, const QString& file, const QString& title,
                  const QList<std::pair<QByteArray, QByteArray>>& options = {}, QString* error = nullptr);

// Follows job `id` for up to `waitMs`: true once it is completed, or when it is still waiting or
// printing then on a queue that is not stopped; false, with the reason in `error`, when CUPS
// aborted or cancelled it, or it cannot go on (job or queue stopped). A job reported as failed
// because it cannot go on is cancelled, so that it does not come out later.
bool cupsJobGoesThrough(const QString& queue, int id, int waitMs, QString* error = nullptr);

// When a server wants a password, libcups asks this thread's password callback; the one a thread
// starts with reads the terminal the program was started from and waits there for an answer (Qt
// installs a dialog, but only for the GUI thread). A worker thread with no one to ask calls this
// before talking to CUPS: such a request then fails at once, and so does the call that needed it,
// with CUPS's reason.
void refuseCupsPasswordPrompts();

} // namespace quorrel
