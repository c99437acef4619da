#include "core/store/ServerEngine.h"

#include "core/store/AccessSql.h"
#include "core/store/Clock.h"
#include "core/store/Conversions.h"
#include "core/store/DateTexts.h"

#include <libpq-fe.h>

#include <QVarLengthArray>

#include <algorithm>
#include <memory>
#include <vector>

namespace quorrel {

namespace {

// Type OIDs of the built-in types a result column may have (pg_type.h).
constexpr Oid kBool = 16;
constexpr Oid kBytea = 17;
constexpr Oid kInt8 = 20;
constexpr Oid kInt2 = 21;
constexpr Oid kInt4 = 23;
constexpr Oid kOid = 26;
constexpr Oid kFloat4 = 700;
constexpr Oid kFloat8 = 701;
constexpr Oid kNumeric = 1700;

const QString kUnreachable = QStringLiteral("无法连接数据库服务器");

QString serverMessage(const PGconn* connection)
{
    return QString::fromUtf8(PQerrorMessage(connection)).trimmed();
}

// The connection could not be made, or broke: what the user is told, with the server's reason.
void noteUnreachable(EngineStatus& status, const PGconn* connection)
{
    status.error = kUnreachable + QStringLiteral("：") + serverMessage(connection);
    status.unreachable = true;
}

// LISTEN on a channel; a channel is an identifier, quoted, as the server folds nothing inside quotes.
QByteArray listenStatement(const QString& channel)
{
    return "LISTEN \"" + QString(channel).replace(u'"', QStringLiteral("\"\"")).toUtf8() + '"';
}

// Notices (a table that already exists, say) are the program's own business, not the terminal's.
void dropNotice(void*, const char*) {}

// The parameters of one statement as libpq takes them: texts the server types from the statement,
// bytes as bytea in binary form, the now() places filled with the program's clock.
class Parameters
{
public:
    Parameters(const ServerSql& sql, const QVariantList& params)
    {
        const qsizetype count = sql.sources.size();
        m_data.reserve(count);
        m_values.resize(count);
        m_lengths.resize(count);
        m_formats.resize(count);
        m_types.resize(count);
        for (qsizetype i = 0; i < count; ++i) {
            const int source = sql.sources[i];
            m_types[i] = 0;
            m_formats[i] = 0;
            if (source < 0) {
                m_data.push_back(canonicalDateTimeText(Clock::now()).toUtf8());
            } else {
                const QVariant& value = params.at(source);
                if (value.isNull()) {
                    m_data.emplace_back();
                    m_values[i] = nullptr;
                    m_lengths[i] = 0;
                    continue;
                }
                switch (value.typeId()) {
                case QMetaType::QByteArray:
                    m_data.push_back(value.toByteArray());
                    m_types[i] = kBytea;
                    m_formats[i] = 1;
                    break;
                case QMetaType::Bool:
                    m_data.push_back(value.toBool() ? QByteArrayLiteral("1") : QByteArrayLiteral("0"));
                    break;
                case QMetaType::Double:
                case QMetaType::Float:
                    m_data.push_back(QByteArray::number(value.toDouble(), 'g', 17));
                    break;
                default:
                    m_data.push_back(value.toString().toUtf8());
                }
            }
            m_values[i] = m_data.back().constData();
            m_lengths[i] = static_cast<int>(m_data.back().size());
        }
    }

    // `statement` run with these values and its answer awaited; its result (nullptr when libpq had
    // no memory for one).
    PGresult* run(PGconn* connection, const QByteArray& statement) const
    {
        return PQexecParams(connection, statement.constData(), count(), m_types.data(), m_values.data(),
                            m_lengths.data(), m_formats.data(), 0);
    }
    // The same sent without waiting, in a pipeline; false when it could not be sent.
    bool send(PGconn* connection, const QByteArray& statement) const
    {
        return PQsendQueryParams(connection, statement.constData(), count(), m_types.data(), m_values.data(),
                                 m_lengths.data(), m_formats.data(), 0) == 1;
    }

private:
    int count() const { return static_cast<int>(m_values.size()); }

