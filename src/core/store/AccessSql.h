#pragma once

#include <QString>

namespace quorrel {

// Turns a statement written in the Access dialect into SQLite's: #…# date literals become quoted
// canonical "YYYY-MM-DD HH:MM:SS" texts, "select top N …" gets "limit N". Quoted texts and
// bracketed names pass through untouched. now() is a function registered on the connection.
QString translateAccessSql(const QString& sql);

// "2016-8-24  9:05:07", "2016/08/24" → "2016-08-24 09:05:07"; empty when the text is no date.
QString canonicalDateTime(const QString& text);

} // namespace quorrel
