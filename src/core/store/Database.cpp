#include "core/store/Database.h"

#include "core/store/AccessSql.h"
#include "core/store/Clock.h"
#include "core/store/DateTexts.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/SchemaUpgrade.h"

#include <sqlcipher/sqlite3.h>

#include <QDebug>
#include <QFileInfo>

namespace quorrel {

namespace {

// How long a statement waits for another connection's write to end before it fails.
constexpr int kBusyTimeoutMs = 5000;

// now(): the moment of the statement in the canonical stored form, from the program's clock
// so that tests can fix it.
void nowFunction(sqlite3_context* context, int, sqlite3_value**)
{
    const QByteArray text = canonicalDateTimeText(Clock::now()).toUtf8();
    sqlite3_result_text(context, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

bool bind(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (value.isNull())
        return sqlite3_bind_null(statement, index) == SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob(statement, index, bytes.constData(), static_cast<int>(bytes.size()),
                                 SQLITE_TRANSIENT) == SQLITE_OK;
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return sqlite3_bind_int64(statement, index, value.toLongLong()) == SQLITE_OK;
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(statement, index, value.toDouble()) == SQLITE_OK;
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text(statement, index, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT) ==
               SQLITE_OK;
    }
    }
}

} // namespace

Database::Database() = default;

Database::~Database()
{
    close();
}

bool Database::openFile(const QString& path, const QByteArray& key, int flags)
{
    close();
    m_lastError.clear();
    m_lastErrorCode = 0;
    const QFileInfo file(path);
    if (!file.isFile()) {
        m_lastError = QStringLiteral("文件不存在：%1").arg(path);
        return false;
    }
    // SQLite takes an empty file for a new database and would quietly start one in it;
    // an empty shop file is a damaged one.
    if (file.size() == 0) {
        m_lastError = QStringLiteral("文件是空的：%1").arg(path);
        return false;
    }
    const QByteArray nativePath = path.toUtf8();
    sqlite3* db = nullptr;
    // One connection serves one thread: no mutex on every call.
    int rc = sqlite3_open_v2(nativePath.constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    // Before the first statement: another program in the middle of a write must make the open wait
    // as long as any later statement would, not fail it at once.
    if (rc == SQLITE_OK)
        rc = sqlite3_busy_timeout(db, kBusyTimeoutMs);
    const QByteArray rawKey = knownRawKey(path, key);
    const QByteArray& pageKey = rawKey.isEmpty() ? key : rawKey;
    if (rc == SQLITE_OK)
        rc = sqlite3_key(db, pageKey.constData(), static_cast<int>(pageKey.size()));
    // A wrong key shows only when the first page is read: read the schema now.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "now", 0, SQLITE_UTF8, nullptr, &nowFunction, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        m_lastError = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        m_lastErrorCode = rc & 0xff;
        sqlite3_close(db);
        return false;
    }
    m_db = db;
    m_path = path;
    return true;
}

bool Database::open(const QString& path, const QByteArray& key, const std::function<void()>& upgradeTick)
{
    if (!openFile(path, key, SQLITE_OPEN_READWRITE))
        return false;
    // A file that cannot take the upgrade (read-only, say) still opens: the lookups fall back to
    // reading the tables themselves, and the statements that need more report their own failures.
    const Result<bool> upgraded = upgradeSchema(*this, upgradeTick);
    if (!upgraded)
        qWarning().noquote() << "database tables not brought up to date:" << upgraded.error();
    m_lastError.clear();
    m_lastErrorCode = 0;
    // After an upgrade the shop is used as after any start: on a fresh connection, without what
    // the upgrade's work left in this one's caches.
    if (upgraded.value_or(false))
        return open(path, key);
    return true;
}

bool Database::openReadOnly(const QString& path, const QByteArray& key)
{
    return openFile(path, key, SQLITE_OPEN_READONLY);
}

void Database::close()
{
    if (!m_db)
        return;
    setProgressTick({});
    // Statements are finalised by their record sets; sqlite3_close_v2 defers until they are.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void Database::setError(const QString& where)
{
    m_lastError = where + QStringLiteral(": ") + (m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString());
    m_lastErrorCode = m_db ? sqlite3_errcode(m_db) & 0xff : 0;
}

bool Database::prepare(const QString& sql, const QVariantList& params, sqlite3_stmt** out)
{
    *out = nullptr;
    // Every statement starts with a clean slate: an error is always the one of the last call.
    m_lastError.clear();
    m_lastErrorCode = 0;
    if (!m_db) {
        m_lastError = QStringLiteral("数据库未打开");
        return false;
    }
    const QByteArray text = translateAccessSql(sql).toUtf8();
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), &statement, &tail) != SQLITE_OK) {
        setError(sql);
        sqlite3_finalize(statement);
        return false;
    }
    if (!statement) { // only blanks or a comment
        m_lastError = QStringLiteral("空语句");
        return false;
    }
    // One statement per call, as Access has it: text after it would otherwise be dropped unseen.
    for (const char* end = text.constData() + text.size(); tail && tail < end; ++tail) {
        if (*tail != ';' && *tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n') {
            m_lastError = QStringLiteral("语句后还有文字：%1").arg(sql);
            sqlite3_finalize(statement);
            return false;
        }
    }
    if (sqlite3_bind_parameter_count(statement) != params.size()) {
        m_lastError = QStringLiteral("参数个数不符：%1").arg(sql);
        sqlite3_finalize(statement);
        return false;
    }
    for (int i = 0; i < params.size(); ++i) {
        if (!bind(statement, i + 1, params.at(i))) {
            setError(sql);
            sqlite3_finalize(statement);
            return false;
        }
    }
    *out = statement;
    return true;
}