    std::vector<QByteArray> m_data;
    std::vector<const char*> m_values;
    std::vector<int> m_lengths;
    std::vector<int> m_formats;
    std::vector<Oid> m_types;
};

} // namespace

// The reading connections of walks: each walk takes one and gives it back, its own session, so that
// the statements the shop runs meanwhile never meet the walk's open cursor.
struct ServerReaders
{
    QString connection;
    std::vector<PGconn*> idle;
    // Why the last walk's fetch failed, for the engine to report.
    QString lastFailure;

    ~ServerReaders()
    {
        for (PGconn* reader : idle)
            PQfinish(reader);
    }
    // A walk's connection back, once its transaction is over; at most two are kept waiting.
    void giveBack(PGconn* reader)
    {
        PGresult* end = PQexec(reader, "ROLLBACK");
        const bool ended = PQresultStatus(end) == PGRES_COMMAND_OK && PQtransactionStatus(reader) == PQTRANS_IDLE;
        PQclear(end);
        if (ended && idle.size() < 2)
            idle.push_back(reader);
        else
            PQfinish(reader);
    }
};

namespace {

constexpr char kWalkCursor[] = "quorrel_walk";
// The first batch is small, so that the first screen comes at once; the next ones are larger.
constexpr int kFirstBatch = 128;
constexpr int kNextBatch = 1024;

// The walk's next `count` rows; nullptr, with the server's reason in `failure`, when it gave none.
PGresult* fetchRows(PGconn* reader, int count, QString* failure)
{
    const QByteArray statement = "FETCH FORWARD " + QByteArray::number(count) + " FROM " + kWalkCursor;
    PGresult* rows = PQexec(reader, statement.constData());
    if (PQresultStatus(rows) == PGRES_TUPLES_OK)
        return rows;
    PQclear(rows);
    *failure = serverMessage(reader);
    return nullptr;
}

// A walk's statement: the cursor's declaration with its parameters, kept to declare it again.
struct Walk
{
    QByteArray declaration;
    std::unique_ptr<Parameters> parameters;

    // Declares the cursor on `reader` and fetches its first batch; nullptr, with the reason in
    // `failure`, when the server refused either.
    PGresult* start(PGconn* reader, QString* failure) const
    {
        PGresult* declared = parameters->run(reader, declaration);
        const bool done = PQresultStatus(declared) == PGRES_COMMAND_OK;
        PQclear(declared);
        if (!done) {
            *failure = serverMessage(reader);
            return nullptr;
        }
        return fetchRows(reader, kFirstBatch, failure);
    }
};

// The rows of a query: its whole result, or, for a walk, the batches its cursor fetches as the walk
// reaches them.
class ServerRows final : public Rows
{
public:
    explicit ServerRows(PGresult* result) { take(result); }
    // A walk over the cursor that `reader` holds open in a transaction of its own; `first` is the
    // cursor's first batch.
    ServerRows(PGresult* first, Walk walk, PGconn* reader, std::shared_ptr<ServerReaders> readers)
        : m_walk(std::move(walk)), m_reader(reader), m_readers(std::move(readers)),
          m_lastBatch(PQntuples(first) < kFirstBatch)
    {
        take(first);
    }
    ~ServerRows() override
    {
        PQclear(m_result);
        if (m_reader)
            m_readers->giveBack(m_reader);
    }

    int columnCount() const override { return m_columns; }
    QString columnName(int index) const override { return QString::fromUtf8(PQfname(m_result, index)); }
    Step step() override
    {
        if (m_row < m_rows)
            ++m_row;
        if (m_row < m_rows)
            return Step::Row;
        if (!m_reader || m_lastBatch)
            return Step::End;
        if (!fetch(kNextBatch))
            return Step::Failed;
        return step();
    }
    void rewind() override
    {
        m_row = -1;
        if (!m_reader)
            return;
        // The cursor declared again: the transaction's snapshot keeps its rows the same.
        const QByteArray close = QByteArrayLiteral("CLOSE ") + kWalkCursor;
        PQclear(PQexec(m_reader, close.constData()));
        PGresult* first = m_walk.start(m_reader, &m_readers->lastFailure);
        m_lastBatch = !first || PQntuples(first) < kFirstBatch;
        if (first)
            take(first);
        else
            m_rows = 0;
    }

