#pragma once

#include "core/store/Engine.h"

#include <QByteArray>

struct sqlite3;
struct sqlite3_stmt;

namespace quorrel {

// The shop's SQLCipher file. Statements are translated from the Access forms into SQLite's.
class FileEngine final : public Engine
{
public:
    // Opens an existing file with `key` (SQLITE_OPEN_* flags) and proves the key by reading the
    // schema; nullptr when that fails, with the reason in `status`.
    static std::unique_ptr<FileEngine> open(const QString& path, const QByteArray& key, int flags,
                                            EngineStatus& status);
    static int readWriteFlags();
    static int readOnlyFlags();
    ~FileEngine() override;

    std::unique_ptr<Rows> query(const QString& sql, const QVariantList& params) override;
    void rowsFailed(const QString& sql) override;
    bool execute(const QString& sql, const QVariantList& params) override;
    bool executeEach(const QString& sql, qsizetype count,
                     const std::function<QVariantList(qsizetype)>& paramsOf) override;
    bool executeScript(const char* sql) override;
    void setProgressTick(std::function<void()>* tick) override;
    bool inTransaction() const override;
    QString beginText() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    qint64 lastInsertId() override;
    std::optional<bool> hasTable(const QString& name) override;

private:
    FileEngine(sqlite3* db, EngineStatus& status) : Engine(status), m_db(db) {}
    bool prepare(const QString& sql, const QVariantList& params, sqlite3_stmt** out);
    void setError(const QString& where);

    sqlite3* m_db = nullptr;
};

} // namespace quorrel
