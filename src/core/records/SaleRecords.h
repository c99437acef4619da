#pragma once

#include "core/records/RecordsQuery.h"
#include "core/sales/LineMath.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <thread>

class QObject;

namespace quorrel {

class Database;

// One stored sale header as the records list shows it.
struct SaleRecord
{
    qint64 id = 0;
    QString ticketNumber; // 销售票号
    QString time;         // 销售时间 as stored, "YYYY-MM-DD HH:MM:SS"
    QString quantity;     // 数量
    QString amount;       // 金额
    QString cashier;      // 收银员
    QString remark;       // 备注 as stored (the remark and one blank)
    // How it was paid and where, as the receipt printed them; empty for sales stored before they
    // were kept. Read by loadSale only, not by the records list.
    QString paymentMethod; // 付款方式
    QString received;      // 实收
    QString change;        // 找零
    QString till;          // 收银台
};

// One stored line of a sale.
struct SaleLine
{
    qint64 id = 0; // 0 for a line that exists only on screen
    LineCells cells;
    QString remark; // 备注 as stored
};

// The columns a records query reads, in SaleRecord's order.
inline const QString kRecordColumns = QStringLiteral("s.ID, s.销售票号, s.销售时间, s.数量, s.金额, s.收银员, s.备注");

// Totals of every sale a query finds, summed exactly: the quantity rounded to two places in its
// shortest form, the amount as a two-decimal money text.
struct RecordTotals
{
    QString quantity = QStringLiteral("0");
    QString amount = QStringLiteral("0.00");
    // False when a stored 数量 or 金额 holds a number too long to be added exactly (more than 38
    // digits): the ticket number of the first such sale and what it holds are kept instead.
    bool known = true;
    QString unreadableTicket;
    QString unreadableValue;
};
// nullopt when the sales cannot be read, or once `cancelled` answers true (it is asked at every
// sale found).
std::optional<RecordTotals> recordTotals(Database& db, const RecordsQuery& query,
                                         const std::function<bool()>& cancelled = {});

// Sums the sales of records queries on a thread of its own, over a connection of its own to the
// shop's file: a window shows the first rows of a result of millions at once, and its totals when
// they are ready. Only the newest request is answered: another request, cancel() or the reader's
// end drops one still under way, which stops at the next sale it finds.
class RecordTotalsReader
{
public:
    // Runs on the thread of `context` (which outlives the reader): the totals, or nullopt and why.
    using Answer = std::function<void(const std::optional<RecordTotals>& totals, const QString& error)>;

    RecordTotalsReader(QObject* context, Answer answer);
    ~RecordTotalsReader();
    RecordTotalsReader(const RecordTotalsReader&) = delete;
    RecordTotalsReader& operator=(const RecordTotalsReader&) = delete;

    // The file is opened on the reader's thread with `key`, and kept open for the next request.
    void request(const QString& databasePath, const QByteArray& key, const RecordsQuery& query);
    void cancel();
    // Cancels and closes the connection (its thread ends), as before the file is replaced or
    // closed; a later request opens it again.
    void stop();

private:
    struct Shared;
    static void sumRequests(const std::shared_ptr<Shared>& shared, QObject* context, const Answer& answer);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    QObject* m_context;
    Answer m_answer;
};

// The shortest form of the exact sum rounded to two places, and the money text of the amounts'
// sum: what a sale's header holds for its lines. nullopt when a sum cannot be held exactly.
std::optional<QString> quantityTotalText(const QStringList& cells);
std::optional<QString> amountTotalText(const QStringList& cells);

// The sale with its lines, in one transaction. The number of the newest sale is remembered, so it
// is not given out again.
bool deleteSale(Database& db, qint64 saleId);

std::optional<SaleRecord> loadSale(Database& db, qint64 saleId);
std::optional<QList<SaleLine>> loadSaleLines(Database& db, qint64 saleId);
// One stored line; nullopt when there is none or it could not be read.
std::optional<SaleLine> loadSaleLine(Database& db, qint64 lineId);

// A stored line changed or deleted; the header's 数量 and 金额 then become the sums of its stored
// lines in the same transaction, so the list of sales and the lines never disagree.
bool updateSaleLine(Database& db, qint64 saleId, const SaleLine& line);
bool deleteSaleLine(Database& db, qint64 saleId, qint64 lineId);

// The user names of 用户登录 in the database's order, for the cashier list of the search.
std::optional<QStringList> cashierNames(Database& db);

} // namespace quorrel