    QVariant value(int index) const override
    {
        if (PQgetisnull(m_result, m_row, index))
            return QString();
        const char* data = PQgetvalue(m_result, m_row, index);
        switch (m_types[index]) {
        case kBool:
            return qlonglong(*data == 't' ? 1 : 0);
        case kInt2:
        case kInt4:
        case kInt8:
        case kOid:
            return QByteArray::fromRawData(data, PQgetlength(m_result, m_row, index)).toLongLong();
        case kFloat4:
        case kFloat8:
        case kNumeric:
            return QByteArray::fromRawData(data, PQgetlength(m_result, m_row, index)).toDouble();
        case kBytea: {
            size_t length = 0;
            unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(data), &length);
            if (!bytes)
                return QByteArray();
            QByteArray out(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(length));
            PQfreemem(bytes);
            return out;
        }
        default:
            return QString::fromUtf8(data, PQgetlength(m_result, m_row, index));
        }
    }

    QString text(int index) const override
    {
        if (PQgetisnull(m_result, m_row, index))
            return QString();
        switch (m_types[index]) {
        case kBool:
        case kFloat4:
        case kFloat8:
        case kNumeric:
        case kBytea:
            return m_types[index] == kBytea  ? QString::fromUtf8(value(index).toByteArray())
                   : m_types[index] == kBool ? value(index).toString()
                                             : doubleToText(value(index).toDouble());
        default:
            return QString::fromUtf8(PQgetvalue(m_result, m_row, index), PQgetlength(m_result, m_row, index));
        }
    }

    bool isNull(int index) const override { return PQgetisnull(m_result, m_row, index); }

private:
    void take(PGresult* result)
    {
        PQclear(m_result);
        m_result = result;
        m_rows = PQntuples(result);
        m_row = -1;
        if (m_columns == 0) {
            m_columns = PQnfields(result);
            m_types.resize(m_columns);
            for (int i = 0; i < m_columns; ++i)
                m_types[i] = PQftype(result, i);
        }
    }
    // The cursor's next `count` rows in place of the batch read; false, with the reason kept, when
    // the server did not give them (the connection broke, say).
    bool fetch(int count)
    {
        PGresult* batch = fetchRows(m_reader, count, &m_readers->lastFailure);
        if (!batch) {
            m_lastBatch = true;
            m_rows = 0;
            return false;
        }
        m_lastBatch = PQntuples(batch) < count;
        take(batch);
        return true;
    }

    PGresult* m_result = nullptr;
    int m_rows = 0;
    int m_columns = 0;
    int m_row = -1;
    QVarLengthArray<Oid, 16> m_types;
    Walk m_walk;
    PGconn* m_reader = nullptr;
    std::shared_ptr<ServerReaders> m_readers;
    bool m_lastBatch = true;
};

bool isRollback(const QString& sql)
{
    const QString word = sql.trimmed().toLower();
    return word == u"rollback" || word == u"rollback;";
}

} // namespace

