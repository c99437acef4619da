#include "XlsReadBack.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace quorrel::test {

namespace {

// RFC 4180 fields: quoted ones may hold commas, doubled quotes and line breaks.
QList<QStringList> parseCsv(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            row.append(field);
            field.clear();
        } else if (c == QLatin1Char('\n')) {
            row.append(field);
            rows.append(row);
            row.clear();
            field.clear();
        } else if (c != QLatin1Char('\r')) {
            field += c;
        }
    }
    if (!field.isEmpty() || !row.isEmpty()) {
        row.append(field);
        rows.append(row);
    }
    return rows;
}

} // namespace

ReadBook readWithXlrd(const QString& path)
{
    ReadBook book;
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(READ_XLS_SCRIPT), path});
    if (!python.waitForFinished(120000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        book.error = QString::fromUtf8(python.readAllStandardError()) + python.errorString();
        return book;
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(python.readAllStandardOutput(), &parseError);
    if (json.isNull()) {
        book.error = parseError.errorString();
        return book;
    }
    for (const QJsonValue& sheetValue : json.object().value(QStringLiteral("sheets")).toArray()) {
        const QJsonObject sheetObject = sheetValue.toObject();
        ReadSheet sheet;
        sheet.name = sheetObject.value(QStringLiteral("name")).toString();
        for (const QJsonValue& rowValue : sheetObject.value(QStringLiteral("rows")).toArray()) {
            QStringList row;
            for (const QJsonValue& cellValue : rowValue.toArray()) {
                const QJsonArray cell = cellValue.toArray();
                const int type = cell.at(0).toInt();
                sheet.allText = sheet.allText && (type == 0 || type == 1);
                row.append(cell.at(1).isString() ? cell.at(1).toString() : cell.at(1).toVariant().toString());
            }
            sheet.rows.append(row);
        }
        book.sheets.append(sheet);
    }
    book.ok = true;
    return book;
}

QMap<QString, QByteArray> readStreamsWithXlrd(const QString& path, const QStringList& names)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral(READ_XLS_SCRIPT), QStringLiteral("--streams"), path} + names);
    if (!python.waitForFinished(120000) || python.exitCode() != 0)
        return {};
    QMap<QString, QByteArray> streams;
    const QJsonObject json = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    for (auto it = json.begin(); it != json.end(); ++it)
        streams.insert(it.key(),
                       it.value().isNull() ? QByteArray() : QByteArray::fromHex(it.value().toString().toLatin1()));
    return streams;
}

QList<QStringList> convertWithLibreOffice(const QString& path, bool* available, QString* error)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    *available = !soffice.isEmpty();
    if (!*available)
        return {};
    QTemporaryDir work;
    QProcess office;
    // A profile of its own, so a running office or another test does not get in the way.
    office.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + work.filePath(QStringLiteral("profile")),
                           QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                           QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"),
                           work.path(), path});
    if (!office.waitForFinished(180000) || office.exitCode() != 0) {
        *error = QString::fromUtf8(office.readAllStandardError()) + office.errorString();
        return {};
    }
    QFile csv(work.filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".csv")));
    if (!csv.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("no CSV: ") +
                 QString::fromUtf8(office.readAllStandardOutput() + office.readAllStandardError());
        return {};
    }
    return parseCsv(QString::fromUtf8(csv.readAll()));
}

} // namespace quorrel::test
