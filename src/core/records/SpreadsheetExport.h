#pragma once

#include "core/records/RecordsQuery.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace quorrel {

class XlsWriter;

// The exports of the records windows to an Excel 97–2003 workbook. Every cell is kept as it is
// (quotes, long texts, any characters); a list longer than a sheet holds continues on further
// sheets. Everything that would make the workbook fail is found before anything is written, and the
// workbook replaces `targetPath` only once it is complete and on the disk: on any failure an earlier
// file of that name is left as it was, and the answer is false with `error` set. Both may run on any
// thread: they touch no connection but their own. Given the shop's `databasePath`, the temporary
// file is noted beside the database until it is gone (see noteUnfinished), and a target that is the
// database or a file kept beside it is refused.

// A list held in memory: its column titles and its rows of cell texts.
bool exportToWorkbook(const QString& targetPath, const QStringList& titles, const QList<QStringList>& rows,
                      QString* error, const QString& databasePath = QString());

// The sales `query` finds, in the columns and texts of the records list (序号 to 备注), read on a
// connection of its own to the database file at `databasePath`, opened with `key`.
bool exportRecordsToWorkbook(const QString& targetPath, const QString& databasePath, const QByteArray& key,
                             const RecordsQuery& query, QString* error);

// Writes a filled writer's workbook to `targetPath` through a temporary file beside it that is
// renamed into place only once written, flushed to the disk and read back (ReplacingFile). A
// workbook that replaces another keeps that file's permissions and owner.
bool saveWorkbook(const QString& targetPath, const XlsWriter& writer, QString* error,
                  const QString& databasePath = QString());

} // namespace quorrel