pg_conn* ServerEngine::open(const QString& connection, bool readOnly, EngineStatus& status)
{
    // The named connection first, then what the program insists on: a server that does not answer
    // is given up after 5 s, one that vanishes is noticed by the keepalives within some seconds, a
    // request the network stops carrying fails after 5 s, and a sale waits at most 5 s for the
    // ticket-number lock another till holds.
    const QByteArray named = connection.toUtf8();
    const char* const keywords[] = {"dbname",
                                    "connect_timeout",
                                    "keepalives",
                                    "keepalives_idle",
                                    "keepalives_interval",
                                    "keepalives_count",
                                    "tcp_user_timeout",
                                    "client_encoding",
                                    "application_name",
                                    "options",
                                    nullptr};
    const char* const values[] = {named.constData(),    "5",    "1", "5", "2", "2", "5000", "UTF8", "quorrel",
                                  "-c lock_timeout=5s", nullptr};
    PGconn* pg = PQconnectdbParams(keywords, values, 1);
    if (!pg) {
        status.error = kUnreachable;
        status.unreachable = true;
        return nullptr;
    }
    if (PQstatus(pg) != CONNECTION_OK) {
        noteUnreachable(status, pg);
        PQfinish(pg);
        return nullptr;
    }
    PQsetNoticeProcessor(pg, &dropNotice, nullptr);
    if (!readOnly)
        return pg;
    PGresult* set = PQexec(pg, "SET default_transaction_read_only = on");
    const bool settled = PQresultStatus(set) == PGRES_COMMAND_OK;
    PQclear(set);
    if (!settled) {
        status.error = serverMessage(pg);
        PQfinish(pg);
        return nullptr;
    }
    return pg;
}

std::unique_ptr<ServerEngine> ServerEngine::connect(const QString& connection, bool readOnly, EngineStatus& status)
{
    PGconn* pg = open(connection, readOnly, status);
    if (!pg)
        return nullptr;
    return std::unique_ptr<ServerEngine>(new ServerEngine(pg, connection, readOnly, status));
}

ServerEngine::ServerEngine(pg_conn* connection, QString connectionText, bool readOnly, EngineStatus& status)
    : Engine(status), m_connection(connection), m_connectionText(std::move(connectionText)), m_readOnly(readOnly),
      m_readers(std::make_shared<ServerReaders>())
{}

ServerEngine::~ServerEngine()
{
    PQfinish(m_connection);
}

bool ServerEngine::usable()
{
    // A connection the server closed while it stood idle (a restart, say) shows as broken only at
    // the read that meets its end, after the farewell the server sent before it; found now, the
    // statement goes to a fresh connection instead of failing.
    if (m_connection && !m_lostInTransaction && PQtransactionStatus(m_connection) == PQTRANS_IDLE) {
        for (int read = 0; read < 2 && PQstatus(m_connection) == CONNECTION_OK; ++read)
            PQconsumeInput(m_connection);
    }
    if (m_connection && PQstatus(m_connection) == CONNECTION_OK)
        return true;
    if (m_lostInTransaction) {
        m_status.error = kUnreachable;
        m_status.unreachable = true;
        return false;
    }
    // A fresh connection, as the program made at its start, listening where this one did.
    PQfinish(m_connection);
    m_connection = open(m_connectionText, m_readOnly, m_status);
    if (!m_connection)
        return false;
    for (const QString& channel : m_channels) {
        // A failed LISTEN shows as changes not arriving, never as a failed sale.
        PQclear(PQexec(m_connection, listenStatement(channel).constData()));
    }
    return true;
}

bool ServerEngine::fits(const ServerSql& translated, qsizetype given, const QString& sql)
{
    if (translated.placeholders == given)
        return true;
    m_status.error = QStringLiteral("参数个数不符：%1").arg(sql);
    return false;
}

void ServerEngine::noteResultFailure(const QString& sql, pg_result* result)
{
    if (PQstatus(m_connection) != CONNECTION_OK) {
        noteUnreachable(m_status, m_connection);
        return;
    }
    const char* message = result ? PQresultErrorMessage(result) : PQerrorMessage(m_connection);
    m_status.error = sql + QStringLiteral(": ") + QString::fromUtf8(message).trimmed();
}

