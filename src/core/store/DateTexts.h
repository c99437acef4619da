#pragma once

#include <QDateTime>
#include <QString>

namespace quorrel {

// The clock and SQL form: "2016-08-24  09:05:07" (two blanks between date and time).
QString dateTimeText(const QDateTime& moment);

// The form dates are stored in: "2016-08-24 09:05:07" (one blank; sorts and compares as text).
QString canonicalDateTimeText(const QDateTime& moment);

// A stored date-time text read back; invalid when the text is no date.
QDateTime parseStoredDateTime(const QString& text);

// "2016年8月24日9时5分7秒", down to the last non-zero part ("2016年8月24日9时5分", "2016年8月24日").
QString longDateTimeText(const QDateTime& moment);

// Six-character ticket date prefix yyMMdd: 24 August 2016 → "160824".
QString datePrefix(const QDate& date);

} // namespace quorrel
