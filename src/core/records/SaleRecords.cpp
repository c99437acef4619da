#include "core/records/SaleRecords.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/Decimal.h"
#include "core/store/QueryTexts.h"
#include "core/store/RecordSet.h"
#include "core/store/Transaction.h"
#include "core/tickets/TicketNumbers.h"

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace quorrel {

namespace {

// The stored lines the condition (on one bound ID) selects; a line stored before rates were kept
// has an empty rate.
std::optional<QList<SaleLine>> readSaleLines(Database& db, const QString& condition, qint64 id)
{
    auto records = db.query(
        QStringLiteral("select ID, 名称, 数量, 单价, 金额, 折后, 备注, 折扣 from 销售详情 where ") + condition, {id});
    if (!records)
        return std::nullopt;
    QList<SaleLine> lines;
    for (; !records->atEnd(); records->moveNext()) {
        LineCells cells{records->text(2), records->text(3), records->text(4), records->text(5), records->text(6)};
        cells.discountRate = records->text(8);
        lines.append(SaleLine{textToWhole(records->text(1)), cells, records->text(7)});
    }
    if (records->failed())
        return std::nullopt;
    return lines;
}

bool refreshHeader(Database& db, qint64 saleId)
{
    auto lines = db.query(QStringLiteral("select 数量, 金额 from 销售详情 where 关联=?"), {saleId});
    if (!lines)
        return false;
    QStringList quantities;
    QStringList amounts;
    for (; !lines->atEnd(); lines->moveNext()) {
        quantities << lines->text(1);
        amounts << lines->text(2);
    }
    const bool complete = !lines->failed();
    lines->close();
    const std::optional<QString> quantity = quantityTotalText(quantities);
    const std::optional<QString> amount = amountTotalText(amounts);
    if (!complete || !quantity || !amount)
        return false;
    return db.execute(QStringLiteral("update 销售记录 set 数量=?, 金额=? where ID=?"), {*quantity, *amount, saleId});
}

} // namespace

std::optional<QString> quantityTotalText(const QStringList& cells)
{
    DecimalTotal total;
    for (const QString& cell : cells) {
        if (!total.add(cell))
            return std::nullopt;
    }
    return total.roundedText(2);
}

std::optional<QString> amountTotalText(const QStringList& cells)
{
    const std::optional<QString> rounded = quantityTotalText(cells);
    return rounded ? std::optional<QString>(formatMoney(*rounded)) : std::nullopt;
}

std::optional<RecordTotals> recordTotals(Database& db, const RecordsQuery& query,
                                         const std::function<bool()>& cancelled)
{
    auto records = db.query(recordsSql(query, QStringLiteral("s.数量, s.金额, s.销售票号")), query.params);
    if (!records)
        return std::nullopt;
    DecimalTotal quantity;
    DecimalTotal amount;
    for (; !records->atEnd(); records->moveNext()) {
        if (cancelled && cancelled())
            return std::nullopt;
        const QString q = records->text(1);
        const QString a = records->text(2);
        const bool quantityAdded = quantity.add(q);
        if (!quantityAdded || !amount.add(a)) {
            // Beyond what can be added exactly: the sale is named rather than a wrong total shown.
            RecordTotals unreadable;
            unreadable.known = false;
            unreadable.unreadableTicket = records->text(3);
            unreadable.unreadableValue = quantityAdded ? a : q;
            return unreadable;
        }
    }
    if (records->failed())
        return std::nullopt;
    RecordTotals totals;
    totals.quantity = quantity.roundedText(2);
    totals.amount = formatMoney(amount.roundedText(2));
    return totals;
}

struct RecordTotalsReader::Shared
{
    struct Job
    {
        quint64 generation = 0;
        QString path;
        QByteArray key;
        RecordsQuery query;
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::optional<Job> job; // the newest request not yet taken up; an older one is replaced
    bool stopping = false;
    // The newest request's number: a job of another number is no longer wanted.
    std::atomic<quint64> latest{0};

    bool wanted(quint64 generation) const { return latest.load() == generation; }
};

// The reader's thread: one connection, one job after another until told to stop.
void RecordTotalsReader::sumRequests(const std::shared_ptr<Shared>& shared, QObject* context, const Answer& answer)
{
    Database db;
    QString openPath;
    QByteArray openKey;
    for (;;) {
        Shared::Job job;
        {
            std::unique_lock lock(shared->mutex);
            shared->wake.wait(lock, [&shared] { return shared->stopping || shared->job; });
            if (shared->stopping)
                break;
            job = std::move(*shared->job);
            shared->job.reset();
        }
        std::optional<RecordTotals> totals;
        QString error;
        if (!db.isOpen() || openPath != job.path || openKey != job.key) {
            openPath = job.path;
            openKey = job.key;
            if (!db.open(job.path, job.key))
                error = db.lastError();
        }
        if (db.isOpen()) {
            totals = recordTotals(db, job.query, [&] { return !shared->wanted(job.generation); });
            if (!totals)
                error = db.lastError();
        }
        if (!shared->wanted(job.generation))
            continue;
        QMetaObject::invokeMethod(
            context,
            [shared, answer, generation = job.generation, totals, error] {
                // A request made after this answer was sent outranks it.
                if (shared->wanted(generation))
                    answer(totals, error);
            },
            Qt::QueuedConnection);
    }
    db.close();
}

RecordTotalsReader::RecordTotalsReader(QObject* context, Answer answer)
    : m_shared(std::make_shared<Shared>()), m_context(context), m_answer(std::move(answer))
{}

RecordTotalsReader::~RecordTotalsReader()
{
    stop();
}

void RecordTotalsReader::request(const QString& databasePath, const QByteArray& key, const RecordsQuery& query)
{
    {
        std::lock_guard lock(m_shared->mutex);
        const quint64 generation = ++m_shared->latest;
        m_shared->job = Shared::Job{generation, databasePath, key, query};
    }
    m_shared->wake.notify_one();
    if (!m_thread.joinable())
        m_thread = std::thread(sumRequests, m_shared, m_context, m_answer);
}

void RecordTotalsReader::cancel()
{
    std::lock_guard lock(m_shared->mutex);
    ++m_shared->latest;
    m_shared->job.reset();
}

void RecordTotalsReader::stop()
{
    {
        std::lock_guard lock(m_shared->mutex);
        ++m_shared->latest;
        m_shared->job.reset();
        m_shared->stopping = true;
    }
    m_shared->wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_shared->mutex);
    m_shared->stopping = false;
}

bool deleteSale(Database& db, qint64 saleId)
{
    Transaction transaction(db);
    if (!transaction.began())
        return false;
    if (!rememberDeletedNumber(db, saleId))
        return false;
    if (!db.execute(QStringLiteral("delete from 销售详情 where 关联=?"), {saleId}) ||
        !db.execute(QStringLiteral("delete from 销售记录  where ID=?"), {saleId}))
        return false;
    return transaction.commit();
}

std::optional<SaleRecord> loadSale(Database& db, qint64 saleId)
{
    RecordsQuery query;
    query.where = QStringLiteral("s.ID=?");
    query.params = {saleId};
    auto records = db.query(
        recordsSql(query, kRecordColumns + QStringLiteral(", s.付款方式, s.实收, s.找零, s.收银台")), query.params);
    if (!records || records->atEnd())
        return std::nullopt;
    return SaleRecord{textToWhole(records->text(1)),
                      records->text(2),
                      records->text(3),
                      records->text(4),
                      records->text(5),
                      records->text(6),
                      records->text(7),
                      records->text(8),
                      records->text(9),
                      records->text(10),
                      records->text(11)};
}

std::optional<QList<SaleLine>> loadSaleLines(Database& db, qint64 saleId)
{
    return readSaleLines(db, QStringLiteral("关联=?"), saleId);
}

std::optional<SaleLine> loadSaleLine(Database& db, qint64 lineId)
{
    const std::optional<QList<SaleLine>> lines = readSaleLines(db, QStringLiteral("ID=?"), lineId);
    if (!lines || lines->isEmpty())
        return std::nullopt;
    return lines->first();
}

bool updateSaleLine(Database& db, qint64 saleId, const SaleLine& line)
{
    Transaction transaction(db);
    if (!transaction.began())
        return false;
    const LineCells& c = line.cells;
    if (!db.execute(
            QStringLiteral("update 销售详情  set   名称=?,数量=?,单价=?,金额=?,折后=?,备注=?,折扣=? where ID=? "
                           "and 关联=?"),
            {c.name, c.quantity, c.unitPrice, c.amount, c.discounted, line.remark, c.discountRate, line.id, saleId}))
        return false;
    return refreshHeader(db, saleId) && transaction.commit();
}

bool deleteSaleLine(Database& db, qint64 saleId, qint64 lineId)
{
    Transaction transaction(db);
    if (!transaction.began())
        return false;
    if (!db.execute(QStringLiteral("delete from 销售详情  where ID=? and 关联=?"), {lineId, saleId}))
        return false;
    return refreshHeader(db, saleId) && transaction.commit();
}

std::optional<QStringList> cashierNames(Database& db)
{
    Result<QStringList> names = queryTexts(db, QStringLiteral("select 用户名 from 用户登录"));
    if (!names)
        return std::nullopt;
    return std::move(*names);
}

} // namespace quorrel
