#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quorrel {

// Saves a list (its column titles and its rows of cell texts) as an Excel 97–2003 workbook at
// `targetPath`: the rows pass through a table `tmp` of a temporary database unpacked from the
// program's compressed empty database into a private directory of the user's, and the workbook is
// written from that table. Every cell is kept as it is (quotes, long texts, any characters); a
// list longer than a sheet holds continues on further sheets. The workbook is written beside the
// target and renamed into place only when complete, so a failure leaves the target as it was; the
// temporary database is deleted in any case. False with `error` set on any failure.
bool exportToWorkbook(const QString& targetPath, const QStringList& titles, const QList<QStringList>& rows,
                      QString* error);

// The export's empty database as the program carries it (magic, size, zlib stream) unpacked;
// empty when the container is damaged.
QByteArray unpackExportDatabase(const QByteArray& packed);

} // namespace quorrel