pg_result* ServerEngine::run(const QString& sql, const QVariantList& params)
{
    if (m_lostInTransaction && isRollback(sql)) {
        // The server undid the transaction when the connection broke.
        m_lostInTransaction = false;
        return PQmakeEmptyPGresult(nullptr, PGRES_COMMAND_OK);
    }
    if (!usable())
        return nullptr;
    const ServerSql translated = translateAccessSqlForServer(sql);
    if (!fits(translated, params.size(), sql))
        return nullptr;
    const bool wasInTransaction = inTransaction();
    const QByteArray text = translated.text.toUtf8();
    const Parameters values(translated, params);
    PGresult* result = values.run(m_connection, text);
    const ExecStatusType state = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (state != PGRES_COMMAND_OK && state != PGRES_TUPLES_OK) {
        noteResultFailure(sql, result);
        if (m_status.unreachable)
            m_lostInTransaction = wasInTransaction;
        PQclear(result);
        return nullptr;
    }
    // A COMMIT of a transaction a statement failed in ends it undone, and says so only here.
    if (qstrcmp(PQcmdStatus(result), "ROLLBACK") == 0 && !isRollback(sql)) {
        m_status.error = sql + QStringLiteral(": 事务中有语句失败，已撤销");
        PQclear(result);
        return nullptr;
    }
    return result;
}

std::unique_ptr<Rows> ServerEngine::query(const QString& sql, const QVariantList& params)
{
    PGresult* result = run(sql, params);
    if (!result)
        return nullptr;
    return std::make_unique<ServerRows>(result);
}

