#include "support/PostgresServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <libpq-fe.h>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace quorrel::test {

namespace {

constexpr const char* kSuperUser = "quorrel_test";
constexpr const char* kServerAccount = "postgres";

struct Account
{
    uid_t uid = 0;
    gid_t gid = 0;
};

// The ordinary account the server runs as when the tests run as root.
std::optional<Account> serverAccount()
{
    if (::geteuid() != 0)
        return std::nullopt;
    const passwd* entry = ::getpwnam(kServerAccount);
    if (!entry)
        return std::nullopt;
    return Account{entry->pw_uid, entry->pw_gid};
}

} // namespace

QString PostgresServer::binaries()
{
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& version : versions) {
        const QString bin = root.filePath(version + QStringLiteral("/bin"));
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable() &&
            QFileInfo(bin + QStringLiteral("/pg_ctl")).isExecutable())
            return bin;
    }
    return QString();
}

PostgresServer::PostgresServer() : m_bin(binaries())
{
    if (m_bin.isEmpty()) {
        m_unavailable = QStringLiteral("no PostgreSQL server binaries under /usr/lib/postgresql (package postgresql)");
        return;
    }
    if (!m_dir.isValid()) {
        m_unavailable = QStringLiteral("no temporary folder: ") + m_dir.errorString();
        return;
    }
    if (::geteuid() == 0) {
        const std::optional<Account> account = serverAccount();
        if (!account) {
            m_unavailable = QStringLiteral("running as root and no user 'postgres' to run the server as");
            return;
        }
        if (::chown(QFile::encodeName(m_dir.path()).constData(), account->uid, account->gid) != 0) {
            m_unavailable = QStringLiteral("cannot give the cluster's folder to 'postgres'");
            return;
        }
    }
    QString output;
    if (!run(QStringLiteral("initdb"),
             {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-U"),
              QString::fromLatin1(kSuperUser), QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
              QStringLiteral("UTF8"), QStringLiteral("--locale=C"), QStringLiteral("--no-sync")},
             &output)) {
        m_unavailable = QStringLiteral("initdb failed: ") + output;
        return;
    }
    if (!start())
        m_unavailable = QStringLiteral("the server did not start: see ") + m_dir.filePath(QStringLiteral("log"));
}

PostgresServer::~PostgresServer()
{
    if (m_running)
        stop();
}

bool PostgresServer::run(const QString& program, const QStringList& arguments, QString* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    const std::optional<Account> account = serverAccount();
    if (account) {
        process.setChildProcessModifier([account] {
            // In the child, before exec: the server refuses to run as root.
            if (::setgroups(0, nullptr) != 0 || ::setgid(account->gid) != 0 || ::setuid(account->uid) != 0)
                ::_exit(127);
        });
    }
    process.setWorkingDirectory(m_dir.path());
    process.start(m_bin + u'/' + program, arguments);
    const bool finished = process.waitForFinished(60000);
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool PostgresServer::start()
{
    const QString options = QStringLiteral("-k %1 -c listen_addresses= -c fsync=off -c synchronous_commit=off "
                                           "-c full_page_writes=off -c max_connections=60")
                                .arg(m_dir.path());
    m_running =
        run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
                                       QStringLiteral("-l"), m_dir.filePath(QStringLiteral("log")),
                                       QStringLiteral("-o"), options, QStringLiteral("-w"), QStringLiteral("start")});
    return m_running;
}

bool PostgresServer::stop()
{
    const bool stopped = run(QStringLiteral("pg_ctl"),
                             {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
                              QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    if (stopped)
        m_running = false;
    return stopped;
}

QString PostgresServer::connection(const QString& database) const
{
    return QStringLiteral("host=%1 dbname=%2 user=%3").arg(m_dir.path(), database, QString::fromLatin1(kSuperUser));
}

QString PostgresServer::createDatabase(const QString& name)
{
    const QByteArray admin = connection(QStringLiteral("postgres")).toUtf8();
    PGconn* connection = PQconnectdb(admin.constData());
    const QByteArray statement = "CREATE DATABASE \"" + name.toUtf8() + "\"";
    PGresult* result = PQstatus(connection) == CONNECTION_OK ? PQexec(connection, statement.constData()) : nullptr;
    const bool made = result && PQresultStatus(result) == PGRES_COMMAND_OK;
    const QString error = QString::fromUtf8(PQerrorMessage(connection));
    PQclear(result);
    PQfinish(connection);
    if (!made) {
        qWarning().noquote() << "database not created:" << error;
        return QString();
    }
    return this->connection(name);
}

PostgresServer& sharedPostgres()
{
    // Made on first use; destroyed when the program ends, which stops the server and removes it.
    static PostgresServer server;
    return server;
}

} // namespace quorrel::test
