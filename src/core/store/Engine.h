#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

namespace quorrel {

// What the last statement or open left behind; shared by a Database and the engine it runs on.
struct EngineStatus
{
    QString error;
    // SQLite's result code of a file's failure (SQLITE_FULL for a full disk); 0 otherwise.
    int code = 0;
    // The server could not be reached, or the connection to it broke during the statement.
    bool unreachable = false;

    void clear()
    {
        error.clear();
        code = 0;
        unreachable = false;
    }
};

// The rows a query yields, one at a time. Behind a RecordSet.
class Rows
{
public:
    enum class Step
    {
        Row,
        End,
        Failed
    };

    virtual ~Rows() = default;
    virtual int columnCount() const = 0;
    virtual QString columnName(int index) const = 0;
    virtual Step step() = 0;
    // Back to before the first row.
    virtual void rewind() = 0;
    // Of the current row; `index` is 0-based and in range.
    virtual QVariant value(int index) const = 0;
    virtual QString text(int index) const = 0;
    virtual bool isNull(int index) const = 0;
};

// One kind of database behind Database: the shop's SQLCipher file or a PostgreSQL server. Each
// takes the statements in the Access forms the program writes and reports failures in `status`.
class Engine
{
public:
    explicit Engine(EngineStatus& status) : m_status(status) {}
    virtual ~Engine() = default;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // A query's rows, before the first; nullptr when it cannot run.
    virtual std::unique_ptr<Rows> query(const QString& sql, const QVariantList& params) = 0;
    // The same for a walk that may stay open a long while, other statements running on this
    // connection meanwhile; its rows are read as the walk reaches them, never all at once.
    virtual std::unique_ptr<Rows> browse(const QString& sql, const QVariantList& params) { return query(sql, params); }
    // Records why the rows of `sql` failed part-way through.
    virtual void rowsFailed(const QString& sql) = 0;
    virtual bool execute(const QString& sql, const QVariantList& params) = 0;
    virtual bool executeEach(const QString& sql, qsizetype count,
                             const std::function<QVariantList(qsizetype)>& paramsOf) = 0;
    virtual bool executeScript(const char* sql) = 0;
    virtual void setProgressTick(std::function<void()>* tick) = 0;
    virtual bool inTransaction() const = 0;
    // The statement that opens a transaction holding the right to write.
    virtual QString beginText() const = 0;
    virtual qint64 lastInsertId() = 0;
    virtual std::optional<bool> hasTable(const QString& name) = 0;
    // Notifications of other connections on a channel; an engine without them takes none.
    virtual bool listen(const QString&) { return false; }
    virtual QStringList takeNotifications() { return {}; }

protected:
    EngineStatus& m_status;
};

} // namespace quorrel
