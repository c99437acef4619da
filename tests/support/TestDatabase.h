#pragma once

#include "core/store/Database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

namespace quorrel::test {

// The given column of every row of the query, in the order returned; fails the test when the query
// fails.
QStringList columnValues(Database& db, const QString& sql, const QString& column, const QVariantList& params = {});

// A shop directory of its own for one test: the database file path and the single-instance lock.
class TempShop
{
public:
    TempShop();

    QString databasePath() const { return m_dir.filePath(QStringLiteral("ZoZ.mdb")); }
    // The program's single-instance lock for this shop's database.
    QString lockPath() const;
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Writes the factory database in place (as "Yes" to the start-up question does).
    void writeFactory() const;

    // Writes a database with the factory tables encrypted with another key (empty key: a plain
    // unencrypted SQLite file) in place of the shop's file.
    void writeDatabaseWithKey(const QByteArray& key) const;

    // Runs one statement on the file through a connection of its own; fails the test on error.
    void exec(const QString& sql, const QVariantList& params = {}) const;
    // The first column of the first row as text.
    QString scalar(const QString& sql, const QVariantList& params = {}) const;

private:
    QTemporaryDir m_dir;
};

} // namespace quorrel::test
