#include "core/store/Database.h"

#include "core/store/Engine.h"
#include "core/store/FileEngine.h"
#include "core/store/RecordSet.h"
#include "core/store/SchemaUpgrade.h"
#include "core/store/ServerEngine.h"

#include <QDebug>
#include <QRegularExpression>

namespace quorrel {

Database::Database() : m_status(std::make_unique<EngineStatus>()) {}

Database::~Database()
{
    close();
}

bool Database::isServerConnection(const QString& name)
{
    // A file's path never starts with a URI scheme or a libpq keyword followed by "=".
    static const QRegularExpression form(QStringLiteral(R"(^\s*(postgres(ql)?://|[a-z_]+\s*=))"));
    return form.match(name).hasMatch();
}

bool Database::openEngine(const QString& path, const QByteArray& key, bool readOnly)
{
    close();
    m_status->clear();
    m_server = isServerConnection(path);
    if (m_server)
        m_engine = ServerEngine::connect(path, readOnly, *m_status);
    else
        m_engine = FileEngine::open(path, key, readOnly ? FileEngine::readOnlyFlags() : FileEngine::readWriteFlags(),
                                    *m_status);
    if (!m_engine)
        return false;
    m_path = path;
    return true;
}

bool Database::open(const QString& path, const QByteArray& key, const std::function<void()>& upgradeTick)
{
    if (!openEngine(path, key, false))
        return false;
    // A file that cannot take the upgrade (read-only, say) still opens: the lookups fall back to
    // reading the tables themselves, and the statements that need more report their own failures.
    const Result<bool> upgraded = upgradeSchema(*this, upgradeTick);
    if (!upgraded)
        qWarning().noquote() << "database tables not brought up to date:" << upgraded.error();
    m_status->clear();
    // After an upgrade the shop is used as after any start: on a fresh connection, without what
    // the upgrade's work left in this one's caches.
    if (upgraded.value_or(false))
        return open(path, key);
    return true;
}

bool Database::openReadOnly(const QString& path, const QByteArray& key)
{
    return openEngine(path, key, true);
}

void Database::close()
{
    m_progressTick = {};
    m_engine.reset();
    m_server = false;
}

QString Database::lastError() const
{
    return m_status->error;
}

int Database::lastErrorCode() const
{
    return m_status->code;
}

bool Database::serverUnreachable() const
{
    return m_status->unreachable;
}

void Database::keepError(const QString& error, int code)
{
    m_status->error = error;
    m_status->code = code;
}

bool Database::ready()
{
    // Every statement starts with a clean slate: an error is always the one of the last call.
    m_status->clear();
    if (!m_engine) {
        m_status->error = QStringLiteral("数据库未打开");
        return false;
    }
    return true;
}

std::unique_ptr<RecordSet> Database::query(const QString& sql, const QVariantList& params)
{
    if (!ready())
        return nullptr;
    return firstRowOf(m_engine->query(sql, params), sql);
}

std::unique_ptr<RecordSet> Database::browse(const QString& sql, const QVariantList& params)
{
    if (!ready())
        return nullptr;
    return firstRowOf(m_engine->browse(sql, params), sql);
}

std::unique_ptr<RecordSet> Database::firstRowOf(std::unique_ptr<Rows> rows, const QString& sql)
{
    if (!rows)
        return nullptr;
    auto records = std::make_unique<RecordSet>(std::move(rows));
    // Step once so that a failing statement is reported here rather than read as an empty result.
    records->moveFirst();
    if (records->failed()) {
        m_engine->rowsFailed(sql);
        return nullptr;
    }
    return records;
}

bool Database::execute(const QString& sql, const QVariantList& params)
{
    return ready() && m_engine->execute(sql, params);
}

bool Database::executeEach(const QString& sql, qsizetype count, const std::function<QVariantList(qsizetype)>& paramsOf)
{
    if (count <= 0)
        return true;
    return ready() && m_engine->executeEach(sql, count, paramsOf);
}

bool Database::executeScript(const char* sql)
{
    return ready() && m_engine->executeScript(sql);
}

void Database::setProgressTick(std::function<void()> tick)
{
    m_progressTick = std::move(tick);
    if (m_engine)
        m_engine->setProgressTick(m_progressTick ? &m_progressTick : nullptr);
}

bool Database::inTransaction() const
{
    return m_engine && m_engine->inTransaction();
}

QString Database::beginText() const
{
    return m_engine ? m_engine->beginText() : QStringLiteral("BEGIN");
}

void Database::rollback()
{
    // A full disk or an I/O error makes SQLite end the transaction itself; a ROLLBACK then would
    // only report that none is active. Either way the failure that caused it is the one to keep.
    if (!inTransaction())
        return;
    const EngineStatus cause = *m_status;
    const bool undone = execute(QStringLiteral("ROLLBACK"));
    const QString rollbackError = m_status->error;
    *m_status = cause;
    if (!undone)
        m_status->error += (cause.error.isEmpty() ? QString() : QStringLiteral("; ")) + rollbackError;
}

std::optional<bool> Database::hasTable(const QString& name)
{
    if (!ready())
        return std::nullopt;
    return m_engine->hasTable(name);
}

bool Database::listen(const QString& channel)
{
    return ready() && m_engine->listen(channel);
}

QStringList Database::takeNotifications()
{
    return m_engine ? m_engine->takeNotifications() : QStringList();
}

qint64 Database::lastInsertId() const
{
    return m_engine ? m_engine->lastInsertId() : 0;
}

} // namespace quorrel
