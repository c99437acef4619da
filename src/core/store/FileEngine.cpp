#include "core/store/FileEngine.h"

#include "core/store/AccessSql.h"
#include "core/store/Clock.h"
#include "core/store/Conversions.h"
#include "core/store/DateTexts.h"
#include "core/store/FactoryDatabase.h"

#include <sqlcipher/sqlite3.h>

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

// A prepared statement's rows; finalises the statement when done.
class FileRows final : public Rows
{
public:
    explicit FileRows(sqlite3_stmt* statement) : m_statement(statement) {}
    ~FileRows() override { sqlite3_finalize(m_statement); }

    int columnCount() const override { return sqlite3_column_count(m_statement); }
    QString columnName(int index) const override { return QString::fromUtf8(sqlite3_column_name(m_statement, index)); }
    Step step() override
    {
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW)
            return Step::Row;
        return rc == SQLITE_DONE ? Step::End : Step::Failed;
    }
    void rewind() override { sqlite3_reset(m_statement); }

    QVariant value(int index) const override
    {
        sqlite3_value* value = sqlite3_column_value(m_statement, index);
        switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
            return qlonglong(sqlite3_value_int64(value));
        case SQLITE_FLOAT:
            return sqlite3_value_double(value);
        case SQLITE_BLOB: {
            const void* data = sqlite3_value_blob(value);
            return QByteArray(static_cast<const char*>(data), sqlite3_value_bytes(value));
        }
        case SQLITE_TEXT: {
            const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
            return QString::fromUtf8(data, sqlite3_value_bytes(value));
        }
        default:
            return QString();
        }
    }

    QString text(int index) const override
    {
        // One call into the statement, then the value's own accessors (they take no lock).
        sqlite3_value* value = sqlite3_column_value(m_statement, index);
        switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return QString();
        case SQLITE_FLOAT:
            return doubleToText(sqlite3_value_double(value));
        default: {
            const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
            return QString::fromUtf8(data, sqlite3_value_bytes(value));
        }
        }
    }

    bool isNull(int index) const override { return sqlite3_column_type(m_statement, index) == SQLITE_NULL; }

private:
    sqlite3_stmt* m_statement;
};

} // namespace

int FileEngine::readWriteFlags()
{
    return SQLITE_OPEN_READWRITE;
}

int FileEngine::readOnlyFlags()
{
    return SQLITE_OPEN_READONLY;
}

std::unique_ptr<FileEngine> FileEngine::open(const QString& path, const QByteArray& key, int flags,
                                             EngineStatus& status)
{
    const QFileInfo file(path);
    if (!file.isFile()) {
        status.error = QStringLiteral("文件不存在：%1").arg(path);
        return nullptr;
    }
    // SQLite takes an empty file for a new database and would quietly start one in it;
    // an empty shop file is a damaged one.
    if (file.size() == 0) {
        status.error = QStringLiteral("文件是空的：%1").arg(path);
        return nullptr;
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
        status.error = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        status.code = rc & 0xff;
        sqlite3_close(db);
        return nullptr;
    }
    return std::unique_ptr<FileEngine>(new FileEngine(db, status));
}

FileEngine::~FileEngine()
{
    sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    // Statements are finalised by their record sets; sqlite3_close_v2 defers until they are.
    sqlite3_close_v2(m_db);
}

void FileEngine::setError(const QString& where)
{
    m_status.error = where + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(m_db));
    m_status.code = sqlite3_errcode(m_db) & 0xff;
}

bool FileEngine::prepare(const QString& sql, const QVariantList& params, sqlite3_stmt** out)
{
    *out = nullptr;
    const QByteArray text = translateAccessSql(sql).toUtf8();
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), &statement, &tail) != SQLITE_OK) {
        setError(sql);
        sqlite3_finalize(statement);
        return false;
    }
    if (!statement) { // only blanks or a comment
        m_status.error = QStringLiteral("空语句");
        return false;
    }
    // One statement per call, as Access has it: text after it would otherwise be dropped unseen.
    for (const char* end = text.constData() + text.size(); tail && tail < end; ++tail) {
        if (*tail != ';' && *tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n') {
            m_status.error = QStringLiteral("语句后还有文字：%1").arg(sql);
            sqlite3_finalize(statement);
            return false;
        }
    }
    if (sqlite3_bind_parameter_count(statement) != params.size()) {
        m_status.error = QStringLiteral("参数个数不符：%1").arg(sql);
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

std::unique_ptr<Rows> FileEngine::query(const QString& sql, const QVariantList& params)
{
    sqlite3_stmt* statement = nullptr;
    if (!prepare(sql, params, &statement))
        return nullptr;
    return std::make_unique<FileRows>(statement);
}

void FileEngine::rowsFailed(const QString& sql)
{
    setError(sql);
}

bool FileEngine::execute(const QString& sql, const QVariantList& params)
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

bool FileEngine::executeEach(const QString& sql, qsizetype count,
                             const std::function<QVariantList(qsizetype)>& paramsOf)
{
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

bool FileEngine::executeScript(const char* sql)
{
    char* error = nullptr;
    if (const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &error); rc != SQLITE_OK) {
        m_status.code = rc & 0xff;
        m_status.error = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
        sqlite3_free(error);
        return false;
    }
    return true;
}

void FileEngine::setProgressTick(std::function<void()>* tick)
{
    // Some hundred thousand virtual machine steps: a few times a second on a slow machine.
    constexpr int kStepsPerTick = 200000;
    if (tick && *tick) {
        sqlite3_progress_handler(
            m_db, kStepsPerTick,
            [](void* callback) {
                (*static_cast<std::function<void()>*>(callback))();
                return 0; // never interrupts the statement
            },
            tick);
    } else {
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    }
}

bool FileEngine::inTransaction() const
{
    return !sqlite3_get_autocommit(m_db);
}

qint64 FileEngine::lastInsertId()
{
    return sqlite3_last_insert_rowid(m_db);
}

std::optional<bool> FileEngine::hasTable(const QString& name)
{
    auto rows = query(QStringLiteral("select count(*) from sqlite_master where type='table' and name=?"), {name});
    if (!rows)
        return std::nullopt;
    if (rows->step() != Rows::Step::Row) {
        setError(QStringLiteral("sqlite_master"));
        return std::nullopt;
    }
    return rows->value(0).toLongLong() > 0;
}

} // namespace quorrel