std::unique_ptr<Rows> ServerEngine::browse(const QString& sql, const QVariantList& params)
{
    const ServerSql translated = translateAccessSqlForServer(sql);
    if (!fits(translated, params.size(), sql))
        return nullptr;
    // A connection of its own, reading in a transaction of its own: a cursor lives only inside a
    // transaction, and this connection's transactions must stay free for the sales stored while the
    // list is open. The snapshot keeps the walk's rows as they were when it began.
    PGconn* reader = nullptr;
    if (!m_readers->idle.empty()) {
        reader = m_readers->idle.back();
        m_readers->idle.pop_back();
    }
    bool inside = false;
    for (;;) {
        const bool kept = reader != nullptr;
        if (!reader && !(reader = open(m_connectionText, true, m_status)))
            return nullptr;
        PGresult* begun = PQexec(reader, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
        inside = PQresultStatus(begun) == PGRES_COMMAND_OK;
        PQclear(begun);
        // A kept connection the server dropped meanwhile (it was restarted, say) shows only now.
        if (inside || !kept || PQstatus(reader) == CONNECTION_OK)
            break;
        PQfinish(reader);
        reader = nullptr;
    }
    Walk walk{"DECLARE " + QByteArray(kWalkCursor) + " NO SCROLL CURSOR FOR " + translated.text.toUtf8(),
              std::make_unique<Parameters>(translated, params)};
    QString failure;
    PGresult* first = inside ? walk.start(reader, &failure) : nullptr;
    if (!first) {
        if (PQstatus(reader) != CONNECTION_OK)
            noteUnreachable(m_status, reader);
        else
            m_status.error = sql + QStringLiteral(": ") + (inside ? failure : serverMessage(reader));
        m_readers->giveBack(reader);
        return nullptr;
    }
    return std::make_unique<ServerRows>(first, std::move(walk), reader, m_readers);
}

void ServerEngine::rowsFailed(const QString& sql)
{
    // A query's whole result is read at once, so its failure shows in query() already; a walk's
    // later batches may still fail.
    m_status.error = sql + QStringLiteral(": ") + m_readers->lastFailure;
}

bool ServerEngine::execute(const QString& sql, const QVariantList& params)
{
    PGresult* result = run(sql, params);
    PQclear(result);
    return result != nullptr;
}

bool ServerEngine::executeEach(const QString& sql, qsizetype count,
                               const std::function<QVariantList(qsizetype)>& paramsOf)
{
    if (!usable())
        return false;
    // The runs go out in batches without waiting for each answer (libpq's pipeline), so that a copy
    // of many rows costs one round trip a batch, not one a row. A batch is small enough that the
    // server's answers to it always fit in the socket's buffer while the next runs are sent.
    constexpr qsizetype kBatch = 256;
    const ServerSql translated = translateAccessSqlForServer(sql);
    const QByteArray text = translated.text.toUtf8();
    const bool wasInTransaction = inTransaction();
    if (PQenterPipelineMode(m_connection) != 1) {
        noteResultFailure(sql, nullptr);
        return false;
    }
    bool done = true;
    for (qsizetype from = 0; from < count && done; from += kBatch) {
        const qsizetype to = std::min(count, from + kBatch);
        for (qsizetype i = from; i < to && done; ++i) {
            const QVariantList params = paramsOf(i);
            if (!fits(translated, params.size(), sql)) {
                done = false;
                break;
            }
            const Parameters values(translated, params);
            if (!values.send(m_connection, text)) {
                noteResultFailure(sql, nullptr);
                done = false;
            }
        }
        if (!PQpipelineSync(m_connection)) {
            if (done)
                noteResultFailure(sql, nullptr);
            done = false;
            break;
        }
        // Every run's answer, up to the batch's end. After a failure the server skips the rest of
        // the batch, and the first failure is the one to report.
        for (bool batchEnded = false; !batchEnded;) {
            PGresult* result = PQgetResult(m_connection);
            if (!result) {
                if (PQstatus(m_connection) != CONNECTION_OK) {
                    if (done)
                        noteResultFailure(sql, nullptr);
                    done = false;
                    break;
                }
                continue; // between one run's answer and the next
            }
            const ExecStatusType state = PQresultStatus(result);
            if (state == PGRES_PIPELINE_SYNC) {
                batchEnded = true;
            } else if (state != PGRES_COMMAND_OK && state != PGRES_TUPLES_OK && done) {
                noteResultFailure(sql, result);
                done = false;
            }
            PQclear(result);
        }
    }
    PQexitPipelineMode(m_connection);
    if (!done && m_status.unreachable)
        m_lostInTransaction = wasInTransaction;
    return done;
}

bool ServerEngine::executeScript(const char* sql)
{
    if (!usable())
        return false;
    const bool wasInTransaction = inTransaction();
    PGresult* result = PQexec(m_connection, sql);
    const ExecStatusType state = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    const bool done = state == PGRES_COMMAND_OK || state == PGRES_TUPLES_OK;
    if (!done) {
        noteResultFailure(QString(), result);
        if (m_status.unreachable)
            m_lostInTransaction = wasInTransaction;
    }
    PQclear(result);
    return done;
}

bool ServerEngine::inTransaction() const
{
    if (m_lostInTransaction)
        return true;
    const PGTransactionStatusType state = PQtransactionStatus(m_connection);
    return state == PQTRANS_INTRANS || state == PQTRANS_INERROR || state == PQTRANS_ACTIVE;
}

qint64 ServerEngine::lastInsertId()
{
    // The value the last insert took from its table's sequence, on this connection.
    PGresult* result = PQexec(m_connection, "SELECT lastval()");
    qint64 id = 0;
    if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1)
        id = QByteArray(PQgetvalue(result, 0, 0)).toLongLong();
    PQclear(result);
    return id;
}

std::optional<bool> ServerEngine::hasTable(const QString& name)
{
    auto rows = query(QStringLiteral("select count(*) from pg_catalog.pg_tables where schemaname = current_schema() "
                                     "and tablename = ?"),
                      {name});
    if (!rows || rows->step() != Rows::Step::Row)
        return std::nullopt;
    return rows->value(0).toLongLong() > 0;
}

bool ServerEngine::listen(const QString& channel)
{
    if (!m_channels.contains(channel))
        m_channels.append(channel);
    return execute(QString::fromUtf8(listenStatement(channel)), {});
}

QStringList ServerEngine::takeNotifications()
{
    QStringList payloads;
    if (!m_connection || PQstatus(m_connection) != CONNECTION_OK || !PQconsumeInput(m_connection))
        return payloads;
    const int self = PQbackendPID(m_connection);
    while (PGnotify* notice = PQnotifies(m_connection)) {
        if (notice->be_pid != self)
            payloads.append(QString::fromUtf8(notice->extra));
        PQfreemem(notice);
    }
    return payloads;
}

} // namespace quorrel
