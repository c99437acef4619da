#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace quorrel::test {

// One sheet of a workbook as an independent reader (python3-xlrd) sees it.
struct ReadSheet
{
    QString name;
    QList<QStringList> rows; // cell texts; a row is as long as the sheet's widest row
    bool allText = true;     // every cell that is not empty is a text cell
};

struct ReadBook
{
    bool ok = false;
    QString error; // what the reader said when it refused the file
    QList<ReadSheet> sheets;
};

ReadBook readWithXlrd(const QString& path);

// The named streams of a compound file as xlrd's own compound file reader finds them; a missing
// stream is a null QByteArray. Empty map when the reader refuses the file.
QMap<QString, QByteArray> readStreamsWithXlrd(const QString& path, const QStringList& names);

// Converts the workbook's first sheet to CSV with LibreOffice (headless) and returns its rows;
// `available` is false when LibreOffice is not installed.
QList<QStringList> convertWithLibreOffice(const QString& path, bool* available, QString* error);

} // namespace quorrel::test
