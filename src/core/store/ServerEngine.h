#pragma once

#include "core/store/Engine.h"

#include <QStringList>

#include <memory>

struct pg_conn;
struct pg_result;

namespace quorrel {

struct ServerReaders;
struct ServerSql;

// The shop on a PostgreSQL server, through libpq. Statements are translated from the Access forms
// into PostgreSQL's (translateAccessSqlForServer); values travel as parameters, texts as the server
// infers their type from the statement, bytes as bytea.
//
// A connection that breaks is noticed at the statement that meets it, which fails with
// EngineStatus::unreachable. The next statement outside a transaction connects afresh; inside one,
// every statement fails until the transaction is rolled back (the server has undone it already),
// so that nothing of it can land outside it.
class ServerEngine final : public Engine
{
public:
    // Connects within 5 s (connect_timeout) with TCP keepalives on; nullptr when that fails, with
    // the reason in `status`. A read-only connection begins every transaction read only.
    static std::unique_ptr<ServerEngine> connect(const QString& connection, bool readOnly, EngineStatus& status);
    ~ServerEngine() override;

    std::unique_ptr<Rows> query(const QString& sql, const QVariantList& params) override;
    // A walk reads through a cursor on a reading connection of its own, a batch at a time.
    std::unique_ptr<Rows> browse(const QString& sql, const QVariantList& params) override;
    void rowsFailed(const QString& sql) override;
    bool execute(const QString& sql, const QVariantList& params) override;
    bool executeEach(const QString& sql, qsizetype count,
                     const std::function<QVariantList(qsizetype)>& paramsOf) override;
    bool executeScript(const char* sql) override;
    void setProgressTick(std::function<void()>*) override {}
    bool inTransaction() const override;
    QString beginText() const override { return QStringLiteral("BEGIN"); }
    qint64 lastInsertId() override;
    std::optional<bool> hasTable(const QString& name) override;

    // Listens on `channel`, again on every fresh connection. Notifications of this connection's own
    // statements are left out: those changes are announced where they are made.
    bool listen(const QString& channel) override;
    // The payloads received since the last call, without waiting.
    QStringList takeNotifications() override;

private:
    ServerEngine(pg_conn* connection, QString connectionText, bool readOnly, EngineStatus& status);
    static pg_conn* open(const QString& connection, bool readOnly, EngineStatus& status);
    // Runs one translated statement; the result, or nullptr with the failure recorded.
    pg_result* run(const QString& sql, const QVariantList& params);
    bool usable();
    void noteResultFailure(const QString& sql, pg_result* result);
    // Whether `given` values fill the statement's places; the failure noted when they do not.
    bool fits(const ServerSql& translated, qsizetype given, const QString& sql);

    pg_conn* m_connection = nullptr;
    QString m_connectionText;
    bool m_readOnly = false;
    // The connection broke inside a transaction that has not been rolled back here yet.
    bool m_lostInTransaction = false;
    QStringList m_channels;
    // The reading connections of walks that ended, kept for the next (the walks share them).
    std::shared_ptr<ServerReaders> m_readers;
};

} // namespace quorrel
