#pragma once

#include "core/store/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

namespace quorrel {

class Engine;
class Rows;
class RecordSet;
struct EngineStatus;

// The one connection to the shop's database: its SQLCipher file, or a PostgreSQL server when the
// "path" names a connection (see isServerConnection). Statements may be written in the Access forms
// the program has always used (bracketed names, #…# date literals, select top N, now()); they are
// translated for the engine before it sees them. Every value a user typed goes in as a bound
// parameter.
class Database
{
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Whether `name` is a PostgreSQL connection (a postgresql:// URI or libpq's key=value form)
    // rather than a file's path.
    static bool isServerConnection(const QString& name);

    // Opens an existing file with the given key and proves the key by reading the schema.
    // A file without that key, with another key, or that is no database at all is refused.
    // A shop file of an earlier release is upgraded (see upgradeSchema); `upgradeTick` is called
    // now and then while that runs.
    bool open(const QString& path, const QByteArray& key, const std::function<void()>& upgradeTick = {});
    // Opens an existing file as it is, for reading only: nothing is upgraded or written, not even
    // beside it. For checking a copy of a shop file before anything is replaced by it.
    bool openReadOnly(const QString& path, const QByteArray& key);
    void close();
    bool isOpen() const { return m_engine != nullptr; }
    // The file's path or the server's connection, as given to open().
    QString path() const { return m_path; }
    // On a PostgreSQL server rather than a file.
    bool isServer() const { return m_server; }

    // A record set on its first row, or nullptr when the statement fails.
    std::unique_ptr<RecordSet> query(const QString& sql, const QVariantList& params = {});
    // The same for a list that is walked as it is shown and may stay open while other statements
    // run: its rows are read from the database as the walk reaches them, on a server too (where a
    // query's whole result otherwise arrives at once).
    std::unique_ptr<RecordSet> browse(const QString& sql, const QVariantList& params = {});

    // Runs one statement; parameters fill its "?" places in order (QString → text,
    // QByteArray → bytes, integers and doubles as numbers, a null QVariant → NULL).
    bool execute(const QString& sql, const QVariantList& params = {});
    // Runs one statement `count` times, prepared once, with the parameters `paramsOf(i)` gives for
    // the i-th run; stops at the first failure. For the many rows of one transaction.
    bool executeEach(const QString& sql, qsizetype count, const std::function<QVariantList(qsizetype)>& paramsOf);

    // Runs statements of the program's own (the schema's), as many as the text holds, without
    // parameters or translation.
    bool executeScript(const char* sql);

    // Called every so often while a long statement runs; empty to stop.
    void setProgressTick(std::function<void()> tick);

    // True between a BEGIN and the end of that transaction, however it ended.
    bool inTransaction() const;
    // The statement that begins a transaction which may write.
    QString beginText() const;
    // Undoes the pending transaction, if one is still active. lastError() keeps the failure that led
    // here; a failed rollback is added after it.
    void rollback();

    // Notifications from other connections to the same server on `channel` (see ServerSchema.h);
    // false on a file, which has no other connection to hear from.
    bool listen(const QString& channel);
    // The notifications' payloads received since the last call, without waiting.
    QStringList takeNotifications();

    // Whether the file holds a table of that name; nullopt when that could not be read.
    std::optional<bool> hasTable(const QString& name);

    qint64 lastInsertId() const;
    // The failure of the last statement or open; empty after one that succeeded.
    QString lastError() const;
    // SQLite's result code of that failure (SQLITE_FULL for a full disk); 0 when it was none of
    // SQLite's.
    int lastErrorCode() const;
    // The last failure was the server out of reach (gone, or the connection broken). The next
    // statement outside a transaction connects afresh.
    bool serverUnreachable() const;
    // Puts back the failure that led to a clean-up whose own statements succeeded.
    void keepError(const QString& error, int code);
    // The same as the error a Result carries.
    Error failure() const { return Error{lastError()}; }

private:
    bool openEngine(const QString& path, const QByteArray& key, bool readOnly);
    bool ready();
    std::unique_ptr<RecordSet> firstRowOf(std::unique_ptr<Rows> rows, const QString& sql);

    std::unique_ptr<EngineStatus> m_status;
    std::unique_ptr<Engine> m_engine;
    QString m_path;
    bool m_server = false;
    std::function<void()> m_progressTick;
};

} // namespace quorrel
