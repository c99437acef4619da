#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace quorrel {

class Database;

// Ticket number formats as stored in 配置文件.全局单号格式 (read and written by ShopSettings).
inline constexpr int kTicketFormatCustomPrefix = 1; // "0000000" + six-digit counter
inline constexpr int kTicketFormatDatePrefix = 2;   // yyMMdd + seven-digit counter

// The number the counter of `format` continues from: 销售票号 of the sale with the highest ID, unless
// a deleted number counts higher (a deleted number is never given out again). Empty when there is
// none, nullopt when a query failed.
std::optional<QString> lastTicketNumber(Database& db, int format);

// Keeps the number of the sale about to be deleted as its format's floor when it counts higher than
// the floor kept so far. Call it inside the transaction that deletes the sale.
bool rememberDeletedNumber(Database& db, qint64 saleId);

// What the ticket box shows when the main window opens, given the last stored number.
QString startupTicketNumber(int format, const QString& lastTicket, const QDate& today);

// The number that follows `current` in `format`; any other format leaves it unchanged.
QString advanceTicketNumber(int format, const QString& current, const QDate& today);

// Of two numbers, the one whose counter in `format` is higher (`a` when they are equal).
QString laterTicketNumber(int format, const QString& a, const QString& b);

} // namespace quorrel
