#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace quorrel::test {

// A private PostgreSQL cluster for the tests: initdb into a temporary folder, the server listening
// only on a Unix socket in that folder (no TCP), stopped and removed with this object. When the
// tests run as root, the server runs as the ordinary user `postgres`, which owns the folder.
class PostgresServer
{
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // Empty when the cluster runs; otherwise why it does not (missing binaries, say), for a skip.
    QString unavailable() const { return m_unavailable; }

    // A new, empty database; returns its connection text (key=value form).
    QString createDatabase(const QString& name);
    QString connection(const QString& database) const;

    // Stops the server (fast: connections are cut) and starts it again on the same folder.
    bool stop();
    bool start();

    // The server binaries' folder, empty when none is installed.
    static QString binaries();

private:
    bool run(const QString& program, const QStringList& arguments, QString* output = nullptr);

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_unavailable;
    bool m_running = false;
};

// One cluster for a whole test program, made on first use and stopped when the program ends.
PostgresServer& sharedPostgres();

} // namespace quorrel::test
