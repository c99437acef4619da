#pragma once

#include <QList>
#include <QString>

namespace quorrel {

// Turns a statement written in the Access dialect into SQLite's: #…# date literals become quoted
// canonical "YYYY-MM-DD HH:MM:SS" texts, "select top N …" gets "limit N". Quoted texts and
// bracketed names pass through untouched. now() is a function registered on the connection.
QString translateAccessSql(const QString& sql);

// The same statement in PostgreSQL's words, beside SQLite's: what translateAccessSql does, and
// "?" places numbered $1, $2, …; [names] as quoted identifiers (ASCII letters in lower case, as the
// server keeps unquoted names); now() as one more parameter the caller fills with the program's
// clock; LIKE as ILIKE (SQLite's LIKE ignores letter case); "cast(… as real)" as double precision;
// "insert or ignore" as "on conflict do nothing"; char(n) as chr(n); SQLite's "indexed by" dropped and its "cross join"
// an inner join. Quoted texts pass through untouched.
struct ServerSql
{
    QString text;
    // For each $n in order: the index of the caller's parameter, or -1 for the moment of now().
    QList<int> sources;
    // How many "?" places the statement has.
    int placeholders = 0;
};
ServerSql translateAccessSqlForServer(const QString& sql);

// "2016-8-24  9:05:07", "2016/08/24" → "2016-08-24 09:05:07"; empty when the text is no date.
QString canonicalDateTime(const QString& text);

} // namespace quorrel