std::unique_ptr<RecordSet> Database::query(const QString& sql, const QVariantList& params)
{
    sqlite3_stmt* statement = nullptr;
    if (!prepare(sql, params, &statement))
        return nullptr;
    auto records = std::make_unique<RecordSet>(statement);
    // Step once so that a failing statement is reported here rather than read as an empty result.
    records->moveFirst();
    if (records->failed()) {
        setError(sql);
        return nullptr;
    }
    return records;
}

bool Database::execute(const QString& sql, const QVariantList& params)
{
    sqlite3_stmt* statement = nullptr;
    if (!prepare(sql, params, &statement))
        return false;
    int rc;
    do {
        rc = sqlite3_step(statement);
    } while (rc == SQLITE_ROW);
    if (rc != SQLITE_DONE) {
        setError(sql);
        sqlite3_finalize(statement);
        return false;
    }
    return sqlite3_finalize(statement) == SQLITE_OK;
}

bool Database::executeEach(const QString& sql, qsizetype count, const std::function<QVariantList(qsizetype)>& paramsOf)
{
    if (count <= 0)
        return true;
    sqlite3_stmt* statement = nullptr;
    if (!prepare(sql, paramsOf(0), &statement))
        return false;
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0) {
            const QVariantList params = paramsOf(i);
            bool bound =
                sqlite3_reset(statement) == SQLITE_OK && params.size() == sqlite3_bind_parameter_count(statement);
            for (int p = 0; bound && p < params.size(); ++p)
                bound = bind(statement, p + 1, params.at(p));
            if (!bound) {
                setError(sql);
                sqlite3_finalize(statement);
                return false;
            }
        }
        if (sqlite3_step(statement) != SQLITE_DONE) {
            setError(sql);
            sqlite3_finalize(statement);
            return false;
        }
    }
    return sqlite3_finalize(statement) == SQLITE_OK;
}

bool Database::executeScript(const char* sql)
{
    m_lastError.clear();
    m_lastErrorCode = 0;
    if (!m_db) {
        m_lastError = QStringLiteral("数据库未打开");
        return false;
    }
    char* error = nullptr;
    if (const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &error); rc != SQLITE_OK) {
        m_lastErrorCode = rc & 0xff;
        m_lastError = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
        sqlite3_free(error);
        return false;
    }
    return true;
}

void Database::setProgressTick(std::function<void()> tick)
{
    m_progressTick = std::move(tick);
    if (!m_db)
        return;
    // Some hundred thousand virtual machine steps: a few times a second on a slow machine.
    constexpr int kStepsPerTick = 200000;
    if (m_progressTick) {
        sqlite3_progress_handler(
            m_db, kStepsPerTick,
            [](void* self) {
                static_cast<Database*>(self)->m_progressTick();
                return 0; // never interrupts the statement
            },
            this);
    } else {
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    }
}

bool Database::inTransaction() const
{
    return m_db && !sqlite3_get_autocommit(m_db);
}

void Database::rollback()
{
    // A full disk or an I/O error makes SQLite end the transaction itself; a ROLLBACK then would
    // only report that none is active. Either way the failure that caused it is the one to keep.
    if (!inTransaction())
        return;
    const QString cause = m_lastError;
    const int causeCode = m_lastErrorCode;
    const bool undone = execute(QStringLiteral("ROLLBACK"));
    const QString rollbackError = m_lastError;
    m_lastError = cause;
    m_lastErrorCode = causeCode;
    if (!undone)
        m_lastError += (cause.isEmpty() ? QString() : QStringLiteral("; ")) + rollbackError;
}

std::optional<bool> Database::hasTable(const QString& name)
{
    auto row = query(QStringLiteral("select count(*) from sqlite_master where type='table' and name=?"), {name});
    if (!row || row->atEnd())
        return std::nullopt;
    return row->readField(1).toLongLong() > 0;
}

qint64 Database::lastInsertId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

} // namespace quorrel
